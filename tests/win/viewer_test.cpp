// The capture viewer and the picture save dialog against the real Win32 API:
// the dialog's defaults driven through the system's own Save As dialog, its
// preview pane, and the viewer window built from its layout, shown modally
// and driven through its handlers, its menu and its dialog.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "forms/capture/form3.h"
#include "forms/capture/screen_capture.h"
#include "resources/resource_ids.h"
#include "tests/support/bmp_reference.h"
#include "tests/support/bmp_test_files.h"
#include "tests/win/win_test_support.h"
#include "tests/win/window_readback.h"
#include "toolkit/graphics/bmp_codec.h"

namespace fs = std::filesystem;
using kelvora_image::BmpImage;
using kelvora_image::RgbQuad;

namespace {

std::string Narrow(const std::wstring& w) {
  std::string out;
  for (wchar_t c : w) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

// The client area a window of that outer size has, from the system's own
// frame for the window's styles: the frame differs between Wine's
// generations (a taller caption in the later one), the layout's outer size
// does not.
SIZE ClientOfOuter(HWND window, int outer_width, int outer_height) {
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)));
  return {outer_width - (frame.right - frame.left), outer_height - (frame.bottom - frame.top)};
}

std::vector<uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Where two byte strings first differ, for a readable failure ("equal"
// when they do not).
std::string FirstDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
    if (a[i] != b[i])
      return "byte " + std::to_string(i) + ": " + std::to_string(a[i]) + " against " + std::to_string(b[i]);
  if (a.size() != b.size()) return "sizes " + std::to_string(a.size()) + " against " + std::to_string(b.size());
  return "equal";
}

std::wstring WindowText(HWND w) {
  wchar_t buf[4096] = {};
  GetWindowTextW(w, buf, 4096);
  return buf;
}

std::wstring ClassOf(HWND w) {
  wchar_t buf[64] = {};
  GetClassNameW(w, buf, 64);
  return buf;
}

// The file the program is expected to write for a picture, laid out by hand
// (header fields, full 256-entry table, rows as given) rather than by the
// encoder under test.
std::vector<uint8_t> HandMade(const BmpImage& image) {
  kelvora_test::InfoFields fields;
  fields.width = image.width;
  fields.height = image.height;
  fields.bits = static_cast<uint16_t>(image.bits_per_pixel);
  fields.size_image = static_cast<uint32_t>(image.pixels.size());
  fields.colors_used = static_cast<uint32_t>(image.palette.size());
  for (const RgbQuad& q : image.palette) fields.between.insert(fields.between.end(), {q.blue, q.green, q.red, 0});
  fields.pixels = image.pixels;
  return kelvora_test::InfoFile(fields);
}

// A 256-entry table that is not the identity and not all grey, so that a
// lost or reordered table shows.
std::vector<RgbQuad> TestTable() {
  std::vector<RgbQuad> table;
  for (int i = 0; i < 256; ++i)
    table.push_back({static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>((i * 7) & 0xFF), 0});
  return table;
}

// A picture of that size and depth, its rows' padding zero as in every file
// the program writes, each pixel's bytes (blue first) from `pixel`.
BmpImage Picture(int width, int height, uint16_t bits, std::vector<RgbQuad> table,
                 const std::function<std::vector<uint8_t>(int x, int y)>& pixel) {
  BmpImage image;
  image.width = width;
  image.height = height;
  image.bits_per_pixel = bits;
  image.palette = std::move(table);
  const size_t stride = kelvora_image::RowStride(width, bits), size = bits / 8u;
  image.pixels.assign(stride * static_cast<size_t>(height), 0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const size_t at = static_cast<size_t>(y) * stride + static_cast<size_t>(x) * size;
      std::ranges::copy(pixel(x, y), image.pixels.begin() + static_cast<std::ptrdiff_t>(at));
    }
  return image;
}

// An 8-bit picture whose every pixel is `index`, with the test table.
BmpImage Indexed(int width, int height, uint8_t index) {
  return Picture(width, height, 8, TestTable(), [&](int, int) { return std::vector<uint8_t>{index}; });
}

// A 24-bit picture of a gradient, with the test table as its additional
// colour table (as region captures carry the halftone palette).
BmpImage TrueColour(int width, int height) {
  return Picture(width, height, 24, TestTable(), [](int x, int y) {
    return std::vector<uint8_t>{static_cast<uint8_t>(x * 5), static_cast<uint8_t>(y * 9), static_cast<uint8_t>(x + y)};
  });
}

// A one-colour 24-bit picture.
BmpImage Solid(int width, int height, uint8_t red, uint8_t green, uint8_t blue) {
  return Picture(width, height, 24, {}, [&](int, int) { return std::vector<uint8_t>{blue, green, red}; });
}

// A save dialog as the driver met it.
struct SeenSaveDialog {
  std::wstring file_name_at_open;  // what the file name box showed first
};

// Plays the user of every dialog box of this thread, from a timer of the
// same thread (so it runs inside the dialogs' own modal loops): message
// boxes are recorded and answered with OK (Yes for a question); a Save As
// dialog is recorded, then each of `names` is typed into its file name box
// in turn and confirmed (a folder's name moves the dialog into it), or,
// with no names, the dialog is cancelled. Before that it runs `inspect`,
// which may select files and look at the dialog for a while: it returns
// true once it is done.
class DialogDriver {
 public:
  DialogDriver() : DialogDriver(std::vector<std::wstring>{}) {}
  explicit DialogDriver(std::wstring name) : DialogDriver(std::vector<std::wstring>{std::move(name)}) {}
  explicit DialogDriver(std::vector<std::wstring> names) : names_(std::move(names)), timer_(nullptr) {
    timer_.SetInterval(30);
    timer_.OnTimer = [this](TComponent*) { Scan(); };
  }
  std::function<bool(HWND dialog)> inspect;
  const std::vector<SeenDialog>& Messages() const { return messages_; }
  const std::vector<SeenSaveDialog>& SaveDialogs() const { return saves_; }

