#include "forms/settings/form4.h"
#include "resources/resource_ids.h"

namespace {

// The bold 宋体 of the two group captions.
void SetCaptionFont(TControl* c) {
  c->Font().SetName(L"宋体");
  c->Font().SetCharset(ANSI_CHARSET);
  c->Font().SetHeight(-13);
  c->Font().SetStyle(fsBold);
  c->Font().SetColor(clLime);
}

TRadioButton* Radio(TForm4& f, TWinControl* parent, const wchar_t* name, int l, int t, int w,
                    const wchar_t* caption) {
  auto* radio = new TRadioButton(&f);
  radio->SetName(name);
  radio->SetParent(parent);
  radio->SetBounds(l, t, w, 17);
  radio->SetCaption(caption);
  // The buttons take their parent's colour.
  radio->SetColor(parent->Color());
  return radio;
}

TImage* DonePicture(TForm4& f, TWinControl* parent, const wchar_t* name, int l, int t) {
  auto* image = new TImage(&f);
  image->SetName(name);
  image->SetParent(parent);
  image->SetBounds(l, t, 81, 81);
  image->SetCursor(crHandPoint);
  image->SetHint(L"设置完成");
  image->Picture().LoadMetafileResource(IDR_DONE_PICTURE);
  image->SetShowHint(true);
  image->OnClick = [&f](TComponent* s) { f.Image1Click(s); };
  return image;
}

}  // namespace

void LoadForm4Layout(TForm4& f) {
  f.SetBorderIcons(biSystemMenu | biMinimize);
  f.SetBorderStyle(TBorderStyle::bsToolWindow);
  f.SetCaption(L"Kelvora设置");
  f.SetClientHeight(287);
  f.SetClientWidth(355);
  f.SetColor(clBtnFace);
  f.SetIconResource(IDI_APP);
  f.SetPosition(TPosition::poScreenCenter);
  f.OnClose = [&f](TComponent* s, TCloseAction& a) { f.FormClose(s, a); };
  f.OnShow = [&f](TComponent* s) { f.FormShow(s); };

  f.Panel1 = new TPanel(&f);
  f.Panel1->SetName(L"Panel1");
  f.Panel1->SetParent(&f);
  f.Panel1->SetAlign(TAlign::alClient);
  f.Panel1->SetBevelWidth(3);
  f.Panel1->SetColor(clBackground);

  f.RadioGroup1 = new TRadioGroup(&f);
  f.RadioGroup1->SetName(L"RadioGroup1");
  f.RadioGroup1->SetParent(f.Panel1);
  f.RadioGroup1->SetBounds(16, 16, 321, 129);
  f.RadioGroup1->SetCaption(L"Kelvora启动设置");
  f.RadioGroup1->SetColor(clBackground);
  SetCaptionFont(f.RadioGroup1);
  f.RadioGroup1->SetTabOrder(1);

  // The autostart buttons belong to the panel, not to the frame they sit
  // over, and use the form's font.
  f.RadioButton1 = Radio(f, f.Panel1, L"RadioButton1", 32, 48, 121, L"每次开机自行启动。");
  f.RadioButton1->Font().Assign(f.Font());
  f.RadioButton1->OnClick = [&f](TComponent* s) { f.RadioButton1Click(s); };
  f.RadioButton1->SetTabOrder(2);
  f.RadioButton2 = Radio(f, f.Panel1, L"RadioButton2", 32, 72, 153, L"每次开机不要自行启动。");
  f.RadioButton2->Font().Assign(f.Font());
  f.RadioButton2->OnClick = [&f](TComponent* s) { f.RadioButton2Click(s); };
  f.RadioButton2->SetTabOrder(3);

  f.GroupBox1 = new TGroupBox(&f);
  f.GroupBox1->SetName(L"GroupBox1");
  f.GroupBox1->SetParent(f.Panel1);
  f.GroupBox1->SetBounds(16, 168, 193, 105);
  f.GroupBox1->SetCaption(L"Kelvora启动画面设置");
  f.GroupBox1->SetColor(f.Panel1->Color());  // the panel's colour shows through
  SetCaptionFont(f.GroupBox1);
  f.GroupBox1->SetTabOrder(0);

  f.RadioButton3 = Radio(f, f.GroupBox1, L"RadioButton3", 16, 24, 121, L"画面显示时间为3秒");
  f.RadioButton3->Font().SetColor(clBlack);
  f.RadioButton3->OnClick = [&f](TComponent* s) { f.RadioButton3Click(s); };
  f.RadioButton4 = Radio(f, f.GroupBox1, L"RadioButton4", 16, 48, 129, L"画面显示时间为30秒");
  f.RadioButton4->Font().SetColor(clBlack);
  f.RadioButton4->OnClick = [&f](TComponent* s) { f.RadioButton4Click(s); };
  f.RadioButton5 = Radio(f, f.GroupBox1, L"RadioButton5", 16, 72, 137, L"画面显示时间为300秒");
  f.RadioButton5->Font().SetColor(clBlack);
  f.RadioButton5->OnClick = [&f](TComponent* s) { f.RadioButton5Click(s); };

  f.Image1 = DonePicture(f, f.Panel1, L"Image1", 256, 192);
  f.Image1->OnMouseMove = [&f](TComponent* s, TShiftState sh, int x, int y) { f.Image1MouseMove(s, sh, x, y); };

  f.Panel2 = new TPanel(&f);
  f.Panel2->SetName(L"Panel2");
  f.Panel2->SetParent(f.Panel1);
  f.Panel2->SetBounds(248, 192, 89, 81);
  f.Panel2->SetBevelWidth(5);
  f.Panel2->SetCaption(L"Panel2");
  f.Panel2->SetColor(clHotLight);
  f.Panel2->SetVisible(false);
  f.Panel2->SetTabOrder(4);

  f.Image2 = DonePicture(f, f.Panel2, L"Image2", 8, 0);
  f.Image2->OnMouseMove = [&f](TComponent* s, TShiftState sh, int x, int y) { f.Image2MouseMove(s, sh, x, y); };
}
