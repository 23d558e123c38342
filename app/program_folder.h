// Where the program keeps its two files (the status file and the quote cache).
#pragma once

#include <filesystem>

namespace tiramon {

// The executable's folder when the program may write there; otherwise the user's data folder
// ($XDG_DATA_HOME/tiramon, or ~/.local/share/tiramon), created when missing. An installed
// program thus still keeps its cache.
std::filesystem::path ChooseProgramFolder(const std::filesystem::path& executableFolder);

}  // namespace tiramon
