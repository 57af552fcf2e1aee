#include "toolkit/graphics/metafile.h"

#include <cstring>

#include "toolkit/core/exceptions.h"

void TMetafile::Draw(HDC dc, const RECT& dest) const {
  if (emf_) {
    PlayEnhMetaFile(dc, emf_.get(), &dest);
    return;
  }
  if (!wmf_) return;
  // The records set their own window; the extent from the header is where
  // they start, and the viewport is the destination, offset from wherever
  // the caller put the origin.
  const int saved = SaveDC(dc);
  POINT origin{};
  GetViewportOrgEx(dc, &origin);
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowOrgEx(dc, extent_.left, extent_.top, nullptr);
  SetWindowExtEx(dc, extent_.right - extent_.left, extent_.bottom - extent_.top, nullptr);
  SetViewportOrgEx(dc, origin.x + dest.left, origin.y + dest.top, nullptr);
  SetViewportExtEx(dc, dest.right - dest.left, dest.bottom - dest.top, nullptr);
  PlayMetaFile(dc, wmf_.get());
  RestoreDC(dc, saved);
}

void TMetafile::LoadFromBytes(std::span<const uint8_t> data) {
  const auto invalid = [] { return EInvalidGraphic(L"Metafile is not valid"); };
  if (data.size() > 0x7FFFFFFF) throw invalid();
  constexpr uint32_t kPlaceableKey = 0x9AC6CDD7u;
  uint32_t first = 0;
  if (data.size() >= 4) std::memcpy(&first, data.data(), 4);
  if (first == kPlaceableKey && data.size() > 22) {
    // A placeable Windows metafile: a 22-byte header before the records,
    // giving the picture's extent in its own units per inch. It is kept as
    // a Windows metafile: Wine's conversion to an enhanced one misplaces
    // records whose window differs from that extent. The size in whole
    // pixels is cut down (321.5 is 321), as the 0.01 mm frame would not.
    const auto s16 = [&](size_t at) { return static_cast<int16_t>(data[at] | (data[at + 1] << 8)); };
    const RECT extent{s16(6), s16(8), s16(10), s16(12)};
    const int inch = static_cast<uint16_t>(s16(14));
    if (inch <= 0 || extent.right <= extent.left || extent.bottom <= extent.top) throw invalid();
    unique_hmetafile wmf(SetMetaFileBitsEx(static_cast<UINT>(data.size() - 22), data.data() + 22));
    if (!wmf) throw invalid();
    emf_.reset();
    wmf_ = std::move(wmf);
    extent_ = extent;
    width_ = (extent.right - extent.left) * 96 / inch;
    height_ = (extent.bottom - extent.top) * 96 / inch;
  } else {
    HENHMETAFILE emf = SetEnhMetaFileBits(static_cast<UINT>(data.size()), data.data());
    if (!emf) emf = SetWinMetaFileBits(static_cast<UINT>(data.size()), data.data(), nullptr, nullptr);
    if (!emf) throw invalid();
    wmf_.reset();
    emf_.reset(emf);
    ENHMETAHEADER header{};
    GetEnhMetaFileHeader(emf_.get(), sizeof(header), &header);
    // The frame is in 0.01 mm; the picture's size is at 96 dots per inch.
    width_ = MulDiv(header.rclFrame.right - header.rclFrame.left, 96, 2540);
    height_ = MulDiv(header.rclFrame.bottom - header.rclFrame.top, 96, 2540);
  }
  bytes_.assign(data.begin(), data.end());
}
