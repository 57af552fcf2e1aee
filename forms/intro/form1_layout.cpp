#include "forms/intro/form1.h"
#include "resources/resource_ids.h"

namespace {

TLabel* MakeLabel(TForm1& f, TWinControl* parent, const wchar_t* name, int l, int t, int w, int h) {
  auto* label = new TLabel(&f);
  label->SetName(name);
  label->SetParent(parent);
  label->SetBounds(l, t, w, h);
  return label;
}

TImage* CornerImage(TForm1& f, const wchar_t* name, int l, int t) {
  auto* image = new TImage(&f);
  image->SetName(name);
  image->SetParent(f.Panel1);
  image->SetBounds(l, t, 17, 17);
  image->Picture().LoadIconResource(IDI_CORNER, 16);
  return image;
}

TMenuItem* Item(TForm1& f, const wchar_t* name, const wchar_t* caption, int image) {
  auto* item = new TMenuItem(&f);
  item->SetName(name);
  item->SetCaption(caption);
  item->SetImageIndex(image);
  f.PopupMenu1->Items()->Add(item);
  return item;
}

}  // namespace

void LoadForm1Layout(TForm1& f) {
  // Components referred to by others exist before any property is set, as
  // the layout's references are resolved.
  f.ImageList1 = new TImageList(&f);
  f.PopupMenu1 = new TPopupMenu(&f);

  f.SetBorderIcons(0);
  f.SetBorderStyle(TBorderStyle::bsNone);
  f.SetCaption(L"Form1");
  f.SetClientHeight(137);
  f.SetClientWidth(535);
  f.SetColor(clGreen);
  f.SetFormStyle(TFormStyle::fsStayOnTop);
  f.SetHint(L"双击Windows任务栏的Kelvora的图标,即隐藏本窗口.");
  f.SetPosition(TPosition::poScreenCenter);
  f.SetShowHint(true);
  f.SetVisible(true);
  f.OnClose = [&f](TComponent* s, TCloseAction& a) { f.FormClose(s, a); };
  f.OnShow = [&f](TComponent* s) { f.FormShow(s); };

  f.Panel1 = new TPanel(&f);
  f.Panel1->SetName(L"Panel1");
  f.Panel1->SetParent(&f);
  f.Panel1->SetAlign(TAlign::alClient);
  f.Panel1->SetBevelWidth(7);
  f.Panel1->SetColor(clGreen);
  f.Panel1->SetHint(L"点闪烁的字，即立刻关闭本窗口！");

  f.Label2 = MakeLabel(f, f.Panel1, L"Label2", 23, 7, 17, 123);
  f.Label2->SetAutoSize(false);
  f.Label2->SetCaption(L" 源自真诚，Orvak永随");
  f.Label2->Font().Set(L"楷体_GB2312", -13, 0, clRed, GB2312_CHARSET);
  f.Label2->SetWordWrap(true);

  f.Label4 = MakeLabel(f, f.Panel1, L"Label4", 497, 7, 17, 123);
  f.Label4->SetAutoSize(false);
  f.Label4->SetCaption(L" 敬请关注，下期软件");
  f.Label4->Font().Set(L"楷体_GB2312", -13, 0, clRed, GB2312_CHARSET);
  f.Label4->SetWordWrap(true);

  f.Image6 = CornerImage(f, L"Image6", 8, 8);
  f.Image1 = CornerImage(f, L"Image1", 512, 8);
  f.Image2 = CornerImage(f, L"Image2", 6, 112);
  f.Image5 = CornerImage(f, L"Image5", 512, 112);

  f.Panel2 = new TPanel(&f);
  f.Panel2->SetName(L"Panel2");
  f.Panel2->SetParent(f.Panel1);
  f.Panel2->SetBounds(152, 8, 217, 121);
  f.Panel2->SetBevelInner(TBevelCut::bvRaised);
  f.Panel2->SetBevelOuter(TBevelCut::bvLowered);
  f.Panel2->SetBevelWidth(3);
  f.Panel2->SetColor(clGreen);

  f.ProgramIcon = new TImage(&f);
  f.ProgramIcon->SetName(L"ProgramIcon");
  f.ProgramIcon->SetParent(f.Panel2);
  f.ProgramIcon->SetBounds(8, 8, 65, 105);
  f.ProgramIcon->SetHint(L"Orvak成员");
  f.ProgramIcon->Picture().LoadJpegResource(IDR_BANNER_JPEG);
  f.ProgramIcon->SetShowHint(false);
  f.ProgramIcon->SetStretch(true);

  f.ProductName = MakeLabel(f, f.Panel2, L"ProductName", 112, 16, 65, 12);
  f.ProductName->SetCaption(L"Kelvora");
  f.ProductName->Font().Set(L"宋体", -12, fsBold);

  f.Version = MakeLabel(f, f.Panel2, L"Version", 176, 16, 35, 11);
  f.Version->SetCaption(L" v2.1");
  f.Version->Font().Set(L"宋体", -11, fsBold);

  f.Notice = MakeLabel(f, f.Panel2, L"Notice", 136, 32, 69, 13);
  f.Notice->SetCaption(L"免费共享软件");

  f.Label1 = MakeLabel(f, f.Panel2, L"Label1", 112, 48, 96, 24);
  f.Label1->SetCaption(L"托盘屏幕抓图工具简体中文正式版");
  f.Label1->Font().Set(L"宋体", -12, 0);
  f.Label1->SetWordWrap(true);

  f.Comments = MakeLabel(f, f.Panel2, L"Comments", 77, 88, 137, 13);
  f.Comments->SetCaption(L"Orvak Software Workroom");
  f.Comments->Font().Set(L"MS Serif", -11, fsBold);
  f.Comments->SetWordWrap(true);

  f.Label3 = MakeLabel(f, f.Panel2, L"Label3", 77, 104, 137, 12);
  f.Label3->SetCaption(L"Orvak工作室 策划制作");
  f.Label3->SetCursor(crHandPoint);
  f.Label3->Font().Set(L"宋体", -12, fsBold);
  f.Label3->SetHint(L"关闭本窗口");
  f.Label3->SetShowHint(true);
  f.Label3->OnClick = [&f](TComponent* s) { f.Label3Click(s); };
  f.Label3->OnMouseEnter = [&f](TComponent* s) { f.Label3MouseEnter(s); };
  f.Label3->OnMouseLeave = [&f](TComponent* s) { f.Label3MouseLeave(s); };

  f.Timer1 = new TTimer(&f);
  f.Timer1->SetName(L"Timer1");
  f.Timer1->SetEnabled(false);
  f.Timer1->SetInterval(111000);
  f.Timer1->OnTimer = [&f](TComponent* s) { f.Timer1Timer(s); };

  f.Timer2 = new TTimer(&f);
  f.Timer2->SetName(L"Timer2");
  f.Timer2->SetInterval(50);
  f.Timer2->OnTimer = [&f](TComponent* s) { f.Timer2Timer(s); };

  f.TrayIcon1 = new TTrayIcon(&f);
  f.TrayIcon1->SetName(L"TrayIcon1");
  f.TrayIcon1->SetVisible(true);
  f.TrayIcon1->SetHint(L"Kelvora^_^");
  f.TrayIcon1->SetPopupMenu(f.PopupMenu1);
  f.TrayIcon1->SetHide(true);
  f.TrayIcon1->SetRestoreOn(imLeftDoubleClick);
  f.TrayIcon1->SetPopupMenuOn(imRightClickUp);
  f.TrayIcon1->SetIcons(f.ImageList1);
  f.TrayIcon1->OnRestore = [&f](TComponent* s) { f.TrayIcon1Restore(s); };

  f.ImageList1->SetName(L"ImageList1");
  for (int i = 0; i < IDI_TRAY_COUNT; ++i) f.ImageList1->AddIconResource(IDI_TRAY_FIRST + i);

  f.PopupMenu1->SetName(L"PopupMenu1");
  f.PopupMenu1->SetImages(f.ImageList1);
  f.PopupMenu1->OnPopup = [&f](TComponent* s) { f.PopupMenu1Popup(s); };
  f.PopupMenu1->OnClose = [&f](TMenuItem* chosen) { f.PopupMenu1Close(chosen); };
  f.N1 = Item(f, L"N1", L"抓区域图", 2);
  f.N1->OnClick = [&f](TComponent* s) { f.N1Click(s); };
  f.N2 = Item(f, L"N2", L"抓桌面图", 3);
  f.N2->OnClick = [&f](TComponent* s) { f.N2Click(s); };
  f.N10 = Item(f, L"N10", L"显示抓图", 9);
  f.N10->OnClick = [&f](TComponent* s) { f.N10Click(s); };
  f.N9 = Item(f, L"N9", L"-", -1);
  f.N5 = Item(f, L"N5", L"更换图标", 4);
  f.N5->OnClick = [&f](TComponent* s) { f.N5Click(s); };
  f.N6 = Item(f, L"N6", L"图标随机", 8);
  f.N6->OnClick = [&f](TComponent* s) { f.N6Click(s); };
  f.N7 = Item(f, L"N7", L"原来图标", 0);
  f.N7->OnClick = [&f](TComponent* s) { f.N7Click(s); };
  f.N8 = Item(f, L"N8", L"-", -1);
  f.N12 = Item(f, L"N12", L"魔法关机", 5);
  f.N12->OnClick = [&f](TComponent* s) { f.N12Click(s); };
  f.N13 = Item(f, L"N13", L"-", -1);
  f.N11 = Item(f, L"N11", L"抓图设置", 10);
  f.N11->OnClick = [&f](TComponent* s) { f.N11Click(s); };
  f.N3 = Item(f, L"N3", L"关于我们", 1);
  f.N3->OnClick = [&f](TComponent* s) { f.N3Click(s); };
  f.N4 = Item(f, L"N4", L"退出抓图", 7);
  f.N4->OnClick = [&f](TComponent* s) { f.N4Click(s); };

  f.SavePictureDialog1 = new TSavePictureDialog(&f);
  f.SavePictureDialog1->SetName(L"SavePictureDialog1");

  f.Shutdown1 = new TShutdown(&f);
  f.Shutdown1->SetName(L"Shutdown1");
  f.Shutdown1->Flags = {sfPOWEROFF};

  // Every hint of the program: hollow blue outlined letters in a plain
  // green-bordered rectangle with a blue shadow.
  f.ShapeHint1 = new TShapeHint(&f);
  f.ShapeHint1->SetName(L"ShapeHint1");
  f.ShapeHint1->SetBorderColor(clGreen);
  f.ShapeHint1->SetColor(clGradientActiveCaption);
  f.ShapeHint1->Font().Set(L"黑体", -14, fsBold, clBlue, GB2312_CHARSET);
  f.ShapeHint1->Font3D().SetLightDepth(3);
  f.ShapeHint1->Font3D().SetLightColor(clHotLight);
  f.ShapeHint1->Font3D().SetShadowColor(clFuchsia);
  f.ShapeHint1->Font3D().SetStyle(tdOutline);
  f.ShapeHint1->Shadow().SetColor(14973467);
  f.ShapeHint1->SetStyle(hsRect);
}
