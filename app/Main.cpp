// The program's start-up: the data module (which connects to data.mdb
// beside the program), the main window, a hidden sales window, then one login attempt. A
// successful login opens the main window; anything else ends the program
// without showing a window.
#include "Forms.h"
#include "cxEditStartup.h"
#include "uDataForm.h"
#include "uLoginForm.h"
#include "uMainForm.h"
#include "uSaleForm.h"

extern "C" int wmain(int, char16_t**) {
  Application->Initialize();
  // The editor framework's process-wide state is made before any window
  // and released when the program ends.
  cxEditFrameworkStartup();
  struct FrameworkShutdown {
    ~FrameworkShutdown() { cxEditFrameworkShutdown(); }
  } frameworkShutdown;
  Application->SetTitle("Tovani订单管理软件");
  try {
    Application->CreateForm(DataForm);
    Application->CreateForm(MainForm);
    // One sales window, hidden; the menu command opens an MDI one of its own.
    Application->CreateForm(SaleForm);
    std::unique_ptr<TLoginForm> login(TCustomForm::Create<TLoginForm>(nullptr));
    if (login->ShowModal() == mrLoginOk) {
      MainForm->ShowCurrentUser();
    } else {
      Application->SetShowMainForm(false);
      Application->Terminate();
    }
  } catch (const Exception& e) {
    // No database: the start stops with the error, before any window.
    Application->ShowException(e);
    return 1;
  }
  Application->Run();
  return 0;
}
