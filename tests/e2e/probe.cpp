// probe: what the end-to-end tests see of Kelvora and of the shell beside it.
// It runs under Wine in the same desktop as kelvora.exe and prints JSON (UTF-8)
// on stdout. It only observes, except `close`, which posts WM_CLOSE the way the
// taskbar does; user input comes from xdotool, never from here.
//
//   probe windows <pid>                  top-level windows of a process and those it owns
//   probe find <class> [<caption>]       top-level windows of any process by class (and caption)
//   probe wait <pid> <class> <timeout_ms> [visible]
//                                        first such window of the process, once it exists
//   probe processes [<exe name>]         Windows processes: pid, parent pid, exe name
//   probe tray                           notification-area icons where the shell shows them
//   probe menu                           open popup menus, their items and item rectangles
//                                        (read through probehook.dll, kept beside probe.exe)
//   probe dialog <pid>                   dialog boxes of a process with their controls
//   probe children <hwnd>                every child window of a window, as dialog controls
//   probe accessible <hwnd>              the window's client area as a screen reader reads it
//                                        (Active Accessibility): role, name, state, place, children
//   probe foreground                     the foreground window
//   probe close <hwnd>                   post WM_CLOSE to a window
//   probe hold                           stay on the desktop until stdin ends, keeping it open
//
// Exit status: 0 done, 1 nothing found (or timed out), 2 bad usage.
#include <windows.h>

#include <commctrl.h>
#include <ole2.h>
#include <oleacc.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>
#include <string_view>
#include <vector>

#include "menu_snapshot.h"

namespace {

// ---- JSON ---------------------------------------------------------------

std::string Utf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

std::string Quote(std::wstring_view text) {
  std::string out = "\"";
  for (const char c : Utf8(text)) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

std::string Num(long long value) { return std::to_string(value); }
std::string Bool(bool value) { return value ? "true" : "false"; }
std::string Handle(HWND hwnd) {
  return hwnd ? Num(static_cast<long long>(reinterpret_cast<uintptr_t>(hwnd))) : "null";
}

class Object {
 public:
  Object& Add(std::string_view key, const std::string& value) {
    text_ += text_.empty() ? "{" : ", ";
    text_ += '"';
    text_ += key;
    text_ += "\": ";
    text_ += value;
    return *this;
  }
  std::string Str() const { return text_.empty() ? "{}" : text_ + "}"; }

 private:
  std::string text_;
};

std::string Array(const std::vector<std::string>& items) {
  std::string out = "[";
  for (size_t i = 0; i < items.size(); ++i) out += (i ? ", " : "") + items[i];
  return out + "]";
}

std::string Rect(const RECT& r) {
  return Object()
      .Add("left", Num(r.left))
      .Add("top", Num(r.top))
      .Add("right", Num(r.right))
      .Add("bottom", Num(r.bottom))
      .Add("width", Num(r.right - r.left))
      .Add("height", Num(r.bottom - r.top))
      .Str();
}

// Written as bytes: the C runtime's text mode would turn "\n" into "\r\n".
void Emit(const std::string& json) {
  const std::string line = json + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()),
            &written, nullptr);
}

// ---- windows ------------------------------------------------------------

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[256] = L"";
  GetClassNameW(hwnd, name, 256);
  return name;
}

// The stored caption, read without sending WM_GETTEXT, so that a busy or hung
// target cannot stall the probe.
std::wstring TextOf(HWND hwnd) {
  std::wstring text(4096, L'\0');
  text.resize(static_cast<size_t>(InternalGetWindowText(hwnd, text.data(), 4096)));
  return text;
}

DWORD ProcessOf(HWND hwnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  return pid;
}

RECT ClientOnScreen(HWND hwnd) {
  RECT client{};
  GetClientRect(hwnd, &client);
  MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
  return client;
}

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
  return TRUE;
}

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> found;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

