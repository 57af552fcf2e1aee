#include "toolkit/forms/image_list.h"

#include <cstdint>

#include "toolkit/core/exceptions.h"
#include "toolkit/graphics/dib.h"

namespace {
unique_hicon EmptyIcon(int w, int h) {
  std::vector<BYTE> and_mask(static_cast<size_t>(((w + 15) / 16) * 2 * h), 0xFF);
  std::vector<BYTE> xor_mask(and_mask.size(), 0x00);
  return unique_hicon(CreateIcon(GetModuleHandleW(nullptr), w, h, 1, 1, and_mask.data(), xor_mask.data()));
}
}  // namespace

TImageList::TImageList(TComponent* owner) : TComponent(owner) {}

void TImageList::AddIconResource(int id) {
  unique_hicon icon(static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, Width(), Height(), 0)));
  if (!icon) throw EInvalidOperation(L"Invalid image");
  icons_.push_back({std::move(icon), {}, id});
}

void TImageList::ChangeScale(int dpi) {
  const int size = ScaleForDpi(16, dpi);
  if (size == size_ || size <= 0) return;
  size_ = size;
  for (Entry& e : icons_) {
    unique_hicon icon(static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(e.resource), IMAGE_ICON, size, size, 0)));
    // An icon that cannot be had at the new size keeps its old picture.
    if (icon) e.icon = std::move(icon);
    e.menu_bitmap.reset();
  }
}

unique_hicon TImageList::GetIcon(int index) const {
  if (index < 0 || index >= Count()) return EmptyIcon(Width(), Height());
  return unique_hicon(CopyIcon(icons_[static_cast<size_t>(index)].icon.get()));
}

HBITMAP TImageList::MenuBitmap(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  const Entry& e = icons_[static_cast<size_t>(index)];
  if (e.menu_bitmap) return e.menu_bitmap.get();
  Dib32 dib = CreateDib32(Width(), Height());
  unique_hdc dc(CreateCompatibleDC(nullptr));
  if (!dib.bitmap || !dc) return nullptr;
  {
    select_object keep(dc.get(), dib.bitmap.get());
    DrawIconEx(dc.get(), 0, 0, e.icon.get(), Width(), Height(), 0, nullptr, DI_NORMAL);
  }
  GdiFlush();
  // Icons without an alpha channel draw with alpha 0 everywhere: make their
  // drawn pixels opaque, judging by the icon's mask.
  uint32_t* px = dib.pixels;
  const int n = Width() * Height();
  bool has_alpha = false;
  for (int i = 0; i < n && !has_alpha; ++i) has_alpha = (px[i] >> 24) != 0;
  if (!has_alpha) {
    ICONINFO info{};
    if (GetIconInfo(e.icon.get(), &info)) {
      unique_hbitmap mask(info.hbmMask), color(info.hbmColor);
      for (int y = 0; y < Height(); ++y)
        for (int x = 0; x < Width(); ++x) {
          select_object keep(dc.get(), mask.get());
          const bool transparent = GetPixel(dc.get(), x, y) != 0;
          uint32_t& p = px[y * Width() + x];
          p = transparent ? 0 : (p | 0xFF000000u);
        }
    }
  }
  e.menu_bitmap = std::move(dib.bitmap);
  return e.menu_bitmap.get();
}
