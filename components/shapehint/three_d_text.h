#pragma once
// Measuring and drawing text with a 3D effect on a device context: the
// platform's text output, run once per pass of the effect.
#include <windows.h>

#include <string>

#include "components/shapehint/settings_objects.h"
#include "toolkit/graphics/font.h"

// The rectangle the text needs with its effect and a border of `border`
// pixels all round. On entry r's left, top and right give the origin and
// the wrap width. An empty text, or a lone "&" when ampersands mark
// accelerators, is measured as a space.
RECT DrawTextCalc(const std::wstring& text, const T3DCaption* font3d, RECT r, const TFont& font, bool word_wrap,
                  bool accel_char, int border, UINT flags);

// What a drawing takes from the canvas it draws on: the font's colour (the
// text face of most styles) and the brush colour (the face of the
// parent-colour styles).
struct TextCanvasColors {
  TColor font;
  TColor brush;
};

// Draws text into r with the font selected into dc, in the passes of the
// effect. `clip` (or r, when null) bounds the drawing when dtClip is in
// styles. Spacing and clipping are put back; the text colour stays that of
// the last pass.
void DrawText3D(HDC dc, const std::wstring& text, const T3DCaption* font3d, RECT r, UINT flags,
                TDrawTextStyles styles, const RECT* clip, TextCanvasColors colors);
