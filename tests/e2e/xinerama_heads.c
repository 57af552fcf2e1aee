/* A stand-in libXinerama.so.1 for the tests of several monitors. Xvfb
 * started without RandR has no Xinerama either, and Wine's X11 driver then
 * sees one monitor; with this library on LD_LIBRARY_PATH it sees the heads
 * listed in KELVORA_HEADS, "x,y,width,height" separated by ";", in X root
 * coordinates, the first one the primary. Written from the public function
 * signatures alone. */
#include <stdio.h>
#include <stdlib.h>

typedef struct {
  int screen_number;
  short x_org, y_org, width, height;
} XineramaScreenInfo;

static int count_heads(XineramaScreenInfo* heads, int room) {
  const char* text = getenv("KELVORA_HEADS");
  int count = 0, used = 0, x, y, w, h;
  while (text && count < room && sscanf(text, " %d , %d , %d , %d %n", &x, &y, &w, &h, &used) == 4) {
    if (heads) {
      heads[count].screen_number = count;
      heads[count].x_org = (short)x;
      heads[count].y_org = (short)y;
      heads[count].width = (short)w;
      heads[count].height = (short)h;
    }
    ++count;
    text += used;
    if (*text != ';') break;
    ++text;
  }
  return count;
}

int XineramaQueryExtension(void* display, int* event_base, int* error_base) {
  (void)display;
  *event_base = 0;
  *error_base = 0;
  return count_heads(NULL, 16) > 0;
}

int XineramaQueryVersion(void* display, int* major, int* minor) {
  (void)display;
  *major = 1;
  *minor = 1;
  return 1;
}

int XineramaIsActive(void* display) {
  (void)display;
  return count_heads(NULL, 16) > 0;
}

/* The caller frees the array with XFree, which is free. */
XineramaScreenInfo* XineramaQueryScreens(void* display, int* number) {
  XineramaScreenInfo* heads = calloc(16, sizeof *heads);
  (void)display;
  *number = heads ? count_heads(heads, 16) : 0;
  return heads;
}
