// Process entry: seeds the shared generator, builds the application and its
// three start-up forms, runs the loop, and turns any exception that escapes
// into an error box. The exit code is 0 whatever happened.
#include <windows.h>

#include "app/start_folder.h"
#include "forms/capture/form3.h"
#include "forms/capture/newform.h"
#include "forms/intro/form1.h"
#include "toolkit/core/random.h"
#include "toolkit/forms/application.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // The runtime's seed, once, before any window exists.
  kelvora_random::Seed();
  LeaveSystemFolder();
  ToolkitScope toolkit;
  try {
    Application->Initialize();
    Application->SetTitle(L"Kelvorav21");
    Application->CreateForm(Form1);
    Application->CreateForm(Newform);
    Application->CreateForm(Form3);
    Application->Run();
  } catch (const Exception& e) {
    Application->ShowException(e);
  } catch (...) {
    try {
      throw Exception(L"");
    } catch (const Exception& e) {
      Application->ShowException(e);
    }
  }
  return 0;
}
