#pragma once
// The settings window: whether the program starts when a user logs on, and
// how long the intro window stays up. Every choice is written to the registry
// the moment it is made; the done picture only closes the window, which
// frees itself when it closes.
#include <cstdint>
#include <string>

#include "toolkit/forms/form.h"
#include "toolkit/forms/group_box.h"
#include "toolkit/forms/image.h"
#include "toolkit/forms/panel.h"
#include "toolkit/forms/radio_button.h"
#include "toolkit/forms/radio_group.h"
#include "toolkit/win/timer.h"

class TForm4 : public TForm {
 public:
  // `owner` is the intro window; the stored display time is applied to its
  // display-time timer.
  explicit TForm4(TComponent* owner);
  const wchar_t* ClassName() const override { return L"TForm4"; }

  TPanel* Panel1 = nullptr;
  TRadioGroup* RadioGroup1 = nullptr;
  TRadioButton* RadioButton1 = nullptr;  // start with Windows
  TRadioButton* RadioButton2 = nullptr;  // do not start with Windows
  TGroupBox* GroupBox1 = nullptr;
  TRadioButton* RadioButton3 = nullptr;  // 3 s
  TRadioButton* RadioButton4 = nullptr;  // 30 s
  TRadioButton* RadioButton5 = nullptr;  // 300 s
  TImage* Image1 = nullptr;              // the done picture, plain
  TPanel* Panel2 = nullptr;              // the done picture's frame
  TImage* Image2 = nullptr;              // the done picture, framed

  void FormShow(TComponent* sender);
  void FormClose(TComponent* sender, TCloseAction& action);
  void RadioButton1Click(TComponent* sender);
  void RadioButton2Click(TComponent* sender);
  void RadioButton3Click(TComponent* sender);
  void RadioButton4Click(TComponent* sender);
  void RadioButton5Click(TComponent* sender);
  void Image1Click(TComponent* sender);
  void Image1MouseMove(TComponent* sender, TShiftState shift, int x, int y);
  void Image2MouseMove(TComponent* sender, TShiftState shift, int x, int y);

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  TTimer* display_timer_ = nullptr;
};

// Builds the settings window's controls and stored properties, in layout order.
void LoadForm4Layout(TForm4& form);

// The autostart value: the key the system starts programs from at logon.
inline constexpr wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kAutostartValue[] = L"OrvakTuV20";

// The display times the window offers, in milliseconds.
inline constexpr int32_t kDisplayTime3s = 3000;
inline constexpr int32_t kDisplayTime30s = 30000;
inline constexpr int32_t kDisplayTime300s = 300000;

// What the autostart value holds for the program file at `path`: the path
// itself, in quotes when it has a space, so that the system does not take
// the part before the space for the program.
std::wstring AutostartCommand(const std::wstring& path);
