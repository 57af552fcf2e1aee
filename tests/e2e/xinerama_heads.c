/* A stand-in libXinerama.so.1 for the tests of several monitors. Xvfb
 * started without RandR has no Xinerama either, and Wine's X11 driver then
 * sees one monitor; with this library on LD_LIBRARY_PATH it sees the heads
 * listed in KELVORA_HEADS (heads.h). Written from the public function
 * signatures alone. */
#include <stdlib.h>

#include "heads.h"

typedef struct {
  int screen_number;
  short x_org, y_org, width, height;
} XineramaScreenInfo;

int XineramaQueryExtension(void* display, int* event_base, int* error_base) {
  (void)display;
  *event_base = 0;
  *error_base = 0;
  return read_heads(NULL, kMaxHeads) > 0;
}

int XineramaQueryVersion(void* display, int* major, int* minor) {
  (void)display;
  *major = 1;
  *minor = 1;
  return 1;
}

int XineramaIsActive(void* display) {
  (void)display;
  return read_heads(NULL, kMaxHeads) > 0;
}

/* The caller frees the array with XFree, which is free. */
XineramaScreenInfo* XineramaQueryScreens(void* display, int* number) {
  struct head heads[kMaxHeads];
  XineramaScreenInfo* screens = calloc(kMaxHeads, sizeof *screens);
  (void)display;
  *number = screens ? read_heads(heads, kMaxHeads) : 0;
  for (int i = 0; i < *number; ++i) {
    screens[i].screen_number = i;
    screens[i].x_org = (short)heads[i].x;
    screens[i].y_org = (short)heads[i].y;
    screens[i].width = (short)heads[i].width;
    screens[i].height = (short)heads[i].height;
  }
  return screens;
}
