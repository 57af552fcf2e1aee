#pragma once
// A list of icons, 16 x 16 at 96 dpi: the tray icon's pictures and the
// menus' images.
#include <windows.h>

#include <vector>

#include "toolkit/core/component.h"
#include "toolkit/core/dpi_scale.h"
#include "toolkit/win/handle.h"

class TImageList : public TComponent {
 public:
  explicit TImageList(TComponent* owner);

  int Width() const noexcept { return size_; }
  int Height() const noexcept { return size_; }
  // The icons at their size for `dpi`, taken anew from their resources at
  // the nearest size they have.
  void ChangeScale(int dpi);
  int Count() const noexcept { return static_cast<int>(icons_.size()); }
  // Adds the icon resource of this program with the given id.
  void AddIconResource(int id);
  // A new icon with picture `index`; an index outside the list gives an
  // empty icon (transparent, 16 x 16).
  unique_hicon GetIcon(int index) const;
  // A 32-bit premultiplied bitmap of picture `index` for a menu item; owned
  // by the list. Null outside the list.
  HBITMAP MenuBitmap(int index) const;

 private:
  struct Entry {
    unique_hicon icon;
    mutable unique_hbitmap menu_bitmap;
    int resource = 0;  // the icon resource it came from
  };
  std::vector<Entry> icons_;
  int size_ = 16;
};
