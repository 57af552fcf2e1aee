#pragma once
// Where the capture viewer draws its picture: centred in the image area,
// shrunk with its aspect ratio kept when it does not fit, never enlarged.
#include <cstdint>

namespace kelvora_image {

struct FitRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;

  friend bool operator==(const FitRect&, const FitRect&) = default;
};

// The rectangle, relative to the area's top-left corner, in which a picture
// of picture_width × picture_height is drawn inside an area of
// area_width × area_height:
// 1. a picture that fits is drawn at its own size;
// 2. otherwise, when wider than tall, the width becomes the area's and the
//    height follows (truncated), and if that height is still too large the
//    height becomes the area's and the width follows; when not wider than
//    tall, the same with height first;
// 3. the result is centred, the offsets rounded toward zero.
// Negative sizes count as 0; an empty picture gives an empty rectangle at the
// centre of the area.
FitRect FitPicture(int32_t picture_width, int32_t picture_height, int32_t area_width,
                   int32_t area_height);

}  // namespace kelvora_image
