#include "support/files.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

namespace tiramon {
namespace {

constexpr std::size_t kBlock = std::size_t{64} * 1024;
// The errno value a refused file is reported with: what open() says of a link under O_NOFOLLOW.
constexpr int kRefused = ELOOP;

std::string FullPath(const std::filesystem::path& file) {
  std::error_code ignored;
  std::filesystem::path full = std::filesystem::absolute(file, ignored);
  if (full.empty()) full = file;
  return full.lexically_normal().string();
}

bool IsLink(const std::filesystem::path& file) {
  struct stat info {};
  return lstat(file.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

std::string Reason(const std::filesystem::path& file, int error) {
  return error == kRefused ? RefusedFileReason(file) : std::strerror(error);
}

[[noreturn]] void ThrowOpenError(const std::filesystem::path& file, int error) {
  throw FileError("Cannot open file \"" + FullPath(file) + "\". " + Reason(file, error), error);
}

[[noreturn]] void ThrowCreateError(const std::filesystem::path& file, int error) {
  throw FileError("Cannot create file \"" + FullPath(file) + "\". " + Reason(file, error), error);
}

// Six letters no one can guess, so nobody can lay a trap under the temporary's name in advance;
// O_EXCL makes a guess harmless anyway.
std::string RandomSuffix() {
  static constexpr char kLetters[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  unsigned char bytes[6] = {};
  if (getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
    static unsigned counter = 0;
    const auto seed = static_cast<unsigned>(getpid()) * 2654435761u + ++counter * 40503u;
    for (std::size_t i = 0; i < sizeof bytes; ++i)
      bytes[i] = static_cast<unsigned char>(seed >> (i * 5));
  }
  std::string suffix(sizeof bytes, 'x');
  for (std::size_t i = 0; i < sizeof bytes; ++i) suffix[i] = kLetters[bytes[i] % 62];
  return suffix;
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// The rename itself made durable: a crash right after it must not bring the old file back.
void SyncFolder(const std::filesystem::path& file) {
  std::filesystem::path folder = file.parent_path();
  if (folder.empty()) folder = ".";
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

std::string InOutMessage(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
      return "File access denied";
    case ENOSPC:
    case EDQUOT:
      return "Disk full";
    case ENOENT:
    case ENOTDIR:
      return "Path not found";
    case EMFILE:
    case ENFILE:
      return "Too many open files";
    default:
      return std::strerror(error);
  }
}

std::string RefusedFileReason(const std::filesystem::path& file) {
  if (IsLink(file)) {
    return "Это символическая ссылка: программа не читает и не пишет свои файлы по ссылкам, "
           "и файл, на который она указывает, не тронут";
  }
  return "Это не обычный файл: программа его не открывает";
}

std::string ReadWholeFile(const std::filesystem::path& file) {
  // O_NONBLOCK: a pipe planted under the name would otherwise hold the window until a writer came.
  const int fd = open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) ThrowOpenError(file, errno);
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    const int error = S_ISDIR(info.st_mode) ? EISDIR : kRefused;
    close(fd);
    ThrowOpenError(file, error);
  }
  std::string text;
  // One allocation of the right size: growing a large page block by block would copy it over
  // and over, and its peak would hold it twice.
  if (info.st_size > 0) text.reserve(static_cast<std::size_t>(info.st_size));
  char block[kBlock];
  for (;;) {
    const ssize_t n = read(fd, block, sizeof block);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int error = errno;
      close(fd);
      ThrowOpenError(file, error);
    }
    if (n == 0) break;
    text.append(block, static_cast<std::size_t>(n));
  }
  close(fd);
  return text;
}

FileReplacement::FileReplacement(std::filesystem::path target) : target_(std::move(target)) {
  if (IsLink(target_)) ThrowCreateError(target_, kRefused);
  const std::string stem = target_.string() + ".";
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary_ = stem + RandomSuffix();
    fd_ = open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd_ >= 0 || errno != EEXIST) break;
  }
  if (fd_ < 0) {
    temporary_.clear();  // nothing was created
    ThrowCreateError(target_, errno);
  }
  // As an ordinary new file of the program's is, whatever the umask: others may read it.
  fchmod(fd_, 0644);
}

FileReplacement::~FileReplacement() {
  if (fd_ >= 0) close(fd_);
  if (!committed_ && !temporary_.empty()) unlink(temporary_.c_str());
}

void FileReplacement::Fail(int error) const { ThrowCreateError(target_, error); }

void FileReplacement::Write(std::string_view bytes) {
  if (!WriteAll(fd_, bytes.data(), bytes.size())) Fail(errno);
  written_ += bytes.size();
}

void FileReplacement::Commit() {
  if (fsync(fd_) != 0) Fail(errno);
  const int fd = std::exchange(fd_, -1);
  if (close(fd) != 0) Fail(errno);
  // rename() would replace a link planted meanwhile rather than write through it, but a link
  // there is someone's doing, and the user hears of it.
  if (IsLink(target_)) Fail(kRefused);
  if (rename(temporary_.c_str(), target_.c_str()) != 0) Fail(errno);
  committed_ = true;
  SyncFolder(target_);
}

void ReplaceFile(const std::filesystem::path& file, std::initializer_list<std::string_view> pieces,
                 const std::function<void(std::size_t)>& afterBlock) {
  FileReplacement replacement(file);
  // The pieces are written as one text in blocks, without joining them into a copy.
  std::size_t inBlock = 0;
  for (std::string_view piece : pieces) {
    while (!piece.empty()) {
      const std::size_t take = std::min(piece.size(), kBlock - inBlock);
      replacement.Write(piece.substr(0, take));
      piece.remove_prefix(take);
      inBlock += take;
      if (inBlock == kBlock) {
        inBlock = 0;
        if (afterBlock) afterBlock(replacement.written());
      }
    }
  }
  if (inBlock > 0 && afterBlock) afterBlock(replacement.written());
  replacement.Commit();
}

bool RenameWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno == EEXIST) return false;
  if (errno != EINVAL && errno != ENOSYS) ThrowCreateError(to, errno);
  // A file system without the flag: a hard link fails on an existing name just as well.
  if (link(from.c_str(), to.c_str()) != 0) {
    if (errno == EEXIST) return false;
    ThrowCreateError(to, errno);
  }
  unlink(from.c_str());
  return true;
}

}  // namespace tiramon
