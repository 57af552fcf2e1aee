// The control block that the fault tool and the fault library share, in a
// mapping named for the process under test: which call to fail, and what the
// library saw of the program's calls.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace fault_block {

inline std::wstring MappingName(DWORD pid) { return L"KelvoraFaults-" + std::to_wstring(pid); }
inline constexpr char kLoadHook[] = "FaultLoadHook";
inline constexpr wchar_t kLibrary[] = L"faultinject.dll";

// A call site: one of the wrapped functions called from one place of the
// program (its return address, as an offset into kelvora.exe). Allocations
// have no place of their own (they all come through operator new): theirs
// is their order among the large ones since recording or arming began.
struct Site {
  uint32_t function;
  uint32_t offset;
  uint32_t calls;
};

inline constexpr int kMaxSites = 1024;

struct Block {
  volatile LONG loaded;     // the library is in and the imports are patched
  volatile LONG patched;    // how many import slots it replaced
  volatile LONG recording;  // sites are being counted
  volatile LONG armed;      // one call is still to fail
  uint32_t armed_function;
  uint32_t armed_offset;
  volatile LONG failed;     // calls failed since the block was made
  volatile LONG large_allocations;  // since recording or arming began
  volatile LONG live_objects;       // GDI objects and DCs made through wrapped calls, not yet freed
  volatile LONG site_count;
  Site sites[kMaxSites];
};

}  // namespace fault_block
