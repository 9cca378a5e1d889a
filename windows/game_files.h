#pragma once
// Where the game's files are. The song, the thunder and the help come with the game;
// "HiScore.dat" is the player's.

#include <string>
#include <string_view>

namespace velloran {

// One of the game's own files: beside the program when it is there, else in the installed
// data folder (share/velloran of the install the program runs from, then the one it was
// built for). When neither has it, the path beside the program, so that the caller's own
// handling of a missing file applies.
std::string gameFilePath(std::string_view name);

// The data folder of the install the program runs from.
std::string installedDataFolder();

// The folder that keeps "HiScore.dat". An installed game (its data in the install's
// share/velloran, or the program in the folder it was built to be installed in) keeps it in
// the player's data folder, $XDG_DATA_HOME/velloran (by default ~/.local/share/velloran),
// which the save makes when it first needs it, whoever runs it. A copy of the game that is no
// install (the build folder, an unpacked copy) keeps it beside itself when it may write there
// or the file there is writable; else in the player's data folder.
std::string scoresFolder();

}  // namespace velloran
