#include "toolkit/dialogs/save_picture_dialog.h"

#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <exception>
#include <vector>

#include "toolkit/forms/application.h"
#include "toolkit/graphics/fit_rule.h"
#include "toolkit/graphics/picture.h"
#include "toolkit/win/callback_exception.h"
#include "toolkit/win/system_library.h"

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

// ---- the preview pane ----
//
// The pane lives in a custom part of the explorer-style dialog, built from a
// template made here: the standard controls go where "stc32" is, and the
// pane, placed to its right, makes the dialog that much wider. The hook is
// the custom part's dialog procedure.

// Sizes in dialog units.
constexpr short kStandardAreaWidth = 8;
constexpr short kStandardAreaHeight = 8;
constexpr short kPaneWidth = 96;
constexpr short kPaneMargin = 4;
constexpr short kSizeTextHeight = 10;

constexpr WORD kStaticClass = 0x0082;

// Posted to the custom part once the dialog has finished its own set-up.
constexpr UINT kKeepOnScreen = WM_APP + 1;

// What the pane shows: the picture of the file last selected, or nothing.
struct PreviewPane {
  TPicture picture;
};

// A dialog template in memory, laid out as DLGTEMPLATE and DLGITEMTEMPLATE
// records (each record DWORD-aligned; no menu, the standard class, no
// title or text).
class TemplateWriter {
 public:
  // The dialog's own font, as the standard controls beside it use.
  void Dialog(DWORD style, short cx, short cy, WORD items) {
    Dword(style | DS_SETFONT);
    Dword(0);  // extended style
    Word(items);
    Short(0);
    Short(0);
    Short(cx);
    Short(cy);
    Word(0);  // no menu
    Word(0);  // the dialog class
    Word(0);  // no title
    Word(8);  // point size
    for (const wchar_t* c = L"MS Shell Dlg"; *c; ++c) Word(static_cast<WORD>(*c));
    Word(0);
  }
  void Static(DWORD style, short x, short y, short cx, short cy, WORD id) {
    while (bytes_.size() % 4) bytes_.push_back(0);
    Dword(style | WS_CHILD | WS_VISIBLE);
    Dword(0);
    Short(x);
    Short(y);
    Short(cx);
    Short(cy);
    Word(id);
    Word(0xFFFF);
    Word(kStaticClass);
    Word(0);  // no text
    Word(0);  // no creation data
  }
  // DWORD-aligned storage: the dialog reads the template in place.
  std::vector<DWORD> Finish() const {
    std::vector<DWORD> out((bytes_.size() + 3) / 4, 0);
    std::copy(bytes_.begin(), bytes_.end(), reinterpret_cast<BYTE*>(out.data()));
    return out;
  }

 private:
  void Word(WORD v) {
    bytes_.push_back(static_cast<BYTE>(v & 0xFF));
    bytes_.push_back(static_cast<BYTE>(v >> 8));
  }
  void Short(short v) { Word(static_cast<WORD>(v)); }
  void Dword(DWORD v) {
    Word(static_cast<WORD>(v & 0xFFFF));
    Word(static_cast<WORD>(v >> 16));
  }
  std::vector<BYTE> bytes_;
};

std::vector<DWORD> PreviewTemplate() {
  TemplateWriter t;
  const short x = kStandardAreaWidth + kPaneMargin;
  t.Dialog(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | DS_CONTROL | DS_3DLOOK,
           static_cast<short>(x + kPaneWidth + kPaneMargin), kStandardAreaHeight, 3);
  t.Static(0, 0, 0, kStandardAreaWidth, kStandardAreaHeight, stc32);
  // Both pane controls start to the right of stc32 and above its bottom, so
  // the dialog moves them right of the standard controls; LayoutPane then
  // gives them their final place whenever the dialog changes size.
  t.Static(SS_OWNERDRAW, x, 0, kPaneWidth, kSizeTextHeight, kPreviewPictureId);
  t.Static(SS_CENTER | SS_NOPREFIX, x, 0, kPaneWidth, kSizeTextHeight, kPreviewSizeId);
  return t.Finish();
}

