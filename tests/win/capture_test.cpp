// Region and desktop capture against the real screen: a window with a known
// picture is captured, and the bitmap and the capture file must hold exactly
// its pixels, in the depth and with the colour table each command gives.
// The commands themselves run on a real intro window with their questions
// answered by a watcher; failed writes must leave earlier files as they were.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "forms/capture/screen_capture.h"
#include "forms/intro/form1.h"
#include "tests/support/bmp_reference.h"
#include "tests/support/win_support.h"
#include "tests/win/screen_pixels.h"
#include "tests/win/win_test_support.h"
#include "toolkit/core/exceptions.h"
#include "toolkit/forms/screen.h"
#include "toolkit/graphics/bmp_codec.h"
#include "toolkit/win/file_stream.h"

namespace {

using kelvora_image::BmpImage;
using kelvora_image::RgbQuad;

// The picture the region tests capture: a different colour at each pixel,
// so that a capture one pixel off shows.
const RECT kPatternPlace{40, 30, 40 + 256, 30 + 160};
Rgb RegionPattern(int x, int y) { return MakeRgb(x * 37 + y, y * 59 + x / 3, (x / 7) * 23 + (y / 5) * 11); }

std::vector<RgbQuad> HalftoneEntries() {
  std::vector<RgbQuad> out;
  for (const PALETTEENTRY& e : ScreenHalftoneEntries()) out.push_back({e.peBlue, e.peGreen, e.peRed, 0});
  return out;
}

int ScreenBits() {
  HDC screen = GetDC(nullptr);
  const int bits = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
  ReleaseDC(nullptr, screen);
  return bits;
}

uint32_t U32(const std::vector<uint8_t>& f, size_t at) {
  uint32_t v;
  std::memcpy(&v, f.data() + at, 4);
  return v;
}
uint16_t U16(const std::vector<uint8_t>& f, size_t at) {
  uint16_t v;
  std::memcpy(&v, f.data() + at, 2);
  return v;
}

// The file's headers as written: the fields the capture file's layout fixes.
void ExpectHeaders(const std::vector<uint8_t>& f, int width, int height, int bits, uint32_t table) {
  ASSERT_GE(f.size(), 54u);
  const size_t stride = kelvora_image::RowStride(width, static_cast<uint16_t>(bits));
  EXPECT_EQ(f[0], 'B');
  EXPECT_EQ(f[1], 'M');
  EXPECT_EQ(U32(f, 2), f.size()) << "bfSize";
  EXPECT_EQ(U32(f, 6), 0u) << "reserved";
  EXPECT_EQ(U32(f, 10), 54 + 4 * table) << "bfOffBits";
  EXPECT_EQ(U32(f, 14), 40u) << "biSize";
  EXPECT_EQ(static_cast<int32_t>(U32(f, 18)), width);
  EXPECT_EQ(static_cast<int32_t>(U32(f, 22)), height) << "positive: bottom-up rows";
  EXPECT_EQ(U16(f, 26), 1u) << "planes";
  EXPECT_EQ(U16(f, 28), bits);
  EXPECT_EQ(U32(f, 30), 0u) << "BI_RGB";
  EXPECT_EQ(U32(f, 34), stride * height) << "biSizeImage";
  EXPECT_EQ(U32(f, 38), 0u);
  EXPECT_EQ(U32(f, 42), 0u);
  EXPECT_EQ(U32(f, 46), table) << "biClrUsed";
  EXPECT_EQ(U32(f, 50), 0u) << "biClrImportant";
  EXPECT_EQ(f.size(), 54 + 4 * table + stride * height);
}

// Compares a decoded picture with the expected colour of each pixel
// (picture coordinates, top row first).
void ExpectPixels(const BmpImage& image, const std::function<Rgb(int x, int y)>& want) {
  const std::vector<uint32_t> argb = kelvora_image::ToArgb(image);
  ASSERT_EQ(argb.size(), static_cast<size_t>(image.width) * image.height);
  int wrong = 0;
  std::ostringstream first;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      const Rgb got = argb[static_cast<size_t>(y) * image.width + x] & 0xFFFFFF;
      if (got != want(x, y) && ++wrong <= 5)
        first << " (" << x << ", " << y << "): " << std::hex << got << " not " << want(x, y) << std::dec;
    }
  EXPECT_EQ(wrong, 0) << first.str();
}

std::wstring Join(const std::wstring& folder, const std::wstring& name) { return folder + L"\\" + name; }

