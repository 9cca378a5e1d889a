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

// The folder that keeps "HiScore.dat": the program's folder when the game may write there,
// else the player's data folder, $XDG_DATA_HOME/velloran (by default
// ~/.local/share/velloran), which the save makes when it first needs it.
std::string scoresFolder();

}  // namespace velloran
