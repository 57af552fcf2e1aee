#include "forms/capture/form3.h"

#include "resources/resource_ids.h"

namespace {
TMenuItem* Item(TForm3& f, const wchar_t* name, const wchar_t* caption, int glyph) {
  auto* item = new TMenuItem(&f);
  item->SetName(name);
  item->SetCaption(caption);
  item->SetBitmapResource(glyph);
  f.PopupMenu1->Items()->Add(item);
  return item;
}
}  // namespace

void LoadForm3Layout(TForm3& f) {
  // The popup menu exists before the window refers to it, as the layout's
  // references are resolved.
  f.PopupMenu1 = new TPopupMenu(&f);

  f.SetBounds(192, 114, 333, 301);
  f.SetCaption(L"Kelvorav20->显示抓图");
  f.SetPosition(TPosition::poScreenCenter);
  f.SetColor(clBtnFace);
  f.SetIconResource(IDI_VIEWER);
  f.SetPopupMenu(f.PopupMenu1);
  f.OnShow = [&f](TComponent* s) { f.FormShow(s); };

  f.Panel1 = new TPanel(&f);
  f.Panel1->SetName(L"Panel1");
  f.Panel1->SetParent(&f);
  f.Panel1->SetBounds(0, 0, 325, 274);
  f.Panel1->SetAlign(TAlign::alClient);
  f.Panel1->SetBevelWidth(3);
  f.Panel1->SetColor(clGreen);

  f.Image1 = new TImage(&f);
  f.Image1->SetName(L"Image1");
  f.Image1->SetParent(f.Panel1);
  f.Image1->SetBounds(3, 3, 319, 268);
  f.Image1->SetCursor(crHandPoint);
  f.Image1->SetAlign(TAlign::alClient);
  f.Image1->SetAutoSize(true);
  f.Image1->SetCenter(true);
  f.Image1->SetProportional(true);

  f.SavePictureDialog1 = new TSavePictureDialog(&f);
  f.SavePictureDialog1->SetName(L"SavePictureDialog1");

  f.PopupMenu1->SetName(L"PopupMenu1");
  f.PopupMenu1->OnPopup = [&f](TComponent* s) { f.PopupMenu1Popup(s); };
  f.N1 = Item(f, L"N1", L"图片另存为...", IDB_VIEWER_SAVE);
  f.N1->SetEnabled(false);
  f.N1->OnClick = [&f](TComponent* s) { f.N1Click(s); };
  f.N2 = Item(f, L"N2", L"退出显示窗口", IDB_VIEWER_EXIT);
  f.N2->OnClick = [&f](TComponent* s) { f.N2Click(s); };
}
