#include "toolkit/dialogs/save_picture_dialog.h"

#include <windows.h>
#include <commdlg.h>

#include <vector>

#include "toolkit/app/application.h"

namespace {
// The registered picture formats, most recently registered first, and the
// "All" entry the toolkit builds from them.
struct PictureFormat {
  const wchar_t* description;
  const wchar_t* pattern;
};
constexpr PictureFormat kFormats[] = {
    {L"JPEG Image File", L"*.jpg"},   {L"JPEG Image File", L"*.jpeg"},    {L"Bitmaps", L"*.bmp"},
    {L"Icons", L"*.ico"},             {L"Enhanced Metafiles", L"*.emf"}, {L"Metafiles", L"*.wmf"},
};

std::wstring BuildFilter() {
  std::wstring all;
  for (const PictureFormat& f : kFormats) {
    if (!all.empty()) all += L';';
    all += f.pattern;
  }
  std::wstring filter = L"All (" + all + L")|" + all;
  for (const PictureFormat& f : kFormats)
    filter += std::wstring(L"|") + f.description + L" (" + f.pattern + L")|" + f.pattern;
  return filter;
}
}  // namespace

TSavePictureDialog::TSavePictureDialog(TComponent* owner) : TComponent(owner), filter_(BuildFilter()) {}

TSavePictureDialog::~TSavePictureDialog() = default;

unsigned TSavePictureDialog::Options() const noexcept {
  // Read-only box hidden and resizable; no overwrite prompt, and the
  // process's current directory follows wherever the user went.
  return OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER;
}

bool TSavePictureDialog::Execute() {
  std::wstring filter = filter_ + L"||";
  for (wchar_t& c : filter)
    if (c == L'|') c = L'\0';
  // Characters, not bytes: the dialog counts in characters.
  std::vector<wchar_t> name(32768, L'\0');
  file_name_.copy(name.data(), std::min(file_name_.size(), name.size() - 1));
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = Application->Handle();
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(filter_index_);
  ofn.lpstrFile = name.data();
  ofn.nMaxFile = static_cast<DWORD>(name.size());
  ofn.Flags = Options();
  const bool confirmed = GetSaveFileNameW(&ofn) != FALSE;
  if (confirmed) {
    file_name_ = name.data();
    filter_index_ = static_cast<int>(ofn.nFilterIndex);
  }
  return confirmed;
}
