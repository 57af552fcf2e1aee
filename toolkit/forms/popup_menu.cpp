#include "toolkit/forms/popup_menu.h"

#include <algorithm>

#include "toolkit/core/handle.h"
#include "toolkit/forms/image_list.h"

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {}

TMenuItem::~TMenuItem() {
  for (TMenuItem* item : items_) item->parent_ = nullptr;
  if (parent_) parent_->Remove(this);
}

void TMenuItem::Add(TMenuItem* item) {
  if (item->parent_) item->parent_->Remove(item);
  items_.push_back(item);
  item->parent_ = this;
}

void TMenuItem::Remove(TMenuItem* item) {
  items_.erase(std::remove(items_.begin(), items_.end(), item), items_.end());
  item->parent_ = nullptr;
}

void TMenuItem::Click() {
  if (enabled_ && OnClick) OnClick(this);
}

TPopupMenu::TPopupMenu(TComponent* owner)
    : TComponent(owner), items_(std::make_unique<TMenuItem>(nullptr)) {
  window_ = AllocateHWnd([](UINT, WPARAM, LPARAM, bool&) -> LRESULT { return 0; });
}

TPopupMenu::~TPopupMenu() = default;

void TPopupMenu::SetImages(TImageList* images) {
  if (images_) images_->RemoveFreeNotification(this);
  images_ = images;
  if (images_) images_->FreeNotification(this);
}

void TPopupMenu::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == TOperation::opRemove && component == images_) images_ = nullptr;
}

void TPopupMenu::Build(HMENU menu, const TMenuItem* parent, std::vector<TMenuItem*>& commands) const {
  for (TMenuItem* item : parent->Items()) {
    if (!item->Visible()) continue;
    MENUITEMINFOW mi{};
    mi.cbSize = sizeof(mi);
    if (item->IsSeparator()) {
      mi.fMask = MIIM_FTYPE;
      mi.fType = MFT_SEPARATOR;
    } else {
      commands.push_back(item);
      mi.fMask = MIIM_STRING | MIIM_ID | MIIM_STATE;
      mi.wID = static_cast<UINT>(commands.size());
      mi.dwTypeData = const_cast<wchar_t*>(item->Caption().c_str());
      mi.fState = item->Enabled() ? MFS_ENABLED : MFS_GRAYED;
      if (images_) {
        if (HBITMAP bmp = images_->MenuBitmap(item->ImageIndex())) {
          mi.fMask |= MIIM_BITMAP;
          mi.hbmpItem = bmp;
        }
      }
      if (!item->Items().empty()) {
        HMENU sub = CreatePopupMenu();
        Build(sub, item, commands);
        mi.fMask |= MIIM_SUBMENU;
        mi.hSubMenu = sub;
      }
    }
    InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &mi);
  }
}

void TPopupMenu::Popup(int x, int y) {
  if (OnPopup) OnPopup(this);
  unique_hmenu menu(CreatePopupMenu());
  std::vector<TMenuItem*> commands;
  Build(menu.get(), items_.get(), commands);
  const UINT chosen = static_cast<UINT>(TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD,
                                                       x, y, 0, window_->Handle(), nullptr));
  menu.reset();
  if (chosen >= 1 && chosen <= commands.size()) commands[chosen - 1]->Click();
}
