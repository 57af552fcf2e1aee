#pragma once
// A font description and the GDI font made from it on demand.
#include <windows.h>

#include <functional>
#include <string>

#include "toolkit/graphics/system_color.h"
#include "toolkit/win/handle.h"

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;

class TFont;

// Measures text in a font as the screen draws it.
class TextMeasure {
 public:
  explicit TextMeasure(const TFont& font);
  HDC Dc() const noexcept { return screen_.get(); }
  int LineHeight() const noexcept { return line_height_; }
  int Width(const std::wstring& text) const;

 private:
  window_dc screen_;
  select_object font_;
  int line_height_ = 0;
};

class TFont {
 public:
  TFont() = default;
  TFont(const TFont& other) { Assign(other); }
  TFont& operator=(const TFont& other) {
    Assign(other);
    return *this;
  }
  // Copies the description (not the handle); the owner of this font is told.
  void Assign(const TFont& other);

  const std::wstring& Name() const noexcept { return name_; }
  void SetName(const std::wstring& name);
  int Height() const noexcept { return height_; }
  void SetHeight(int height);
  TFontStyles Style() const noexcept { return style_; }
  void SetStyle(TFontStyles style);
  BYTE Charset() const noexcept { return charset_; }
  void SetCharset(BYTE charset);
  TColor Color() const noexcept { return color_; }
  void SetColor(TColor color);

  // A layout's whole font description at once.
  void Set(const std::wstring& name, int height, TFontStyles style, TColor color = clWindowText,
           BYTE charset = DEFAULT_CHARSET) {
    SetName(name);
    SetHeight(height);
    SetStyle(style);
    SetColor(color);
    SetCharset(charset);
  }

  HFONT Handle() const;
  std::function<void()> OnChange;

 private:
  void Changed();
  std::wstring name_ = L"MS Sans Serif";
  int height_ = -11;
  TFontStyles style_ = 0;
  BYTE charset_ = DEFAULT_CHARSET;
  TColor color_ = clWindowText;
  mutable unique_hfont handle_;
};
