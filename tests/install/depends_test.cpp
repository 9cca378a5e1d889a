// The Debian package names what the game loads. The libraries it links are found by the
// package's own tools; those it opens by itself when first needed (SDL, the mixer, the font
// libraries, RandR) must be named in its Depends by hand, and this keeps the two together.

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "install/shell.h"
#include "support/temp_folder.h"

namespace velloran {
namespace {

// What a command prints; a scratch folder keeps it meanwhile.
std::string outputOf(const std::string& command) {
  const testing::TempFolder scratch;
  return testing::run(command, scratch.path()).out;
}

// Every name of a shared library ("libname.so.N") the program holds as a text of its own: a
// run of printable characters, as strings(1) finds them, that is such a name and no more.
std::set<std::string> libraryNamesIn(const std::string& program) {
  const std::string bytes = testing::contents(program);
  const std::regex library(R"(lib[A-Za-z0-9_+.-]+\.so\.[0-9]+)");
  std::set<std::string> names;
  std::string text;
  for (const char c : bytes) {
    if (c >= ' ' && c <= '~') {
      text += c;
      continue;
    }
    if (text.size() < 64 && std::regex_match(text, library)) names.insert(text);
    text.clear();
  }
  return names;
}

// The libraries the program links: the package's tools name their packages themselves.
std::set<std::string> linkedLibraries(const std::string& program) {
  std::istringstream lines(outputOf("objdump -p '" + program + "'"));
  std::set<std::string> names;
  for (std::string word; lines >> word;) {
    if (word == "NEEDED" && lines >> word) names.insert(word);
  }
  return names;
}

// The Debian packages that hold a library of that name, as dpkg knows them.
std::set<std::string> packagesHolding(const std::string& library) {
  std::istringstream lines(outputOf("dpkg -S '*/" + library + "' 2>/dev/null"));
  std::set<std::string> packages;
  for (std::string line; std::getline(lines, line);) {
    const auto colon = line.find(": ");
    if (colon == std::string::npos || line.starts_with("diversion")) continue;
    // "name:arch" or "name", or several of them with commas.
    std::istringstream names(line.substr(0, colon));
    for (std::string name; std::getline(names, name, ',');) {
      name.erase(0, name.find_first_not_of(' '));
      packages.insert(name.substr(0, name.find(':')));
    }
  }
  return packages;
}

// The Depends the build hands to the Debian package (before the linked libraries join it).
std::set<std::string> packageDepends() {
  const std::string config =
      testing::contents(std::string(VELLORAN_BINARY_DIR) + "/CPackConfig.cmake");
  std::smatch found;
  std::set<std::string> depends;
  if (!std::regex_search(config, found,
                         std::regex(R"re(CPACK_DEBIAN_PACKAGE_DEPENDS "([^"]*)")re"))) {
    return depends;
  }
  std::istringstream list(found[1].str());
  for (std::string item; std::getline(list, item, ',');) {
    item.erase(0, item.find_first_not_of(' '));
    depends.insert(item.substr(0, item.find_first_of(" (")));
  }
  return depends;
}

TEST(PackageDepends, EveryLibraryTheGameOpensItselfComesFromAPackageItDependsOn) {
  const std::string program = std::string(VELLORAN_BINARY_DIR) + "/velloran";
  const std::set<std::string> named = libraryNamesIn(program);
  const std::set<std::string> linked = linkedLibraries(program);
  ASSERT_FALSE(linked.empty()) << "objdump reads the program";
  std::set<std::string> opened;
  for (const std::string& name : named) {
    if (!linked.contains(name)) opened.insert(name);
  }
  // The search sees those the game is known to open.
  for (const char* known : {"libSDL2-2.0.so.0", "libXrandr.so.2", "libfluidsynth.so.3"}) {
    EXPECT_TRUE(opened.contains(known)) << known;
  }
  const std::set<std::string> depends = packageDepends();
  ASSERT_FALSE(depends.empty()) << "the build names the package's dependencies";
  for (const std::string& library : opened) {
    const std::set<std::string> packages = packagesHolding(library);
    ASSERT_FALSE(packages.empty()) << library << " is in no installed Debian package";
    bool named = false;
    for (const std::string& package : packages) named = named || depends.contains(package);
    EXPECT_TRUE(named) << "the game opens " << library << " from " << *packages.begin()
                       << ", which the package does not depend on";
  }
}

}  // namespace
}  // namespace velloran
