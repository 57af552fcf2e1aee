/* The heads the tests of several monitors choose, for the stand-in X
 * libraries (xinerama_heads.c, xrandr_heads.c): KELVORA_HEADS holds
 * "x,y,width,height" separated by ";", in X root coordinates, the first one
 * the primary. */
#ifndef KELVORA_TESTS_E2E_HEADS_H
#define KELVORA_TESTS_E2E_HEADS_H

#include <stdio.h>
#include <stdlib.h>

enum { kMaxHeads = 16 };

struct head {
  int x, y, width, height;
};

/* Fills `heads` (when not NULL) with up to `room` heads; answers how many. */
static int read_heads(struct head* heads, int room) {
  const char* text = getenv("KELVORA_HEADS");
  int count = 0, used = 0, x, y, w, h;
  while (text && count < room && sscanf(text, " %d , %d , %d , %d %n", &x, &y, &w, &h, &used) == 4) {
    if (heads) {
      heads[count].x = x;
      heads[count].y = y;
      heads[count].width = w;
      heads[count].height = h;
    }
    ++count;
    text += used;
    if (*text != ';') break;
    ++text;
  }
  return count;
}

#endif
