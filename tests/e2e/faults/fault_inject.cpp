// faultinject.dll: makes one chosen call of kelvora.exe fail, inside the real
// program, without changing what ships. The fault tool loads it into the
// running program through a window hook; it then replaces the program's
// import slots of the functions below with wrappers that count each call
// site and fail the one call the tool arms, as the system fails it (the
// failure value and a last error). It also counts the GDI objects and DCs
// the program makes and frees through these functions, for leak checks
// where the platform counts nothing (GetGuiResources answers 0 under Wine).
#include <windows.h>

#include <cderr.h>
#include <commdlg.h>
#include <shellapi.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unordered_set>

#include "fault_block.h"

namespace {

fault_block::Block* block = nullptr;
uintptr_t program_base = 0;
CRITICAL_SECTION lock;
std::unordered_set<uintptr_t>* live = nullptr;

// Allocations smaller than this are not failed: a program out of memory
// fails first where it asks for pictures and bands.
constexpr size_t kLargeAllocation = 64 * 1024;

uint32_t OffsetOf(void* address) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(address) - program_base);
}

void Record(uint32_t function, uint32_t offset) {
  EnterCriticalSection(&lock);
  const LONG count = block->site_count;
  int i = 0;
  while (i < count && !(block->sites[i].function == function && block->sites[i].offset == offset)) ++i;
  if (i == count && count < fault_block::kMaxSites) {
    block->sites[i] = {function, offset, 0};
    block->site_count = count + 1;
  }
  if (i < fault_block::kMaxSites) ++block->sites[i].calls;
  LeaveCriticalSection(&lock);
}

bool ShouldFail(uint32_t function, uint32_t offset) {
  if (!block) return false;
  if (block->recording) Record(function, offset);
  if (!block->armed || block->armed_function != function || block->armed_offset != offset) return false;
  if (InterlockedCompareExchange(&block->armed, 0, 1) != 1) return false;
  InterlockedIncrement(&block->failed);
  return true;
}

// Counts an object made (made true) or freed.
void Count(void* object, bool made) {
  if (!object || !live) return;
  EnterCriticalSection(&lock);
  if (made)
    live->insert(reinterpret_cast<uintptr_t>(object));
  else
    live->erase(reinterpret_cast<uintptr_t>(object));
  block->live_objects = static_cast<LONG>(live->size());
  LeaveCriticalSection(&lock);
}

// ---- the wrapped functions ---------------------------------------------------

// Every wrapped function, in the order of the table below. The fault tool
// names them by these indexes.
enum Function : uint32_t {
#define FUNCTION(dll, name) f_##name,
#include "fault_functions.inc"
#undef FUNCTION
  kFunctions
};

void* original[kFunctions];

template <typename F>
F Original(Function f) {
  return reinterpret_cast<F>(original[f]);
}