std::vector<HWND> ChildWindows(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

// Alpha of a layered window as set by SetLayeredWindowAttributes: 255 when it
// sets no alpha, null when the window is not layered or was drawn with
// UpdateLayeredWindow (which keeps no attributes).
std::string LayeredAlpha(HWND hwnd) {
  if (!(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED)) return "null";
  COLORREF key = 0;
  BYTE alpha = 0;
  DWORD flags = 0;
  if (!GetLayeredWindowAttributes(hwnd, &key, &alpha, &flags)) return "null";
  return Num((flags & LWA_ALPHA) ? alpha : 255);
}

std::string WindowJson(HWND hwnd) {
  RECT window{};
  GetWindowRect(hwnd, &window);
  const auto style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
  const auto exstyle = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE));
  return Object()
      .Add("hwnd", Handle(hwnd))
      .Add("pid", Num(ProcessOf(hwnd)))
      .Add("class", Quote(ClassOf(hwnd)))
      .Add("caption", Quote(TextOf(hwnd)))
      .Add("rect", Rect(window))
      .Add("client", Rect(ClientOnScreen(hwnd)))
      .Add("visible", Bool(IsWindowVisible(hwnd)))
      .Add("enabled", Bool(IsWindowEnabled(hwnd)))
      .Add("topmost", Bool(exstyle & WS_EX_TOPMOST))
      .Add("layered", Bool(exstyle & WS_EX_LAYERED))
      .Add("alpha", LayeredAlpha(hwnd))
      .Add("owner", Handle(GetWindow(hwnd, GW_OWNER)))
      .Add("style", Num(style))
      .Add("exstyle", Num(exstyle))
      .Str();
}

bool BelongsTo(HWND hwnd, DWORD pid) {
  if (ProcessOf(hwnd) == pid) return true;
  const HWND owner = GetWindow(hwnd, GW_OWNER);
  return owner && ProcessOf(owner) == pid;
}

// ---- another process's memory ---------------------------------------------
// Tooltip controls answer with structures written into their own address space,
// so the probe hands them a buffer allocated there. Structure layouts only agree
// between processes of the same bitness.

class ProcessMemory {
 public:
  explicit ProcessMemory(DWORD pid)
      : process_(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                                 PROCESS_QUERY_LIMITED_INFORMATION,
                             FALSE, pid)) {}
  ~ProcessMemory() {
    if (buffer_) VirtualFreeEx(process_, buffer_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
  }
  ProcessMemory(const ProcessMemory&) = delete;
  ProcessMemory& operator=(const ProcessMemory&) = delete;

  bool Readable() const {
    if (!process_) return false;
    BOOL mine = FALSE, theirs = FALSE;
    IsWow64Process(GetCurrentProcess(), &mine);
    IsWow64Process(process_, &theirs);
    return mine == theirs;
  }

  // A zeroed buffer in the other process, freed with this object.
  char* Allocate(size_t size) {
    buffer_ = static_cast<char*>(
        VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    return buffer_;
  }

  bool Write(void* at, const void* data, size_t size) {
    return WriteProcessMemory(process_, at, data, size, nullptr);
  }
  bool Read(const void* at, void* data, size_t size) const {
    return ReadProcessMemory(process_, at, data, size, nullptr);
  }

 private:
  HANDLE process_;
  char* buffer_ = nullptr;
};

// One tool of a tooltip control: where on the screen it reacts, and its text.
struct Tool {
  RECT rect;
  std::wstring text;
};

// The tools of a tooltip control in another process, read with TTM_ENUMTOOLSW
// into a buffer allocated there. Empty when that process cannot be read.
std::vector<Tool> ToolsOf(HWND tooltip) {
  ProcessMemory owner(ProcessOf(tooltip));
  if (!owner.Readable()) return {};
  DWORD_PTR count = 0;
  if (!SendMessageTimeoutW(tooltip, TTM_GETTOOLCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &count)) {
    return {};
  }
  constexpr size_t kChars = 1024;
  char* remote = owner.Allocate(sizeof(TTTOOLINFOW) + kChars * sizeof(wchar_t));
  if (!remote) return {};
  auto* remoteText = reinterpret_cast<wchar_t*>(remote + sizeof(TTTOOLINFOW));
  const std::wstring blank(kChars, L'\0');
  std::vector<Tool> tools;
  for (DWORD_PTR i = 0; i < count; ++i) {
    TTTOOLINFOW info{};
    info.cbSize = sizeof info;
    info.lpszText = remoteText;
    DWORD_PTR found = 0;
    if (!owner.Write(remote, &info, sizeof info) ||
        !owner.Write(remoteText, blank.data(), kChars * sizeof(wchar_t)) ||
        !SendMessageTimeoutW(tooltip, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(remote),
                             SMTO_ABORTIFHUNG, 2000, &found) ||
        !found || !owner.Read(remote, &info, sizeof info)) {
      continue;
    }
    std::wstring text(kChars, L'\0');
    owner.Read(remoteText, text.data(), (kChars - 1) * sizeof(wchar_t));
    text.resize(std::wcslen(text.c_str()));
    RECT rect = info.rect;
    if (info.uFlags & TTF_IDISHWND) {
      GetWindowRect(reinterpret_cast<HWND>(info.uId), &rect);
    } else {
      MapWindowPoints(info.hwnd, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    }
    tools.push_back({rect, text});
  }
  return tools;
}

// ---- commands -------------------------------------------------------------

DWORD ParseNumber(const wchar_t* text) {
  return static_cast<DWORD>(std::wcstoul(text, nullptr, 0));
}

int Windows(DWORD pid) {
  std::vector<std::string> items;
  for (HWND hwnd : TopLevelWindows()) {
    if (BelongsTo(hwnd, pid)) items.push_back(WindowJson(hwnd));
  }
  Emit(Array(items));
  return items.empty() ? 1 : 0;
}

int Find(std::wstring_view className, const wchar_t* caption) {
  std::vector<std::string> items;
  for (HWND hwnd : TopLevelWindows()) {
    if (_wcsicmp(ClassOf(hwnd).c_str(), std::wstring(className).c_str()) != 0) continue;
    if (caption && TextOf(hwnd) != caption) continue;
    items.push_back(WindowJson(hwnd));
  }
  Emit(Array(items));
  return items.empty() ? 1 : 0;
}

int Wait(DWORD pid, std::wstring_view className, DWORD timeoutMs, bool mustBeVisible) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    for (HWND hwnd : TopLevelWindows()) {
      if (!BelongsTo(hwnd, pid)) continue;
      if (_wcsicmp(ClassOf(hwnd).c_str(), std::wstring(className).c_str()) != 0) continue;
      if (mustBeVisible && !IsWindowVisible(hwnd)) continue;
      Emit(WindowJson(hwnd));
      return 0;
    }
    if (GetTickCount64() >= deadline) break;
    Sleep(20);
  }
  Emit("null");
  return 1;
}