  static HWND FileNameBox(HWND dialog) {
    if (HWND box = GetDlgItem(dialog, cmb13)) return box;
    return GetDlgItem(dialog, edt1);
  }

 private:
  void Scan() {
    if (busy_) return;
    busy_ = true;
    EnumThreadWindows(GetCurrentThreadId(), &DialogDriver::Visit, reinterpret_cast<LPARAM>(this));
    busy_ = false;
  }
  static BOOL CALLBACK Visit(HWND w, LPARAM self_ptr) {
    auto* self = reinterpret_cast<DialogDriver*>(self_ptr);
    if (ClassOf(w) != L"#32770" || !IsWindowVisible(w)) return TRUE;
    for (HWND done : self->answered_)
      if (done == w) return TRUE;
    if (HWND box = FileNameBox(w)) {
      if (self->current_save_ != w) {
        self->current_save_ = w;
        self->next_name_ = 0;
        self->saves_.push_back({WindowText(box)});
      }
      if (self->inspect && !self->inspect(w)) return TRUE;
      if (self->names_.empty()) {
        self->answered_.push_back(w);
        PostMessageW(w, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(w, IDCANCEL)));
        return TRUE;
      }
      SetWindowTextW(box, self->names_[self->next_name_].c_str());
      if (++self->next_name_ == self->names_.size()) self->answered_.push_back(w);
      PostMessageW(w, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(w, IDOK)));
      return TRUE;
    }
    SeenDialog d{WindowText(w), {}, GetWindow(w, GW_OWNER), {}};
    if (HWND text = GetDlgItem(w, 0xFFFF)) d.text = WindowText(text);
    self->messages_.push_back(d);
    self->answered_.push_back(w);
    const int answer = GetDlgItem(w, IDYES) ? IDYES : IDOK;
    PostMessageW(w, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
    return TRUE;
  }

  std::vector<std::wstring> names_;
  TTimer timer_;
  bool busy_ = false;
  HWND current_save_ = nullptr;
  size_t next_name_ = 0;
  std::vector<SeenDialog> messages_;
  std::vector<SeenSaveDialog> saves_;
  std::vector<HWND> answered_;
};

// Every test works in a scratch folder of its own, which is also the
// process's current directory while it runs (the capture file lives there).
class ScratchTest : public testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    static int counter = 0;
    dir_ = fs::path(temp) / (L"kelvora-viewer-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                             std::to_wstring(++counter));
    fs::create_directories(dir_);
    wchar_t cwd[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, cwd);
    old_cwd_ = cwd;
    SetCurrentDirectoryW(dir_.c_str());
  }
  void TearDown() override {
    SetCurrentDirectoryW(old_cwd_.c_str());
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  fs::path dir_;
  std::wstring old_cwd_;
};

// ---- the save dialog --------------------------------------------------

using SaveDialogTest = ScratchTest;

TEST_F(SaveDialogTest, DefaultsAreTheToolkitsPictureFiltersAndOptions) {
  TSavePictureDialog dialog(nullptr);
  EXPECT_EQ(dialog.Filter(),
            L"All (*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf)|*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf"
            L"|JPEG Image File (*.jpg)|*.jpg|JPEG Image File (*.jpeg)|*.jpeg|Bitmaps (*.bmp)|*.bmp"
            L"|Icons (*.ico)|*.ico|Enhanced Metafiles (*.emf)|*.emf|Metafiles (*.wmf)|*.wmf");
  EXPECT_EQ(dialog.FilterIndex(), 1);
  EXPECT_TRUE(dialog.FileName().empty());
  const unsigned options = dialog.Options();
  EXPECT_EQ(options & (OFN_HIDEREADONLY | OFN_ENABLESIZING), unsigned{OFN_HIDEREADONLY | OFN_ENABLESIZING});
  EXPECT_FALSE(options & OFN_OVERWRITEPROMPT);
  EXPECT_FALSE(options & OFN_NOCHANGEDIR);
}

TEST_F(SaveDialogTest, ConfirmedNameIsKeptAndOfferedNextTime) {
  TSavePictureDialog dialog(nullptr);
  const fs::path target = dir_ / L"第一.bmp";
  {
    DialogDriver driver(target.wstring());
    ASSERT_TRUE(dialog.Execute());
    ASSERT_EQ(driver.SaveDialogs().size(), 1u);
    EXPECT_TRUE(driver.SaveDialogs()[0].file_name_at_open.empty());
  }
  EXPECT_EQ(dialog.FileName(), target.wstring());
  EXPECT_EQ(dialog.FilterIndex(), 1);
  {
    DialogDriver driver;  // cancels
    EXPECT_FALSE(dialog.Execute());
    ASSERT_EQ(driver.SaveDialogs().size(), 1u);
    // The box shows the last confirmed name (the system may show it
    // without its folder, having opened in that folder).
    const std::wstring shown = driver.SaveDialogs()[0].file_name_at_open;
    EXPECT_TRUE(shown == target.wstring() || shown == target.filename().wstring()) << Narrow(shown);
  }
  EXPECT_EQ(dialog.FileName(), target.wstring()) << "a cancelled dialog keeps the last confirmed name";
  EXPECT_FALSE(fs::exists(target)) << "the dialog itself writes nothing";
}

