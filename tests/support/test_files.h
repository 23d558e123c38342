// Files for tests: a temporary folder removed afterwards, whole-file reads and writes, and a
// way to run a step without root's privileges (tests run as root in CI, where a read-only
// folder would not stop anything).
#pragma once

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>

namespace tiramon::testing {

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tiramon-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    std::filesystem::permissions(path_, std::filesystem::perms(0755));
  }
  ~TempDir() {
    std::error_code ignored;
    for (auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored)) {
      std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ignored);
    }
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

inline std::optional<std::string> ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFile(const std::filesystem::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

// Runs `step` as an unprivileged user and returns the text it produced. As root it runs in a
// forked child that has dropped to "nobody"; otherwise it runs here. nullopt when the child
// could not drop its privileges or died.
inline std::optional<std::string> RunUnprivileged(const std::function<std::string()>& step) {
  if (geteuid() != 0) return step();
  int channel[2];
  if (pipe(channel) != 0) return std::nullopt;
  const pid_t child = fork();
  if (child < 0) return std::nullopt;
  if (child == 0) {
    close(channel[0]);
    if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(99);
    std::string text;
    try {
      text = step();
    } catch (...) {
      text = "unexpected exception";
    }
    ssize_t ignored = write(channel[1], text.data(), text.size());
    (void)ignored;
    _exit(0);
  }
  close(channel[1]);
  std::string text;
  char buffer[4096];
  ssize_t n;
  while ((n = read(channel[0], buffer, sizeof buffer)) > 0) text.append(buffer, n);
  close(channel[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  return text;
}

}  // namespace tiramon::testing
