#include "forms/settings/form4.h"

#include "forms/intro/form1.h"
#include "toolkit/forms/application.h"
#include "toolkit/registry/registry.h"

namespace {
// Each registry operation opens its key afresh, creating it if missing,
// and goes on whether or not that worked: without a key, an existence test
// answers no, a delete does nothing and a write raises.
TRegistry MachineKey(const wchar_t* path) {
  TRegistry reg;
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  reg.OpenKey(path, true);
  return reg;
}

void StoreDisplayTime(int32_t ms) {
  MachineKey(kOrvakKey).WriteInteger(kDisplayTimeValue, ms);
}
}  // namespace

std::wstring AutostartCommand(const std::wstring& path) {
  if (path.find(L' ') == std::wstring::npos) return path;
  return L"\"" + path + L"\"";
}

TForm4::TForm4(TComponent* owner) : TForm(owner) {
  if (auto* intro = dynamic_cast<TForm1*>(owner)) {
    display_timer_ = intro->Timer1;
    if (display_timer_) FreeNotification(display_timer_);
  }
  LoadForm4Layout(*this);
  FinishConstruction();
}

void TForm4::Notification(TComponent* component, TOperation operation) {
  TForm::Notification(component, operation);
  if (operation == TOperation::opRemove && component == display_timer_) display_timer_ = nullptr;
}

void TForm4::FormShow(TComponent*) {
  // Checking a button runs its click handler, so both groups write their
  // state straight back: the autostart value gets the path of the program
  // running now.
  if (MachineKey(kRunKey).ValueExists(kAutostartValue)) {
    RadioButton1->SetChecked(true);
  } else {
    RadioButton1->SetChecked(false);
    RadioButton2->SetChecked(true);
  }
  TRegistry studio = MachineKey(kOrvakKey);
  if (!studio.ValueExists(kDisplayTimeValue)) return;
  const int32_t ms = studio.ReadInteger(kDisplayTimeValue);
  // Any stored time reaches the intro window, even one the window offers no
  // button for.
  if (display_timer_) display_timer_->SetInterval(static_cast<unsigned>(ms));
  if (ms == kDisplayTime3s) {
    RadioButton3->SetChecked(true);
    RadioButton4->SetChecked(false);
    RadioButton5->SetChecked(false);
  }
  if (ms == kDisplayTime30s) {
    RadioButton4->SetChecked(true);
    RadioButton3->SetChecked(false);
    RadioButton5->SetChecked(false);
  }
  if (ms == kDisplayTime300s) {
    RadioButton5->SetChecked(true);
    RadioButton3->SetChecked(false);
    RadioButton4->SetChecked(false);
  }
}

void TForm4::FormClose(TComponent*, TCloseAction& action) {
  action = TCloseAction::caFree;
}

void TForm4::RadioButton1Click(TComponent*) {
  MachineKey(kRunKey).WriteString(kAutostartValue, AutostartCommand(Application->ExeName()));
}

void TForm4::RadioButton2Click(TComponent*) {
  // Nothing to delete is no error.
  MachineKey(kRunKey).DeleteValue(kAutostartValue);
}

void TForm4::RadioButton3Click(TComponent*) {
  StoreDisplayTime(kDisplayTime3s);
}

void TForm4::RadioButton4Click(TComponent*) {
  StoreDisplayTime(kDisplayTime30s);
}

void TForm4::RadioButton5Click(TComponent*) {
  StoreDisplayTime(kDisplayTime300s);
}

void TForm4::Image1Click(TComponent*) {
  Close();
}

// The two pictures cover the same pixels: each move over the done button
// swaps the plain look for the framed one and back.
void TForm4::Image1MouseMove(TComponent*, TShiftState, int, int) {
  Image1->SetVisible(false);
  Panel2->SetVisible(true);
}

void TForm4::Image2MouseMove(TComponent*, TShiftState, int, int) {
  Panel2->SetVisible(false);
  Image1->SetVisible(true);
}