// A fresh folder made the process's current directory for one test.
class TempCurrentDir {
 public:
  TempCurrentDir() {
    wchar_t base[MAX_PATH], previous[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    GetCurrentDirectoryW(MAX_PATH, previous);
    previous_ = previous;
    path_ = std::wstring(base) + L"kelvora-capture-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(counter_++);
    CreateDirectoryW(path_.c_str(), nullptr);
    SetCurrentDirectoryW(path_.c_str());
  }
  ~TempCurrentDir() {
    SetCurrentDirectoryW(previous_.c_str());
    for (const std::wstring& name : Files()) {
      SetFileAttributesW(Join(path_, name).c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(Join(path_, name).c_str());
    }
    RemoveDirectoryW(path_.c_str());
  }
  const std::wstring& Path() const { return path_; }
  std::vector<std::wstring> Files() const {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW(Join(path_, L"*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
      const std::wstring name = found.cFileName;
      if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(h, &found));
    FindClose(h);
    return names;
  }

 private:
  static inline int counter_ = 0;
  std::wstring path_, previous_;
};

const std::wstring kCaptureName = L"新截图1.BMP";

// ---- the capture routines ---------------------------------------------------

class CaptureRoutineTest : public testing::Test {};

TEST_F(CaptureRoutineTest, RegionCaptureHoldsExactlyThePixelsInTheScreensDepth) {
  PatternWindow pattern(kPatternPlace, RegionPattern);
  // Odd sizes, so rows need padding in every depth.
  const RECT area{kPatternPlace.left + 20, kPatternPlace.top + 13, kPatternPlace.left + 20 + 101,
                  kPatternPlace.top + 13 + 37};
  TBitmap bitmap;
  {
    window_dc screen(nullptr);
    CaptureScreenRect(screen.get(), area, bitmap);
  }
  ASSERT_EQ(bitmap.Width(), 101);
  ASSERT_EQ(bitmap.Height(), 37);
  const std::vector<uint8_t> file = bitmap.SaveToBytes();
  const int bits = ScreenBits();
  ASSERT_GT(bits, 8) << "this test wants a high- or true-colour display";
  ExpectHeaders(file, 101, 37, bits, 256);
  const BmpImage image = kelvora_image::DecodeBmp(file);
  EXPECT_EQ(image.bits_per_pixel, bits) << "the screen's depth is kept";
  EXPECT_EQ(image.palette, HalftoneEntries()) << "the halftone palette as the additional table";
  ExpectPixels(image, [](int x, int y) { return RegionPattern(x + 20, y + 13); });
}

TEST_F(CaptureRoutineTest, CornersDraggedUpAndLeftCaptureTheSameArea) {
  PatternWindow pattern(kPatternPlace, RegionPattern);
  const int l = kPatternPlace.left + 5, t = kPatternPlace.top + 7, r = l + 64, b = t + 33;
  auto capture = [](const RECT& dragged) {
    TBitmap bitmap;
    window_dc screen(nullptr);
    CaptureScreenRect(screen.get(), dragged, bitmap);
    return kelvora_image::DecodeBmp(bitmap.SaveToBytes());
  };
  for (const RECT& dragged : {RECT{r, b, l, t}, RECT{r, t, l, b}, RECT{l, b, r, t}}) {
    const BmpImage image = capture(dragged);
    ASSERT_EQ(image.width, 64);
    ASSERT_EQ(image.height, 33);
    ExpectPixels(image, [](int x, int y) { return RegionPattern(x + 5, y + 7); });
  }
}

TEST_F(CaptureRoutineTest, ZeroWidthOrHeightGivesTheEmptyPicture) {
  for (const RECT& dragged : {RECT{70, 40, 70, 90}, RECT{70, 40, 170, 40}, RECT{5, 5, 5, 5}}) {
    TBitmap bitmap;
    window_dc screen(nullptr);
    CaptureScreenRect(screen.get(), dragged, bitmap);
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_TRUE(bitmap.SaveToBytes().empty());
  }
}

TEST_F(CaptureRoutineTest, DesktopCaptureIsEightBitWithTheHalftonePalette) {
  const std::vector<RgbQuad> halftone = HalftoneEntries();
  ASSERT_EQ(halftone.size(), 256u);
  // Blocks of exact halftone colours: their nearest table colour is themselves.
  auto block_colour = [&](int x, int y) {
    const RgbQuad& q = halftone[(x / 8 + (y / 8) * 7) % 256];
    return MakeRgb(q.red, q.green, q.blue);
  };
  PatternWindow pattern(kPatternPlace, block_colour);
  TBitmap bitmap;
  {
    window_dc screen(nullptr, window_dc::Area::Window);
    CaptureDesktop(screen.get(), bitmap);
  }
  const int width = Screen().Width(), height = Screen().Height();
  const std::vector<uint8_t> file = bitmap.SaveToBytes();
  ExpectHeaders(file, width, height, 8, 256);
  const BmpImage image = kelvora_image::DecodeBmp(file);
  ASSERT_EQ(image.bits_per_pixel, 8);
  EXPECT_EQ(image.palette, halftone);
  const std::vector<uint32_t> argb = kelvora_image::ToArgb(image);
  int wrong = 0;
  for (int y = kPatternPlace.top; y < kPatternPlace.bottom; ++y)
    for (int x = kPatternPlace.left; x < kPatternPlace.right; ++x)
      if ((argb[static_cast<size_t>(y) * width + x] & 0xFFFFFF) !=
          block_colour(x - kPatternPlace.left, y - kPatternPlace.top))
        ++wrong;
  EXPECT_EQ(wrong, 0) << "pixels of the pattern window in the desktop capture";
}

// ---- the commands on a real intro window ------------------------------------

class CaptureCommandTest : public testing::Test {
 protected:
  void SetUp() override {
    form = new TForm1(Application);
    // The banner stays out of the way of the pattern window either way;
    // hiding it keeps the desktop captures quiet.
    form->Timer1Timer(form->Timer1);
  }
  void TearDown() override {
    delete form;
    ShowWindow(Application->Handle(), SW_HIDE);
  }
  std::vector<uint8_t> CaptureFile(const TempCurrentDir& dir) const {
    return ReadWholeFile(Join(dir.Path(), kCaptureName));
  }
  TForm1* form = nullptr;
};

TEST_F(CaptureCommandTest, RegionCaptureWritesTheCaptureFileThenAsks) {
  TempCurrentDir dir;
  PatternWindow pattern(kPatternPlace, RegionPattern);
  DialogWatcher watcher(IDNO);
  // Dragged from bottom right to top left, as the selector hands it over.
  RECT dragged{kPatternPlace.left + 90, kPatternPlace.top + 70, kPatternPlace.left + 11, kPatternPlace.top + 3};
  form->CaptureRect(dragged);
  EXPECT_EQ(dragged.left, kPatternPlace.left + 90) << "the caller's rectangle is left as it was";
  ASSERT_EQ(watcher.Seen().size(), 1u);
  EXPECT_EQ(watcher.Seen()[0].text, L"=Orvak=询问：\r\r图片是否保存？");
  EXPECT_EQ(watcher.Seen()[0].caption, L"Kelvora2.0");
  EXPECT_EQ(watcher.Seen()[0].owner, Application->Handle());
  const std::vector<uint8_t> file = CaptureFile(dir);
  ExpectHeaders(file, 79, 67, ScreenBits(), 256);
  const BmpImage image = kelvora_image::DecodeBmp(file);
  EXPECT_EQ(image.palette, HalftoneEntries());
  ExpectPixels(image, [](int x, int y) { return RegionPattern(x + 11, y + 3); });
  EXPECT_EQ(dir.Files(), std::vector<std::wstring>{kCaptureName}) << "no temporary file left behind";
}

TEST_F(CaptureCommandTest, AClickWithoutDragWritesAnEmptyCaptureFileAndAsksNothing) {
  TempCurrentDir dir;
  WriteWholeFile(Join(dir.Path(), kCaptureName), std::vector<uint8_t>(100, 7));
  DialogWatcher watcher(IDNO);
  RECT dragged{200, 150, 200, 150};
  form->CaptureRect(dragged);
  PumpFor(200);
  EXPECT_TRUE(watcher.Seen().empty());
  EXPECT_TRUE(CaptureFile(dir).empty()) << "the capture file is rewritten, empty";
}

TEST_F(CaptureCommandTest, DesktopCaptureWritesTheCaptureFileThenAsksWithThreeChoices) {
  TempCurrentDir dir;
  DialogWatcher watcher(IDCANCEL);
  form->N2Click(form->N2);
  ASSERT_EQ(watcher.Seen().size(), 1u) << "Cancel ends the command";
  EXPECT_EQ(watcher.Seen()[0].text,
            L"“是”按钮=自己指定保存路径；\n\n“否”按钮=直接存成文件D:\\新截图1.BMP；\n\n“取消”按钮=什么都不做！");
  EXPECT_EQ(watcher.Seen()[0].caption, L"存档or显示");
  EXPECT_EQ(watcher.Seen()[0].owner, form->Handle());
  const std::vector<uint8_t> file = CaptureFile(dir);
  ExpectHeaders(file, Screen().Width(), Screen().Height(), 8, 256);
  EXPECT_EQ(kelvora_image::DecodeBmp(file).palette, HalftoneEntries());
}

TEST_F(CaptureCommandTest, AReadOnlyCaptureFileStopsTheCommandAndKeepsItsContent) {
  TempCurrentDir dir;
  const std::wstring path = Join(dir.Path(), kCaptureName);
  const std::vector<uint8_t> old = {'o', 'l', 'd'};
  WriteWholeFile(path, old);
  ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
  PatternWindow pattern(kPatternPlace, RegionPattern);
  DialogWatcher watcher(IDNO);
  RECT dragged{kPatternPlace.left, kPatternPlace.top, kPatternPlace.left + 30, kPatternPlace.top + 30};
  std::wstring message;
  try {
    form->CaptureRect(dragged);
  } catch (const EFCreateError& e) {
    message = e.Message();
  }
  EXPECT_EQ(message, L"Cannot create file .\\新截图1.BMP");
  PumpFor(200);
  EXPECT_TRUE(watcher.Seen().empty()) << "no question after a failed write";
  EXPECT_EQ(CaptureFile(dir), old);
  EXPECT_EQ(dir.Files(), std::vector<std::wstring>{kCaptureName}) << "no temporary file left behind";
}

// ---- the capture file's writer ------------------------------------------------

TEST(CaptureFileWrite, AReadOnlyTargetIsLeftUntouched) {
  TempCurrentDir dir;
  const std::wstring path = Join(dir.Path(), L"kept.bmp");
  WriteWholeFile(path, std::vector<uint8_t>{1, 2, 3, 4});
  ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
  std::wstring message;
  try {
    WriteWholeFile(path, std::vector<uint8_t>(5000, 9));
  } catch (const EFCreateError& e) {
    message = e.Message();
  }
  EXPECT_EQ(message, L"Cannot create file " + path);
  EXPECT_EQ(ReadWholeFile(path), (std::vector<uint8_t>{1, 2, 3, 4}));
  EXPECT_EQ(dir.Files(), std::vector<std::wstring>{L"kept.bmp"});
}

TEST(CaptureFileWrite, AFolderThatDoesNotExistIsReportedWithThePath) {
  TempCurrentDir dir;
  const std::wstring path = Join(dir.Path(), L"missing\\新截图1.BMP");
  std::wstring message;
  try {
    WriteWholeFile(path, std::vector<uint8_t>(10, 1));
  } catch (const EFCreateError& e) {
    message = e.Message();
  }
  EXPECT_EQ(message, L"Cannot create file " + path);
  EXPECT_TRUE(dir.Files().empty());
}

TEST(CaptureFileWrite, AStreamStoppedBeforeItsEndLeavesTheOldFileAndNoTemporary) {
  TempCurrentDir dir;
  const std::wstring path = Join(dir.Path(), kCaptureName);
  WriteWholeFile(path, std::vector<uint8_t>{1, 2, 3});
  try {
    TFileStream stream(path);
    stream.Write(std::vector<uint8_t>(300000, 4));
    // A picture that fails to read its next band stops the save here.
    throw EInvalidGraphic(L"Bitmap image is not valid");
  } catch (const EInvalidGraphic&) {
  }
  EXPECT_EQ(ReadWholeFile(path), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(dir.Files(), std::vector<std::wstring>{kCaptureName});
  {
    TFileStream stream(path);
    stream.Write(std::vector<uint8_t>{7});
    stream.Write(std::vector<uint8_t>{8, 9});
    EXPECT_EQ(ReadWholeFile(path), (std::vector<uint8_t>{1, 2, 3})) << "replaced only at the commit";
    stream.Commit();
  }
  EXPECT_EQ(ReadWholeFile(path), (std::vector<uint8_t>{7, 8, 9}));
  EXPECT_EQ(dir.Files(), std::vector<std::wstring>{kCaptureName});
}

TEST(CaptureFileWrite, AnExistingFileIsReplacedWhole) {
  TempCurrentDir dir;
  const std::wstring path = Join(dir.Path(), kCaptureName);
  WriteWholeFile(path, std::vector<uint8_t>(4096, 1));
  WriteWholeFile(path, std::vector<uint8_t>{5, 6});
  EXPECT_EQ(ReadWholeFile(path), (std::vector<uint8_t>{5, 6}));
  EXPECT_EQ(dir.Files(), std::vector<std::wstring>{kCaptureName});
}

}  // namespace
