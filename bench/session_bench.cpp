// Measures the real program on the X server of $DISPLAY (make bench starts a private one) and
// prints one table: start-up, memory, CPU in each state a player leaves it in, the time the
// game tick takes in the real window, and the engine's speed. It measures and judges nothing.
//
//   velloran_session_bench PROGRAM [START-UP RUNS] [SECONDS PER STATE]
//
// With 0 seconds a state, only the start-ups are measured.
//
// The game is started with SDL_AUDIODRIVER=dummy unless the variable is set (the mixer and the
// synthesiser run as with a sound card) and with VELLORAN_TRACE_TIMING, through which it tells
// when its frames reached the screen and how long each tick took. The window's mapping is seen
// on the X server itself; CPU time is the kernel's count for every thread of the process.
// With BENCH_TRACE naming a file, the last run's trace is kept there for a closer look.

#include <X11/Xlib.h>
#include <dirent.h>
#include <signal.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/engine_games.h"

namespace {

using Nanoseconds = long long;

Nanoseconds now() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<Nanoseconds>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

void sleepFor(double seconds) {
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

double median(std::vector<double> values) {
  if (values.empty()) return -1;
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double percentile(std::vector<double> values, double p) {
  if (values.empty()) return -1;
  std::sort(values.begin(), values.end());
  const auto rank =
      static_cast<std::size_t>(p / 100.0 * static_cast<double>(values.size() - 1) + 0.5);
  return values[std::min(rank, values.size() - 1)];
}

struct Usage {
  Nanoseconds cpu = 0;  // CPU time of every thread so far, from the scheduler's own count
  long wakes = 0;       // times a thread went to sleep of its own accord and woke again
};

Usage usage(pid_t pid) {
  Usage total;
  const std::string folder = "/proc/" + std::to_string(pid) + "/task";
  DIR* tasks = opendir(folder.c_str());
  if (!tasks) return total;
  while (const dirent* entry = readdir(tasks)) {
    if (entry->d_name[0] == '.') continue;
    const std::string task = folder + "/" + entry->d_name;
    std::ifstream schedstat(task + "/schedstat");
    Nanoseconds running = 0;
    if (schedstat >> running) total.cpu += running;
    std::ifstream status(task + "/status");
    std::string line;
    while (std::getline(status, line)) {
      if (line.rfind("voluntary_ctxt_switches:", 0) == 0)
        total.wakes += std::atol(line.c_str() + 24);
    }
  }
  closedir(tasks);
  return total;
}

// A line of /proc/PID/status in KiB ("VmRSS:", "VmHWM:").
double statusKiB(pid_t pid, const std::string& field) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(field, 0) == 0) return std::atof(line.c_str() + field.size());
  }
  return -1;
}

int threadCount(pid_t pid) {
  return static_cast<int>(statusKiB(pid, "Threads:"));
}

struct TraceLine {
  std::string kind;
  Nanoseconds at = 0, end = 0;  // a present has its end in `at`; a span starts at `at`
  Nanoseconds cpu = 0;          // of a span: CPU time of the game's thread
  std::string window;
  int x = 0, y = 0, width = 0, height = 0;
};

std::vector<TraceLine> readTrace(const std::string& path) {
  std::vector<TraceLine> lines;
  std::ifstream in(path);
  std::string text;
  while (std::getline(in, text)) {
    std::istringstream words(text);
    TraceLine line;
    words >> line.kind >> line.at;
    if (line.kind == "present") {
      words >> line.window >> line.x >> line.y >> line.width >> line.height;
    } else {
      words >> line.end;
    }
    if (!words) continue;
    if (line.kind != "present") words >> line.cpu;  // older builds do not write it
    lines.push_back(line);
  }
  return lines;
}

// The X server as the player's desktop: which windows appear and go, and input through xdotool.
class Desktop {
 public:
  Desktop() : display_(XOpenDisplay(nullptr)) {
    if (!display_) {
      std::fprintf(stderr, "no X display: run under xvfb-run -a\n");
      std::exit(2);
    }
    XSelectInput(display_, DefaultRootWindow(display_), SubstructureNotifyMask);
    XSync(display_, False);
  }
  ~Desktop() { XCloseDisplay(display_); }