PreviewPane* PaneOf(HWND custom) {
  return reinterpret_cast<PreviewPane*>(GetWindowLongPtrW(custom, DWLP_USER));
}

RECT DialogUnits(HWND dlg, int left, int top, int right, int bottom) {
  RECT r{left, top, right, bottom};
  MapDialogRect(dlg, &r);
  return r;
}

// The pane runs down the right edge of the custom part, level with the
// standard file list, with the size text at its foot.
void LayoutPane(HWND custom) {
  RECT client{};
  GetClientRect(custom, &client);
  const RECT units = DialogUnits(custom, 0, 0, kPaneWidth, kSizeTextHeight);
  const RECT margin = DialogUnits(custom, 0, 0, kPaneMargin, kPaneMargin);
  const int width = units.right, text_height = units.bottom;
  int top = margin.bottom;
  int bottom = client.bottom - margin.bottom;
  if (HWND list = GetDlgItem(GetParent(custom), lst1)) {
    RECT r{};
    GetWindowRect(list, &r);
    MapWindowPoints(nullptr, custom, reinterpret_cast<POINT*>(&r), 2);
    if (r.bottom > r.top) {
      top = r.top;
      bottom = r.bottom;
    }
  }
  const int left = client.right - margin.right - width;
  const int picture_bottom = std::max<int>(top, bottom - text_height - margin.bottom);
  SetWindowPos(GetDlgItem(custom, kPreviewPictureId), nullptr, left, top, width, picture_bottom - top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(GetDlgItem(custom, kPreviewSizeId), nullptr, left, bottom - text_height, width, text_height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

// The system places the dialog before the pane widens it, so the pane can
// end up beyond the edge of the screen: the dialog is moved back inside the
// work area of its monitor.
void KeepOnScreen(HWND dialog) {
  RECT r{};
  GetWindowRect(dialog, &r);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  if (!GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor)) return;
  const RECT& work = monitor.rcWork;
  int dx = 0, dy = 0;
  if (r.right > work.right) dx = work.right - r.right;
  if (r.left + dx < work.left) dx = work.left - r.left;
  if (r.bottom > work.bottom) dy = work.bottom - r.bottom;
  if (r.top + dy < work.top) dy = work.top - r.top;
  if (dx || dy)
    SetWindowPos(dialog, nullptr, r.left + dx, r.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Loads the selected file into the pane. Whatever cannot be read as a
// picture (no file, a folder, an unknown extension, damaged data, too
// large) previews as nothing: choosing a name is not the place for errors.
void ShowSelection(HWND custom, PreviewPane& pane) {
  std::vector<wchar_t> path(32768, L'\0');
  const LRESULT length = SendMessageW(GetParent(custom), CDM_GETFILEPATH, path.size(),
                                      reinterpret_cast<LPARAM>(path.data()));
  TPicture picture;
  if (length > 0 && static_cast<size_t>(length) <= path.size()) {
    try {
      picture.LoadFromFile(path.data());
    } catch (...) {
      picture = TPicture();
    }
  }
  pane.picture = std::move(picture);
  const bool shown = pane.picture.Graphic() && !pane.picture.Graphic()->Empty();
  const std::wstring size =
      shown ? std::to_wstring(pane.picture.Width()) + L" x " + std::to_wstring(pane.picture.Height()) : L"";
  SetDlgItemTextW(custom, kPreviewSizeId, size.c_str());
  InvalidateRect(GetDlgItem(custom, kPreviewPictureId), nullptr, TRUE);
}

void DrawPane(const DRAWITEMSTRUCT& item, const PreviewPane& pane) {
  RECT r = item.rcItem;
  FillRect(item.hDC, &r, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(item.hDC, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  const TGraphic* graphic = pane.picture.Graphic();
  if (!graphic || graphic->Empty()) return;
  const kelvora_image::FitRect fit =
      kelvora_image::FitPicture(graphic->Width(), graphic->Height(), r.right - r.left, r.bottom - r.top);
  const RECT dest{r.left + fit.left, r.top + fit.top, r.left + fit.left + fit.width, r.top + fit.top + fit.height};
  const int saved = SaveDC(item.hDC);
  IntersectClipRect(item.hDC, r.left, r.top, r.right, r.bottom);
  try {
    graphic->Draw(item.hDC, dest);
  } catch (...) {
    // A picture the system cannot draw now (short of GDI resources) is
    // simply left out of the pane.
  }
  RestoreDC(item.hDC, saved);
}

// The custom part's dialog procedure. A Win32 callback: nothing may unwind
// through the dialog's frames, so every exception stops here.
UINT_PTR CALLBACK PreviewHook(HWND custom, UINT msg, WPARAM, LPARAM lp) {
  try {
    switch (msg) {
      case WM_INITDIALOG:
        SetWindowLongPtrW(custom, DWLP_USER, reinterpret_cast<const OPENFILENAMEW*>(lp)->lCustData);
        return TRUE;
      case WM_SIZE:
        LayoutPane(custom);
        return 0;
      case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        PreviewPane* pane = PaneOf(custom);
        if (pane && item->CtlID == kPreviewPictureId) {
          DrawPane(*item, *pane);
          return TRUE;
        }
        return 0;
      }
      case WM_NOTIFY: {
        const auto* note = reinterpret_cast<const OFNOTIFYW*>(lp);
        PreviewPane* pane = PaneOf(custom);
        if (note->hdr.code == CDN_INITDONE) PostMessageW(custom, kKeepOnScreen, 0, 0);
        if (pane && note->hdr.code == CDN_SELCHANGE) ShowSelection(custom, *pane);
        return 0;
      }
      case kKeepOnScreen:
        KeepOnScreen(GetParent(custom));
        return TRUE;
    }
  } catch (...) {
    HandleCallbackException(std::current_exception());
  }
  return 0;
}

const wchar_t kCannotOpen[] = L"Cannot open the save dialog";

// The common dialogs' library, loaded when the dialog first shows: it and
// the controls library it brings in are most of the memory a program that
// waits in the tray would otherwise hold for a dialog it seldom shows.
struct CommonDialogs {
  decltype(&::GetSaveFileNameW) GetSaveFileNameW = nullptr;
  decltype(&::CommDlgExtendedError) CommDlgExtendedError = nullptr;
};

const CommonDialogs& Dialogs() {
  static const CommonDialogs dialogs = [] {
    CommonDialogs found;
    const HMODULE comdlg32 = SystemLibrary(L"comdlg32.dll");
    FindFunction(found.GetSaveFileNameW, comdlg32, "GetSaveFileNameW");
    FindFunction(found.CommDlgExtendedError, comdlg32, "CommDlgExtendedError");
    return found;
  }();
  return dialogs;
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
  PreviewPane pane;
  std::vector<DWORD> pane_template = PreviewTemplate();
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = Application->Handle();
  // A template given by handle is read through LockResource, which hands a
  // fixed memory block back as its own address: the buffer is its handle.
  ofn.hInstance = reinterpret_cast<HINSTANCE>(pane_template.data());
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(filter_index_);
  ofn.lpstrFile = name.data();
  ofn.nMaxFile = static_cast<DWORD>(name.size());
  ofn.Flags = Options() | OFN_ENABLEHOOK | OFN_ENABLETEMPLATEHANDLE;
  ofn.lpfnHook = PreviewHook;
  ofn.lCustData = reinterpret_cast<LPARAM>(&pane);
  const CommonDialogs& dialogs = Dialogs();
  if (!dialogs.GetSaveFileNameW || !dialogs.CommDlgExtendedError) throw EOutOfResources(kCannotOpen);
  const bool confirmed = dialogs.GetSaveFileNameW(&ofn) != FALSE;
  // Not confirmed is a cancel, unless the dialog says it failed: then the
  // user never had the chance to choose.
  if (!confirmed && dialogs.CommDlgExtendedError() != 0) throw EOutOfResources(kCannotOpen);
  if (confirmed) {
    file_name_ = name.data();
    filter_index_ = static_cast<int>(ofn.nFilterIndex);
  }
  return confirmed;
}
