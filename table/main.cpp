// Velloran: starts the table window on the desktop and serves it until it closes.

#include <cstdio>
#include <memory>

#include "base/run_time_error.h"
#include "runtime/app.h"
#include "runtime/sdl_backend.h"
#include "table/frm_main.h"
#include "windows/window_helpers.h"

int main() {
  using namespace velloran;
  rt::App& app = rt::App::instance();
  app.setTitle("Velloran");
  try {
    app.setBackend(std::make_unique<rt::SdlBackend>());
  } catch (const RunTimeError& error) {
    std::fprintf(stderr, "Velloran needs a graphical desktop to run. %s\n",
                 error.description().c_str());
    return 1;
  }
  installErrorReporter();
  const int status = app.run(*frmMain);
  // The table released every window as it closed; they go before the display does.
  frmMain.release();
  app.shutdown();
  return status;
}
