// Times the two capture commands' picture work as kelvora.exe runs it, in one
// process: the grab into the bitmap (depth and palette included), and the
// save of the capture file (BMP encoding and write, which go out together a
// band of rows at a time). No questions, no dialogs.
//
//   capture_bench serve                 one capture per line read from stdin:
//                                       "desktop" or "region <w> <h>" (at 100, 100);
//                                       answers "<grab> <save> <total>"
//   capture_bench desktop <runs>        whole-screen captures
//   capture_bench region <runs> <w> <h> region captures at 100, 100
//   capture_bench still <runs>         the region selector's still picture of the screen
//   capture_bench peak                  one desktop capture; the process's peak memory
//   capture_bench leak <count>          that many 10 x 10 region captures; memory after
//                                       the first 100 and after all of them
//
// Lines of "key value" on stdout, read by bench/run.sh; times in milliseconds,
// memory in KiB. With --pause last, peak and leak print "pause <label>" at each
// memory reading and wait for a line on stdin, so that the caller can read the
// process's /proc status too (under Wine the Windows process is that process;
// GetProcessMemoryInfo reports its VmHWM and VmRSS as the peak and current
// working set, but no private usage).
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "forms/capture/screen_capture.h"
#include "toolkit/core/exceptions.h"
#include "toolkit/forms/application.h"
#include "toolkit/forms/screen.h"
#include "toolkit/graphics/bmp_codec.h"
#include "toolkit/win/file_stream.h"
#include "toolkit/win/handle.h"

namespace {

double Now() {
  static const double ticks_per_ms = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / ticks_per_ms;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Stages {
  std::vector<double> grab, save, total;
  void Print(const char* name) const {
    std::printf("%s_runs %zu\n", name, total.size());
    std::printf("%s_grab_ms %.3f\n", name, Median(grab));
    std::printf("%s_save_ms %.3f\n", name, Median(save));
    std::printf("%s_total_ms %.3f\n", name, Median(total));
  }
};

// One capture as the command runs it: screen DC, grab, capture file.
template <class Grab>
void TimedCapture(Stages& stages, Grab grab, bool desktop) {
  const double t0 = Now();
  TBitmap bitmap;
  window_dc screen(nullptr, desktop ? window_dc::Area::Window : window_dc::Area::Client);
  grab(screen.get(), bitmap);
  const double t1 = Now();
  bitmap.SaveToFile(kCaptureFile);
  const double t2 = Now();
  stages.grab.push_back(t1 - t0);
  stages.save.push_back(t2 - t1);
  stages.total.push_back(t2 - t0);
}

bool pause_at_readings = false;

void PrintMemory(const char* when) {
  PROCESS_MEMORY_COUNTERS_EX pmc{};
  pmc.cb = sizeof pmc;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc);
  std::printf("%s_peak_working_set_kb %zu\n", when, static_cast<size_t>(pmc.PeakWorkingSetSize / 1024));
  std::printf("%s_working_set_kb %zu\n", when, static_cast<size_t>(pmc.WorkingSetSize / 1024));
  if (pause_at_readings) {
    std::printf("pause %s\n", when);
    std::fflush(stdout);
    char line[16];
    if (!std::fgets(line, sizeof line, stdin)) pause_at_readings = false;
  }
}

int Usage() {
  std::fprintf(stderr, "usage: capture_bench desktop <runs> | region <runs> <w> <h> | peak | leak <count>\n");
  return 2;
}

int Run(int argc, wchar_t** argv) {
  if (argc > 2 && std::wstring(argv[argc - 1]) == L"--pause") {
    pause_at_readings = true;
    --argc;
  }
  if (argc < 2) return Usage();
  const std::wstring mode = argv[1];
  auto desktop = [](HDC screen, TBitmap& bitmap) { CaptureDesktop(screen, bitmap); };
  if (mode == L"serve" && argc == 2) {
    // Kept running by bench/run.sh, which takes its turns with the floors
    // and the peers: every contender sees the same moments of the machine.
    char line[64];
    while (std::fgets(line, sizeof line, stdin)) {
      Stages stages;
      int w = 0, h = 0;
      if (std::sscanf(line, "region %d %d", &w, &h) == 2) {
        const RECT area{100, 100, 100 + w, 100 + h};
        TimedCapture(stages, [&](HDC screen, TBitmap& bitmap) { CaptureScreenRect(screen, area, bitmap); }, false);
      } else if (std::string(line).starts_with("desktop")) {
        TimedCapture(stages, desktop, true);
      } else {
        break;
      }
      std::printf("%.3f %.3f %.3f\n", stages.grab[0], stages.save[0], stages.total[0]);
      std::fflush(stdout);
    }
    return 0;
  }
  if (mode == L"desktop" && argc == 3) {
    Stages stages;
    const int runs = _wtoi(argv[2]);
    for (int i = 0; i < runs; ++i) TimedCapture(stages, desktop, true);
    std::printf("screen %dx%d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    stages.Print("desktop");
    return 0;
  }
  if (mode == L"region" && argc == 5) {
    Stages stages;
    const int runs = _wtoi(argv[2]);
    const RECT area{100, 100, 100 + _wtoi(argv[3]), 100 + _wtoi(argv[4])};
    for (int i = 0; i < runs; ++i)
      TimedCapture(stages, [&](HDC screen, TBitmap& bitmap) { CaptureScreenRect(screen, area, bitmap); }, false);
    stages.Print("region");
    return 0;
  }
  if (mode == L"still" && argc == 3) {
    std::vector<double> times;
    const int runs = _wtoi(argv[2]);
    for (int i = 0; i < runs; ++i) {
      const double t0 = Now();
      StillPicture still(Screen().DesktopRect());
      window_dc screen(nullptr);
      still.Capture(screen.get(), RECT{});
      times.push_back(Now() - t0);
    }
    std::printf("still_runs %zu\nstill_ms %.3f %.3f %.3f\n", times.size(), *std::min_element(times.begin(), times.end()),
                Median(times), *std::max_element(times.begin(), times.end()));
    return 0;
  }
  if (mode == L"peak" && argc == 2) {
    PrintMemory("before");
    Stages stages;
    TimedCapture(stages, desktop, true);
    PrintMemory("after");
    return 0;
  }
  if (mode == L"leak" && argc == 3) {
    const int count = _wtoi(argv[2]);
    const RECT area{10, 10, 20, 20};
    int done = 0;
    for (int i = 0; i < count; ++i) {
      TBitmap bitmap;
      window_dc screen(nullptr);
      CaptureScreenRect(screen.get(), area, bitmap);
      bitmap.SaveToFile(kCaptureFile);
      ++done;
      if (done == 100) PrintMemory("after_100");
    }
    PrintMemory("after_all");
    const kelvora_image::BmpImage last = kelvora_image::DecodeBmp(ReadWholeFile(kCaptureFile));
    std::printf("captures_done %d\n", done);
    std::printf("last_capture %dx%dx%d\n", last.width, last.height, last.bits_per_pixel);
    std::fflush(stdout);
    return 0;
  }
  return Usage();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  ToolkitScope toolkit;
  try {
    return Run(argc, argv);
  } catch (const Exception& e) {
    std::fwprintf(stderr, L"capture_bench: %ls\n", e.Message().c_str());
    return 1;
  }
}
