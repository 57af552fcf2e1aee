#include "forms/settings/about_box.h"
#include "resources/resource_ids.h"

namespace {

TLabel* MakeLabel(TAboutBox& f, const wchar_t* name, int l, int t, int w, int h) {
  auto* label = new TLabel(&f);
  label->SetName(name);
  label->SetParent(f.Panel2);
  label->SetBounds(l, t, w, h);
  return label;
}

TImage* SmallIcon(TAboutBox& f, const wchar_t* name, int l, int t) {
  auto* image = new TImage(&f);
  image->SetName(name);
  image->SetParent(f.Panel2);
  image->SetBounds(l, t, 17, 17);
  image->Picture().LoadIconResource(IDI_APP, 16);
  return image;
}

}  // namespace

void LoadAboutBoxLayout(TAboutBox& f) {
  f.SetBorderStyle(TBorderStyle::bsToolWindow);
  f.SetCaption(kAboutCaption);
  f.SetClientHeight(160);
  f.SetClientWidth(350);
  f.SetColor(clGreen);
  f.SetPosition(TPosition::poScreenCenter);

  f.Panel1 = new TPanel(&f);
  f.Panel1->SetName(L"Panel1");
  f.Panel1->SetParent(&f);
  f.Panel1->SetAlign(TAlign::alClient);
  f.Panel1->SetColor(clRed);
  f.Panel1->OnClick = [&f](TComponent* s) { f.Panel1Click(s); };

  f.Panel2 = new TPanel(&f);
  f.Panel2->SetName(L"Panel2");
  f.Panel2->SetParent(f.Panel1);
  f.Panel2->SetBounds(8, 16, 329, 129);
  f.Panel2->SetBevelInner(TBevelCut::bvRaised);
  f.Panel2->SetBevelOuter(TBevelCut::bvLowered);
  f.Panel2->SetBevelWidth(3);
  f.Panel2->SetColor(clGradientActiveCaption);
  f.Panel2->Font().Set(L"MS Sans Serif", -11, 0, clBlue);
  f.Panel2->OnClick = [&f](TComponent* s) { f.Panel1Click(s); };

  f.StaticText2 = new TStaticText(&f);
  f.StaticText2->SetName(L"StaticText2");
  f.StaticText2->SetParent(f.Panel2);
  f.StaticText2->SetBounds(6, 6, 19, 117);
  f.StaticText2->SetAlign(TAlign::alLeft);
  f.StaticText2->SetAutoSize(false);
  f.StaticText2->SetCaption(L"敬请关注下期软件");
  f.StaticText2->Font().Set(L"黑体", -13, fsBold, clRed, GB2312_CHARSET);

  f.ProgramIcon = new TImage(&f);
  f.ProgramIcon->SetName(L"ProgramIcon");
  f.ProgramIcon->SetParent(f.Panel2);
  f.ProgramIcon->SetBounds(32, 8, 73, 105);
  f.ProgramIcon->Picture().LoadJpegResource(IDR_BANNER_JPEG);
  f.ProgramIcon->SetStretch(true);

  f.ProductName = MakeLabel(f, L"ProductName", 112, 8, 202, 17);
  f.ProductName->SetAutoSize(false);
  f.ProductName->SetCaption(L"  Orvak Software Workroom");
  f.ProductName->Font().Set(L"Arial Black", -12, fsBold, clBlue, ANSI_CHARSET);

  f.Names = MakeLabel(f, L"Names", 200, 32, 112, 42);
  f.Names->SetCaption(L"策划编程：阿凯\r\n界面美工：小沃\r\n测试支持：维维");
  f.Names->Font().Set(L"宋体", -14, 0, clOlive, GB2312_CHARSET);
  f.Names->SetWordWrap(true);

  f.Comments = MakeLabel(f, L"Comments", 264, 96, 49, 13);
  f.Comments->SetAutoSize(false);
  f.Comments->SetCaption(L"敬上");
  f.Comments->Font().Set(L"楷体_GB2312", -13, 0, clBlue);

  f.Image2 = SmallIcon(f, L"Image2", 120, 96);

  f.Label1 = MakeLabel(f, L"Label1", 136, 96, 112, 15);
  f.Label1->SetAutoSize(false);
  f.Label1->SetCaption(L"Orvak软件工作室");
  f.Label1->Font().Set(L"宋体", -15, fsBold, clBlue, ANSI_CHARSET);

  f.Image1 = SmallIcon(f, L"Image1", 248, 96);

  f.Timer1 = new TTimer(&f);
  f.Timer1->SetName(L"Timer1");
  f.Timer1->OnTimer = [&f](TComponent* s) { f.Timer1Timer(s); };
}