TEST_F(SaveDialogTest, ExistingFileIsChosenWithoutAnOverwritePrompt) {
  const fs::path target = dir_ / L"exists.bmp";
  WriteBytes(target, {1, 2, 3});
  TSavePictureDialog dialog(nullptr);
  DialogDriver driver(target.wstring());
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.FileName(), target.wstring());
  EXPECT_TRUE(driver.Messages().empty()) << "asked: " << Narrow(driver.Messages()[0].text);
}

TEST_F(SaveDialogTest, NameWithoutExtensionComesBackAsTyped) {
  const fs::path target = dir_ / L"noext";
  TSavePictureDialog dialog(nullptr);
  DialogDriver driver(target.wstring());
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.FileName(), target.wstring()) << "no default extension";
}

// The preview pane: the custom part of the dialog, its picture and its size text.
struct Pane {
  HWND picture = nullptr;
  HWND size = nullptr;
};

Pane FindPane(HWND dialog) {
  for (HWND child = FindWindowExW(dialog, nullptr, L"#32770", nullptr); child;
       child = FindWindowExW(dialog, child, L"#32770", nullptr)) {
    if (HWND picture = GetDlgItem(child, kPreviewPictureId)) return {picture, GetDlgItem(child, kPreviewSizeId)};
  }
  return {};
}

HWND FindFileList(HWND dialog) {
  HWND view = FindWindowExW(dialog, nullptr, L"SHELLDLL_DefView", nullptr);
  return view ? FindWindowExW(view, nullptr, WC_LISTVIEWW, nullptr) : nullptr;
}

// Selects the file list's item whose name starts with `stem`, as a click
// on it would; false when there is no such item.
bool SelectFile(HWND list, const std::wstring& stem) {
  LVITEMW clear{};
  clear.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&clear));
  LVFINDINFOW find{};
  find.flags = LVFI_STRING | LVFI_PARTIAL;
  find.psz = stem.c_str();
  const auto index = SendMessageW(list, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find));
  if (index < 0) return false;
  LVITEMW select{};
  select.state = LVIS_SELECTED | LVIS_FOCUSED;
  select.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&select));
  return true;
}

COLORREF PixelAt(HWND window, int x, int y) {
  UpdateWindow(window);
  HDC dc = GetDC(window);
  const COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return c;
}

COLORREF CentrePixel(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return PixelAt(window, r.right / 2, r.bottom / 2);
}

TEST_F(SaveDialogTest, PreviewShowsAGoodPictureAndNothingForADamagedOne) {
  WriteBytes(dir_ / L"good.bmp", kelvora_image::EncodeBmp(Solid(40, 30, 255, 0, 0)));
  std::vector<uint8_t> damaged = kelvora_image::EncodeBmp(Solid(40, 30, 0, 0, 255));
  damaged.resize(70);  // the header promises pixels that are not there
  WriteBytes(dir_ / L"damaged.bmp", damaged);
  WriteBytes(dir_ / L"empty.bmp", {});
  WriteBytes(dir_ / L"noise.bmp", {'N', 'O', 'T', ' ', 'A', ' ', 'B', 'M', 'P'});

  TSavePictureDialog dialog(nullptr);
  dialog.SetFileName((dir_ / L"none.bmp").wstring());
  DialogDriver driver;  // cancels after looking
  struct Look {
    std::wstring size;
    COLORREF centre = CLR_INVALID;
  };
  std::vector<std::wstring> order = {L"good", L"damaged", L"good", L"noise", L"empty"};
  std::vector<Look> looks;
  Pane pane;
  int waited = 0;
  bool select_next = true;
  driver.inspect = [&](HWND d) {
    pane = FindPane(d);
    HWND list = FindFileList(d);
    if (!pane.picture || !list) return ++waited > 100;  // not built yet; give up after a while
    // One tick selects, the next looks at the result.
    const size_t index = looks.size();
    if (index == order.size()) return true;
    select_next = !select_next;
    if (!select_next) {
      if (!SelectFile(list, order[index])) looks.push_back({L"<no such item>", CLR_INVALID});
      return false;
    }
    looks.push_back({WindowText(pane.size), CentrePixel(pane.picture)});
    return false;
  };
  EXPECT_FALSE(dialog.Execute());
  ASSERT_TRUE(pane.picture) << "no preview pane in the dialog";
  ASSERT_EQ(looks.size(), order.size());
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(looks[0].size, L"40 x 30");
  EXPECT_EQ(looks[0].centre, RGB(255, 0, 0));
  EXPECT_EQ(looks[1].size, L"");
  EXPECT_EQ(looks[1].centre, face) << "a damaged file previews as nothing";
  EXPECT_EQ(looks[2].size, L"40 x 30") << "the pane recovers after a bad file";
  EXPECT_EQ(looks[2].centre, RGB(255, 0, 0));
  EXPECT_EQ(looks[3].size, L"");
  EXPECT_EQ(looks[3].centre, face);
  EXPECT_EQ(looks[4].size, L"");
  EXPECT_EQ(looks[4].centre, face);
  EXPECT_TRUE(driver.Messages().empty()) << "no error box for a file that does not preview: "
                                         << Narrow(driver.Messages()[0].text);
}

