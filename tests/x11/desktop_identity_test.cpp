// What the desktop reads off the game's windows to know them: the game's own icon in each
// size, a class that matches its desktop entry, its process and its host. Read from a
// connection of the test's own, as a task bar or a window manager reads them.

#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "assets/embedded.h"
#include "runtime/app.h"
#include "runtime/form.h"
#include "runtime/window_icon.h"
#include "x11/child_process.h"
#include "x11/x_client.h"

// Xlib last: its macros clash with ordinary names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace velloran::testing {
namespace {

using Pixels = std::vector<std::uint32_t>;  // 0xAARRGGBB, row after row

// An icon of the art the package installs, as the desktop wants it.
Pixels art(int size) {
  const std::string file =
      std::string(VELLORAN_SOURCE_DIR) + "/assets/icons/velloran-" + std::to_string(size) + ".png";
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  Pixels pixels;
  if (!png_image_begin_read_from_file(&image, file.c_str())) return pixels;
  image.format = PNG_FORMAT_BGRA;
  pixels.resize(static_cast<std::size_t>(image.width) * image.height);
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) pixels.clear();
  return pixels;
}

// A connection of the test's own; a loaded X server may turn a new one away, so it asks again.
struct OwnConnection {
  Display* display = nullptr;
  OwnConnection() {
    for (int attempt = 0; attempt < 5 && !display; ++attempt) {
      if (attempt) std::this_thread::sleep_for(std::chrono::milliseconds(50));
      display = XOpenDisplay(nullptr);
    }
  }
  ~OwnConnection() {
    if (display) XCloseDisplay(display);
  }
  // A property's 32-bit items, as Xlib hands them over (longs).
  std::vector<unsigned long> cardinals(Window window, const char* name) const {
    std::vector<unsigned long> items;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, LONG_MAX / 4,
                           False, XA_CARDINAL, &type, &format, &count, &after, &data) == Success &&
        data && format == 32) {
      const auto* words = reinterpret_cast<const unsigned long*>(data);
      items.assign(words, words + count);
    }
    if (data) XFree(data);
    return items;
  }
  // _NET_WM_ICON by size: each picture's pixels.
  std::map<int, Pixels> icons(Window window) const {
    const std::vector<unsigned long> items = cardinals(window, "_NET_WM_ICON");
    std::map<int, Pixels> found;
    for (std::size_t at = 0; at + 2 <= items.size();) {
      const std::size_t width = items[at], height = items[at + 1];
      const std::size_t end = at + 2 + width * height;
      if (width != height || end > items.size()) {
        ADD_FAILURE() << "a malformed icon of " << width << " x " << height;
        break;
      }
      Pixels& pixels = found[static_cast<int>(width)];
      for (std::size_t i = at + 2; i < end; ++i) pixels.push_back(items[i] & 0xFFFFFFFFu);
      at = end;
    }
    return found;
  }
  std::string text(Window window, Atom property) const {
    XTextProperty value{};
    std::string result;
    if (XGetTextProperty(display, window, &value, property) && value.value) {
      result.assign(reinterpret_cast<const char*>(value.value), value.nitems);
      XFree(value.value);
    }
    return result;
  }
  std::pair<std::string, std::string> windowClass(Window window) const {
    XClassHint hint{};
    std::pair<std::string, std::string> names;
    if (XGetClassHint(display, window, &hint)) {
      names = {hint.res_name ? hint.res_name : "", hint.res_class ? hint.res_class : ""};
      XFree(hint.res_name);
      XFree(hint.res_class);
    }
    return names;
  }
  // The top-level windows (and, under a window manager, the windows in its frames).
  std::vector<Window> topLevels() const {
    std::vector<Window> all;
    const auto children = [&](Window parent) {
      Window root = 0, up = 0, *list = nullptr;
      unsigned count = 0;
      std::vector<Window> found;
      if (XQueryTree(display, parent, &root, &up, &list, &count) && list) {
        found.assign(list, list + count);
        XFree(list);
      }
      return found;
    };
    for (const Window top : children(DefaultRootWindow(display))) {
      all.push_back(top);
      for (const Window inner : children(top)) all.push_back(inner);
    }
    return all;
  }
};

