#include "forms/capture/form3.h"
#include "forms/capture/screen_capture.h"

#include <windows.h>

#include "toolkit/forms/application.h"

TForm3* Form3 = nullptr;

namespace {
// Any file system object of that name counts as the capture.
bool CaptureFileExists() {
  return GetFileAttributesW(kCaptureName) != INVALID_FILE_ATTRIBUTES;
}
}  // namespace

TForm3::TForm3(TComponent* owner) : TForm(owner) {
  LoadForm3Layout(*this);
  FinishConstruction();
}

void TForm3::FormShow(TComponent*) {
  if (CaptureFileExists()) {
    HasCapture = true;
    // A file that is no valid picture raises here; the viewer keeps the
    // picture it had and opens all the same.
    Image1->Picture().LoadFromFile(kCaptureName);
    Image1->PictureChanged();
  } else {
    ShowMessage(kNoCaptureMessage);
    HasCapture = false;
  }
}

void TForm3::PopupMenu1Popup(TComponent*) {
  N1->SetEnabled(HasCapture);
}

void TForm3::N1Click(TComponent*) {
  if (!CaptureFileExists()) {
    ShowMessage(kNoCaptureMessage);
    return;
  }
  // The picture saved is the one shown, not a fresh read of the file.
  if (SavePictureDialog1->Execute()) Image1->Picture().SaveToFile(SavePictureDialog1->FileName());
}

void TForm3::N2Click(TComponent*) {
  Close();
}
