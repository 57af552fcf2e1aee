// Pictures against the real GDI: the banner's JPEG and the icons from this
// program's resources, the choice of graphic class by extension, and the
// picture error for damaged files (never a crash, never an exit).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/support/bmp_reference.h"
#include "tests/support/win_support.h"
#include "tests/win/win_test_support.h"
#include "toolkit/core/exceptions.h"
#include "toolkit/forms/image.h"
#include "toolkit/graphics/bitmap.h"
#include "toolkit/graphics/jpeg_image.h"
#include "toolkit/graphics/metafile.h"
#include "toolkit/graphics/picture.h"
#include "toolkit/win/file_stream.h"

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> Resource(int id) {
  HRSRC res = FindResourceW(nullptr, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10));
  HGLOBAL data = LoadResource(nullptr, res);
  const auto* bytes = static_cast<const uint8_t*>(LockResource(data));
  return std::vector<uint8_t>(bytes, bytes + SizeofResource(nullptr, res));
}

class PictureFiles : public testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / L"kelvora-graphics-test";
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  std::wstring Write(const wchar_t* name, const std::vector<uint8_t>& bytes) {
    const fs::path p = dir / name;
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                             static_cast<std::streamsize>(bytes.size()));
    return p.wstring();
  }
  fs::path dir;
};

TEST_F(PictureFiles, TheBannerJpegDecodesAndDraws) {
  TPicture picture;
  picture.LoadJpegResource(IDR_BANNER_JPEG);
  EXPECT_EQ(picture.Width(), 130);
  EXPECT_EQ(picture.Height(), 210);
  // Drawn stretched into the banner's 65 x 105 box, it is not blank.
  unique_hdc dc(CreateCompatibleDC(nullptr));
  window_dc screen(nullptr);
  unique_hbitmap target(CreateCompatibleBitmap(screen.get(), 65, 105));
  select_object keep(dc.get(), target.get());
  PatBlt(dc.get(), 0, 0, 65, 105, BLACKNESS);
  picture.Graphic()->Draw(dc.get(), {0, 0, 65, 105});
  int lit = 0;
  for (int y = 0; y < 105; y += 5)
    for (int x = 0; x < 65; x += 5) lit += GetPixel(dc.get(), x, y) != 0;
  EXPECT_GT(lit, 200);
}

TEST_F(PictureFiles, DamagedJpegsRaiseThePictureError) {
  std::vector<uint8_t> jpeg = Resource(IDR_BANNER_JPEG);
  std::vector<std::vector<uint8_t>> damaged = {
      {},
      {0xFF, 0xD8, 0xFF},
      std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + 40),
      std::vector<uint8_t>(5000, 0xFF),
  };
  std::vector<uint8_t> broken_header = jpeg;
  for (size_t i = 2; i < 200 && i < broken_header.size(); ++i) broken_header[i] ^= 0x5A;
  damaged.push_back(broken_header);
  for (size_t i = 0; i < damaged.size(); ++i) {
    TPicture picture;
    const std::wstring path = Write(L"damaged.JPG", damaged[i]);
    EXPECT_THROW(picture.LoadFromFile(path), EInvalidGraphic) << "case " << i;
    EXPECT_EQ(picture.Graphic(), nullptr) << "case " << i;
  }
}

TEST_F(PictureFiles, TheExtensionChoosesTheGraphicClassWhateverItsCase) {
  TPicture picture;
  picture.LoadFromFile(Write(L"banner.JpEg", Resource(IDR_BANNER_JPEG)));
  EXPECT_NE(dynamic_cast<TJPEGImage*>(picture.Graphic()), nullptr);
  // A BMP under a .jpg name is read as a JPEG, and fails as one.
  TBitmap small;
  small.SetPixelFormat(TPixelFormat::pf24bit);
  small.SetWidth(3);
  small.SetHeight(2);
  const std::vector<uint8_t> bmp = small.SaveToBytes();
  EXPECT_THROW(picture.LoadFromFile(Write(L"really-a-bitmap.jpg", bmp)), EInvalidGraphic);
  picture.LoadFromFile(Write(L"capture.BMP", bmp));
  ASSERT_NE(dynamic_cast<TBitmap*>(picture.Graphic()), nullptr);
  EXPECT_EQ(picture.Width(), 3);
  try {
    picture.LoadFromFile(Write(L"notes.txt", bmp));
    FAIL();
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), L"Unknown picture file extension (.txt)");
  }
  EXPECT_EQ(picture.Width(), 3) << "a failed load keeps the picture";
}

