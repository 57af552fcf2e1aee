#include "toolkit/graphics/fit_rule.h"

#include <algorithm>

namespace kelvora_image {

FitRect FitPicture(int32_t picture_width, int32_t picture_height, int32_t area_width,
                   int32_t area_height) {
  // 64-bit throughout: area × picture side overflows 32 bits for large values.
  const int64_t w = std::max(picture_width, 0);
  const int64_t h = std::max(picture_height, 0);
  const int64_t cw = std::max(area_width, 0);
  const int64_t ch = std::max(area_height, 0);

  int64_t width = w;
  int64_t height = h;
  // With all sizes non-negative, each division below only runs with a
  // positive divisor: a picture that does not fit has a positive longer side,
  // and the second step is reached only when the first gave a positive
  // result, which needs a positive numerator side.
  if (w > cw || h > ch) {
    if (w > h) {
      width = cw;
      height = cw * h / w;
      if (height > ch) {
        height = ch;
        width = ch * w / h;
      }
    } else {
      height = ch;
      width = ch * w / h;
      if (width > cw) {
        width = cw;
        height = cw * h / w;
      }
    }
  }
  return FitRect{static_cast<int32_t>((cw - width) / 2), static_cast<int32_t>((ch - height) / 2),
                 static_cast<int32_t>(width), static_cast<int32_t>(height)};
}

}  // namespace kelvora_image