  struct Change {
    bool mapped = false;
    Window window = 0;
    Nanoseconds at = 0;
  };
  // The next top-level window mapped or unmapped, or nothing by the deadline.
  bool next(Change& change, Nanoseconds deadline) {
    for (;;) {
      while (XPending(display_)) {
        XEvent event;
        XNextEvent(display_, &event);
        const Nanoseconds at = now();
        if (event.type == MapNotify && !event.xmap.override_redirect) {
          change = {true, event.xmap.window, at};
          return true;
        }
        if (event.type == UnmapNotify) {
          change = {false, event.xunmap.window, at};
          return true;
        }
      }
      const Nanoseconds left = deadline - now();
      if (left <= 0) return false;
      fd_set readable;
      FD_ZERO(&readable);
      FD_SET(ConnectionNumber(display_), &readable);
      timeval wait{static_cast<time_t>(left / 1'000'000'000),
                   static_cast<suseconds_t>(left % 1'000'000'000 / 1000)};
      select(ConnectionNumber(display_) + 1, &readable, nullptr, nullptr, &wait);
    }
  }
  void forget() {
    XSync(display_, False);
    while (XPending(display_)) {
      XEvent event;
      XNextEvent(display_, &event);
    }
  }

  static void run(const std::string& command) {
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
  }
  static void click(Window window, int x, int y) {
    run("xdotool mousemove --sync --window " + std::to_string(window) + " " + std::to_string(x) +
        " " + std::to_string(y) + " click 1");
  }
  static void moveTo(Window window, int x, int y) {
    run("xdotool mousemove --sync --window " + std::to_string(window) + " " + std::to_string(x) +
        " " + std::to_string(y));
  }
  static void key(const char* name) { run(std::string("xdotool key ") + name); }

 private:
  Display* display_;
};

class Game {
 public:
  Game(const std::string& program, Desktop& desktop) : desktop_(desktop) {
    char name[] = "/tmp/velloran-trace-XXXXXX";
    const int fd = mkstemp(name);
    if (fd >= 0) close(fd);
    trace_ = name;
    desktop_.forget();
    started_ = now();
    pid_ = fork();
    if (pid_ == 0) {
      setenv("SDL_AUDIODRIVER", "dummy", 0);
      setenv("VELLORAN_TRACE_TIMING", trace_.c_str(), 1);
      execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    Desktop::Change change;
    while (desktop_.next(change, started_ + 10'000'000'000LL)) {
      if (change.mapped) {
        window_ = change.window;
        mapped_ = change.at;
        break;
      }
    }
  }
  ~Game() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      int status = 0;
      for (int i = 0; i < 200 && waitpid(pid_, &status, WNOHANG) == 0; ++i) sleepFor(0.01);
      if (waitpid(pid_, &status, WNOHANG) == 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
      }
    }
    if (const char* keep = std::getenv("BENCH_TRACE")) std::rename(trace_.c_str(), keep);
    std::remove(trace_.c_str());
  }
  Game(const Game&) = delete;
  Game& operator=(const Game&) = delete;

  bool up() const { return window_ != 0; }
  pid_t pid() const { return pid_; }
  Window window() const { return window_; }
  double msToMapped() const { return static_cast<double>(mapped_ - started_) / 1e6; }
  // The first whole frame of the table window on the screen: the first full present after
  // the window was mapped (one before it counts from the mapping, if none came after).
  double msToFirstFrame() {
    for (const Nanoseconds deadline = now() + 2'000'000'000LL; now() < deadline; sleepFor(0.005)) {
      Nanoseconds before = 0;
      for (const TraceLine& line : readTrace(trace_)) {
        if (line.kind != "present" || line.window != "frmMain" || line.x != 0 || line.y != 0 ||
            line.width < 700 || line.height < 500) {
          continue;
        }
        if (line.at >= mapped_) return static_cast<double>(line.at - started_) / 1e6;
        before = line.at;
      }
      if (before && now() > mapped_ + 500'000'000LL) return msToMapped();
    }
    return -1;
  }
  std::vector<TraceLine> trace() const { return readTrace(trace_); }

  // Percent of one core, and wakes a second, over `seconds`, answering every dialog that opens
  // meanwhile with Enter (the set chooser takes its first run) and noting when.
  struct Load {
    double percent = 0, wakesPerSecond = 0;
  };
  Load load(double seconds) {
    const Nanoseconds from = now();
    const Usage before = usage(pid_);
    serveDialogs(from + static_cast<Nanoseconds>(seconds * 1e9));
    const Usage after = usage(pid_);
    const double elapsed = static_cast<double>(now() - from);
    return {100.0 * static_cast<double>(after.cpu - before.cpu) / elapsed,
            static_cast<double>(after.wakes - before.wakes) / elapsed * 1e9};
  }
  void serveDialogs(Nanoseconds until) {
    Desktop::Change change;
    while (desktop_.next(change, until)) {
      if (!change.mapped || change.window == window_) continue;
      busy_.push_back({change.at, change.at});
      sleepFor(0.2);
      Desktop::key("Return");
      busy_.back().second = now();
    }
  }
  // Waits for a dialog to open (true) by the deadline.
  bool waitForDialog(double seconds, Window& dialog) {
    Desktop::Change change;
    const Nanoseconds until = now() + static_cast<Nanoseconds>(seconds * 1e9);
    while (desktop_.next(change, until)) {
      if (change.mapped && change.window != window_) {
        dialog = change.window;
        return true;
      }
    }
    return false;
  }
  bool waitForClose(Window dialog, double seconds) {
    Desktop::Change change;
    const Nanoseconds until = now() + static_cast<Nanoseconds>(seconds * 1e9);
    while (desktop_.next(change, until)) {
      if (!change.mapped && change.window == dialog) return true;
    }
    return false;
  }

  // The player's own doings, noted so that ticks that served them are told apart.
  void clickButton(int place) {
    const Nanoseconds at = now();
    Desktop::click(window_, (place - 1) * 23 + 11, 11);
    Desktop::moveTo(window_, 700, 400);  // away from the toolbar, so no tooltip stays
    busy_.push_back({at, now() + 100'000'000LL});
  }
  void noteBusy(Nanoseconds from, Nanoseconds to) { busy_.push_back({from, to}); }
  bool overlapsBusy(Nanoseconds from, Nanoseconds to) const {
    return std::any_of(busy_.begin(), busy_.end(),
                       [&](const auto& span) { return from <= span.second && to >= span.first; });
  }

 private:
  Desktop& desktop_;
  std::string trace_;
  pid_t pid_ = -1;
  Window window_ = 0;
  Nanoseconds started_ = 0, mapped_ = 0;
  std::vector<std::pair<Nanoseconds, Nanoseconds>> busy_;
};

struct Row {
  std::string figure;
  std::string value;
  std::string target;
};

std::string format(double value, const char* unit, int decimals = 1) {
  if (value < 0) return "n/a";
  char text[64];
  std::snprintf(text, sizeof text, "%.*f %s", decimals, value, unit);
  return text;
}

// CPU with the wakes a second beside it: on a virtual machine each wake costs a good part
// of the CPU time.
std::string format(const Game::Load& load) {
  if (load.percent < 0) return "n/a";
  char text[64];
  std::snprintf(text, sizeof text, "%.2f %% (%.1f wakes/s)", load.percent, load.wakesPerSecond);
  return text;
}

struct EngineSpeed {
  double scripted = 0, alone = 0;
};

// Games a second with the scripted player thinking, and the same games replayed by the engine.
EngineSpeed engineSpeed(double seconds) {
  using namespace velloran;
  constexpr std::uint32_t kSeed = 20240601;
  EngineSpeed speed;
  {
    pinRandom(kSeed);
    gintNumRounds = 4;
    ScriptedTable table(7, 0.3);
    int games = 0;
    const Nanoseconds from = now();
    while (now() - from < seconds * 1e9) {
      table.startAnew(games % 4 + 1);
      table.playGame();
      ++games;
    }
    speed.scripted = games / (static_cast<double>(now() - from) / 1e9);
  }
  RecordedGames recorded(64, kSeed, 0.3);
  int games = 0;
  Nanoseconds spent = 0;
  while (spent < seconds * 1e9) {
    ReplayTable& table = recorded.restart();
    const Nanoseconds from = now();
    for (int game = 0; game < recorded.count(); ++game) {
      table.startAnew(RecordedGames::seatOf(game));
      if (table.playGame() != recorded.ticksOf(game)) return {speed.scripted, -1};
    }
    spent += now() - from;
    games += recorded.count();
  }
  speed.alone = games / (static_cast<double>(spent) / 1e9);
  return speed;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s PROGRAM [START-UP RUNS] [SECONDS PER STATE]\n", argv[0]);
    return 2;
  }
  const std::string program = argv[1];
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  const double seconds = argc > 3 ? std::atof(argv[3]) : 15;
  signal(SIGPIPE, SIG_IGN);
  Desktop desktop;
  std::vector<Row> rows;

  // Start-up, memory and CPU at the start screen, over several starts.
  std::vector<double> mapped, frame, rss, idle, idleWakes, threads;
  for (int run = 0; run < runs; ++run) {
    Game game(program, desktop);
    if (!game.up()) {
      std::fprintf(stderr, "the game's window never appeared\n");
      return 1;
    }
    mapped.push_back(game.msToMapped());
    frame.push_back(game.msToFirstFrame());
    sleepFor(1.0);
    rss.push_back(statusKiB(game.pid(), "VmRSS:") / 1024);
    threads.push_back(threadCount(game.pid()));
    const Game::Load load = game.load(std::clamp(seconds, 0.5, 5.0));
    idle.push_back(load.percent);
    idleWakes.push_back(load.wakesPerSecond);
    if (seconds <= 0)
      std::printf("start-up %d: %.1f ms to mapped, %.1f ms to first frame\n", run + 1,
                  mapped.back(), frame.back());
  }
  rows.push_back({"exec to window mapped", format(median(mapped), "ms"), "<= 40 ms"});
  rows.push_back({"exec to first full frame", format(median(frame), "ms"), "<= 60 ms"});
  rows.push_back({"resident memory, start screen", format(median(rss), "MiB"), "<= 24 MiB"});
  rows.push_back({"threads at the start screen", format(median(threads), "", 0), "-"});
  rows.push_back(
      {"CPU at the start screen", format(Game::Load{median(idle), median(idleWakes)}), "< 0.05 %"});

  // One session of play at level 1: music on, music off, paused, stopped, a dialog open.
  if (seconds > 0) {
    Game game(program, desktop);
    sleepFor(1.0);
    game.clickButton(1);  // Start Anew: the seat draw opens
    Window dialog = 0;
    if (!game.waitForDialog(5, dialog)) {
      std::fprintf(stderr, "Start Anew opened no dialog\n");
      return 1;
    }
    sleepFor(0.3);
    Desktop::key("Return");
    game.waitForClose(dialog, 10);
    const Nanoseconds playFrom = now();
    game.noteBusy(playFrom - 1'000'000'000LL, playFrom + 500'000'000LL);
    game.serveDialogs(now() + 2'000'000'000LL);
    const Game::Load musicOn = game.load(seconds);
    const double peak = statusKiB(game.pid(), "VmHWM:") / 1024;
    const int playThreads = threadCount(game.pid());
    game.clickButton(4);  // Music off
    game.serveDialogs(now() + 2'000'000'000LL);
    const Game::Load musicOff = game.load(seconds);
    const Nanoseconds playTo = now();
    game.clickButton(9);  // Pause
    game.serveDialogs(now() + 1'000'000'000LL);
    const Game::Load paused = game.load(std::min(seconds, 10.0));
    game.clickButton(9);   // and on again,
    game.clickButton(10);  // then Stop
    game.serveDialogs(now() + 1'000'000'000LL);
    const Game::Load stopped = game.load(std::min(seconds, 10.0));
    game.clickButton(11);  // About: a dialog that stays open, so it is not answered
    Window about = 0;
    const bool aboutOpen = game.waitForDialog(5, about);
    sleepFor(1.0);
    const Game::Load dialogOpen =
        aboutOpen ? game.load(std::min(seconds, 10.0)) : Game::Load{-1, -1};
    Desktop::key("Return");

    std::vector<double> ticks, tickCpu;
    for (const TraceLine& line : game.trace()) {
      if (line.kind != "tick" || line.at < playFrom || line.end > playTo) continue;
      if (game.overlapsBusy(line.at, line.end)) continue;
      ticks.push_back(static_cast<double>(line.end - line.at) / 1e6);
      tickCpu.push_back(static_cast<double>(line.cpu) / 1e6);
    }
    rows.push_back({"resident memory, peak in play with music", format(peak, "MiB"), "<= 40 MiB"});
    rows.push_back({"threads in play with music", format(playThreads, "", 0), "-"});
    rows.push_back({"CPU in play, level 1, music on", format(musicOn), "<= 1.5 %"});
    rows.push_back({"CPU in play, level 1, music off", format(musicOff), "<= 0.1 %"});
    rows.push_back({"CPU paused, music off", format(paused), "< 0.05 %"});
    rows.push_back({"CPU stopped, music off", format(stopped), "< 0.05 %"});
    rows.push_back({"CPU with a dialog open, music off", format(dialogOpen), "< 0.05 %"});
    rows.push_back({"tick handling p50 (" + std::to_string(ticks.size()) + " ticks)",
                    format(percentile(ticks, 50), "ms", 3), "-"});
    rows.push_back({"tick handling p99", format(percentile(ticks, 99), "ms", 3), "<= 0.5 ms"});
    rows.push_back({"tick handling max", format(percentile(ticks, 100), "ms", 3), "-"});
    rows.push_back({"tick handling p99, CPU of the game's thread",
                    format(percentile(tickCpu, 99), "ms", 3), "-"});
  }

  const EngineSpeed speed = engineSpeed(2.0);
  rows.push_back(
      {"engine alone, complete games", format(speed.alone, "games/s", 0), ">= 1500 games/s"});
  rows.push_back({"engine with the scripted player", format(speed.scripted, "games/s", 0), "-"});

  const std::string head = "figure (start-ups: medians of " + std::to_string(runs) + ")";
  std::printf("\n%-46s %-26s %s\n", head.c_str(), "measured", "target");
  for (const Row& row : rows) {
    std::printf("%-46s %-26s %s\n", row.figure.c_str(), row.value.c_str(), row.target.c_str());
  }
  return 0;
}
