#include "toolkit/graphics/jpeg_image.h"

#include "toolkit/core/exceptions.h"
#include "toolkit/graphics/jpeg_decoder.h"

using kelvora_image::BmpImage;

void TJPEGImage::LoadFromBytes(std::span<const uint8_t> data) {
  BmpImage image;
  try {
    image = kelvora_image::DecodeJpeg(data);
  } catch (const kelvora_image::InvalidJpeg&) {
    throw EInvalidGraphic(L"JPEG image is not valid");
  }
  bitmap_.FromImage(image);
  bytes_.assign(data.begin(), data.end());
}
