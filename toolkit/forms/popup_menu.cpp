#include "toolkit/forms/popup_menu.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <string_view>

#include "toolkit/core/dpi_scale.h"
#include "toolkit/core/exceptions.h"
#include "toolkit/forms/image_list.h"
#include "toolkit/graphics/dib.h"
#include "toolkit/win/handle.h"
#include "toolkit/win/system_library.h"
#include "toolkit/win/window_list.h"

namespace {
// The colour that marks a glyph's transparent pixels (0x00RRGGBB as a 32-bit
// DIB stores it).
constexpr uint32_t kGlyphTransparent = 0x00FF00FF;
}  // namespace

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {}

TMenuItem::~TMenuItem() {
  for (TMenuItem* item : items_) item->parent_ = nullptr;
  if (parent_) parent_->Remove(this);
}

namespace {

// A glyph resource as a menu draws it, at `size` pixels square (0: its own
// size). Enlarged pixel for pixel, so that the transparent colour stays exact.
unique_hbitmap MenuGlyph(int id, int size) {
  unique_hbitmap source(static_cast<HBITMAP>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, size, size, LR_CREATEDIBSECTION)));
  if (!source) throw EInvalidGraphic(L"Bitmap image is not valid");
  BITMAP bm{};
  GetObjectW(source.get(), sizeof(bm), &bm);
  const int width = bm.bmWidth, height = std::abs(bm.bmHeight);
  Dib32 glyph = CreateDib32(width, height);
  if (!glyph.bitmap) throw EOutOfResources();
  unique_hdc dc(CreateCompatibleDC(nullptr));
  if (GetDIBits(dc.get(), source.get(), 0, static_cast<UINT>(height), glyph.pixels, &glyph.info, DIB_RGB_COLORS) !=
      height)
    throw EInvalidGraphic(L"Bitmap image is not valid");
  // Menus blend 32-bit item bitmaps by their (premultiplied) alpha: the
  // marked pixels become fully transparent, every other one fully opaque.
  uint32_t* px = glyph.pixels;
  for (int i = 0; i < width * height; ++i)
    px[i] = (px[i] & 0x00FFFFFFu) == kGlyphTransparent ? 0 : (px[i] | 0xFF000000u);
  return std::move(glyph.bitmap);
}

}  // namespace

void TMenuItem::SetBitmapResource(int id) {
  bitmap_ = MenuGlyph(id, 0);
  bitmap_resource_ = id;
  scaled_bitmap_.reset();
  scaled_dpi_ = 0;
}

HBITMAP TMenuItem::Bitmap(int dpi) const {
  if (!bitmap_ || dpi == kDesignDpi || !bitmap_resource_) return bitmap_.get();
  if (scaled_dpi_ != dpi) {
    BITMAP bm{};
    GetObjectW(bitmap_.get(), sizeof(bm), &bm);
    scaled_bitmap_ = MenuGlyph(bitmap_resource_, ScaleForDpi(bm.bmWidth, dpi));
    scaled_dpi_ = dpi;
  }
  return scaled_bitmap_.get();
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
  // The menu's owner hears of it while the user chooses: when the menu
  // waits for input, and as the selection moves (to the item clicked, or
  // picked by the keyboard).
  window_ = AllocateHWnd([this](UINT msg, WPARAM wp, LPARAM, bool&) -> LRESULT {
    if ((msg == WM_ENTERIDLE && wp == MSGF_MENU) || msg == WM_MENUSELECT) NoteShownArea();
    return 0;
  });
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

void TPopupMenu::Build(HMENU menu, std::vector<TMenuItem*>& commands) const {
  for (TMenuItem* item : items_->Items()) {
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
      HBITMAP bmp = images_ ? images_->MenuBitmap(item->ImageIndex()) : nullptr;
      if (!bmp) bmp = item->Bitmap(dpi_);
      if (bmp) {
        mi.fMask |= MIIM_BITMAP;
        mi.hbmpItem = bmp;
      }
    }
    InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &mi);
  }
}

void TPopupMenu::NoteShownArea() noexcept {
  // Only a head start for the capture that may follow: without the list
  // of windows (no memory for it) the area stays as it was, and the capture
  // waits for the whole screen as it does with no area.
  std::vector<HWND> windows;
  try {
    windows = ThreadWindows();
  } catch (const std::bad_alloc&) {
    return;
  }
  for (HWND wnd : windows) {
    wchar_t name[16];
    RECT rect;
    // The menu's window, and the windows Windows draws its shadow in.
    if (IsWindowVisible(wnd) && GetClassNameW(wnd, name, 16) &&
        (std::wstring_view(name) == L"#32768" || std::wstring_view(name) == L"SysShadow") &&
        GetWindowRect(wnd, &rect))
      UnionRect(&shown_area_, &shown_area_, &rect);
  }
}

void TPopupMenu::Popup(int x, int y) {
  LoadControlsLibrary();
  shown_area_ = {};
  if (OnPopup) OnPopup(this);
  unique_hmenu menu(CreatePopupMenu());
  std::vector<TMenuItem*> commands;
  Build(menu.get(), commands);
  const UINT chosen = static_cast<UINT>(TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD,
                                                       x, y, 0, window_->Handle(), nullptr));
  menu.reset();
  TMenuItem* item = chosen >= 1 && chosen <= commands.size() ? commands[chosen - 1] : nullptr;
  if (OnClose) OnClose(item);
  if (item) item->Click();
}