std::string contents(const std::string& file) {
  std::ifstream in(file);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void expectTheGamesIcon(const std::map<int, Pixels>& icons, const std::vector<int>& sizes) {
  std::vector<int> present;
  for (const auto& [size, pixels] : icons) present.push_back(size);
  EXPECT_EQ(present, sizes);
  for (const int size : sizes) {
    SCOPED_TRACE(size);
    const auto it = icons.find(size);
    if (it == icons.end()) continue;
    const Pixels expected = art(size);
    ASSERT_EQ(expected.size(), static_cast<std::size_t>(size * size));
    EXPECT_TRUE(it->second == expected) << "the pixels are the installed art's";
  }
}

const std::vector<int> kIconSizes = {16, 24, 32, 48, 64, 128};

TEST(DesktopIdentity, TheGamesWindowCarriesItsIconClassProcessAndHost) {
  ChildProcess game({gameBinary()}, {{"SDL_AUDIODRIVER", "dummy"}});
  std::vector<unsigned long> windows;
  for (int attempt = 0; attempt < 400 && windows.empty(); ++attempt) {
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
    windows = gameWindows();
  }
  ASSERT_EQ(windows.size(), 1u) << "the table shows, alone\n" << game.errorText();
  const Window table = windows.front();
  OwnConnection x;
  ASSERT_NE(x.display, nullptr);

  expectTheGamesIcon(x.icons(table), kIconSizes);
  // The class a task bar matches with the desktop entry's StartupWMClass.
  EXPECT_EQ(x.windowClass(table), std::make_pair(std::string("velloran"), std::string("velloran")));
  const std::string entry =
      contents(std::string(VELLORAN_SOURCE_DIR) + "/packaging/org.velloran.velloran.desktop.in");
  EXPECT_NE(entry.find("\nStartupWMClass=velloran\n"), std::string::npos) << entry;
  // The process and the host it runs on, for a window manager that ends a hung program.
  EXPECT_EQ(x.cardinals(table, "_NET_WM_PID"),
            std::vector<unsigned long>{static_cast<unsigned long>(game.pid())});
  char host[HOST_NAME_MAX + 1] = {};
  ASSERT_EQ(gethostname(host, sizeof host), 0);
  EXPECT_EQ(x.text(table, XA_WM_CLIENT_MACHINE), host);

  // The store of pictures loaded beside the table is never shown: no window of the game's
  // stands hidden among the top-level ones for a search by name or class to find.
  for (const Window window : x.topLevels()) {
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(x.display, window, &attributes)) continue;
    char* name = nullptr;
    std::string title;
    if (XFetchName(x.display, window, &name) && name) {
      title = name;
      XFree(name);
    }
    const bool ours = title == "Velloran" || x.windowClass(window).second == "velloran";
    EXPECT_FALSE(ours && attributes.map_state == IsUnmapped)
        << "an unmapped window 0x" << std::hex << window << " named '" << title << "', " << std::dec
        << attributes.width << " x " << attributes.height;
  }
}

// A window the runtime opens, on either backend, with the icons the game hands it.
struct Probe : rt::Form {
  Probe() : Form("frmProbe") {}
};

class WindowIcons : public ::testing::TestWithParam<Desktop> {
 protected:
  void SetUp() override {
    std::vector<rt::WindowIcon> icons;
    for (const auto bytes : assets::windowIcons()) icons.push_back(rt::decodeWindowIcon(bytes));
    rt::App::instance().setIcons(std::move(icons));
    rt::App::instance().setBackend(openBackend(GetParam()));
  }
  void TearDown() override {
    rt::App::instance().setBackend(nullptr);
    rt::App::instance().setIcons({});
  }
};

TEST_P(WindowIcons, EveryWindowShowsTheGamesIcon) {
  Probe probe;
  probe.setClientSize(120, 80);
  probe.show();
  rt::App::instance().backend().flush();
  OwnConnection x;
  ASSERT_NE(x.display, nullptr);
  std::map<int, Pixels> icons;
  // SDL sets its properties as it maps the window; the loop is served meanwhile.
  for (int attempt = 0; attempt < 200 && icons.empty(); ++attempt) {
    rt::App& app = rt::App::instance();
    app.serveUntil(app.clock().monotonic() + 0.02);
    icons = x.icons(xWindowOf(probe));
  }
  // SDL hands X the one picture it was given, the largest; our own backend every size.
  expectTheGamesIcon(icons, GetParam() == Desktop::Sdl ? std::vector<int>{128} : kIconSizes);
  probe.unload();
}

INSTANTIATE_TEST_SUITE_P(Desktops, WindowIcons, ::testing::Values(Desktop::X11, Desktop::Sdl),
                         [](const auto& info) { return nameOf(info.param); });

}  // namespace
}  // namespace velloran::testing
