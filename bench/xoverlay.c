/* Times the region command's overlay from the outside, natively: the click
 * on the menu item ("click x y"), done here through XTest so that the clock
 * starts when the X server has the release, to the moment a window the size
 * of the screen is mapped ("mapped") and then shows the screen as it was
 * before the menu opened ("painted"), compared on every pixel of one row in
 * every 40 (the bottom 40 rows, the taskbar with its clock, left out).
 *
 * It also times a program's start from the outside ("start"): until a run
 * of one row shows a colour (a window's first paint), and until a rectangle
 * of the screen changes (an icon added to the notification area).
 *
 *   xoverlay        then lines on stdin:
 *     ref            reads the reference rows (before the menu is opened)
 *     click <x> <y>  answers "<mapped ms> <painted ms>", or "timeout ..."
 *     start <y> <x0> <x1> <rrggbb> <count> <rx0> <ry0> <rx1> <ry1>
 *                    answers "watching" at once, then, on the clock of
 *                    CLOCK_MONOTONIC in ms, when row y first had <count>
 *                    pixels of that colour between x0 and x1, and when the
 *                    rectangle first differed from what it showed at the
 *                    start (-1 for a rectangle of no size, or a timeout) */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

enum { kStep = 40, kTimeoutMs = 3000 };

static double now_ms(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

static Display* display;
static Window root;
static int width, height, rows;
static unsigned long* reference;

static void read_row(int y, unsigned long* out) {
  XImage* image = XGetImage(display, root, 0, y, (unsigned)width, 1, AllPlanes, ZPixmap);
  for (int x = 0; x < width; ++x) out[x] = image ? XGetPixel(image, x, 0) & 0xFFFFFF : 0;
  if (image) XDestroyImage(image);
}

/* How many pixels of row y between x0 and x1 have the colour. */
static int count_in_row(int y, int x0, int x1, unsigned long colour) {
  XImage* image = XGetImage(display, root, x0, y, (unsigned)(x1 - x0), 1, AllPlanes, ZPixmap);
  int n = 0;
  for (int x = 0; image && x < x1 - x0; ++x) n += (XGetPixel(image, x, 0) & 0xFFFFFF) == colour;
  if (image) XDestroyImage(image);
  return n;
}

static XImage* read_rect(int x0, int y0, int x1, int y1) {
  return XGetImage(display, root, x0, y0, (unsigned)(x1 - x0), (unsigned)(y1 - y0), AllPlanes, ZPixmap);
}

static int same_rect(XImage* a, XImage* b) {
  for (int y = 0; y < a->height; ++y)
    for (int x = 0; x < a->width; ++x)
      if (XGetPixel(a, x, y) != XGetPixel(b, x, y)) return 0;
  return 1;
}

static void start(int y, int x0, int x1, unsigned long colour, int count, int rx0, int ry0, int rx1, int ry1) {
  const int rect = rx1 > rx0 && ry1 > ry0;
  XImage* before = rect ? read_rect(rx0, ry0, rx1, ry1) : NULL;
  printf("watching\n");
  fflush(stdout);
  const double t0 = now_ms();
  double painted = -1, changed = -1;
  while (now_ms() - t0 < 10000 && (painted < 0 || (rect && changed < 0))) {
    if (painted < 0 && count_in_row(y, x0, x1, colour) >= count) painted = now_ms();
    if (rect && changed < 0) {
      XImage* now = read_rect(rx0, ry0, rx1, ry1);
      if (now && before && !same_rect(now, before)) changed = now_ms();
      if (now) XDestroyImage(now);
    }
    usleep(200);
  }
  if (before) XDestroyImage(before);
  printf("%.3f %.3f\n", painted, changed);
}

static int last_row = -1, last_x = -1;
static unsigned long last_got, last_want;

static int shows_reference(unsigned long* row) {
  for (int r = 0; r < rows; ++r) {
    read_row(kStep / 2 + r * kStep, row);
    const unsigned long* want = reference + (size_t)r * width;
    for (int x = 0; x < width; ++x)
      if (row[x] != want[x]) {
        last_row = kStep / 2 + r * kStep;
        last_x = x;
        last_got = row[x];
        last_want = want[x];
        return 0;
      }
  }
  return 1;
}

/* Every window below the root gets SubstructureNotify: Wine's desktop
 * window, whose children are the programs' top-level windows, among them. */
static void watch_maps(void) {
  Window parent, *children = NULL;
  unsigned n = 0;
  XSelectInput(display, root, SubstructureNotifyMask);
  if (XQueryTree(display, root, &root, &parent, &children, &n)) {
    for (unsigned i = 0; i < n; ++i) XSelectInput(display, children[i], SubstructureNotifyMask);
    XFree(children);
  }
}

static int full_screen(Window w) {
  XWindowAttributes a;
  return XGetWindowAttributes(display, w, &a) && a.width == width && a.height == height;
}

int main(void) {
  display = XOpenDisplay(NULL);
  if (!display) {
    fprintf(stderr, "xoverlay: no display\n");
    return 1;
  }
  root = DefaultRootWindow(display);
  XWindowAttributes attrs;
  XGetWindowAttributes(display, root, &attrs);
  width = attrs.width;
  height = attrs.height;
  rows = (height - 40) / kStep;
  reference = calloc((size_t)rows * width, sizeof *reference);
  unsigned long* row = calloc((size_t)width, sizeof *row);
  char line[160];
  while (fgets(line, sizeof line, stdin)) {
    int x, y;
    if (strncmp(line, "ref", 3) == 0) {
      for (int r = 0; r < rows; ++r) read_row(kStep / 2 + r * kStep, reference + (size_t)r * width);
      printf("ok\n");
    } else if (strncmp(line, "start", 5) == 0) {
      int x0, x1, count, rx0, ry0, rx1, ry1;
      unsigned long colour;
      if (sscanf(line, "start %d %d %d %lx %d %d %d %d %d", &y, &x0, &x1, &colour, &count, &rx0, &ry0, &rx1,
                 &ry1) != 9)
        break;
      start(y, x0, x1, colour, count, rx0, ry0, rx1, ry1);
    } else if (sscanf(line, "click %d %d", &x, &y) == 2) {
      watch_maps();
      XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
      XSync(display, True);
      usleep(50000);
      XTestFakeButtonEvent(display, 1, True, CurrentTime);
      XSync(display, False);
      usleep(100000);
      XTestFakeButtonEvent(display, 1, False, CurrentTime);
      XSync(display, True); /* events so far are the menu's, not the overlay's */
      const double t0 = now_ms();
      double mapped = -1, painted = -1;
      while (now_ms() - t0 < kTimeoutMs && painted < 0) {
        while (mapped < 0 && XPending(display)) {
          XEvent e;
          XNextEvent(display, &e);
          if (e.type == MapNotify && full_screen(e.xmap.window)) mapped = now_ms() - t0;
        }
        if (mapped < 0) {
          usleep(200);
          continue;
        }
        if (shows_reference(row)) painted = now_ms() - t0;
      }
      if (painted < 0)
        printf("timeout %.3f at %d,%d %06lx not %06lx\n", mapped, last_x, last_row, last_got, last_want);
      else
        printf("%.3f %.3f\n", mapped, painted);
    } else {
      break;
    }
    fflush(stdout);
  }
  XCloseDisplay(display);
  return 0;
}
