// Pictures against the real GDI: the banner's JPEG and the icons from this
// program's resources, the choice of graphic class by extension, and the
// picture error for damaged files (never a crash, never an exit).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/win/win_test_support.h"
#include "toolkit/core/exceptions.h"
#include "toolkit/core/file_stream.h"
#include "toolkit/graphics/graphic.h"

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
