#pragma once
// The intro window: the green banner that fades out at start, and the owner
// of everything the program keeps running (tray icon, tray menu, timers,
// save dialog).
#include <cstdint>

#include "components/shapehint/shape_hint.h"
#include "components/shutdown/shutdown.h"
#include "components/trayicon/tray_icon.h"
#include "toolkit/dialogs/save_picture_dialog.h"
#include "toolkit/forms/form.h"
#include "toolkit/forms/image.h"
#include "toolkit/forms/image_list.h"
#include "toolkit/forms/label.h"
#include "toolkit/forms/panel.h"
#include "toolkit/forms/popup_menu.h"
#include "toolkit/win/timer.h"

class TForm1 : public TForm {
 public:
  explicit TForm1(TComponent* owner);
  const wchar_t* ClassName() const override { return L"TForm1"; }

  TPanel* Panel1 = nullptr;
  TLabel* Label2 = nullptr;
  TLabel* Label4 = nullptr;
  TImage* Image6 = nullptr;
  TImage* Image1 = nullptr;
  TImage* Image2 = nullptr;
  TImage* Image5 = nullptr;
  TPanel* Panel2 = nullptr;
  TImage* ProgramIcon = nullptr;
  TLabel* ProductName = nullptr;
  TLabel* Version = nullptr;
  TLabel* Notice = nullptr;
  TLabel* Label1 = nullptr;
  TLabel* Comments = nullptr;
  TLabel* Label3 = nullptr;  // the flashing credits
  TTimer* Timer1 = nullptr;  // display time
  TTimer* Timer2 = nullptr;  // fade
  TTrayIcon* TrayIcon1 = nullptr;
  TImageList* ImageList1 = nullptr;
  TPopupMenu* PopupMenu1 = nullptr;
  TSavePictureDialog* SavePictureDialog1 = nullptr;
  TShutdown* Shutdown1 = nullptr;
  TShapeHint* ShapeHint1 = nullptr;
  TMenuItem *N1 = nullptr, *N2 = nullptr, *N10 = nullptr, *N9 = nullptr, *N5 = nullptr, *N6 = nullptr,
            *N7 = nullptr, *N8 = nullptr, *N12 = nullptr, *N13 = nullptr, *N11 = nullptr, *N3 = nullptr,
            *N4 = nullptr;

  void FormShow(TComponent* sender);
  void FormClose(TComponent* sender, TCloseAction& action);
  void Timer1Timer(TComponent* sender);
  void Timer2Timer(TComponent* sender);
  void Label3Click(TComponent* sender);
  void Label3MouseEnter(TComponent* sender);
  void Label3MouseLeave(TComponent* sender);
  void TrayIcon1Restore(TComponent* sender);
  void PopupMenu1Popup(TComponent* sender);
  void PopupMenu1Close(TMenuItem* chosen);
  // The capture commands (their bodies live with the capture routines).
  void N1Click(TComponent* sender);
  void N2Click(TComponent* sender);
  void CaptureRect(RECT& rect);
  void N10Click(TComponent* sender);
  void N5Click(TComponent* sender);
  void N6Click(TComponent* sender);
  void N7Click(TComponent* sender);
  void N12Click(TComponent* sender);
  void N11Click(TComponent* sender);
  void N3Click(TComponent* sender);
  void N4Click(TComponent* sender);

  int32_t FadeCounter() const noexcept { return fade_counter_; }

 private:
  void HideStep();
  int32_t fade_counter_ = 0;
};

// Builds the intro window's controls and stored properties, in layout order.
void LoadForm1Layout(TForm1& form);

// Where the display time is stored.
inline constexpr wchar_t kOrvakKey[] = L"SOFTWARE\\Orvak";
inline constexpr wchar_t kDisplayTimeValue[] = L"OrvakTuV20Time";

extern TForm1* Form1;