TEST_F(PictureFiles, ABadBitmapIsNotValidAndAnEmptyOneLoadsEmpty) {
  TPicture picture;
  try {
    picture.LoadFromFile(Write(L"bad.bmp", {'B', 'M', 1, 2, 3}));
    FAIL();
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), L"Bitmap image is not valid");
  }
  picture.LoadFromFile(Write(L"empty.bmp", {}));
  EXPECT_EQ(picture.Width(), 0);
  picture.SaveToFile((dir / L"copy.bmp").wstring());
  EXPECT_EQ(fs::file_size(dir / L"copy.bmp"), 0u) << "an empty picture saves as an empty file";
}

TEST_F(PictureFiles, APictureSavedBandByBandIsTheFileEncodedWhole) {
  // Tall enough for several bands and a short last one; odd widths so the
  // rows are padded. The whole-picture encoding reads every row at once,
  // through the tests' own reading of the bitmap.
  struct Case {
    TPixelFormat format;
    int width, height;
  };
  for (const Case& c : {Case{TPixelFormat::pf8bit, 1001, 797}, Case{TPixelFormat::pf24bit, 333, 1001},
                        Case{TPixelFormat::pf32bit, 700, 300}}) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(c.format);
    bitmap.SetWidth(c.width);
    bitmap.SetHeight(c.height);
    HDC dc = bitmap.Canvas().Handle();
    for (int y = 0; y < c.height; y += 7) {
      unique_hbrush brush(CreateSolidBrush(RGB(y * 5 % 256, y % 256, (y * 3 + 128) % 256)));
      const RECT row{(y * 13) % c.width, y, c.width, std::min(y + 7, c.height)};
      FillRect(dc, &row, brush.get());
    }
    const std::wstring path = (dir / L"bands.bmp").wstring();
    bitmap.SaveToFile(path);
    const std::vector<uint8_t> whole = kelvora_image::EncodeBmp(WholeImage(bitmap));
    EXPECT_EQ(ReadWholeFile(path), whole) << c.width << " x " << c.height;
    EXPECT_EQ(bitmap.SaveToBytes(), whole) << c.width << " x " << c.height;
  }
}

TEST_F(PictureFiles, IconsLoadFromFilesAndResources) {
  TPicture picture;
  picture.LoadIconResource(IDI_CORNER, 16);
  EXPECT_EQ(picture.Width(), 16);
  EXPECT_EQ(picture.Height(), 16);
  EXPECT_THROW(picture.LoadFromFile(Write(L"bad.ico", {0, 0, 1, 0, 1, 0, 16, 16})), EInvalidGraphic);
}

TEST_F(PictureFiles, MetafilesLoadAndDamagedOnesRaiseThePictureError) {
  // A 2 x 1 inch enhanced metafile with one rectangle.
  const RECT frame{0, 0, 5080, 2540};
  HDC recorder = CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
  ASSERT_NE(recorder, nullptr);
  Rectangle(recorder, 10, 10, 100, 50);
  unique_henhmetafile emf(CloseEnhMetaFile(recorder));
  std::vector<uint8_t> bytes(GetEnhMetaFileBits(emf.get(), 0, nullptr));
  GetEnhMetaFileBits(emf.get(), static_cast<UINT>(bytes.size()), bytes.data());
  TPicture picture;
  picture.LoadFromFile(Write(L"drawing.EMF", bytes));
  ASSERT_NE(dynamic_cast<TMetafile*>(picture.Graphic()), nullptr);
  EXPECT_NEAR(picture.Width(), 192, 2);
  EXPECT_NEAR(picture.Height(), 96, 2);
  TPicture other;
  EXPECT_THROW(other.LoadFromFile(Write(L"damaged.emf", {1, 2, 3, 4, 5, 6, 7, 8})), EInvalidGraphic);
  EXPECT_EQ(other.Graphic(), nullptr);
}

