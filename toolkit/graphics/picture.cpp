#include "toolkit/graphics/picture.h"

#include <cwctype>
#include <memory>
#include <span>

#include "toolkit/core/dpi_scale.h"
#include "toolkit/core/exceptions.h"
#include "toolkit/graphics/bitmap.h"
#include "toolkit/graphics/icon.h"
#include "toolkit/graphics/jpeg_image.h"
#include "toolkit/graphics/metafile.h"
#include "toolkit/win/handle.h"

namespace {

// The bytes of a raw data resource of this program, or empty if it has none.
std::span<const uint8_t> RawResource(int id) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC res = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  HGLOBAL loaded = res ? LoadResource(module, res) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return {};
  return {static_cast<const uint8_t*>(bytes), SizeofResource(module, res)};
}

// A graphic of that kind read from this program's raw resource `id`; a
// missing or empty resource is reported as the kind's invalid image.
template <typename Graphic>
std::unique_ptr<Graphic> GraphicFromResource(int id, const wchar_t* invalid) {
  const std::span<const uint8_t> bytes = RawResource(id);
  if (bytes.empty()) throw EInvalidGraphic(invalid);
  auto graphic = std::make_unique<Graphic>();
  graphic->LoadFromBytes(bytes);
  return graphic;
}

}  // namespace

std::wstring LowerExtension(const std::wstring& path) {
  const size_t dot = path.find_last_of(L'.');
  const size_t slash = path.find_last_of(L"\\/");
  if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return {};
  std::wstring ext = path.substr(dot);
  for (wchar_t& c : ext) c = static_cast<wchar_t>(std::towlower(c));
  return ext;
}

void TPicture::LoadFromFile(const std::wstring& path) {
  const std::wstring ext = LowerExtension(path);
  std::unique_ptr<TGraphic> graphic;
  if (ext == L".bmp") graphic = std::make_unique<TBitmap>();
  else if (ext == L".jpg" || ext == L".jpeg") graphic = std::make_unique<TJPEGImage>();
  else if (ext == L".ico") graphic = std::make_unique<TIcon>();
  else if (ext == L".emf" || ext == L".wmf") graphic = std::make_unique<TMetafile>();
  else throw EInvalidGraphic(FormatMessageText(L"Unknown picture file extension (%s)", ext));
  graphic->LoadFromFile(path);
  SetGraphic(std::move(graphic));
}

int TPicture::Width() const {
  if (!graphic_) return 0;
  return layout_scaled_ ? ScaleForDpi(graphic_->Width(), dpi_) : graphic_->Width();
}

int TPicture::Height() const {
  if (!graphic_) return 0;
  return layout_scaled_ ? ScaleForDpi(graphic_->Height(), dpi_) : graphic_->Height();
}

void TPicture::ChangeScale(int dpi) {
  if (dpi <= 0 || dpi == dpi_) return;
  dpi_ = dpi;
  if (icon_resource_) {
    const int id = icon_resource_, size = icon_size_;
    unique_hicon icon(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON,
                                                    ScaleForDpi(size, dpi), ScaleForDpi(size, dpi), 0)));
    if (icon) static_cast<TIcon&>(*graphic_).SetHandle(std::move(icon));
  }
}

void TPicture::SaveToFile(const std::wstring& path) const {
  if (graphic_) graphic_->SaveToFile(path);
}

void TPicture::LoadJpegResource(int id) {
  SetGraphic(GraphicFromResource<TJPEGImage>(id, L"JPEG image is not valid"));
  layout_scaled_ = true;
}

void TPicture::LoadMetafileResource(int id) {
  SetGraphic(GraphicFromResource<TMetafile>(id, L"Metafile is not valid"));
  layout_scaled_ = true;
}

void TPicture::LoadIconResource(int id, int size) {
  auto icon = std::make_unique<TIcon>();
  icon->SetHandle(unique_hicon(static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0))));
  if (!icon->Handle()) throw EInvalidGraphic(L"Icon image is not valid");
  SetGraphic(std::move(icon));
  icon_resource_ = id;
  icon_size_ = size;
  dpi_ = 96;
}