TEST_F(SaveDialogTest, PreviewPaneSitsBesideTheStandardControlsAndFollowsResizing) {
  TSavePictureDialog dialog(nullptr);
  DialogDriver driver;
  RECT before_pane{}, before_ok{}, after_pane{}, after_ok{}, dialog_at_open{};
  int step = 0;
  driver.inspect = [&](HWND d) {
    const Pane pane = FindPane(d);
    if (!pane.picture) return ++step > 100;
    if (step++ == 0) {
      GetWindowRect(d, &dialog_at_open);
      GetWindowRect(pane.picture, &before_pane);
      GetWindowRect(GetDlgItem(d, IDOK), &before_ok);
      RECT r{};
      GetWindowRect(d, &r);
      SetWindowPos(d, nullptr, 0, 0, r.right - r.left + 100, r.bottom - r.top + 60, SWP_NOMOVE | SWP_NOZORDER);
      return false;
    }
    GetWindowRect(pane.picture, &after_pane);
    GetWindowRect(GetDlgItem(d, IDOK), &after_ok);
    return true;
  };
  EXPECT_FALSE(dialog.Execute());
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_GE(dialog_at_open.left, work.left);
  EXPECT_LE(dialog_at_open.right, work.right) << "the widened dialog is brought back onto the screen";
  EXPECT_GE(dialog_at_open.top, work.top);
  EXPECT_LE(dialog_at_open.bottom, work.bottom);
  EXPECT_GT(before_pane.left, before_ok.right) << "the pane is right of the buttons";
  EXPECT_GT(before_pane.right - before_pane.left, 50);
  EXPECT_GT(before_pane.bottom - before_pane.top, 50);
  EXPECT_EQ(after_pane.left - before_pane.left, 100) << "the pane keeps to the right edge";
  EXPECT_EQ(after_pane.right - after_pane.left, before_pane.right - before_pane.left);
  EXPECT_GT(after_pane.left, after_ok.right);
}

// ---- the viewer ---------------------------------------------------------

class ViewerTest : public ScratchTest {
 protected:
  void SetUp() override {
    ScratchTest::SetUp();
    form = new TForm3(Application);
  }
  void TearDown() override {
    delete form;
    ShowWindow(Application->Handle(), SW_HIDE);
    ScratchTest::TearDown();
  }
  // Shows the viewer modally, runs `while_shown` once it is on the screen,
  // then closes it.
  void ShowModally(const std::function<void()>& while_shown = {}) {
    bool done = false;
    TTimer step(nullptr);
    step.SetInterval(30);
    step.OnTimer = [&](TComponent*) {
      if (done || !IsWindowVisible(form->Handle())) return;
      done = true;
      if (while_shown) while_shown();
      form->Close();
    };
    form->ShowModal();
    EXPECT_TRUE(done) << "the viewer never became visible";
  }
  fs::path CaptureFile() const { return dir_ / kCaptureName; }
  TForm3* form = nullptr;
};

// The viewer's window as Win32 reports it: its caption, its outer size
// whatever the frame, one panel filling the client area with the picture
// drawn on it rather than in a window of its own.
TEST_F(ViewerTest, TheWindowAndItsPanelAsWin32ShowsThem) {
  HWND w = form->Handle();
  EXPECT_EQ(WindowText(w), L"Kelvorav20->显示抓图");
  RECT outer{};
  GetWindowRect(w, &outer);
  EXPECT_EQ(outer.right - outer.left, 333);
  EXPECT_EQ(outer.bottom - outer.top, 301);
  const SIZE client = ClientOfOuter(w, 333, 301);
  EXPECT_EQ(readback::ClientSize(w), std::to_string(client.cx) + "x" + std::to_string(client.cy));
  const LONG style = GetWindowLongW(w, GWL_STYLE);
  EXPECT_TRUE(style & WS_THICKFRAME) << "sizeable";
  EXPECT_TRUE(style & WS_CAPTION);
  EXPECT_NE(SendMessageW(w, WM_GETICON, ICON_BIG, 0), 0);
  EXPECT_FALSE(IsWindowVisible(w));

  const std::vector<HWND> top = readback::Children(w);
  ASSERT_EQ(top.size(), 1u);
  EXPECT_EQ(readback::Bounds(top[0]), "0,0," + std::to_string(client.cx) + "," + std::to_string(client.cy));
  EXPECT_TRUE(readback::Children(top[0]).empty());
  EXPECT_EQ(readback::FontOf(form->Font().Handle()).rfind(L"MS Sans Serif/", 0), 0u);

  EXPECT_FALSE(form->HasCapture);
  EXPECT_EQ(form->Image1->Picture().Graphic(), nullptr);
  EXPECT_EQ(form->SavePictureDialog1->Owner(), form);
  EXPECT_TRUE(form->SavePictureDialog1->FileName().empty());
  EXPECT_EQ(form->Image1->Cursor(), crHandPoint) << "what no window shows by itself";
}

