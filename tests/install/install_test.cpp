// The game as a player installs it: the files in their places under a prefix, the desktop
// entry, metainfo and man page as their checkers want them, the options of the executable,
// and the game's own files found from where the executable lies.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "install/shell.h"
#include "runtime/app.h"
#include "windows/game_files.h"

namespace velloran {
namespace {

namespace fs = std::filesystem;

using testing::contents;
using testing::Outcome;
using testing::run;

class Install : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/velloran-install-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    scratch = pattern;
  }
  void TearDown() override {
    rt::App::instance().setProgramFolder("");
    fs::remove_all(scratch);
  }
  // cmake --install of the build, with `prefix` and, when not empty, DESTDIR.
  void install(const std::string& prefix, const std::string& destdir = "") {
    const Outcome result =
        run((destdir.empty() ? "" : "DESTDIR='" + destdir + "' ") + "cmake --install '" +
                VELLORAN_BINARY_DIR + "' --prefix '" + prefix + "'",
            scratch);
    ASSERT_EQ(result.status, 0) << result.out << result.err;
  }
  // Every file under a folder, by its path below it.
  static std::set<std::string> filesUnder(const fs::path& root) {
    std::set<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
      if (!entry.is_directory()) files.insert(fs::relative(entry.path(), root).string());
    }
    return files;
  }

  fs::path scratch;
};

constexpr int kIconSizes[] = {16, 24, 32, 48, 64, 128, 256};
const char* const kGameFiles[] = {"quiven1.mid", "Thunder2.wav", "VLR.hlp"};

