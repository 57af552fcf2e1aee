#include "toolkit/forms/label.h"

#include "toolkit/win/handle.h"

TLabel::TLabel(TComponent* owner) : TControl(owner) {
  SetBounds(0, 0, 65, 13);
}

void TLabel::SetAutoSize(bool value) {
  auto_size_ = value;
  AdjustBounds();
}

void TLabel::SetWordWrap(bool value) {
  word_wrap_ = value;
  AdjustBounds();
  Invalidate();
}

void TLabel::SetCaption(const std::wstring& caption) {
  TControl::SetCaption(caption);
  AdjustBounds();
}

void TLabel::Loaded() {
  TControl::Loaded();
  AdjustBounds();
}

void TLabel::FontChanged() {
  AdjustBounds();
  Invalidate();
}

std::vector<std::wstring> TLabel::WrapLines(HDC dc, const std::wstring& text, int width) {
  std::vector<std::wstring> lines;
  std::wstring line;
  const auto fits = [&](const std::wstring& s) {
    SIZE size{};
    GetTextExtentPoint32W(dc, s.c_str(), static_cast<int>(s.size()), &size);
    return size.cx <= width;
  };
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] == L'\r' || text[i] == L'\n') {
      lines.push_back(line);
      line.clear();
      if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
      ++i;
      continue;
    }
    // The next word: up to a blank, or a single character where there is
    // none (ideographs break anywhere).
    size_t end = i + 1;
    if (text[i] < 0x2E80) {
      while (end < text.size() && text[end] < 0x2E80 && text[end] != L' ' && text[end] != L'\r' &&
             text[end] != L'\n')
        ++end;
    }
    const std::wstring word = text.substr(i, end - i);
    if (fits(line + word)) {
      line += word;
    } else if (!line.empty()) {
      lines.push_back(line);
      line.clear();
      continue;  // the word again, on a line of its own
    } else {
      // Too wide even alone: as many characters as fit, at least one.
      size_t n = 1;
      while (n < word.size() && fits(word.substr(0, n + 1))) ++n;
      lines.push_back(word.substr(0, n));
      end = i + n;
    }
    i = end;
  }
  if (!line.empty() || lines.empty()) lines.push_back(line);
  return lines;
}

void TLabel::AdjustBounds() {
  if (!auto_size_ || Loading()) return;
  const TextMeasure measure(font_);
  if (word_wrap_) {
    const auto lines = WrapLines(measure.Dc(), caption_, width_);
    SetBounds(left_, top_, width_, static_cast<int>(lines.size()) * measure.LineHeight());
  } else {
    SetBounds(left_, top_, measure.Width(caption_), measure.LineHeight());
  }
}

void TLabel::Paint(HDC dc) {
  select_object font(dc, font_.Handle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(enabled_ ? font_.Color() : clBtnShadow));
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  if (word_wrap_) {
    int y = 0;
    for (const std::wstring& line : WrapLines(dc, caption_, width_)) {
      TextOutW(dc, 0, y, line.c_str(), static_cast<int>(line.size()));
      y += tm.tmHeight;
    }
  } else {
    TextOutW(dc, 0, 0, caption_.c_str(), static_cast<int>(caption_.size()));
  }
}