int Processes(const wchar_t* exeName) {
  std::vector<std::string> items;
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) {
    Emit("[]");
    return 1;
  }
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (exeName && _wcsicmp(entry.szExeFile, exeName) != 0) continue;
    items.push_back(Object()
                        .Add("pid", Num(entry.th32ProcessID))
                        .Add("parent", Num(entry.th32ParentProcessID))
                        .Add("exe", Quote(entry.szExeFile))
                        .Str());
  }
  CloseHandle(snapshot);
  Emit(Array(items));
  return items.empty() ? 1 : 0;
}

// Whether `window` is `ancestor` or lies inside it. By ancestry, not by
// GetParent: for a window with the popup style GetParent answers its owner,
// and Wine 10 gives each tray icon's window that style.
bool Within(HWND window, HWND ancestor) {
  for (HWND w = window; w; w = GetAncestor(w, GA_PARENT)) {
    if (w == ancestor) return true;
    if (w == GetDesktopWindow()) break;
  }
  return false;
}

// The notification area of Wine's taskbar ("Shell_TrayWnd"): each icon has a
// tool in a tooltip control owned by the taskbar (Wine 8 paints the icons into
// the taskbar itself) or by a window of its own inside the taskbar (later
// Wines).
// The tool's rectangle is the icon's place on the screen. The taskbar adds
// icons from the right, so the list runs from the rightmost (oldest) icon.
int Tray() {
  std::vector<std::string> trays;
  int icons = 0;
  const std::vector<HWND> topLevel = TopLevelWindows();
  for (HWND tray : topLevel) {
    if (ClassOf(tray) != L"Shell_TrayWnd") continue;
    std::vector<Tool> tools;
    for (HWND tooltip : topLevel) {
      const HWND owner = GetWindow(tooltip, GW_OWNER);
      if (!owner || !Within(owner, tray) ||
          ClassOf(tooltip) != TOOLTIPS_CLASSW) {
        continue;
      }
      // An icon the taskbar does not show keeps its tool with an empty rectangle.
      for (Tool& tool : ToolsOf(tooltip)) {
        if (!IsRectEmpty(&tool.rect)) tools.push_back(std::move(tool));
      }
    }
    std::sort(tools.begin(), tools.end(),
              [](const Tool& a, const Tool& b) { return a.rect.left > b.rect.left; });
    std::vector<std::string> items;
    for (const Tool& tool : tools) {
      items.push_back(Object()
                          .Add("rect", Rect(tool.rect))
                          .Add("center", Array({Num((tool.rect.left + tool.rect.right) / 2),
                                                Num((tool.rect.top + tool.rect.bottom) / 2)}))
                          .Add("tip", Quote(tool.text))
                          .Str());
    }
    icons += static_cast<int>(items.size());
    RECT rect{};
    GetWindowRect(tray, &rect);
    trays.push_back(Object()
                        .Add("hwnd", Handle(tray))
                        .Add("rect", Rect(rect))
                        .Add("visible", Bool(IsWindowVisible(tray)))
                        .Add("icons", Array(items))
                        .Str());
  }
  Emit(Array(trays));
  return icons ? 0 : 1;
}