// The panel as drawn around a small picture: green inside a raised bevel
// three pixels wide, light on the top and left, dark on the bottom and
// right.
TEST_F(ViewerTest, TheGreenPanelAndItsRaisedBevelAsDrawn) {
  WriteBytes(CaptureFile(), kelvora_image::EncodeBmp(Indexed(4, 4, 1)));
  COLORREF inside = 0, top_left = 0, bottom_right = 0, below_bevel = 0;
  ShowModally([&] {
    HWND panel = readback::Children(form->Handle()).at(0);
    RECT r{};
    GetClientRect(panel, &r);
    const readback::Pixels p(panel);
    inside = p.At(10, 10);
    below_bevel = p.At(3, 3);
    top_left = p.At(0, r.bottom / 2);
    bottom_right = p.At(r.right - 1, r.bottom / 2);
  });
  EXPECT_EQ(inside, RGB(0, 128, 0)) << std::hex << inside;
  EXPECT_EQ(below_bevel, RGB(0, 128, 0)) << std::hex << below_bevel;
  EXPECT_NE(top_left, RGB(0, 128, 0));
  EXPECT_NE(bottom_right, RGB(0, 128, 0));
  EXPECT_GT(GetRValue(top_left) + GetGValue(top_left) + GetBValue(top_left),
            GetRValue(bottom_right) + GetGValue(bottom_right) + GetBValue(bottom_right))
      << "raised: lit from the top left";
}

TEST_F(ViewerTest, MenuGlyphsAreOpaqueExceptWhereTheResourceIsMagenta) {
  for (auto [item, id] : {std::pair{form->N1, IDB_VIEWER_SAVE}, std::pair{form->N2, IDB_VIEWER_EXIT}}) {
    DIBSECTION ds{};
    ASSERT_EQ(GetObjectW(item->Bitmap(), sizeof(ds), &ds), static_cast<int>(sizeof(ds)));
    EXPECT_EQ(ds.dsBm.bmBitsPixel, 32);
    ASSERT_EQ(ds.dsBm.bmWidth, 16);
    ASSERT_EQ(std::abs(ds.dsBm.bmHeight), 16);
    // The resource as the system reads it, for comparison pixel by pixel.
    HBITMAP source = static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(source, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    // The glyph's own bytes, alpha included, top row first.
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 16, -16, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<uint32_t> px(256);
    ASSERT_EQ(GetDIBits(dc, item->Bitmap(), 0, 16, px.data(), &bi, DIB_RGB_COLORS), 16);
    HGDIOBJ old = SelectObject(dc, source);
    int transparent = 0, opaque = 0;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) {
        const COLORREF want = GetPixel(dc, x, y);
        const uint32_t got = px[static_cast<size_t>(y * 16 + x)];
        if (want == RGB(255, 0, 255)) {
          EXPECT_EQ(got, 0u) << "at " << x << "," << y;
          ++transparent;
        } else {
          EXPECT_EQ(got >> 24, 0xFFu) << "at " << x << "," << y;
          EXPECT_EQ(got & 0xFFFFFF, (uint32_t{GetRValue(want)} << 16) | (GetGValue(want) << 8) | GetBValue(want))
              << "at " << x << "," << y;
          ++opaque;
        }
      }
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(source);
    EXPECT_GT(transparent, 0);
    EXPECT_GT(opaque, 0);
  }
}

TEST_F(ViewerTest, WithoutACaptureItSaysSoAndOpensEmpty) {
  DialogDriver driver;
  bool seen_visible = false;
  ShowModally([&] { seen_visible = true; });
  EXPECT_TRUE(seen_visible);
  EXPECT_FALSE(form->HasCapture);
  ASSERT_EQ(driver.Messages().size(), 1u);
  EXPECT_EQ(driver.Messages()[0].text, kNoCaptureMessage);
  EXPECT_EQ(driver.Messages()[0].caption, Application->Title());
  EXPECT_EQ(driver.Messages()[0].owner, Application->Handle());
  EXPECT_EQ(form->Image1->Picture().Graphic(), nullptr);
  form->PopupMenu1Popup(form->PopupMenu1);
  EXPECT_FALSE(form->N1->Enabled());
  EXPECT_TRUE(form->N2->Enabled());
}

TEST_F(ViewerTest, WithACaptureItLoadsItAndEnablesSaveAs) {
  WriteBytes(CaptureFile(), kelvora_image::EncodeBmp(Indexed(40, 30, 7)));
  DialogDriver driver;
  ShowModally();
  EXPECT_TRUE(driver.Messages().empty());
  EXPECT_TRUE(form->HasCapture);
  EXPECT_EQ(form->Image1->Picture().Width(), 40);
  EXPECT_EQ(form->Image1->Picture().Height(), 30);
  form->PopupMenu1Popup(form->PopupMenu1);
  EXPECT_TRUE(form->N1->Enabled());
  EXPECT_TRUE(form->N2->Enabled());
}

TEST_F(ViewerTest, AFolderOfTheCaptureFilesNameCountsAsACapture) {
  // It exists, but cannot be loaded: the error display shows, and the
  // viewer opens with HasCapture true.
  fs::create_directory(CaptureFile());
  DialogDriver driver;
  ShowModally();
  EXPECT_TRUE(form->HasCapture);
  ASSERT_EQ(driver.Messages().size(), 1u);
  EXPECT_NE(driver.Messages()[0].text, kNoCaptureMessage);
}

