#include "toolkit/graphics/font.h"

void TFont::Assign(const TFont& other) {
  if (this == &other) return;
  name_ = other.name_;
  height_ = other.height_;
  style_ = other.style_;
  charset_ = other.charset_;
  color_ = other.color_;
  Changed();
}

void TFont::SetName(const std::wstring& name) {
  if (name == name_) return;
  name_ = name;
  Changed();
}

void TFont::SetHeight(int height) {
  if (height == height_) return;
  height_ = height;
  Changed();
}

void TFont::SetStyle(TFontStyles style) {
  if (style == style_) return;
  style_ = style;
  Changed();
}

void TFont::SetCharset(BYTE charset) {
  if (charset == charset_) return;
  charset_ = charset;
  Changed();
}

void TFont::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  if (OnChange) OnChange();
}

void TFont::Changed() {
  handle_.reset();
  if (OnChange) OnChange();
}

HFONT TFont::Handle() const {
  if (!handle_) {
    LOGFONTW lf{};
    lf.lfHeight = height_;
    lf.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (style_ & fsItalic) ? TRUE : FALSE;
    lf.lfUnderline = (style_ & fsUnderline) ? TRUE : FALSE;
    lf.lfStrikeOut = (style_ & fsStrikeOut) ? TRUE : FALSE;
    lf.lfCharSet = charset_;
    lf.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(lf.lfFaceName, name_.c_str(), LF_FACESIZE);
    handle_.reset(CreateFontIndirectW(&lf));
  }
  return handle_.get();
}

TextMeasure::TextMeasure(const TFont& font) : screen_(nullptr), font_(screen_.get(), font.Handle()) {
  TEXTMETRICW tm{};
  GetTextMetricsW(screen_.get(), &tm);
  line_height_ = tm.tmHeight;
}

int TextMeasure::Width(const std::wstring& text) const {
  SIZE size{};
  GetTextExtentPoint32W(screen_.get(), text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}