std::string MenuItemJson(const menu_snapshot::Item& item, int index) {
  return Object()
      .Add("index", Num(index))
      .Add("id", Num(item.id))
      .Add("text", Quote(item.text))
      .Add("separator", Bool(item.type & MFT_SEPARATOR))
      .Add("ownerdraw", Bool(item.type & MFT_OWNERDRAW))
      .Add("enabled", Bool(!(item.state & (MFS_DISABLED | MFS_GRAYED))))
      .Add("grayed", Bool(item.state & MFS_GRAYED))
      .Add("checked", Bool(item.state & MFS_CHECKED))
      .Add("default", Bool(item.state & MFS_DEFAULT))
      .Add("highlighted", Bool(item.state & MFS_HILITE))
      .Add("submenu", Bool(item.submenu))
      .Add("rect", item.placed ? Rect(item.rect) : "null")
      .Str();
}

// Wine keeps a menu's items private to the process that shows it, so they are
// read there: a WH_CALLWNDPROC hook from probehook.dll (beside probe.exe) on
// the menu's thread copies them into a mapping shared with the probe when the
// menu window receives the probe's message. "null" when that fails.
std::string MenuItems(HWND menuWindow) {
  using menu_snapshot::Snapshot;
  std::string items = "null";
  const HANDLE mapping =
      CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(Snapshot),
                         menu_snapshot::MappingName(GetCurrentProcessId()).c_str());
  if (!mapping) return items;
  auto* snapshot =
      static_cast<const Snapshot*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof(Snapshot)));
  std::wstring library(MAX_PATH, L'\0');
  library.resize(GetModuleFileNameW(nullptr, library.data(), MAX_PATH));
  library = library.substr(0, library.find_last_of(L'\\') + 1) + menu_snapshot::kLibrary;
  const HMODULE module = LoadLibraryW(library.c_str());
  const auto hookProc = module ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(
                                     GetProcAddress(module, menu_snapshot::kHookProc)))
                               : nullptr;
  const HHOOK hook = hookProc ? SetWindowsHookExW(WH_CALLWNDPROC, hookProc, module,
                                                  GetWindowThreadProcessId(menuWindow, nullptr))
                              : nullptr;
  if (snapshot && hook) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(menuWindow, RegisterWindowMessageW(menu_snapshot::kMessage),
                        GetCurrentProcessId(), 0, SMTO_ABORTIFHUNG, 2000, &result);
    if (snapshot->filled && snapshot->count >= 0) {
      std::vector<std::string> list;
      for (int i = 0; i < std::min(snapshot->count, menu_snapshot::kMaxItems); ++i) {
        list.push_back(MenuItemJson(snapshot->items[i], i));
      }
      items = Array(list);
    }
  }
  if (hook) UnhookWindowsHookEx(hook);
  if (module) FreeLibrary(module);
  if (snapshot) UnmapViewOfFile(snapshot);
  CloseHandle(mapping);
  return items;
}

