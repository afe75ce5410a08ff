#pragma once

#include <iosfwd>
#include <string>

// Where the game reads its data and writes the player's files. Run from the
// repository (in data/) everything stays where it always was; an installed
// game reads from share/murkhaven and writes into the player's own folders.
namespace folders {

// The folder that holds SCENE.txt: the working directory when it does,
// else share/games/murkhaven or share/murkhaven beside the binary's prefix
// (executable/../share/...), else the one the build was installed to.
// Empty when none does.
std::string findDataFolder(const std::string& executable);

// Whether a file can be made in `folder`.
bool writable(const std::string& folder);

// The player's folders (made when asked for): screenshots go to
// $XDG_PICTURES_DIR/Murkhaven or ~/Pictures/Murkhaven, recordings to
// $XDG_DATA_HOME/murkhaven or ~/.local/share/murkhaven. A relative variable
// counts as unset. Without a home folder (HOME, else the password
// database's) these are empty: nothing is kept rather than kept in a
// folder others can write to.
std::string picturesFolder();
std::string recordingsFolder();

// The player's own CONFIG.txt, $XDG_CONFIG_HOME/murkhaven/CONFIG.txt (or
// ~/.config/...), when it exists and can be read with something in it;
// otherwise `installed` (saying so when an own copy was passed over).
std::string configFile(const std::string& installed, std::ostream& console);
// Where the player's own CONFIG.txt is or would be; empty without a home.
std::string ownConfigFile();
// The player's settings file, "name = value" lines the game writes itself:
// $XDG_CONFIG_HOME/murkhaven/settings.txt (or ~/.config/...); empty without a home.
std::string settingsFile();

// Where textures (as the driver made them) and imported meshes are kept to
// start faster the next time: cache/ in the data folder (the working directory) while that is
// writable, else $XDG_CACHE_HOME/murkhaven or ~/.cache/murkhaven; empty: none.
std::string cookedFolder();

// Where a file named by the player is written: a name without a folder
// stays in the working directory while that is writable, else it goes to
// the recordings folder. A name with a folder is left as it is.
std::string recordingPath(const std::string& name);

// The home folder: HOME when it is absolute, else the password database's
// entry when that is; empty when neither is.
std::string chooseHome(const char* variable, const std::string& fromPasswords);

}  // namespace folders
