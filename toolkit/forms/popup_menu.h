#pragma once
// Popup menus: items with captions, images from an image list or glyph
// bitmaps of their own, separators ("-"), an enabled state and a click event;
// OnPopup runs before the menu shows, so handlers can set the items' states.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/core/component.h"
#include "toolkit/win/handle.h"
#include "toolkit/win/utility_window.h"

class TImageList;

class TMenuItem : public TComponent {
 public:
  explicit TMenuItem(TComponent* owner);
  ~TMenuItem() override;

  const std::wstring& Caption() const noexcept { return caption_; }
  void SetCaption(const std::wstring& caption) { caption_ = caption; }
  bool IsSeparator() const noexcept { return caption_ == L"-"; }
  int ImageIndex() const noexcept { return image_index_; }
  void SetImageIndex(int index) { image_index_ = index; }
  // The item's own glyph: a 16 x 16 bitmap resource of this program in which
  // magenta (255, 0, 255) marks the transparent pixels. Shown when the menu's
  // image list gives the item no image.
  void SetBitmapResource(int id);
  HBITMAP Bitmap() const noexcept { return bitmap_.get(); }
  // The glyph at its size for `dpi` (made once per scale; owned by the item).
  HBITMAP Bitmap(int dpi) const;
  bool Enabled() const noexcept { return enabled_; }
  void SetEnabled(bool value) { enabled_ = value; }
  bool Visible() const noexcept { return visible_; }
  void SetVisible(bool value) { visible_ = value; }

  void Add(TMenuItem* item);
  void Remove(TMenuItem* item);
  const std::vector<TMenuItem*>& Items() const noexcept { return items_; }
  TMenuItem* Parent() const noexcept { return parent_; }

  virtual void Click();
  TNotifyEvent OnClick;

 private:
  std::wstring caption_;
  int image_index_ = -1;
  unique_hbitmap bitmap_;  // 32-bit, premultiplied alpha, as menus draw it
  int bitmap_resource_ = 0;
  mutable unique_hbitmap scaled_bitmap_;
  mutable int scaled_dpi_ = 0;
  bool enabled_ = true;
  bool visible_ = true;
  std::vector<TMenuItem*> items_;
  TMenuItem* parent_ = nullptr;
};

class TPopupMenu : public TComponent {
 public:
  explicit TPopupMenu(TComponent* owner);
  ~TPopupMenu() override;

  TMenuItem* Items() noexcept { return items_.get(); }
  TImageList* Images() const noexcept { return images_; }
  void SetImages(TImageList* images);
  // Item glyphs are shown at their size for the menu's owner's scale.
  void ChangeScale(int dpi) { dpi_ = dpi; }

  // Runs OnPopup, then tracks the menu left-aligned at the screen point
  // with the right button, then OnClose, and runs the chosen item's click.
  virtual void Popup(int x, int y);
  TNotifyEvent OnPopup;
  // Runs once the menu has left, before the chosen item's click: `chosen`
  // is that item, or null when the menu was dismissed.
  std::function<void(TMenuItem* chosen)> OnClose;
  // Where the menu was on the screen at its last popup, with its shadow's
  // windows: seen while the user chose, empty when it never showed. After
  // a choice, the screen outside it is as it was before the menu opened.
  const RECT& ShownArea() const noexcept { return shown_area_; }

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  // The menu of the items (one level: the program's menus have no submenus);
  // `commands` gets the items that can be chosen, by their menu ids less one.
  void Build(HMENU menu, std::vector<TMenuItem*>& commands) const;
  void NoteShownArea() noexcept;
  std::unique_ptr<TMenuItem> items_;
  TImageList* images_ = nullptr;
  std::unique_ptr<UtilityWindow> window_;
  int dpi_ = 96;
  RECT shown_area_{};
};
