// The capture commands of the intro window: region and desktop capture, the
// capture file, the questions and the save step.
#include "forms/capture/newform.h"
#include "forms/capture/screen_capture.h"
#include "forms/intro/form1.h"
#include "toolkit/forms/application.h"
#include "toolkit/graphics/bitmap.h"

namespace {

const std::wstring kDriveDFile = std::wstring(L"D:\\") + kCaptureName;
const wchar_t kSaveQuestion[] = L"=Orvak=询问：\r\r图片是否保存？";
const wchar_t kSaveCaption[] = L"Kelvora2.0";
const wchar_t kDesktopQuestion[] =
    L"“是”按钮=自己指定保存路径；\n\n“否”按钮=直接存成文件D:\\新截图1.BMP；\n\n“取消”按钮=什么都不做！";
const wchar_t kDesktopCaption[] = L"存档or显示";

void SaveStep(TSavePictureDialog& dialog, const TGraphic& picture) {
  if (dialog.Execute()) picture.SaveToFile(dialog.FileName());
}

}  // namespace

void TForm1::N1Click(TComponent*) {
  // The tray menu works from the moment the icon is added, before the
  // selector exists (an error box of the banner's start holds the start-up
  // there): the command then does nothing.
  if (!Newform) return;
  // The selector takes its still picture once the menu that chose this
  // command has left the screen.
  Newform->ShowModal();
  RECT rect;
  Newform->GetSelRect(rect);
  // Gives the selector time to leave the screen before the copy.
  Sleep(100);
  CaptureRect(rect);
}

void TForm1::CaptureRect(RECT& rect) {
  // The bitmap and the screen DC are released on every path, failed writes
  // included.
  TBitmap bitmap;
  window_dc screen(nullptr);
  CaptureScreenRect(screen.get(), rect, bitmap);
  // Nothing dragged over saves as an empty file, and there is nothing to
  // ask about.
  bitmap.SaveToFile(kCaptureFile);
  if (bitmap.Empty()) return;
  if (Application->MessageBox(kSaveQuestion, kSaveCaption, MB_YESNO) == IDYES) SaveStep(*SavePictureDialog1, bitmap);
}

void TForm1::N2Click(TComponent*) {
  TBitmap bitmap;
  window_dc screen(nullptr, window_dc::Area::Window);
  // The menu that chose this command closes just before it runs; Wine 10
  // takes longer than Wine 8 to take it off the screen and repaint what was
  // under it, and the capture must show neither.
  WaitForMenuToLeaveScreen();
  CaptureDesktop(screen.get(), bitmap);
  bitmap.SaveToFile(kCaptureFile);
  switch (SystemMessageBox(Handle(), kDesktopQuestion, kDesktopCaption, MB_YESNOCANCEL)) {
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