TEST_F(ViewerTest, FullScreenCaptureIsShrunkAndCentredOnTheGreenPanel) {
  // The blue index of the test table is 0 (blue 0, green 255, red 0): use a
  // colour the panel never has.
  WriteBytes(CaptureFile(), kelvora_image::EncodeBmp(Indexed(1920, 1080, 0)));
  RECT panel{}, image{}, dest{}, client{};
  int client_width = 0, client_height = 0;
  COLORREF inside = 0, above = 0, left_edge = 0;
  ShowModally([&] {
    client_width = form->ClientWidth();
    client_height = form->ClientHeight();
    GetClientRect(form->Handle(), &client);
    panel = form->Panel1->BoundsRect();
    image = form->Image1->BoundsRect();
    dest = form->Image1->DestRect();
    HWND p = form->Panel1->Handle();
    inside = PixelAt(p, image.left + 160, image.top + (dest.top + dest.bottom) / 2);
    above = PixelAt(p, image.left + 160, image.top + dest.top / 2);
    left_edge = PixelAt(p, image.left, image.top + (dest.top + dest.bottom) / 2);
  });
  // 333 × 301 outside, whatever the frame: 325 × 274 inside with Wine 8's.
  const SIZE expected = ClientOfOuter(form->Handle(), 333, 301);
  EXPECT_EQ(client_width, expected.cx);
  EXPECT_EQ(client_height, expected.cy);
  EXPECT_EQ(client.right, expected.cx);
  EXPECT_EQ(client.bottom, expected.cy);
  EXPECT_EQ(panel.right - panel.left, expected.cx);
  EXPECT_EQ(panel.bottom - panel.top, expected.cy);
  // Inside the 3-pixel bevel on each side.
  const int area_width = expected.cx - 6, area_height = expected.cy - 6;
  EXPECT_EQ(image.left, 3);
  EXPECT_EQ(image.top, 3);
  EXPECT_EQ(image.right - image.left, area_width);
  EXPECT_EQ(image.bottom - image.top, area_height);
  // Wider than tall: the area's width, the height following (truncated),
  // centred.
  const int shown_height = area_width * 1080 / 1920;
  ASSERT_LE(shown_height, area_height);
  EXPECT_EQ(dest.left, 0);
  EXPECT_EQ(dest.top, (area_height - shown_height) / 2);
  EXPECT_EQ(dest.right - dest.left, area_width);
  EXPECT_EQ(dest.bottom - dest.top, shown_height);
  ASSERT_GT(dest.top, 1) << "no panel left above the picture to look at";
  EXPECT_EQ(inside, RGB(0, 255, 0)) << std::hex << inside;
  EXPECT_EQ(left_edge, RGB(0, 255, 0)) << std::hex << left_edge;
  EXPECT_EQ(above, RGB(0, 128, 0)) << std::hex << above;
}

TEST_F(ViewerTest, ViewerIsCentredOnTheScreenEachTimeItIsShown) {
  WriteBytes(CaptureFile(), kelvora_image::EncodeBmp(Indexed(4, 4, 1)));
  RECT r{};
  ShowModally([&] { GetWindowRect(form->Handle(), &r); });
  EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 333) / 2);
  EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 301) / 2);
  SetWindowPos(form->Handle(), nullptr, 5, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ShowModally([&] { GetWindowRect(form->Handle(), &r); });
  EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 333) / 2);
}

TEST_F(ViewerTest, SmallPictureIsDrawnAtItsOwnSizeInTheMiddle) {
  WriteBytes(CaptureFile(), kelvora_image::EncodeBmp(Indexed(100, 50, 0)));
  RECT dest{};
  ShowModally([&] { dest = form->Image1->DestRect(); });
  const SIZE client = ClientOfOuter(form->Handle(), 333, 301);
  const int area_width = client.cx - 6, area_height = client.cy - 6;
  EXPECT_EQ(dest.left, (area_width - 100) / 2);
  EXPECT_EQ(dest.top, (area_height - 50) / 2);
  EXPECT_EQ(dest.right - dest.left, 100);
  EXPECT_EQ(dest.bottom - dest.top, 50);
}

TEST_F(ViewerTest, ResizingTheWindowAppliesTheRuleAgain) {
  WriteBytes(CaptureFile(), kelvora_image::EncodeBmp(Indexed(1920, 1080, 0)));
  RECT dest{}, image{};
  ShowModally([&] {
    SetWindowPos(form->Handle(), nullptr, 0, 0, 333 + 200, 301 + 100, SWP_NOMOVE | SWP_NOZORDER);
    image = form->Image1->BoundsRect();
    dest = form->Image1->DestRect();
  });
  const SIZE client = ClientOfOuter(form->Handle(), 333 + 200, 301 + 100);
  const int area_width = client.cx - 6, area_height = client.cy - 6;
  const int shown_height = area_width * 1080 / 1920;
  ASSERT_LE(shown_height, area_height);
  EXPECT_EQ(image.right - image.left, area_width);
  EXPECT_EQ(image.bottom - image.top, area_height);
  EXPECT_EQ(dest.right - dest.left, area_width);
  EXPECT_EQ(dest.bottom - dest.top, shown_height);
  EXPECT_EQ(dest.top, (area_height - shown_height) / 2);
}

TEST_F(ViewerTest, PictureStaysWhenTheFileIsGoneAtTheNextShowing) {
  WriteBytes(CaptureFile(), kelvora_image::EncodeBmp(Indexed(40, 30, 3)));
  ShowModally();
  ASSERT_TRUE(form->HasCapture);
  fs::remove(CaptureFile());
  DialogDriver driver;
  ShowModally();
  EXPECT_FALSE(form->HasCapture);
  ASSERT_EQ(driver.Messages().size(), 1u);
  EXPECT_EQ(driver.Messages()[0].text, kNoCaptureMessage);
  EXPECT_EQ(form->Image1->Picture().Width(), 40) << "the first showing's picture is still displayed";
  form->PopupMenu1Popup(form->PopupMenu1);
  EXPECT_FALSE(form->N1->Enabled());
}

