#pragma once
// The picture save dialog: the system's Save As dialog with the toolkit's
// picture filters and a preview pane showing the selected picture file.
#include <string>

#include "toolkit/core/component.h"

class TSavePictureDialog : public TComponent {
 public:
  explicit TSavePictureDialog(TComponent* owner);
  ~TSavePictureDialog() override;

  // Runs the dialog modally, owned by the application window. True when the
  // user confirmed a file name, which FileName then holds as chosen.
  bool Execute();
  // The last confirmed name; the dialog opens with it filled in.
  const std::wstring& FileName() const noexcept { return file_name_; }
  void SetFileName(const std::wstring& name) { file_name_ = name; }
  // The filter list in the dialog's own "description|pattern|..." form.
  const std::wstring& Filter() const noexcept { return filter_; }
  int FilterIndex() const noexcept { return filter_index_; }
  // The dialog's options as OPENFILENAME flags; Execute adds to them only
  // what the preview pane needs (its template and hook).
  unsigned Options() const noexcept;

 private:
  std::wstring file_name_;
  std::wstring filter_;
  int filter_index_ = 1;
};

// Control ids of the preview pane inside the dialog's custom part: the
// picture, and the text under it with the picture's size ("w x h").
inline constexpr int kPreviewPictureId = 0x0501;
inline constexpr int kPreviewSizeId = 0x0502;
