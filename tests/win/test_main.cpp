// One application object for the whole test program, as in kelvora.exe.
#include <gtest/gtest.h>

#include "toolkit/core/random.h"
#include "toolkit/forms/application.h"

int wmain(int argc, wchar_t** argv) {
  kelvora_random::Seed();
  ToolkitScope toolkit;
  Application->SetTitle(L"KelvoraTest");
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