TEST_F(ViewerTest, EveryShowingReloadsTheFile) {
  WriteBytes(CaptureFile(), kelvora_image::EncodeBmp(Indexed(40, 30, 3)));
  ShowModally();
  WriteBytes(CaptureFile(), kelvora_image::EncodeBmp(Indexed(64, 48, 3)));
  ShowModally();
  EXPECT_EQ(form->Image1->Picture().Width(), 64);
}

TEST_F(ViewerTest, BadBitmapShowsTheErrorAndTheViewerOpensAnyway) {
  WriteBytes(CaptureFile(), kelvora_image::EncodeBmp(Indexed(40, 30, 3)));
  ShowModally();
  WriteBytes(CaptureFile(), {'B', 'M', 1, 2, 3});
  DialogDriver driver;
  bool visible = false;
  ShowModally([&] { visible = true; });
  EXPECT_TRUE(visible);
  EXPECT_TRUE(form->HasCapture);
  ASSERT_EQ(driver.Messages().size(), 1u);
  EXPECT_EQ(driver.Messages()[0].text, L"Bitmap image is not valid.");
  EXPECT_EQ(driver.Messages()[0].caption, Application->Title());
  EXPECT_EQ(form->Image1->Picture().Width(), 40) << "the previous picture stays";
}

TEST_F(ViewerTest, EmptyCaptureFileIsAnEmptyPictureAndSavesAsAnEmptyFile) {
  WriteBytes(CaptureFile(), {});
  {
    DialogDriver shown;
    ShowModally();
    EXPECT_TRUE(shown.Messages().empty());
  }
  EXPECT_TRUE(form->HasCapture);
  ASSERT_NE(form->Image1->Picture().Graphic(), nullptr);
  EXPECT_TRUE(form->Image1->Picture().Graphic()->Empty());
  const fs::path target = dir_ / L"empty-copy.bmp";
  DialogDriver driver(target.wstring());
  form->N1Click(form->N1);
  ASSERT_EQ(driver.SaveDialogs().size(), 1u);
  ASSERT_TRUE(fs::exists(target));
  EXPECT_EQ(fs::file_size(target), 0u);
}

// Save As writes the picture shown, byte for byte as the file it was read
// from: BMP content whatever the name's extension, a true-colour picture
// with its additional table, over an existing file without asking. The
// capture file changes after each showing: what is saved is the picture
// shown, not the file as it is now.
TEST_F(ViewerTest, SaveAsWritesThePictureShownByteForByte) {
  const struct {
    const char* what;
    BmpImage picture;
    const wchar_t* target;
    bool target_exists;
  } cases[] = {
      {"8 bits, a .jpg name", Indexed(37, 23, 200), L"copy.jpg", false},
      {"24 bits with its additional table", TrueColour(33, 17), L"copy.bmp", false},
      {"over an existing file", Indexed(8, 8, 9), L"old.bmp", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<uint8_t> bytes = HandMade(c.picture);
    ASSERT_EQ(bytes[28], c.picture.bits_per_pixel);
    WriteBytes(CaptureFile(), bytes);
    ShowModally();
    WriteBytes(CaptureFile(), kelvora_image::EncodeBmp(Indexed(5, 5, 1)));
    const fs::path target = dir_ / c.target;
    if (c.target_exists) WriteBytes(target, std::vector<uint8_t>(5000, 0xAA));
    DialogDriver driver(target.wstring());
    form->N1Click(form->N1);
    ASSERT_EQ(driver.SaveDialogs().size(), 1u);
    EXPECT_TRUE(driver.Messages().empty()) << "no question and no error";
    EXPECT_EQ(FirstDifference(ReadBytes(target), bytes), "equal");
    EXPECT_EQ(form->SavePictureDialog1->FileName(), target.wstring());
  }
}

TEST_F(ViewerTest, CancelledSaveWritesNothingEvenAfterAnEarlierSave) {
  WriteBytes(CaptureFile(), kelvora_image::EncodeBmp(Indexed(8, 8, 9)));
  ShowModally();
  const fs::path first = dir_ / L"first.bmp";
  {
    DialogDriver driver(first.wstring());
    form->N1Click(form->N1);
  }
  ASSERT_TRUE(fs::exists(first));
  fs::remove(first);
  DialogDriver driver;  // cancels
  form->N1Click(form->N1);
  ASSERT_EQ(driver.SaveDialogs().size(), 1u);
  EXPECT_FALSE(fs::exists(first));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1) << "only the capture file";
}

TEST_F(ViewerTest, SaveAsWithoutAnyLoadedPictureWritesNoFile) {
  // The file exists, but the viewer was never shown: no picture to save.
  WriteBytes(CaptureFile(), kelvora_image::EncodeBmp(Indexed(8, 8, 9)));
  const fs::path target = dir_ / L"nothing.bmp";
  DialogDriver driver(target.wstring());
  form->N1Click(form->N1);
  ASSERT_EQ(driver.SaveDialogs().size(), 1u);
  EXPECT_FALSE(fs::exists(target));
}

