#pragma once
// The tests' helpers on Win32, for the programs that run under Wine (the
// Win32 tests, the samples writer, the end-to-end tests' pattern window):
// whole files written in one go, text for failure messages, a picture read
// whole as a second route to the one the program writes in bands, and the
// screen's halftone palette.
#include <windows.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/graphics/bitmap.h"
#include "toolkit/graphics/bmp_codec.h"

// UTF-8, for GoogleTest's messages.
std::string NarrowToUtf8(std::wstring_view wide);

// Writes `data` as the file's whole content, through the program's own
// TFileStream (so with its guarantees and its errors).
void WriteWholeFile(const std::wstring& path, std::span<const uint8_t> data);

// The picture read with one GetDIBits of all its rows at its own depth: an
// indexed one with its colour table, a deeper one with its palette as the
// additional table. Read it once the picture has been saved (which frees
// the bitmap from its canvas).
kelvora_image::BmpImage WholeImage(const TBitmap& bitmap);

// The screen's halftone palette, as CreateHalftonePalette gives it for the
// screen DC; empty when it cannot be had.
std::vector<PALETTEENTRY> ScreenHalftoneEntries();