#define SITE() OffsetOf(__builtin_return_address(0))
// A call that can fail: fails with `failure` and `error` as the last error
// when armed for this site, else calls the program's own import.
#define FALLIBLE(ret, name, params, args, failure, error)          \
  ret WINAPI Fail_##name params {                                  \
    if (ShouldFail(f_##name, SITE())) {                            \
      SetLastError(error);                                         \
      return failure;                                              \
    }                                                              \
    return Original<decltype(&::name)>(f_##name) args;             \
  }
// The same for a call that makes a GDI object or DC, which is counted.
#define MAKES(ret, name, params, args, failure, error)             \
  ret WINAPI Fail_##name params {                                  \
    if (ShouldFail(f_##name, SITE())) {                            \
      SetLastError(error);                                         \
      return failure;                                              \
    }                                                              \
    ret made = Original<decltype(&::name)>(f_##name) args;         \
    Count(made, true);                                                   \
    return made;                                                   \
  }
// A call that frees one: never failed, only counted.
#define FREES(ret, name, params, args, freed)                      \
  ret WINAPI Fail_##name params {                                  \
    Count(freed, false);                                                \
    return Original<decltype(&::name)>(f_##name) args;             \
  }

constexpr DWORD kNoMemory = ERROR_NOT_ENOUGH_MEMORY;
constexpr DWORD kNoAccess = ERROR_ACCESS_DENIED;

// gdi32
MAKES(HDC, CreateCompatibleDC, (HDC dc), (dc), nullptr, kNoMemory)
MAKES(HBITMAP, CreateCompatibleBitmap, (HDC dc, int w, int h), (dc, w, h), nullptr, kNoMemory)
MAKES(HBITMAP, CreateDIBSection, (HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD at),
      (dc, info, usage, bits, section, at), nullptr, kNoMemory)
MAKES(HPALETTE, CreatePalette, (const LOGPALETTE* lp), (lp), nullptr, kNoMemory)
MAKES(HPALETTE, CreateHalftonePalette, (HDC dc), (dc), nullptr, kNoMemory)
MAKES(HRGN, CreateRectRgnIndirect, (const RECT* r), (r), nullptr, kNoMemory)
MAKES(HBRUSH, CreateSolidBrush, (COLORREF c), (c), nullptr, kNoMemory)
MAKES(HFONT, CreateFontIndirectW, (const LOGFONTW* lf), (lf), nullptr, kNoMemory)
FALLIBLE(BOOL, BitBlt, (HDC d, int x, int y, int w, int h, HDC s, int sx, int sy, DWORD rop),
         (d, x, y, w, h, s, sx, sy, rop), FALSE, kNoMemory)
FALLIBLE(BOOL, StretchBlt, (HDC d, int x, int y, int w, int h, HDC s, int sx, int sy, int sw, int sh, DWORD rop),
         (d, x, y, w, h, s, sx, sy, sw, sh, rop), FALSE, kNoMemory)
FALLIBLE(int, GetDIBits, (HDC dc, HBITMAP b, UINT first, UINT lines, LPVOID bits, LPBITMAPINFO info, UINT usage),
         (dc, b, first, lines, bits, info, usage), 0, kNoMemory)
FALLIBLE(HGDIOBJ, SelectObject, (HDC dc, HGDIOBJ o), (dc, o), nullptr, kNoMemory)
FALLIBLE(HPALETTE, SelectPalette, (HDC dc, HPALETTE p, BOOL background), (dc, p, background), nullptr, kNoMemory)
FALLIBLE(UINT, GetSystemPaletteEntries, (HDC dc, UINT first, UINT n, LPPALETTEENTRY e), (dc, first, n, e), 0,
         kNoMemory)
FALLIBLE(UINT, GetPaletteEntries, (HPALETTE p, UINT first, UINT n, LPPALETTEENTRY e), (p, first, n, e), 0, kNoMemory)
FALLIBLE(UINT, GetDIBColorTable, (HDC dc, UINT first, UINT n, RGBQUAD* c), (dc, first, n, c), 0, kNoMemory)
FALLIBLE(int, CombineRgn, (HRGN d, HRGN a, HRGN b, int mode), (d, a, b, mode), ERROR, kNoMemory)
FALLIBLE(BOOL, FillRgn, (HDC dc, HRGN r, HBRUSH b), (dc, r, b), FALSE, kNoMemory)
FREES(BOOL, DeleteObject, (HGDIOBJ o), (o), o)
FREES(BOOL, DeleteDC, (HDC dc), (dc), dc)
// user32
MAKES(HDC, GetDC, (HWND w), (w), nullptr, kNoAccess)
MAKES(HDC, GetWindowDC, (HWND w), (w), nullptr, kNoAccess)
FREES(int, ReleaseDC, (HWND w, HDC dc), (w, dc), dc)
FALLIBLE(HWND, CreateWindowExW,
         (DWORD ex, LPCWSTR cls, LPCWSTR name, DWORD style, int x, int y, int w, int h, HWND parent, HMENU menu,
          HINSTANCE inst, LPVOID param),
         (ex, cls, name, style, x, y, w, h, parent, menu, inst, param), nullptr, kNoMemory)
FALLIBLE(BOOL, TrackPopupMenu, (HMENU m, UINT flags, int x, int y, int reserved, HWND w, const RECT* r),
         (m, flags, x, y, reserved, w, r), FALSE, kNoMemory)
FALLIBLE(int, MessageBoxW, (HWND w, LPCWSTR text, LPCWSTR caption, UINT type), (w, text, caption, type), 0,
         kNoMemory)
// shell32
FALLIBLE(BOOL, Shell_NotifyIconW, (DWORD message, PNOTIFYICONDATAW data), (message, data), FALSE, kNoAccess)
// kernel32
FALLIBLE(HANDLE, CreateFileW,
         (LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD how, DWORD flags, HANDLE tmpl),
         (name, access, share, sa, how, flags, tmpl), INVALID_HANDLE_VALUE, kNoAccess)
FALLIBLE(BOOL, WriteFile, (HANDLE f, LPCVOID data, DWORD n, LPDWORD done, LPOVERLAPPED o), (f, data, n, done, o),
         FALSE, ERROR_DISK_FULL)
FALLIBLE(BOOL, ReadFile, (HANDLE f, LPVOID data, DWORD n, LPDWORD done, LPOVERLAPPED o), (f, data, n, done, o),
         FALSE, ERROR_READ_FAULT)
FALLIBLE(BOOL, FlushFileBuffers, (HANDLE f), (f), FALSE, ERROR_DISK_FULL)
FALLIBLE(BOOL, MoveFileExW, (LPCWSTR from, LPCWSTR to, DWORD flags), (from, to, flags), FALSE, kNoAccess)
FALLIBLE(UINT, GetTempFileNameW, (LPCWSTR folder, LPCWSTR prefix, UINT unique, LPWSTR name),
         (folder, prefix, unique, name), 0, kNoAccess)
// advapi32: the registry answers with its error instead of a last error.
FALLIBLE(LSTATUS, RegCreateKeyExW,
         (HKEY k, LPCWSTR sub, DWORD r, LPWSTR cls, DWORD opt, REGSAM sam, LPSECURITY_ATTRIBUTES sa, PHKEY out,
          LPDWORD how),
         (k, sub, r, cls, opt, sam, sa, out, how), ERROR_ACCESS_DENIED, kNoAccess)
FALLIBLE(LSTATUS, RegOpenKeyExW, (HKEY k, LPCWSTR sub, DWORD opt, REGSAM sam, PHKEY out), (k, sub, opt, sam, out),
         ERROR_ACCESS_DENIED, kNoAccess)
FALLIBLE(LSTATUS, RegSetValueExW, (HKEY k, LPCWSTR name, DWORD r, DWORD type, const BYTE* data, DWORD size),
         (k, name, r, type, data, size), ERROR_ACCESS_DENIED, kNoAccess)
FALLIBLE(LSTATUS, RegDeleteValueW, (HKEY k, LPCWSTR name), (k, name), ERROR_ACCESS_DENIED, kNoAccess)
FALLIBLE(LSTATUS, RegQueryValueExW, (HKEY k, LPCWSTR name, LPDWORD r, LPDWORD type, LPBYTE data, LPDWORD size),
         (k, name, r, type, data, size), ERROR_ACCESS_DENIED, kNoAccess)

// comdlg32: a dialog that fails says why through CommDlgExtendedError.
volatile LONG dialog_failed = 0;
BOOL WINAPI Fail_GetSaveFileNameW(LPOPENFILENAMEW ofn) {
  if (ShouldFail(f_GetSaveFileNameW, SITE())) {
    InterlockedExchange(&dialog_failed, 1);
    return FALSE;
  }
  InterlockedExchange(&dialog_failed, 0);
  return Original<decltype(&::GetSaveFileNameW)>(f_GetSaveFileNameW)(ofn);
}
DWORD WINAPI Fail_CommDlgExtendedError() {
  if (dialog_failed) return CDERR_MEMALLOCFAILURE;
  return Original<decltype(&::CommDlgExtendedError)>(f_CommDlgExtendedError)();
}

int FunctionNamed(const char* name);
void* WrapperOf(int f);

// A wrapped function the program finds at run time is handed its wrapper,
// as an imported one is. Never failed itself.
FARPROC WINAPI Fail_GetProcAddress(HMODULE module, LPCSTR name) {
  const FARPROC found = Original<decltype(&::GetProcAddress)>(f_GetProcAddress)(module, name);
  const int f = found && !IS_INTRESOURCE(name) ? FunctionNamed(name) : -1;
  if (f < 0 || f == f_GetProcAddress) return found;
  InterlockedCompareExchangePointer(&original[f], reinterpret_cast<void*>(found), nullptr);
  return reinterpret_cast<FARPROC>(WrapperOf(f));
}

// msvcrt: large allocations, by their order.
void* __cdecl Fail_malloc(size_t size) {
  if (block && size >= kLargeAllocation &&
      ShouldFail(f_malloc, static_cast<uint32_t>(InterlockedIncrement(&block->large_allocations)))) {
    errno = ENOMEM;
    return nullptr;
  }
  return Original<decltype(&::malloc)>(f_malloc)(size);
}

void* const wrapper[kFunctions] = {
#define FUNCTION(dll, name) reinterpret_cast<void*>(&Fail_##name),
#include "fault_functions.inc"
#undef FUNCTION
};
const char* const names[kFunctions] = {
#define FUNCTION(dll, name) #name,
#include "fault_functions.inc"
#undef FUNCTION
};

void* WrapperOf(int f) { return wrapper[f]; }

// ---- patching ----------------------------------------------------------------

int FunctionNamed(const char* name) {
  for (int i = 0; i < static_cast<int>(kFunctions); ++i)
    if (std::strcmp(names[i], name) == 0) return i;
  return -1;
}

// Replaces the program's import slots of every wrapped function.
LONG PatchImports() {
  auto* base = reinterpret_cast<BYTE*>(program_base);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (!dir.VirtualAddress) return 0;
  LONG patched = 0;
  for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name; ++d) {
    auto* names_at = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + (d->OriginalFirstThunk ? d->OriginalFirstThunk
                                                                                               : d->FirstThunk));
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
    for (; names_at->u1.AddressOfData; ++names_at, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names_at->u1.Ordinal)) continue;
      const auto* by_name = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names_at->u1.AddressOfData);
      const int f = FunctionNamed(reinterpret_cast<const char*>(by_name->Name));
      if (f < 0) continue;
      DWORD old;
      if (!VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &old)) continue;
      original[f] = reinterpret_cast<void*>(slots->u1.Function);
      slots->u1.Function = reinterpret_cast<uintptr_t>(wrapper[f]);
      VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
      ++patched;
    }
  }
  return patched;
}

void Attach(HMODULE self) {
  // Only the process the tool made a block for: the tool loads this
  // library too, to find its hook.
  HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, fault_block::MappingName(GetCurrentProcessId()).c_str());
  if (!mapping) return;
  block = static_cast<fault_block::Block*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(fault_block::Block)));
  if (!block) return;  // the mapping stays open with the process: the tool reopens it by name
  HMODULE pinned;
  // Stays when the hook that brought it in is removed.
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                     reinterpret_cast<LPCWSTR>(self), &pinned);
  InitializeCriticalSection(&lock);
  live = new std::unordered_set<uintptr_t>();
  program_base = reinterpret_cast<uintptr_t>(GetModuleHandleW(nullptr));
  block->patched = PatchImports();
  block->loaded = 1;
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK FaultLoadHook(int code, WPARAM wp, LPARAM lp) {
  return CallNextHookEx(nullptr, code, wp, lp);
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) Attach(self);
  return TRUE;
}
