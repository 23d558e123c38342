#include "app/program_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

namespace tiramon {

namespace {
bool IsInstalled(const std::filesystem::path& executableFolder) {
  std::error_code error;
  return executableFolder.filename() == "bin" &&
         std::filesystem::exists(
             executableFolder.parent_path() / "share" / "applications" / "tiramon.desktop", error);
}

// Only the owner may put files there: anyone else who could would be able to plant a file or a
// link under one of the program's names.
bool OnlyOwnerWrites(const std::filesystem::path& folder) {
  struct stat info {};
  return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
         info.st_uid == ::geteuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}
}  // namespace

std::filesystem::path ChooseProgramFolder(const std::filesystem::path& executableFolder) {
  if (!executableFolder.empty() && !IsInstalled(executableFolder) &&
      OnlyOwnerWrites(executableFolder) && ::access(executableFolder.c_str(), W_OK | X_OK) == 0) {
    return executableFolder;
  }
  std::filesystem::path data;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') {
    data = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    data = std::filesystem::path(home) / ".local" / "share";
  } else {
    return executableFolder;
  }
  const std::filesystem::path folder = data / "tiramon";
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  return error ? executableFolder : folder;
}

}  // namespace tiramon
