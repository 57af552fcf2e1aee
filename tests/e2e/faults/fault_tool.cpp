// fault: loads faultinject.dll into a running kelvora.exe and arms it, for
// the fault sweep. Prints JSON on stdout.
//
//   fault load <pid>                   loads the library (beside this tool) into the process
//   fault record <pid>                 starts counting the call sites the program reaches
//   fault sites <pid>                  stops counting; the sites, each with its calls
//   fault arm <pid> <function> <site>  fails that function's next call from that site
//   fault disarm <pid>                 fails nothing more
//   fault state <pid>                  whether the armed call is still to come; calls failed;
//                                      live GDI objects and DCs
//
// Exit status: 0 done, 1 failed, 2 bad usage.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <string_view>

#include "fault_block.h"

namespace {

const char* const kNames[] = {
#define FUNCTION(dll, name) #name,
#include "fault_functions.inc"
#undef FUNCTION
};
constexpr int kFunctions = sizeof kNames / sizeof kNames[0];

DWORD Number(const wchar_t* text) { return static_cast<DWORD>(std::wcstoul(text, nullptr, 0)); }

fault_block::Block* Open(DWORD pid) {
  HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, fault_block::MappingName(pid).c_str());
  if (!mapping) return nullptr;
  return static_cast<fault_block::Block*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(fault_block::Block)));
}

struct Target {
  DWORD pid;
  HWND window;
};

BOOL CALLBACK FindWindowOf(HWND wnd, LPARAM found) {
  auto* target = reinterpret_cast<Target*>(found);
  DWORD pid = 0;
  GetWindowThreadProcessId(wnd, &pid);
  if (pid != target->pid) return TRUE;
  target->window = wnd;
  return FALSE;
}

std::wstring Beside(const wchar_t* name) {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L"\\/") + 1) + name;
}

int Load(DWORD pid) {
  HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(fault_block::Block),
                                      fault_block::MappingName(pid).c_str());
  auto* block = static_cast<fault_block::Block*>(
      mapping ? MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(fault_block::Block)) : nullptr);
  Target target{pid, nullptr};
  EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&target));
  HMODULE library = LoadLibraryW(Beside(fault_block::kLibrary).c_str());
  auto* hook_proc = library ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(
                                        GetProcAddress(library, fault_block::kLoadHook)))
                                  : nullptr;
  if (!block || !target.window || !hook_proc) {
    std::printf("{\"loaded\": false}\n");
    return 1;
  }
  if (!block->loaded) {
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, hook_proc, library,
                                   GetWindowThreadProcessId(target.window, nullptr));
    DWORD_PTR ignored;
    for (int i = 0; i < 100 && !block->loaded; ++i) {
      SendMessageTimeoutW(target.window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &ignored);
      if (!block->loaded) Sleep(50);
    }
    if (hook) UnhookWindowsHookEx(hook);
  }
  std::printf("{\"loaded\": %s, \"patched\": %ld}\n", block->loaded ? "true" : "false", block->patched);
  return block->loaded ? 0 : 1;
}

void PrintState(const fault_block::Block& block) {
  std::printf("\"armed\": %s, \"failed\": %ld, \"live\": %ld", block.armed ? "true" : "false", block.failed,
              block.live_objects);
}

int Usage() {
  std::fputs("usage: fault load|record|sites|disarm|state <pid> | fault arm <pid> <function> <site>\n",
             stderr);
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return Usage();
  const std::wstring_view command = argv[1];
  const DWORD pid = Number(argv[2]);
  if (command == L"load" && argc == 3) return Load(pid);
  fault_block::Block* block = Open(pid);
  if (!block) {
    std::printf("null\n");
    return 1;
  }
  if (command == L"record" && argc == 3) {
    block->recording = 0;
    block->site_count = 0;
    block->large_allocations = 0;
    block->recording = 1;
    std::printf("{\"recording\": true}\n");
    return 0;
  }
  if (command == L"sites" && argc == 3) {
    block->recording = 0;
    std::printf("{\"sites\": [");
    for (LONG i = 0; i < block->site_count; ++i) {
      const fault_block::Site& site = block->sites[i];
      std::printf("%s{\"function\": \"%s\", \"site\": %lu, \"calls\": %lu}", i ? ", " : "",
                  site.function < kFunctions ? kNames[site.function] : "?", static_cast<unsigned long>(site.offset),
                  static_cast<unsigned long>(site.calls));
    }
    std::printf("], ");
    PrintState(*block);
    std::printf("}\n");
    return 0;
  }
  if (command == L"arm" && argc == 5) {
    int function = -1;
    char name[128] = {};
    WideCharToMultiByte(CP_UTF8, 0, argv[3], -1, name, sizeof name - 1, nullptr, nullptr);
    for (int i = 0; i < kFunctions; ++i)
      if (std::strcmp(kNames[i], name) == 0) function = i;
    if (function < 0) return Usage();
    block->armed = 0;
    block->armed_function = static_cast<uint32_t>(function);
    block->armed_offset = Number(argv[4]);
    block->large_allocations = 0;
    block->armed = 1;
    std::printf("{");
    PrintState(*block);
    std::printf("}\n");
    return 0;
  }
  if (command == L"disarm" && argc == 3) block->armed = 0;
  if ((command == L"state" || command == L"disarm") && argc == 3) {
    std::printf("{");
    PrintState(*block);
    std::printf("}\n");
    return 0;
  }
  return Usage();
}