TEST_F(Install, PutsEveryFileInItsPlaceUnderThePrefix) {
  const fs::path prefix = scratch / "prefix";
  install(prefix.string());
  std::set<std::string> expected = {
      "bin/velloran",
      "share/applications/org.velloran.velloran.desktop",
      "share/metainfo/org.velloran.velloran.metainfo.xml",
      "share/man/man6/velloran.6.gz",
      "share/doc/velloran/copyright",
      "share/doc/velloran/changelog.gz",
  };
  for (const char* name : kGameFiles) expected.insert(std::string("share/velloran/") + name);
  for (const int size : kIconSizes) {
    const std::string square = std::to_string(size) + "x" + std::to_string(size);
    expected.insert("share/icons/hicolor/" + square + "/apps/velloran.png");
  }
  EXPECT_EQ(filesUnder(prefix), expected);

  EXPECT_NE(fs::status(prefix / "bin/velloran").permissions() & fs::perms::others_exec,
            fs::perms::none);
  for (const char* name : kGameFiles) {
    EXPECT_EQ(contents(prefix / "share/velloran" / name),
              contents(fs::path(VELLORAN_SOURCE_DIR) / "assets" / name))
        << name;
  }
  // Each icon is a PNG of its own size, with transparency (colour type 6: RGBA).
  for (const int size : kIconSizes) {
    SCOPED_TRACE(size);
    const std::string square = std::to_string(size) + "x" + std::to_string(size);
    const std::string png = contents(prefix / "share/icons/hicolor" / square / "apps/velloran.png");
    ASSERT_GE(png.size(), 26u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    const auto bigEndian = [&](std::size_t at) {
      return (static_cast<unsigned char>(png[at]) << 24) |
             (static_cast<unsigned char>(png[at + 1]) << 16) |
             (static_cast<unsigned char>(png[at + 2]) << 8) |
             static_cast<unsigned char>(png[at + 3]);
    };
    EXPECT_EQ(bigEndian(16), size);
    EXPECT_EQ(bigEndian(20), size);
    EXPECT_EQ(png[25], 6);
  }
  const std::string entry = contents(prefix / "share/applications/org.velloran.velloran.desktop");
  EXPECT_NE(entry.find("\nExec=" + (prefix / "bin/velloran").string() + "\n"), std::string::npos)
      << entry;
  EXPECT_NE(entry.find("\nCategories=Game;"), std::string::npos);
  const std::string metainfo =
      contents(prefix / "share/metainfo/org.velloran.velloran.metainfo.xml");
  EXPECT_NE(metainfo.find("<launchable type=\"desktop-id\">org.velloran.velloran.desktop<"),
            std::string::npos);
  EXPECT_NE(metainfo.find("<project_license>GPL-3.0-or-later</project_license>"),
            std::string::npos);
  EXPECT_NE(entry.find("\nStartupWMClass=velloran\n"), std::string::npos)
      << "a task bar matches the game's windows (class velloran) with its menu entry";
}

TEST_F(Install, TheLicenceIsNamedForEveryFileAndShippedWhole) {
  const fs::path prefix = scratch / "prefix";
  install(prefix.string());
  // The licence's full text at the root of the sources, as Debian ships it.
  const fs::path gpl = "/usr/share/common-licenses/GPL-3";
  if (fs::exists(gpl)) {
    EXPECT_EQ(contents(fs::path(VELLORAN_SOURCE_DIR) / "COPYING"), contents(gpl));
  }
  EXPECT_NE(contents(fs::path(VELLORAN_SOURCE_DIR) / "COPYING").find("Version 3, 29 June 2007"),
            std::string::npos);
  // Debian's machine-readable copyright file: one stanza for every file, pictures, song and
  // thunder included, and the licence's short text.
  const std::string copyright = contents(prefix / "share/doc/velloran/copyright");
  const char* const lines[] = {
      "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n",
      "\nFiles: *\nCopyright: 2026 the Velloran developers\nLicense: GPL-3.0+\n",
      "\nLicense: GPL-3.0+\n This program is free software",
      "either version 3 of the License, or\n (at your option) any later version.",
      "\"/usr/share/common-licenses/GPL-3\"",
  };
  for (const char* line : lines) EXPECT_NE(copyright.find(line), std::string::npos) << line;
  EXPECT_EQ(copyright.rfind("Format:", 0), 0u);
  EXPECT_EQ(copyright.find("Files:", copyright.find("Files: *") + 1), std::string::npos)
      << "no other stanza takes files out of the licence";
}

// Words that stand for an address nobody has: a package must not carry them.
TEST_F(Install, NoInstalledFileHoldsAPlaceholderAddress) {
  const fs::path prefix = scratch / "prefix";
  install(prefix.string());
  const char* const placeholders[] = {"example.org", "example.com", "example.net", ".example>",
                                      ".example/",   "@localhost",  "invalid>"};
  int looked = 0;
  for (const auto& entry : fs::recursive_directory_iterator(prefix)) {
    if (!entry.is_regular_file()) continue;
    std::string text = contents(entry.path());
    // What goes compressed is read as a reader reads it.
    if (entry.path().extension() == ".gz") {
      text = run("gzip -dc '" + entry.path().string() + "'", scratch).out;
    }
    ++looked;
    for (const char* placeholder : placeholders) {
      EXPECT_EQ(text.find(placeholder), std::string::npos)
          << fs::relative(entry.path(), prefix) << " holds " << placeholder;
    }
  }
  EXPECT_GE(looked, 10);
}

TEST_F(Install, TheDesktopEntryMetainfoAndManPagePassTheirCheckers) {
  const fs::path prefix = scratch / "prefix";
  install(prefix.string());
  const auto at = [&](const char* file) { return "'" + (prefix / file).string() + "'"; };
  const struct {
    const char* checker;
    std::string command;
  } checks[] = {
      {"desktop-file-validate",
       "desktop-file-validate " + at("share/applications/org.velloran.velloran.desktop")},
      // As strict as it goes without the network (the metainfo names no address to fetch).
      {"appstreamcli", "appstreamcli validate --no-net --strict " +
                           at("share/metainfo/org.velloran.velloran.metainfo.xml")},
      {"groff",
       "(gzip -dc " + at("share/man/man6/velloran.6.gz") + " | LC_ALL=C.UTF-8 groff -man -ww -z)"},
      {"gzip", "gzip -t " + at("share/doc/velloran/changelog.gz")},
  };
  for (const auto& check : checks) {
    const Outcome result = run(check.command, scratch);
    EXPECT_EQ(result.status, 0) << check.checker << "\n" << result.out << result.err;
    // Not a hint or a remark either: the one line a checker may print says all is well.
    std::string remarks = result.out + result.err;
    const std::string fine = "\u2714 Validation was successful.";
    if (const auto at = remarks.find(fine); at != std::string::npos) remarks.erase(at, fine.size());
    EXPECT_EQ(remarks.find_first_not_of(" \n"), std::string::npos) << check.checker << "\n"
                                                                   << remarks;
  }
}

TEST_F(Install, AStagedInstallPointsAtItsFinalPlace) {
  const fs::path stage = scratch / "stage";
  install("/usr", stage.string());
  EXPECT_TRUE(fs::exists(stage / "usr/bin/velloran"));
  EXPECT_TRUE(fs::exists(stage / "usr/share/velloran/quiven1.mid"));
  const std::string entry =
      contents(stage / "usr/share/applications/org.velloran.velloran.desktop");
  EXPECT_NE(entry.find("\nExec=/usr/bin/velloran\n"), std::string::npos) << entry;
}

TEST_F(Install, TheExecutableAnswersHelpAndVersionAndRefusesAnythingElse) {
  const fs::path prefix = scratch / "prefix";
  install(prefix.string());
  const struct {
    const char* arguments;
    int status;
    const char* out;  // what the output starts with
    const char* err;  // what the error output holds
  } cases[] = {
      {"--help", 0, "Usage: velloran", ""},
      {"-h", 0, "Usage: velloran", ""},
      {"--version", 0, "velloran " VELLORAN_VERSION "\n", ""},
      {"--fullscreen", 2, "",
       "velloran: unknown option or argument '--fullscreen'\nTry 'velloran --help'.\n"},
      {"scores.dat", 2, "", "velloran: unknown option or argument 'scores.dat'\n"},
      {"--version --help", 2, "", "unknown option or argument '--help'"},
  };
  // No display: an answer must not need one.
  for (const fs::path& program :
       {fs::path(VELLORAN_BINARY_DIR) / "velloran", prefix / "bin/velloran"}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(program.string() + " " + c.arguments);
      const Outcome result = run(
          "env -u DISPLAY -u WAYLAND_DISPLAY '" + program.string() + "' " + c.arguments, scratch);
      EXPECT_EQ(result.status, c.status);
      EXPECT_EQ(result.out.rfind(c.out, 0), 0u) << result.out;
      EXPECT_EQ(result.err.empty(), c.status == 0) << result.err;
      EXPECT_NE(result.err.find(c.err), std::string::npos) << result.err;
    }
  }
  EXPECT_NE(run("'" + (prefix / "bin/velloran").string() + "' --help", scratch)
                .out.find("~/.local/share/velloran"),
            std::string::npos)
      << "the help says where the scores are";
}

TEST_F(Install, TheGameFindsItsFilesBesideItselfElseInTheInstalledDataFolder) {
  const fs::path prefix = scratch / "prefix";
  install(prefix.string());
  rt::App::instance().setProgramFolder((prefix / "bin").string());
  for (const char* name : kGameFiles) {
    SCOPED_TRACE(name);
    const std::string found = gameFilePath(name);
    EXPECT_EQ(fs::canonical(found), prefix / "share/velloran" / name);
  }
  // A file beside the program comes first; one found nowhere is looked for there.
  std::ofstream(prefix / "bin/VLR.hlp") << "# Mine\n";
  EXPECT_EQ(gameFilePath("VLR.hlp"), (prefix / "bin/VLR.hlp").string());
  EXPECT_EQ(gameFilePath("nowhere.mid"), (prefix / "bin/nowhere.mid").string());
  // A moved install still finds them: the data folder goes with the program.
  fs::rename(prefix, scratch / "moved");
  rt::App::instance().setProgramFolder((scratch / "moved/bin").string());
  EXPECT_EQ(fs::canonical(gameFilePath("quiven1.mid")),
            scratch / "moved/share/velloran/quiven1.mid");
}

}  // namespace
}  // namespace velloran
