/* A stand-in libXrandr.so.2 for the tests of several monitors. Wine 10
 * places each monitor by its display-settings handler, which takes the
 * monitors' modes and positions from RandR 1.2 or later; Xvfb's RandR has
 * one output the size of the screen, and without RandR Wine's fallback puts
 * every monitor at (0, 0). With this library on LD_LIBRARY_PATH (and Xvfb
 * started without RandR, so that nothing else answers) Wine sees RandR 1.4
 * with one connected output and CRTC per head listed in KELVORA_HEADS
 * (heads.h), each showing one mode of the head's size at 60 Hz, the first
 * head the primary, and no providers. Nothing goes to the X server: changing
 * a mode is refused, and no change is ever announced. Written from the
 * library's public header. */
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <stdlib.h>
#include <string.h>

#include "heads.h"

/* Resource numbers of head i: output, CRTC and mode. */
#define OUTPUT(i) ((RROutput)(0x100 + (i)))
#define CRTC(i) ((RRCrtc)(0x200 + (i)))
#define MODE(i) ((RRMode)(0x300 + (i)))

/* Which head a resource number names, or -1. */
static int head_of(XID id, XID first) {
  const int count = read_heads(NULL, kMaxHeads);
  return id >= first && id < first + (XID)count ? (int)(id - first) : -1;
}

/* The structures hand out arrays the caller frees with the structure
 * itself, as the library does: each is one block. */
static void* block(size_t head_size, size_t tail_size, void** tail) {
  char* memory = calloc(1, head_size + tail_size);
  if (memory && tail) *tail = memory + head_size;
  return memory;
}

Bool XRRQueryExtension(Display* display, int* event_base, int* error_base) {
  (void)display;
  /* No event comes. Wine files handlers under the base plus 0 to 3, in a
   * table of 128 event types: the base keeps them inside it, and above the
   * events of the server's own extensions. */
  *event_base = 124;
  *error_base = 250;
  return read_heads(NULL, kMaxHeads) > 0;
}

Status XRRQueryVersion(Display* display, int* major, int* minor) {
  (void)display;
  *major = 1;
  *minor = 4;
  return 1;
}

void XRRSelectInput(Display* display, Window window, int mask) {
  (void)display, (void)window, (void)mask;
}

/* ---- RandR 1.0: the primary head's size, unchangeable. ---- */

struct config {
  int unused;
};

XRRScreenConfiguration* XRRGetScreenInfo(Display* display, Window window) {
  (void)display, (void)window;
  return (XRRScreenConfiguration*)calloc(1, sizeof(struct config));
}

void XRRFreeScreenConfigInfo(XRRScreenConfiguration* config) { free(config); }

SizeID XRRConfigCurrentConfiguration(XRRScreenConfiguration* config, Rotation* rotation) {
  (void)config;
  *rotation = RR_Rotate_0;
  return 0;
}

short XRRConfigCurrentRate(XRRScreenConfiguration* config) {
  (void)config;
  return 60;
}

XRRScreenSize* XRRSizes(Display* display, int screen, int* count) {
  static XRRScreenSize size;
  struct head heads[kMaxHeads];
  (void)display, (void)screen;
  *count = read_heads(heads, kMaxHeads) > 0;
  if (*count) {
    size.width = heads[0].width;
    size.height = heads[0].height;
    size.mwidth = heads[0].width * 254 / 960;
    size.mheight = heads[0].height * 254 / 960;
  }
  return &size;
}

short* XRRRates(Display* display, int screen, int size, int* count) {
  static short rate = 60;
  (void)display, (void)screen;
  *count = size == 0;
  return &rate;
}

Status XRRSetScreenConfig(Display* display, XRRScreenConfiguration* config, Drawable draw, int size,
                          Rotation rotation, Time timestamp) {
  (void)display, (void)config, (void)draw, (void)size, (void)rotation, (void)timestamp;
  return RRSetConfigFailed;
}

Status XRRSetScreenConfigAndRate(Display* display, XRRScreenConfiguration* config, Drawable draw, int size,
                                 Rotation rotation, short rate, Time timestamp) {
  (void)rate;
  return XRRSetScreenConfig(display, config, draw, size, rotation, timestamp);
}

/* ---- RandR 1.2 to 1.4: one output, CRTC and mode per head. ---- */

XRRScreenResources* XRRGetScreenResources(Display* display, Window window) {
  struct head heads[kMaxHeads];
  const int count = read_heads(heads, kMaxHeads);
  void* tail = NULL;
  const size_t names = 16;
  XRRScreenResources* resources = block(
      sizeof *resources, (size_t)count * (sizeof(RRCrtc) + sizeof(RROutput) + sizeof(XRRModeInfo) + names), &tail);
  (void)display, (void)window;
  if (!resources) return NULL;
  resources->ncrtc = resources->noutput = resources->nmode = count;
  resources->modes = tail;
  resources->crtcs = (RRCrtc*)(resources->modes + count);
  resources->outputs = (RROutput*)(resources->crtcs + count);
  char* name = (char*)(resources->outputs + count);
  for (int i = 0; i < count; ++i, name += names) {
    XRRModeInfo* mode = &resources->modes[i];
    resources->crtcs[i] = CRTC(i);
    resources->outputs[i] = OUTPUT(i);
    mode->id = MODE(i);
    mode->width = (unsigned)heads[i].width;
    mode->height = (unsigned)heads[i].height;
    mode->hTotal = mode->width;
    mode->vTotal = mode->height;
    mode->dotClock = (unsigned long)mode->width * mode->height * 60;
    mode->nameLength = (unsigned)snprintf(name, names, "%dx%d", heads[i].width, heads[i].height);
    mode->name = name;
  }
  return resources;
}

