#pragma once
// The capture viewer: shows the last capture on a green panel, with a
// right-click menu to save it under another name or to close the window.
#include "toolkit/dialogs/save_picture_dialog.h"
#include "toolkit/forms/form.h"
#include "toolkit/forms/image.h"
#include "toolkit/forms/panel.h"
#include "toolkit/forms/popup_menu.h"

class TForm3 : public TForm {
 public:
  explicit TForm3(TComponent* owner);
  const wchar_t* ClassName() const override { return L"TForm3"; }

  TPanel* Panel1 = nullptr;
  TImage* Image1 = nullptr;
  TSavePictureDialog* SavePictureDialog1 = nullptr;
  TPopupMenu* PopupMenu1 = nullptr;
  TMenuItem* N1 = nullptr;  // save the picture under another name
  TMenuItem* N2 = nullptr;  // close the viewer

  // Whether the capture file existed when the viewer was last shown.
  bool HasCapture = false;

  void FormShow(TComponent* sender);
  void PopupMenu1Popup(TComponent* sender);
  void N1Click(TComponent* sender);
  void N2Click(TComponent* sender);
};

// Builds the viewer's controls and stored properties, in layout order.
void LoadForm3Layout(TForm3& form);

// What the viewer says when there is no capture file.
inline constexpr wchar_t kNoCaptureMessage[] = L"魔法提示:\r\r您还没有截图呢?呵..呵...真粗心啊?!\r";

extern TForm3* Form3;
