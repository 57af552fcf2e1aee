/* The X server's floor for a whole-screen capture: XGetImage of the root
 * window, then the same number of bytes as the capture file written to a
 * file, timed in process over repeated runs. Native, no Wine.
 *
 *   xfloor <runs> <bytes> <out-file>
 *
 * Prints "floor_ms <median>" and "floor_image_bytes <n>". */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static double now_ms(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

static int by_value(const void* a, const void* b) {
  const double x = *(const double*)a, y = *(const double*)b;
  return (x > y) - (x < y);
}

int main(int argc, char** argv) {
  if (argc != 4) {
    fprintf(stderr, "usage: xfloor <runs> <bytes> <out-file>\n");
    return 2;
  }
  const int runs = atoi(argv[1]);
  const size_t bytes = strtoul(argv[2], NULL, 10);
  Display* display = XOpenDisplay(NULL);
  if (!display || runs <= 0) {
    fprintf(stderr, "xfloor: no display\n");
    return 1;
  }
  const Window root = DefaultRootWindow(display);
  XWindowAttributes attrs;
  XGetWindowAttributes(display, root, &attrs);
  double* times = calloc((size_t)runs, sizeof *times);
  size_t image_bytes = 0;
  for (int i = 0; i < runs; ++i) {
    const double t0 = now_ms();
    XImage* image = XGetImage(display, root, 0, 0, (unsigned)attrs.width, (unsigned)attrs.height, AllPlanes,
                              ZPixmap);
    if (!image) {
      fprintf(stderr, "xfloor: XGetImage failed\n");
      return 1;
    }
    image_bytes = (size_t)image->bytes_per_line * (size_t)image->height;
    FILE* out = fopen(argv[3], "wb");
    if (!out) {
      perror(argv[3]);
      return 1;
    }
    /* The capture file's size, taken from the image (repeated if the image
     * is smaller), so the write costs what the capture's write costs. */
    size_t left = bytes;
    while (left) {
      const size_t n = left < image_bytes ? left : image_bytes;
      if (fwrite(image->data, 1, n, out) != n) {
        perror(argv[3]);
        return 1;
      }
      left -= n;
    }
    fclose(out);
    XDestroyImage(image);
    times[i] = now_ms() - t0;
  }
  qsort(times, (size_t)runs, sizeof *times, by_value);
  const double median = runs % 2 ? times[runs / 2] : (times[runs / 2 - 1] + times[runs / 2]) / 2;
  printf("screen %dx%dx%d\n", attrs.width, attrs.height, attrs.depth);
  printf("floor_image_bytes %zu\n", image_bytes);
  printf("floor_ms %.3f\n", median);
  free(times);
  XCloseDisplay(display);
  return 0;
}