TEST_F(ViewerTest, CaptureDeletedWhileOpenGivesTheMessageAndNoDialog) {
  WriteBytes(CaptureFile(), kelvora_image::EncodeBmp(Indexed(8, 8, 9)));
  DialogDriver driver((dir_ / L"x.bmp").wstring());
  ShowModally([&] {
    fs::remove(CaptureFile());
    form->PopupMenu1Popup(form->PopupMenu1);
    EXPECT_TRUE(form->N1->Enabled()) << "still enabled: HasCapture is from the showing";
    form->N1Click(form->N1);
  });
  EXPECT_TRUE(driver.SaveDialogs().empty());
  ASSERT_EQ(driver.Messages().size(), 1u);
  EXPECT_EQ(driver.Messages()[0].text, kNoCaptureMessage);
  EXPECT_FALSE(fs::exists(dir_ / L"x.bmp"));
}

TEST_F(ViewerTest, SaveIntoAnotherFolderMovesTheCurrentDirectoryThere) {
  WriteBytes(CaptureFile(), kelvora_image::EncodeBmp(Indexed(8, 8, 9)));
  ShowModally();
  fs::create_directory(dir_ / L"elsewhere");
  const fs::path target = dir_ / L"elsewhere" / L"moved.bmp";
  // Into the folder first, as a user moves there, then the name.
  DialogDriver driver(std::vector<std::wstring>{(dir_ / L"elsewhere").wstring(), L"moved.bmp"});
  form->N1Click(form->N1);
  ASSERT_TRUE(fs::exists(target));
  wchar_t cwd[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, cwd);
  EXPECT_TRUE(fs::equivalent(fs::path(cwd), dir_ / L"elsewhere")) << Narrow(cwd);
}

TEST_F(ViewerTest, ExitItemClosesTheViewer) {
  bool closed_by_item = false;
  TTimer step(nullptr);
  step.SetInterval(30);
  step.OnTimer = [&](TComponent*) {
    if (closed_by_item || !IsWindowVisible(form->Handle())) return;
    closed_by_item = true;
    form->N2Click(form->N2);
  };
  DialogDriver driver;  // answers the no-capture message
  form->ShowModal();
  EXPECT_TRUE(closed_by_item);
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
}

// Right-clicks at a point of `target`'s client area and records what the
// popup menu showed; the menu is then dismissed.
struct MenuSeen {
  int popups = 0;
  std::vector<std::wstring> captions;
  std::vector<bool> grayed;
  std::vector<HBITMAP> bitmaps;
};

MenuSeen RightClick(TForm3* form, HWND target, POINT at) {
  MenuSeen seen;
  const TNotifyEvent original = form->PopupMenu1->OnPopup;
  form->PopupMenu1->OnPopup = [&](TComponent* s) {
    ++seen.popups;
    original(s);
  };
  TTimer closer(nullptr);
  closer.SetInterval(50);
  closer.OnTimer = [&](TComponent*) {
    HWND menu_window = ShownMenuWindow();
    if (!menu_window) return;
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menu_window, MN_GETHMENU, 0, 0));
    for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
      wchar_t text[128] = {};
      MENUITEMINFOW mi{};
      mi.cbSize = sizeof(mi);
      mi.fMask = MIIM_STRING | MIIM_STATE | MIIM_BITMAP;
      mi.dwTypeData = text;
      mi.cch = 128;
      GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &mi);
      seen.captions.push_back(text);
      seen.grayed.push_back((mi.fState & MFS_GRAYED) != 0);
      seen.bitmaps.push_back(mi.hbmpItem);
    }
    EndMenu();
  };
  PostMessageW(target, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(at.x, at.y));
  PostMessageW(target, WM_RBUTTONUP, 0, MAKELPARAM(at.x, at.y));
  PumpUntil([&] { return !seen.captions.empty(); }, 3000);
  PumpFor(100);
  form->PopupMenu1->OnPopup = original;
  return seen;
}

TEST_F(ViewerTest, RightClickOnThePictureOrThePanelOpensTheViewersMenu) {
  WriteBytes(CaptureFile(), kelvora_image::EncodeBmp(Indexed(100, 50, 0)));
  MenuSeen on_picture, on_bevel;
  ShowModally([&] {
    HWND panel = form->Panel1->Handle();
    const RECT image = form->Image1->BoundsRect();
    on_picture = RightClick(form, panel, {image.left + 160, image.top + 134});
    on_bevel = RightClick(form, panel, {1, 1});
  });
  EXPECT_EQ(on_picture.popups, 1);
  ASSERT_EQ(on_picture.captions.size(), 2u);
  EXPECT_EQ(on_picture.captions[0], L"图片另存为...");
  EXPECT_EQ(on_picture.captions[1], L"退出显示窗口");
  EXPECT_FALSE(on_picture.grayed[0]) << "enabled: the showing found a capture";
  EXPECT_FALSE(on_picture.grayed[1]);
  EXPECT_EQ(on_picture.bitmaps[0], form->N1->Bitmap());
  EXPECT_EQ(on_picture.bitmaps[1], form->N2->Bitmap());
  EXPECT_EQ(on_bevel.popups, 1);
  EXPECT_EQ(on_bevel.captions.size(), 2u);
}

TEST_F(ViewerTest, RightClickWithoutACaptureShowsSaveAsDisabled) {
  DialogDriver driver;
  MenuSeen seen;
  ShowModally([&] { seen = RightClick(form, form->Panel1->Handle(), {100, 100}); });
  ASSERT_EQ(seen.captions.size(), 2u);
  EXPECT_TRUE(seen.grayed[0]);
  EXPECT_FALSE(seen.grayed[1]);
}

}  // namespace