// A 32-bit top-down picture, white, that a graphic is drawn on; pixels are
// read back as 0x00RRGGBB.
class Sheet {
 public:
  Sheet(int width, int height) : width_(width) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    bits_ = static_cast<const uint32_t*>(bits);
    dc_.reset(CreateCompatibleDC(nullptr));
    old_ = SelectObject(dc_.get(), bitmap_.get());
    PatBlt(dc_.get(), 0, 0, width, height, WHITENESS);
  }
  ~Sheet() { SelectObject(dc_.get(), old_); }
  HDC Dc() const { return dc_.get(); }
  uint32_t At(int x, int y) const {
    GdiFlush();
    return bits_[static_cast<size_t>(y) * width_ + x] & 0xFFFFFF;
  }

 private:
  int width_;
  unique_hbitmap bitmap_;
  unique_hdc dc_;
  HGDIOBJ old_ = nullptr;
  const uint32_t* bits_ = nullptr;
};

constexpr uint32_t Rgb(int r, int g, int b) { return static_cast<uint32_t>(r << 16 | g << 8 | b); }

// A placeable metafile written out by hand: 1440 x 720 units at 1440 per
// inch, a window of 10 x 10 logical units, one blue rectangle over its
// left half.
std::vector<uint8_t> HandMadeMetafile() {
  std::vector<uint8_t> out;
  const auto word = [&](unsigned v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>(v >> 8 & 0xFF));
  };
  // Placeable header: key, no handle, box 0,0,1440,720, 1440 per inch,
  // reserved, checksum of the ten words before it.
  const unsigned placeable[10] = {0xCDD7, 0x9AC6, 0, 0, 0, 1440, 720, 1440, 0, 0};
  unsigned checksum = 0;
  for (unsigned w : placeable) {
    word(w);
    checksum ^= w;
  }
  word(checksum);
  // Metafile header (in memory, 9 words, version 3), 40 words in all, one
  // object, largest record 7 words.
  for (unsigned w : {1u, 9u, 0x300u, 40u, 0u, 1u, 7u, 0u, 0u}) word(w);
  for (unsigned w : {5u, 0u, 0x020Bu, 0u, 0u}) word(w);               // window origin 0,0
  for (unsigned w : {5u, 0u, 0x020Cu, 10u, 10u}) word(w);             // window extent 10 x 10
  for (unsigned w : {7u, 0u, 0x02FCu, 0u, 0x0000u, 0x00FFu, 0u}) word(w);  // solid blue brush
  for (unsigned w : {4u, 0u, 0x012Du, 0u}) word(w);                   // selected
  for (unsigned w : {7u, 0u, 0x041Bu, 11u, 5u, 0u, 0u}) word(w);      // rectangle 0,0 - 5,11
  for (unsigned w : {3u, 0u, 0u}) word(w);                            // end of file
  return out;
}

TEST_F(PictureFiles, APlaceableMetafileIsItsUnitsPerInchAt96DotsAndDrawsUnstretched) {
  TPicture picture;
  picture.LoadFromFile(Write(L"hand.wmf", HandMadeMetafile()));
  ASSERT_NE(dynamic_cast<TMetafile*>(picture.Graphic()), nullptr);
  // 1440 units at 1440 per inch: one inch, 96 pixels; 720: half of that.
  EXPECT_EQ(picture.Width(), 96);
  EXPECT_EQ(picture.Height(), 48);
  Sheet sheet(120, 60);
  picture.Graphic()->Draw(sheet.Dc(), {0, 0, picture.Width(), picture.Height()});
  EXPECT_EQ(sheet.At(10, 24), Rgb(0, 0, 255));
  EXPECT_EQ(sheet.At(44, 40), Rgb(0, 0, 255));
  EXPECT_EQ(sheet.At(60, 24), Rgb(255, 255, 255)) << "the right half is not painted";
  EXPECT_EQ(sheet.At(105, 24), Rgb(255, 255, 255));
}

