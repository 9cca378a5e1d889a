// Velloran: starts the table window on the desktop and serves it until it closes.

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <vector>

#include "assets/embedded.h"
#include "base/run_time_error.h"
#include "runtime/app.h"
#include "runtime/sdl_backend.h"
#include "runtime/x11_backend.h"
#include "table/frm_main.h"
#include "windows/window_helpers.h"

#ifndef VELLORAN_VERSION
#define VELLORAN_VERSION "unknown"
#endif

namespace {

constexpr const char* kUsage =
    "Usage: velloran [--help | --version]\n"
    "Velloran, a falling-tile mahjong game. Start it without options to play.\n"
    "\n"
    "  -h, --help     show this help and exit\n"
    "      --version  show the version and exit\n"
    "\n"
    "An installed game keeps the five best scores in HiScore.dat in $XDG_DATA_HOME/velloran\n"
    "(by default ~/.local/share/velloran); a copy run from its own folder keeps them beside\n"
    "itself, when it may write there.\n";

// The game takes no options but these two. -1: go on and play; else the exit status.
int answerOptions(int argc, char** argv) {
  if (argc < 2) return -1;
  const std::string_view option = argv[1];
  if (argc == 2 && (option == "--help" || option == "-h")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc == 2 && option == "--version") {
    std::puts("velloran " VELLORAN_VERSION);
    return 0;
  }
  const std::string_view wrong = option == "--help" || option == "-h" || option == "--version"
                                     ? std::string_view(argv[2])
                                     : option;
  std::fprintf(stderr, "velloran: unknown option or argument '%.*s'\nTry 'velloran --help'.\n",
               static_cast<int>(wrong.size()), wrong.data());
  return 2;
}

// Our own X11 windows on an X desktop, else SDL's (Wayland, a driver named in
// SDL_VIDEODRIVER, or an X server whose pixels are laid out otherwise).
std::unique_ptr<velloran::rt::Backend> openDesktop() {
  const char* driver = std::getenv("SDL_VIDEODRIVER");
  const char* display = std::getenv("DISPLAY");
  const bool named = driver && *driver && std::string_view(driver) != "x11";
  if (!named && display && *display) {
    if (auto x11 = velloran::rt::openX11Backend()) return x11;
  }
  return std::make_unique<velloran::rt::SdlBackend>();
}

// The game's icon in every size compiled in, for the desktop to show on each window.
std::vector<velloran::rt::WindowIcon> gameIcons() {
  std::vector<velloran::rt::WindowIcon> icons;
  for (const auto bytes : velloran::assets::windowIcons()) {
    icons.push_back(velloran::rt::decodeWindowIcon(bytes));
  }
  return icons;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace velloran;
  if (const int status = answerOptions(argc, argv); status >= 0) return status;
  rt::App& app = rt::App::instance();
  app.setTitle("Velloran");
  app.setIcons(gameIcons());
  try {
    app.setBackend(openDesktop());
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