XRRScreenResources* XRRGetScreenResourcesCurrent(Display* display, Window window) {
  return XRRGetScreenResources(display, window);
}

void XRRFreeScreenResources(XRRScreenResources* resources) { free(resources); }

XRROutputInfo* XRRGetOutputInfo(Display* display, XRRScreenResources* resources, RROutput output) {
  struct head heads[kMaxHeads];
  const int i = head_of(output, OUTPUT(0));
  void* tail = NULL;
  XRROutputInfo* info;
  (void)display, (void)resources;
  if (i < 0 || read_heads(heads, kMaxHeads) <= i) return NULL;
  info = block(sizeof *info, sizeof(RRCrtc) + sizeof(RRMode) + 16, &tail);
  if (!info) return NULL;
  info->crtc = CRTC(i);
  info->ncrtc = 1;
  info->crtcs = tail;
  info->crtcs[0] = CRTC(i);
  info->nmode = info->npreferred = 1;
  info->modes = (RRMode*)(info->crtcs + 1);
  info->modes[0] = MODE(i);
  info->name = (char*)(info->modes + 1);
  info->nameLen = snprintf(info->name, 16, "HEAD-%d", i);
  info->mm_width = (unsigned long)heads[i].width * 254 / 960;
  info->mm_height = (unsigned long)heads[i].height * 254 / 960;
  info->connection = RR_Connected;
  info->subpixel_order = SubPixelUnknown;
  return info;
}

void XRRFreeOutputInfo(XRROutputInfo* info) { free(info); }

XRRCrtcInfo* XRRGetCrtcInfo(Display* display, XRRScreenResources* resources, RRCrtc crtc) {
  struct head heads[kMaxHeads];
  const int i = head_of(crtc, CRTC(0));
  void* tail = NULL;
  XRRCrtcInfo* info;
  (void)display, (void)resources;
  if (i < 0 || read_heads(heads, kMaxHeads) <= i) return NULL;
  info = block(sizeof *info, 2 * sizeof(RROutput), &tail);
  if (!info) return NULL;
  info->x = heads[i].x;
  info->y = heads[i].y;
  info->width = (unsigned)heads[i].width;
  info->height = (unsigned)heads[i].height;
  info->mode = MODE(i);
  info->rotation = info->rotations = RR_Rotate_0;
  info->noutput = info->npossible = 1;
  info->outputs = tail;
  info->outputs[0] = OUTPUT(i);
  info->possible = info->outputs + 1;
  info->possible[0] = OUTPUT(i);
  return info;
}

void XRRFreeCrtcInfo(XRRCrtcInfo* info) { free(info); }

RROutput XRRGetOutputPrimary(Display* display, Window window) {
  (void)display, (void)window;
  return read_heads(NULL, kMaxHeads) > 0 ? OUTPUT(0) : None;
}

/* No EDID: the property is not there. */
int XRRGetOutputProperty(Display* display, RROutput output, Atom property, long offset, long length, Bool _delete,
                         Bool pending, Atom req_type, Atom* actual_type, int* actual_format, unsigned long* nitems,
                         unsigned long* bytes_after, unsigned char** prop) {
  (void)display, (void)output, (void)property, (void)offset, (void)length, (void)_delete, (void)pending,
      (void)req_type;
  *actual_type = None;
  *actual_format = 0;
  *nitems = *bytes_after = 0;
  *prop = NULL;
  return BadAtom;
}

Status XRRGetScreenSizeRange(Display* display, Window window, int* min_width, int* min_height, int* max_width,
                             int* max_height) {
  (void)display, (void)window;
  *min_width = *min_height = 1;
  *max_width = *max_height = 32767;
  return 1;
}

Status XRRSetCrtcConfig(Display* display, XRRScreenResources* resources, RRCrtc crtc, Time timestamp, int x, int y,
                        RRMode mode, Rotation rotation, RROutput* outputs, int noutputs) {
  (void)display, (void)resources, (void)crtc, (void)timestamp, (void)x, (void)y, (void)mode, (void)rotation,
      (void)outputs, (void)noutputs;
  return RRSetConfigFailed;
}

void XRRSetScreenSize(Display* display, Window window, int width, int height, int mm_width, int mm_height) {
  (void)display, (void)window, (void)width, (void)height, (void)mm_width, (void)mm_height;
}

/* No providers: Wine then takes every output of the screen as one GPU's. */
XRRProviderResources* XRRGetProviderResources(Display* display, Window window) {
  (void)display, (void)window;
  return calloc(1, sizeof(XRRProviderResources));
}

void XRRFreeProviderResources(XRRProviderResources* resources) { free(resources); }

XRRProviderInfo* XRRGetProviderInfo(Display* display, XRRScreenResources* resources, RRProvider provider) {
  (void)display, (void)resources, (void)provider;
  return NULL;
}

void XRRFreeProviderInfo(XRRProviderInfo* info) { free(info); }
