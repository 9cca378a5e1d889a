#include "windows/game_files.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "runtime/app.h"

// The build says where an install puts the data: relative to the executable's folder, and
// the full path of the configured install.
#ifndef VELLORAN_DATA_FROM_PROGRAM
#define VELLORAN_DATA_FROM_PROGRAM "../share/velloran"
#endif
#ifndef VELLORAN_DATA_FOLDER
#define VELLORAN_DATA_FOLDER "/usr/local/share/velloran"
#endif
#ifndef VELLORAN_PROGRAM_FOLDER
#define VELLORAN_PROGRAM_FOLDER "/usr/local/bin"
#endif

namespace velloran {
namespace {

bool isFile(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool isFolder(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool sameFolder(const std::string& a, const std::string& b) {
  struct stat first {
  }, second{};
  return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

// An installed game: its data lies in the install's share/velloran, or it runs from the
// folder the build installs it to. Such a folder belongs to the system (or to whoever
// installed the game), never to the player.
bool runsFromInstall(const std::string& program) {
  return isFolder(installedDataFolder()) || sameFolder(program, VELLORAN_PROGRAM_FOLDER);
}

std::string homeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return home;
  const passwd* user = ::getpwuid(::getuid());
  return user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "";
}

}  // namespace

std::string installedDataFolder() {
  return rt::App::instance().programFolder() + "/" + VELLORAN_DATA_FROM_PROGRAM;
}

std::string gameFilePath(std::string_view name) {
  const std::string beside = rt::App::instance().programFolder() + "/" + std::string(name);
  if (isFile(beside)) return beside;
  for (const std::string& folder : {installedDataFolder(), std::string(VELLORAN_DATA_FOLDER)}) {
    std::string path = folder + "/" + std::string(name);
    if (isFile(path)) return path;
  }
  return beside;
}

std::string scoresFolder() {
  const std::string& program = rt::App::instance().programFolder();
  const bool installed = runsFromInstall(program);
  if (!installed) {
    if (::access(program.c_str(), W_OK | X_OK) == 0) return program;
    // A copy of the game in a folder it may not write to keeps a table there that it may
    // write: the save writes that file in place.
    const std::string file = program + "/HiScore.dat";
    if (isFile(file) && ::access(file.c_str(), W_OK) == 0) return program;
  }
  // The XDG rule: a relative setting is ignored.
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data != nullptr && data[0] == '/') return std::string(data) + "/velloran";
  const std::string home = homeFolder();
  if (!home.empty()) return home + "/.local/share/velloran";
  // With no home at all a copy keeps its scores beside itself, and the save reports why not;
  // an install has nowhere of the player's: a folder that cannot be made, which the save
  // reports as not found.
  return installed ? "/dev/null/velloran" : program;
}

}  // namespace velloran
