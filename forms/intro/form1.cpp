#include "forms/intro/form1.h"

#include <memory>
#include <new>

#include "forms/capture/form3.h"
#include "forms/capture/newform.h"
#include "forms/settings/about_box.h"
#include "forms/settings/form4.h"
#include "forms/settings/form6.h"

#include "forms/intro/fade.h"
#include "toolkit/core/exceptions.h"
#include "toolkit/core/random.h"
#include "toolkit/forms/application.h"
#include "toolkit/registry/registry.h"

TForm1* Form1 = nullptr;

namespace {
const wchar_t kCreditsMessage[] =
    L"Kelvora v2.1  托盘屏幕抓图工具\r\r"
    L"出品：Orvak Software Workroom（Orvak工作室）\r"
    L"策划、程序、美工、测试：Orvak工作室\r\r"
    L"感谢您选用本软件，祝您工作顺利、生活愉快！";
}  // namespace

TForm1::TForm1(TComponent* owner) : TForm(owner) {
  LoadForm1Layout(*this);
  FinishConstruction();
}

void TForm1::HideStep() {
  ShowWindow(Handle(), SW_HIDE);
  ShowWindow(Application->Handle(), SW_HIDE);
}

void TForm1::FormShow(TComponent*) {
  fade_counter_ = 255;
  Timer2->SetEnabled(true);
  TRegistry reg;
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  // A key that can be neither opened nor created counts as no stored time.
  if (reg.OpenKey(kOrvakKey, true) && reg.ValueExists(kDisplayTimeValue)) {
    Timer1->SetInterval(static_cast<unsigned>(reg.ReadInteger(kDisplayTimeValue)));
    Timer1->SetEnabled(true);
  } else {
    Timer1->SetEnabled(false);
  }
}

void TForm1::FormClose(TComponent*, TCloseAction& action) {
  action = TCloseAction::caFree;
}

void TForm1::Timer1Timer(TComponent*) {
  HideStep();
}

void TForm1::Timer2Timer(TComponent*) {
  const FadeTick tick = FadeStep(fade_counter_);
  SetAlphaBlend(true);
  SetAlphaBlendValue(tick.alpha);
  if (tick.hide) {
    HideStep();
    Timer2->SetEnabled(false);
  }
  Label3->Font().SetColor(static_cast<TColor>(NextCreditsColour()));
}

void TForm1::Label3Click(TComponent*) {
  HideStep();
  ShowMessage(kCreditsMessage);
}

void TForm1::Label3MouseEnter(TComponent*) {
  Timer2->SetEnabled(false);
  Label3->Font().SetColor(clBlue);
}

void TForm1::Label3MouseLeave(TComponent*) {
  Timer2->SetEnabled(true);
}

void TForm1::TrayIcon1Restore(TComponent*) {
  Timer1->SetEnabled(false);
  if (IsWindowVisible(Handle()))
    ShowWindow(Handle(), SW_HIDE);
  else
    ShowWindow(Handle(), SW_SHOW);
  ShowWindow(Application->Handle(), SW_HIDE);
}

void TForm1::PopupMenu1Popup(TComponent*) {
  N6->SetEnabled(!TrayIcon1->GetAnimate());
  // While the user chooses, the region selector's still picture gets its
  // memory: bringing in a whole screen's worth of it would otherwise delay
  // the selector after the click.
  if (!Newform) return;
  try {
    Newform->PrepareStill();
  } catch (const Exception&) {
    // Only a head start, which must not cost the user the menu: the
    // selector makes its picture when it shows, and reports there what fails.
  } catch (const std::bad_alloc&) {
  }
}

void TForm1::PopupMenu1Close(TMenuItem* chosen) {
  if (!Newform) return;
  if (chosen == N1)
    Newform->SetMenuArea(PopupMenu1->ShownArea());
  else
    Newform->DropStill();
}

void TForm1::N10Click(TComponent*) {
  // As the region capture: nothing before the viewer exists.
  if (Form3) Form3->ShowModal();
}

void TForm1::N5Click(TComponent*) {
  TrayIcon1->SetAnimate(false);
  TrayIcon1->SetIconIndex(Random(10));
}

void TForm1::N6Click(TComponent*) {
  TrayIcon1->SetAnimate(true);
}

void TForm1::N7Click(TComponent*) {
  TrayIcon1->SetAnimate(false);
  TrayIcon1->SetIconIndex(0);
}

void TForm1::N12Click(TComponent*) {
  // No question: the command's whole point is an instant power-off. A
  // refused request leaves the program running as before.
  Shutdown1->Shutdown();
}

void TForm1::N11Click(TComponent*) {
  // A new window each time; it frees itself when it closes.
  (new TForm4(this))->ShowModal();
}

void TForm1::N3Click(TComponent*) {
  // Destroyed here, even when its loop ends in an error.
  const std::unique_ptr<TAboutBox> box(new TAboutBox(this));
  box->ShowModal();
}

void TForm1::N4Click(TComponent*) {
  Form6 = new TForm6(this);
  Form6->ShowModal();
  Close();
}
