// Where the program keeps its files (the status file and the quote caches).
#pragma once

#include <filesystem>

namespace tiramon {

// The executable's folder when the program may write there, nobody but its owner (the user
// running it) may, and it is not installed; otherwise the user's data folder
// ($XDG_DATA_HOME/tiramon, or ~/.local/share/tiramon), created when missing.
// An installed program (a bin folder with share/applications/tiramon.desktop beside it) always
// uses the data folder, so even root never litters /usr/bin with files no package owns.
std::filesystem::path ChooseProgramFolder(const std::filesystem::path& executableFolder);

}  // namespace tiramon
