/* Numeric resource IDs, shared by kelvora.rc and the C++ code. Plain #defines only:
   the resource compiler does not evaluate expressions as resource IDs. */
#ifndef KELVORA_RESOURCE_IDS_H
#define KELVORA_RESOURCE_IDS_H

/* The application icon has the lowest ID, so it is the first icon group in the
   executable and the one the shell shows for kelvora.exe. */
#define IDI_APP 1

/* The tray icon set, also the tray menu's item images: icon n has ID IDI_TRAY_FIRST + n. */
#define IDI_TRAY_FIRST 100
#define IDI_TRAY_COUNT 11

/* The 16 x 16 ornament in the intro banner's four corners. */
#define IDI_CORNER 120
/* The capture viewer's window icon. */
#define IDI_VIEWER 121

/* The intro banner's picture, a JPEG stored as raw data. */
#define IDR_BANNER_JPEG 130

/* 16 x 16 glyphs of the capture viewer's menu items; magenta (also the bottom-left
   pixel) marks the transparent pixels. */
#define IDB_VIEWER_SAVE 140
#define IDB_VIEWER_EXIT 141

/* Vector pictures, placeable Windows metafiles stored as raw data: the settings
   window's green clip-art and the farewell window's flag. */
#define IDR_DONE_PICTURE 150
#define IDR_FAREWELL_PICTURE 151

#endif
