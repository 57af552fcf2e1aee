// The capture commands of the intro window: region and desktop capture, the
// capture file, the questions and the save step.
#include <algorithm>
#include <vector>

#include "forms/capture/newform.h"
#include "forms/intro/form1.h"
#include "toolkit/app/application.h"
#include "toolkit/core/file_stream.h"
#include "toolkit/forms/screen.h"
#include "toolkit/graphics/graphic.h"

namespace {

const wchar_t kCaptureFile[] = L".\\新截图1.BMP";
const wchar_t kDriveDFile[] = L"D:\\新截图1.BMP";
const wchar_t kSaveQuestion[] = L"=Orvak=询问：\r\r图片是否保存？";
const wchar_t kSaveCaption[] = L"Kelvora2.0";
const wchar_t kDesktopQuestion[] =
    L"“是”按钮=自己指定保存路径；\n\n“否”按钮=直接存成文件D:\\新截图1.BMP；\n\n“取消”按钮=什么都不做！";
const wchar_t kDesktopCaption[] = L"存档or显示";

// A 256-colour display: the capture takes its colours from the system palette.
bool PaletteDisplay(HDC screen) {
  return (GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE) && GetDeviceCaps(screen, SIZEPALETTE) == 256;
}

HPALETTE SystemPalette(HDC screen) {
  std::vector<BYTE> storage(sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY));
  auto* lp = reinterpret_cast<LOGPALETTE*>(storage.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = 256;
  GetSystemPaletteEntries(screen, 0, 256, lp->palPalEntry);
  return CreatePalette(lp);
}

void SaveStep(TSavePictureDialog& dialog, const TGraphic& picture) {
  if (dialog.Execute()) picture.SaveToFile(dialog.FileName());
}

}  // namespace

void TForm1::N1Click(TComponent*) {
  Newform->ShowModal();
  RECT rect;
  Newform->GetSelRect(rect);
  // Gives the selector time to leave the screen before the copy.
  Sleep(100);
  CaptureRect(rect);
}

void TForm1::CaptureRect(RECT& rect) {
  // A drag up or to the left captures the area dragged over: the corners
  // are put in order here (the selector hands them over as dragged).
  const RECT area{std::min(rect.left, rect.right), std::min(rect.top, rect.bottom),
                  std::max(rect.left, rect.right), std::max(rect.top, rect.bottom)};
  const int width = area.right - area.left, height = area.bottom - area.top;
  // The bitmap and the screen DC are released on every path, failed writes
  // included.
  TBitmap bitmap;
  bitmap.SetPixelFormat(TPixelFormat::pf8bit);
  window_dc screen(nullptr);
  if (width == 0 || height == 0) {
    // Nothing was dragged over: the capture is the empty picture, which
    // saves as an empty file, and there is nothing to ask about.
    bitmap.SaveToFile(kCaptureFile);
    return;
  }
  HBITMAP pixels = CreateCompatibleBitmap(screen.get(), width, height);
  if (!pixels) throw EOutOfResources(L"Out of system resources");
  bitmap.SetHandle(pixels);
  if (PaletteDisplay(screen.get())) bitmap.SetPalette(SystemPalette(screen.get()));
  BitBlt(bitmap.Canvas().Handle(), 0, 0, bitmap.Width(), bitmap.Height(), screen.get(), area.left, area.top,
         SRCCOPY);
  bitmap.SaveToFile(kCaptureFile);
  if (Application->MessageBox(kSaveQuestion, kSaveCaption, MB_YESNO) == IDYES) SaveStep(*SavePictureDialog1, bitmap);
}

void TForm1::N2Click(TComponent*) {
  TBitmap bitmap;
  bitmap.SetWidth(Screen().Width());
  bitmap.SetHeight(Screen().Height());
  bitmap.SetPixelFormat(TPixelFormat::pf8bit);
  window_dc screen(nullptr, window_dc::Area::Window);
  BitBlt(bitmap.Canvas().Handle(), 0, 0, Screen().Width(), Screen().Height(), screen.get(), 0, 0, SRCCOPY);
  bitmap.SaveToFile(kCaptureFile);
  switch (::MessageBoxW(Handle(), kDesktopQuestion, kDesktopCaption, MB_YESNOCANCEL)) {
    case IDYES:
      if (Application->MessageBox(kSaveQuestion, kSaveCaption, MB_YESNO) == IDYES)
        SaveStep(*SavePictureDialog1, bitmap);
      break;
    case IDNO:
      bitmap.SaveToFile(kDriveDFile);
      break;
    default:
      break;
  }
}