TEST_F(PictureFiles, TheResourceMetafilesLoadAtTheirOwnSize) {
  TPicture done;
  done.LoadMetafileResource(IDR_DONE_PICTURE);
  ASSERT_NE(dynamic_cast<TMetafile*>(done.Graphic()), nullptr);
  // 814 x 825 units at 1000 per inch: 78.1 x 79.2 pixels at 96 per inch.
  EXPECT_EQ(done.Width(), 78);
  EXPECT_EQ(done.Height(), 79);
  TPicture flag;
  flag.LoadMetafileResource(IDR_FAREWELL_PICTURE);
  // 4823 x 3532 units at 1440 per inch: 321.5 x 235.5 pixels, cut down.
  EXPECT_EQ(flag.Width(), 321);
  EXPECT_EQ(flag.Height(), 235);
  constexpr int kNoSuchResource = 9999;
  EXPECT_THROW(flag.LoadMetafileResource(kNoSuchResource), EInvalidGraphic);
  EXPECT_EQ(flag.Width(), 321) << "a failed load keeps the picture";
}

TEST_F(PictureFiles, TheFlagDrawsUnstretchedInAnImageOfTheWindowsSize) {
  TImage image(nullptr);
  image.SetBounds(0, 0, 321, 233);
  image.Picture().LoadMetafileResource(IDR_FAREWELL_PICTURE);
  const RECT dest = image.DestRect();
  EXPECT_EQ(dest.right - dest.left, 321);
  EXPECT_EQ(dest.bottom - dest.top, 235);
  Sheet sheet(360, 260);
  image.Paint(sheet.Dc());
  const uint32_t red = Rgb(191, 0, 0), yellow = Rgb(255, 255, 128), white = Rgb(255, 255, 255);
  for (POINT p : {POINT{250, 150}, POINT{2, 2}, POINT{318, 2}, POINT{2, 232}, POINT{318, 232}, POINT{160, 60}})
    EXPECT_EQ(sheet.At(p.x, p.y), red) << p.x << "," << p.y;
  // The grid is 30 x 20 over 321.5 x 235.5 pixels: the large star's centre
  // (5, 5) is at 53.6, 58.9, a small one's (10, 2) at 107.2, 23.6.
  EXPECT_EQ(sheet.At(53, 58), yellow);
  EXPECT_EQ(sheet.At(107, 23), yellow);
  // Between the large star and the small ones the field shows again.
  EXPECT_EQ(sheet.At(95, 58), red);
  EXPECT_EQ(sheet.At(340, 100), white) << "nothing right of the picture";
  EXPECT_EQ(sheet.At(100, 250), white) << "nothing below it";
}

TEST_F(PictureFiles, TheDonePictureIsGreenClipArt) {
  TPicture done;
  done.LoadMetafileResource(IDR_DONE_PICTURE);
  Sheet sheet(100, 100);
  done.Graphic()->Draw(sheet.Dc(), {0, 0, done.Width(), done.Height()});
  int green = 0, other = 0;
  for (int y = 0; y < 79; ++y)
    for (int x = 0; x < 78; ++x) {
      const uint32_t c = sheet.At(x, y);
      const int r = c >> 16, g = c >> 8 & 0xFF, b = c & 0xFF;
      if (c == Rgb(255, 255, 255)) continue;
      (g > r && g > b ? green : other)++;
    }
  EXPECT_GT(green, 3000);
  EXPECT_EQ(other, 0);
  EXPECT_EQ(sheet.At(90, 40), Rgb(255, 255, 255)) << "nothing right of the picture";
}

TEST_F(PictureFiles, ReadingAMissingFileNamesIt) {
  TPicture picture;
  const std::wstring path = (dir / L"absent.bmp").wstring();
  try {
    picture.LoadFromFile(path);
    FAIL();
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), L"Cannot open file " + path);
  }
}

}  // namespace
