#pragma once
// TPicture: holds a picture of whichever class a file name's extension or
// a resource calls for, and shows a layout's pictures at the layout's scale.
#include <memory>
#include <string>

#include "toolkit/graphics/graphic.h"

class TPicture {
 public:
  TGraphic* Graphic() const noexcept { return graphic_.get(); }
  void SetGraphic(std::unique_ptr<TGraphic> graphic) {
    graphic_ = std::move(graphic);
    layout_scaled_ = false;
    icon_resource_ = 0;
  }
  // The size the picture is shown at: a layout's picture at the layout's
  // dots per inch, any other at its own size in pixels.
  int Width() const;
  int Height() const;
  // A layout's pictures follow its scale: pictures drawn at their scaled
  // size, icons taken anew at the nearest size they have.
  void ChangeScale(int dpi);
  // The graphic class comes from the extension (any case): .bmp, .jpg,
  // .jpeg, .ico, .emf, .wmf. The current picture stays if loading fails.
  void LoadFromFile(const std::wstring& path);
  // Writes the picture in its own format; with no picture, writes nothing.
  void SaveToFile(const std::wstring& path) const;
  // A JPEG, metafile or icon from this program's resources.
  void LoadJpegResource(int id);
  void LoadMetafileResource(int id);
  void LoadIconResource(int id, int size);

 private:
  std::unique_ptr<TGraphic> graphic_;
  bool layout_scaled_ = false;  // a layout picture, drawn at dpi_
  int dpi_ = 96;
  int icon_resource_ = 0, icon_size_ = 0;
};

// The extension a file name ends with, lower case, with the dot ("" if none).
std::wstring LowerExtension(const std::wstring& path);