// Popup menus are top-level windows of class "#32768".
int Menu() {
  std::vector<std::string> menus;
  for (HWND hwnd : TopLevelWindows()) {
    if (ClassOf(hwnd) != L"#32768" || !IsWindowVisible(hwnd)) continue;
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    menus.push_back(Object()
                        .Add("hwnd", Handle(hwnd))
                        .Add("pid", Num(ProcessOf(hwnd)))
                        .Add("rect", Rect(rect))
                        .Add("items", MenuItems(hwnd))
                        .Str());
  }
  Emit(Array(menus));
  return menus.empty() ? 1 : 0;
}

std::string ControlJson(HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  // A list's item count needs no memory of the other process: it tells a
  // file dialog's list that has finished filling.
  const bool list = ClassOf(control) == L"SysListView32";
  return Object()
      .Add("hwnd", Handle(control))
      .Add("items", Num(list ? static_cast<DWORD>(SendMessageW(control, LVM_GETITEMCOUNT, 0, 0)) : 0))
      .Add("class", Quote(ClassOf(control)))
      .Add("text", Quote(TextOf(control)))
      .Add("id", Num(GetDlgCtrlID(control)))
      .Add("rect", Rect(rect))
      .Add("visible", Bool(IsWindowVisible(control)))
      .Add("enabled", Bool(IsWindowEnabled(control)))
      .Add("style", Num(static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE))))
      .Add("checked", Bool((ClassOf(control) == L"Button" || ClassOf(control) == L"TRadioButton") &&
                           SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED))
      .Str();
}

int Children(const wchar_t* text) {
  const HWND parent = reinterpret_cast<HWND>(static_cast<uintptr_t>(std::wcstoull(text, nullptr, 0)));
  std::vector<std::string> items;
  for (HWND child : ChildWindows(parent)) items.push_back(ControlJson(child));
  Emit(Array(items));
  return items.empty() ? 1 : 0;
}

// Message boxes and common dialogs are "#32770" windows; their texts are the
// visible static controls that are not pictures, their choices the buttons.
int Dialog(DWORD pid) {
  std::vector<std::string> dialogs;
  for (HWND hwnd : TopLevelWindows()) {
    if (!BelongsTo(hwnd, pid) || ClassOf(hwnd) != L"#32770") continue;
    std::vector<std::string> controls, texts, buttons;
    for (HWND control : ChildWindows(hwnd)) {
      controls.push_back(ControlJson(control));
      if (!IsWindowVisible(control)) continue;
      const std::wstring kind = ClassOf(control);
      const std::wstring text = TextOf(control);
      const auto style = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE));
      if (_wcsicmp(kind.c_str(), L"Static") == 0 && (style & SS_TYPEMASK) != SS_ICON &&
          !text.empty()) {
        texts.push_back(Quote(text));
      } else if (_wcsicmp(kind.c_str(), L"Button") == 0) {
        buttons.push_back(Quote(text));
      }
    }
    dialogs.push_back(Object()
                          .Add("window", WindowJson(hwnd))
                          .Add("caption", Quote(TextOf(hwnd)))
                          .Add("texts", Array(texts))
                          .Add("buttons", Array(buttons))
                          .Add("controls", Array(controls))
                          .Str());
  }
  Emit(Array(dialogs));
  return dialogs.empty() ? 1 : 0;
}

// ---- accessibility ---------------------------------------------------------
// Read as a screen reader reads another program: AccessibleObjectFromWindow,
// then each object's properties and AccessibleChildren, depth first. A child
// that is no object of its own is left out.

