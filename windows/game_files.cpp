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

namespace velloran {
namespace {

bool isFile(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
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
  if (::access(program.c_str(), W_OK | X_OK) == 0) return program;
  // The XDG rule: a relative setting is ignored.
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data != nullptr && data[0] == '/') return std::string(data) + "/velloran";
  const std::string home = homeFolder();
  // With no home at all the scores stay beside the program, and the save reports why not.
  return home.empty() ? program : home + "/.local/share/velloran";
}

}  // namespace velloran
