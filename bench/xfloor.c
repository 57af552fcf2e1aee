/* The X server's floor for a whole-screen capture, native, no Wine: the whole
 * root window read with one XGetImage, or with XShmGetImage into a segment
 * shared with the server (the fastest a client can read the screen), then as
 * many bytes as the capture file has written to a file.
 *
 *   xfloor <bytes> <out-file>
 *
 * Reads "get" or "shm" lines from stdin and answers each with the time of
 * one such read and write in milliseconds; bench/run.sh takes its turns with
 * the capture and the peers. */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <time.h>

static double now_ms(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

/* The capture file's size, taken from the image (repeated if the image is
 * smaller), so that the write costs what the capture's write costs. */
static int write_out(const char* path, const char* data, size_t image_bytes, size_t bytes) {
  FILE* out = fopen(path, "wb");
  if (!out) {
    perror(path);
    return -1;
  }
  while (bytes) {
    const size_t n = bytes < image_bytes ? bytes : image_bytes;
    if (fwrite(data, 1, n, out) != n) {
      perror(path);
      fclose(out);
      return -1;
    }
    bytes -= n;
  }
  return fclose(out);
}

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: xfloor <bytes> <out-file>\n");
    return 2;
  }
  const size_t bytes = strtoul(argv[1], NULL, 10);
  Display* display = XOpenDisplay(NULL);
  if (!display) {
    fprintf(stderr, "xfloor: no display\n");
    return 1;
  }
  const Window root = DefaultRootWindow(display);
  XWindowAttributes attrs;
  XGetWindowAttributes(display, root, &attrs);
  const unsigned width = (unsigned)attrs.width, height = (unsigned)attrs.height;

  /* The shared segment is made once, as a grabber that reads the screen
   * repeatedly would keep it; only the read itself is timed. */
  XShmSegmentInfo shm;
  memset(&shm, 0, sizeof shm);
  XImage* shared = NULL;
  if (XShmQueryExtension(display)) {
    shared = XShmCreateImage(display, attrs.visual, (unsigned)attrs.depth, ZPixmap, NULL, &shm, width, height);
    if (shared) {
      shm.shmid = shmget(IPC_PRIVATE, (size_t)shared->bytes_per_line * height, IPC_CREAT | 0600);
      shm.shmaddr = shared->data = shmat(shm.shmid, NULL, 0);
      shm.readOnly = False;
      XShmAttach(display, &shm);
      XSync(display, False);
      shmctl(shm.shmid, IPC_RMID, NULL); /* freed once both sides detach */
    }
  }
  printf("screen %ux%ux%d shm %s\n", width, height, attrs.depth, shared ? "yes" : "no");
  fflush(stdout);

  char line[32];
  while (fgets(line, sizeof line, stdin)) {
    const double t0 = now_ms();
    if (strncmp(line, "get", 3) == 0) {
      XImage* image = XGetImage(display, root, 0, 0, width, height, AllPlanes, ZPixmap);
      if (!image) {
        fprintf(stderr, "xfloor: XGetImage failed\n");
        return 1;
      }
      if (write_out(argv[2], image->data, (size_t)image->bytes_per_line * height, bytes)) return 1;
      XDestroyImage(image);
    } else if (strncmp(line, "shm", 3) == 0 && shared) {
      if (!XShmGetImage(display, root, shared, 0, 0, AllPlanes)) {
        fprintf(stderr, "xfloor: XShmGetImage failed\n");
        return 1;
      }
      if (write_out(argv[2], shared->data, (size_t)shared->bytes_per_line * height, bytes)) return 1;
    } else {
      break;
    }
    printf("%.3f\n", now_ms() - t0);
    fflush(stdout);
  }
  if (shared) {
    XShmDetach(display, &shm);
    XDestroyImage(shared);
    shmdt(shm.shmaddr);
  }
  XCloseDisplay(display);
  return 0;
}
