#include "toolkit/graphics/icon.h"

#include "toolkit/core/exceptions.h"

void TIcon::SetHandle(unique_hicon owned) {
  icon_ = std::move(owned);
  const HICON icon = icon_.get();
  width_ = height_ = 0;
  ICONINFO info{};
  if (icon && GetIconInfo(icon, &info)) {
    unique_hbitmap mask(info.hbmMask), color(info.hbmColor);
    BITMAP bm{};
    GetObjectW(info.hbmMask, sizeof(bm), &bm);
    width_ = bm.bmWidth;
    height_ = color ? bm.bmHeight : bm.bmHeight / 2;
  }
}

void TIcon::Draw(HDC dc, const RECT& dest) const {
  if (icon_) DrawIconEx(dc, dest.left, dest.top, icon_.get(), dest.right - dest.left, dest.bottom - dest.top, 0,
                        nullptr, DI_NORMAL);
}

void TIcon::LoadFromBytes(std::span<const uint8_t> data) {
  // An .ico file: a 6-byte directory header, 16-byte entries, image data.
  auto u16 = [&](size_t at) { return static_cast<uint32_t>(data[at] | (data[at + 1] << 8)); };
  auto u32 = [&](size_t at) { return u16(at) | (u16(at + 2) << 16); };
  const auto invalid = [] { return EInvalidGraphic(L"Icon image is not valid"); };
  if (data.size() < 6 || u16(0) != 0 || u16(2) != 1 || u16(4) == 0) throw invalid();
  const size_t count = u16(4);
  if (data.size() < 6 + 16 * count) throw invalid();
  size_t best = 0;
  for (size_t i = 1; i < count; ++i) {
    // The largest picture, so stretching loses the least.
    const auto size_of = [&](size_t k) { return data[6 + 16 * k] == 0 ? 256u : data[6 + 16 * k]; };
    if (size_of(i) > size_of(best)) best = i;
  }
  const size_t entry = 6 + 16 * best;
  const uint32_t length = u32(entry + 8), offset = u32(entry + 12);
  if (offset > data.size() || length > data.size() - offset || length == 0) throw invalid();
  unique_hicon icon(CreateIconFromResourceEx(const_cast<BYTE*>(data.data() + offset), length, TRUE, 0x00030000, 0,
                                             0, LR_DEFAULTCOLOR));
  if (!icon) throw invalid();
  SetHandle(std::move(icon));
  bytes_.assign(data.begin(), data.end());
}
