#pragma once
// The about box: the studio and its members on a red and blue ground, with a
// clock in its title bar. A click on the bare ground closes it; whoever opens
// it destroys it afterwards.
#include "toolkit/forms/form.h"
#include "toolkit/forms/image.h"
#include "toolkit/forms/label.h"
#include "toolkit/forms/panel.h"
#include "toolkit/forms/static_text.h"
#include "toolkit/win/timer.h"

class TAboutBox : public TForm {
 public:
  explicit TAboutBox(TComponent* owner);
  const wchar_t* ClassName() const override { return L"TAboutBox"; }

  TPanel* Panel1 = nullptr;
  TPanel* Panel2 = nullptr;
  TStaticText* StaticText2 = nullptr;
  TImage* ProgramIcon = nullptr;
  TLabel* ProductName = nullptr;
  TLabel* Names = nullptr;  // the studio's members
  TLabel* Comments = nullptr;
  TImage* Image2 = nullptr;
  TLabel* Label1 = nullptr;
  TImage* Image1 = nullptr;
  TTimer* Timer1 = nullptr;  // the clock caption

  void Panel1Click(TComponent* sender);
  void Timer1Timer(TComponent* sender);
};

// Builds the about box's controls and stored properties, in layout order.
void LoadAboutBoxLayout(TAboutBox& form);

// The caption the box opens with, and the clock caption's two ends.
inline constexpr wchar_t kAboutCaption[] = L"=Orvak=伴你每时每刻";
inline constexpr wchar_t kAboutClockTail[] = L"*^_^*";