// Spelled out: MinGW's import library gives this identifier wrong bytes.
constexpr IID kIidAccessible{0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// One object and what it holds. The depth bound keeps a tree that loops
// from running on.
std::string AccessibleJson(IAccessible* object, int depth) {
  VARIANT self, role, state;
  VariantInit(&self);
  VariantInit(&role);
  VariantInit(&state);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  object->get_accName(self, &name);
  object->get_accRole(self, &role);
  object->get_accState(self, &state);
  long x = 0, y = 0, w = 0, h = 0;
  object->accLocation(&x, &y, &w, &h, self);
  std::vector<std::string> children;
  long count = 0, got = 0;
  object->get_accChildCount(&count);
  std::vector<VARIANT> found(static_cast<size_t>(std::max(count, 0L)));
  if (depth < 16 && count > 0) AccessibleChildren(object, 0, count, found.data(), &got);
  for (long i = 0; i < got; ++i) {
    VARIANT& child = found[static_cast<size_t>(i)];
    IAccessible* sub = nullptr;
    if (child.vt == VT_DISPATCH &&
        SUCCEEDED(child.pdispVal->QueryInterface(kIidAccessible, reinterpret_cast<void**>(&sub)))) {
      children.push_back(AccessibleJson(sub, depth + 1));
      sub->Release();
    }
    VariantClear(&child);
  }
  const std::string json = Object()
                               .Add("role", Num(role.vt == VT_I4 ? role.lVal : -1))
                               .Add("name", Quote(name ? name : L""))
                               .Add("state", Num(state.vt == VT_I4 ? state.lVal : -1))
                               .Add("rect", Rect(RECT{x, y, x + w, y + h}))
                               .Add("children", Array(children))
                               .Str();
  SysFreeString(name);
  return json;
}

int Accessible(const wchar_t* handleText) {
  const auto hwnd = reinterpret_cast<HWND>(static_cast<uintptr_t>(std::wcstoull(handleText, nullptr, 0)));
  CoInitialize(nullptr);
  IAccessible* object = nullptr;
  const bool found = SUCCEEDED(AccessibleObjectFromWindow(hwnd, OBJID_CLIENT, kIidAccessible,
                                                          reinterpret_cast<void**>(&object))) && object;
  Emit(found ? AccessibleJson(object, 0) : std::string("null"));
  if (object) object->Release();
  CoUninitialize();
  return found ? 0 : 1;
}

int Close(const wchar_t* handleText) {
  const auto hwnd = reinterpret_cast<HWND>(static_cast<uintptr_t>(std::wcstoull(handleText, nullptr, 0)));
  const bool posted = IsWindow(hwnd) && PostMessageW(hwnd, WM_CLOSE, 0, 0);
  Emit(Object().Add("hwnd", Handle(hwnd)).Add("posted", Bool(posted)).Str());
  return posted ? 0 : 1;
}

// Wine closes a virtual desktop, taskbar and all, about a second after the last
// program on it ends, and would take the notification area away between two
// starts of kelvora.exe; this keeps one program on the desktop until standard
// input ends (or the test run ends the process).
int Hold() {
  Emit(Object().Add("desktop", Handle(GetDesktopWindow())).Str());
  char buffer[256];
  DWORD read = 0;
  while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &read, nullptr) && read) {
  }
  return 0;
}

int Usage() {
  std::fputws(L"usage: probe windows <pid> | find <class> [<caption>] |"
              L" wait <pid> <class> <timeout_ms> [visible] | processes [<exe>] |"
              L" tray | menu | dialog <pid> | children <hwnd> | accessible <hwnd> | foreground | close <hwnd> |"
              L" hold\n",
              stderr);
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // Physical pixels on a scaled display, as the program under test sees them.
  SetProcessDPIAware();
  if (argc < 2) return Usage();
  const std::wstring_view command = argv[1];
  if (command == L"windows" && argc == 3) return Windows(ParseNumber(argv[2]));
  if (command == L"find" && (argc == 3 || argc == 4)) return Find(argv[2], argc == 4 ? argv[3] : nullptr);
  if (command == L"wait" && (argc == 5 || (argc == 6 && std::wstring_view(argv[5]) == L"visible"))) {
    return Wait(ParseNumber(argv[2]), argv[3], ParseNumber(argv[4]), argc == 6);
  }
  if (command == L"processes" && argc <= 3) return Processes(argc == 3 ? argv[2] : nullptr);
  if (command == L"tray" && argc == 2) return Tray();
  if (command == L"menu" && argc == 2) return Menu();
  if (command == L"dialog" && argc == 3) return Dialog(ParseNumber(argv[2]));
  if (command == L"children" && argc == 3) return Children(argv[2]);
  if (command == L"accessible" && argc == 3) return Accessible(argv[2]);
  if (command == L"foreground" && argc == 2) {
    const HWND hwnd = GetForegroundWindow();
    Emit(hwnd ? WindowJson(hwnd) : std::string("null"));
    return hwnd ? 0 : 1;
  }
  if (command == L"close" && argc == 3) return Close(argv[2]);
  if (command == L"hold" && argc == 2) return Hold();
  return Usage();
}
