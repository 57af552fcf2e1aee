// The halftone lookup: each channel cut to its top five bits and taken at
// the middle of that step, then the nearest table entry by squared
// distance, the first of equals. Expected indices are worked out by hand.
#include "toolkit/graphics/halftone_map.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

using kelvora_image::HalftoneMap;
using kelvora_image::RgbQuad;

RgbQuad Rgb(uint8_t r, uint8_t g, uint8_t b) { return {b, g, r, 0}; }

TEST(HalftoneMap, ExactTableColoursMapToThemselvesWhenTheStepsKeepThemNearest) {
  const std::vector<RgbQuad> table{Rgb(0, 0, 0), Rgb(255, 255, 255), Rgb(128, 0, 0), Rgb(0, 128, 0),
                                   Rgb(0, 0, 128)};
  const HalftoneMap map(table);
  EXPECT_EQ(map.Index(0, 0, 0), 0);
  EXPECT_EQ(map.Index(255, 255, 255), 1);
  EXPECT_EQ(map.Index(128, 0, 0), 2);
  EXPECT_EQ(map.Index(0, 128, 0), 3);
  EXPECT_EQ(map.Index(0, 0, 128), 4);
  EXPECT_EQ(map.Table(), table);
}

TEST(HalftoneMap, MatchesTheMiddleOfTheFiveBitStepNotTheColourItself) {
  // Green 16 lies exactly between 0 and 32, so the colour itself is as near
  // to one entry as to the other; its step's middle, 20, is nearer to 32.
  const HalftoneMap map(std::vector<RgbQuad>{Rgb(0, 0, 64), Rgb(0, 32, 64)});
  EXPECT_EQ(map.Index(0, 16, 0x21), 1);
  // Every colour of a step gets the same entry: 0..7 all match 4.
  const HalftoneMap dark(std::vector<RgbQuad>{Rgb(0, 0, 0), Rgb(7, 7, 7)});
  EXPECT_EQ(dark.Index(0, 0, 0), 1);  // middle 4: distance 3 x 9 = 27 to (7,7,7), 48 to black
  EXPECT_EQ(dark.Index(7, 7, 7), 1);
  EXPECT_EQ(dark.Index(8, 8, 8), 1);
}

TEST(HalftoneMap, TheFirstOfEquallyNearEntriesWins) {
  // Middle of step 0 is 4: entries at 0 and 8 are both 4 away in red.
  const HalftoneMap map(std::vector<RgbQuad>{Rgb(8, 4, 4), Rgb(0, 4, 4), Rgb(8, 4, 4)});
  EXPECT_EQ(map.Index(3, 2, 1), 0);
  const HalftoneMap swapped(std::vector<RgbQuad>{Rgb(0, 4, 4), Rgb(8, 4, 4)});
  EXPECT_EQ(swapped.Index(3, 2, 1), 0);
  // Duplicates: the first copy.
  const HalftoneMap copies(std::vector<RgbQuad>{Rgb(200, 0, 0), Rgb(10, 10, 10), Rgb(10, 10, 10)});
  EXPECT_EQ(copies.Index(10, 10, 10), 1);
}

TEST(HalftoneMap, ChannelsAreWeighedAlike) {
  // Middle (252, 4, 4): (255, 0, 0) is 9 + 16 + 16 = 41 away, (240, 0, 0) 144 + 32.
  const HalftoneMap map(std::vector<RgbQuad>{Rgb(240, 0, 0), Rgb(255, 0, 0), Rgb(0, 0, 0)});
  EXPECT_EQ(map.Index(250, 3, 2), 1);
  EXPECT_EQ(map.Index(100, 3, 2), 2);  // middle 100: 140 from red 240, 100 from black
  EXPECT_EQ(map.Index(175, 3, 2), 0);  // middle 172: 68 from 240, 83 from 255, 172 from 0
}

TEST(HalftoneMap, MapRowReadsBlueGreenRedAndIgnoresTheFourthByte) {
  const HalftoneMap map(std::vector<RgbQuad>{Rgb(0, 0, 0), Rgb(255, 0, 0), Rgb(0, 255, 0), Rgb(0, 0, 255)});
  const std::array<uint8_t, 20> pixels{0, 0, 250, 0xAA,  // red
                                       0, 250, 0, 0x55,  // green
                                       250, 0, 0, 0xFF,  // blue
                                       1, 2, 3, 0x00,    // black
                                       0, 0, 255, 0x12};
  std::array<uint8_t, 6> out{9, 9, 9, 9, 9, 9};
  map.MapRow(pixels.data(), 5, out.data());
  EXPECT_EQ(out, (std::array<uint8_t, 6>{1, 2, 3, 0, 1, 9}));
}

TEST(HalftoneMap, AShortTableIndexesOnlyItsOwnEntries) {
  const HalftoneMap map(std::vector<RgbQuad>{Rgb(90, 90, 90)});
  for (int v = 0; v < 256; v += 5) EXPECT_EQ(map.Index(v, 255 - v, v / 2), 0);
}

}  // namespace
