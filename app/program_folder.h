// Where the program keeps its two files (the status file and the quote cache).
#pragma once

#include <filesystem>

namespace tiramon {

// The executable's folder when the program may write there and is not installed; otherwise the
// user's data folder ($XDG_DATA_HOME/tiramon, or ~/.local/share/tiramon), created when missing.
// An installed program (a bin folder with share/applications/tiramon.desktop beside it) always
// uses the data folder, so even root never litters /usr/bin with files no package owns.
std::filesystem::path ChooseProgramFolder(const std::filesystem::path& executableFolder);

}  // namespace tiramon
