// The program's own files (the status file, the quote cache, the official rates' caches): read
// whole, and replaced whole. The folder they live in may be one that someone else can write, so
// neither a read nor a write follows a symbolic link planted under one of their names: the link is
// refused with a note, and the file it points at is never opened. A replacement is written to a
// new temporary file beside the target, made durable, and renamed over the target only once it
// is complete, so a crash, a full disk or a failed download never leaves half a file and never
// loses the previous one.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "support/errors.h"

namespace tiramon {

// A file could not be read, created or written. The message says why, in the words the user sees.
class InOutError : public UserError {
 public:
  using UserError::UserError;
};

// One of our files could not be opened or replaced: `Cannot open file "<full path>". <reason>`
// or `Cannot create file "<full path>". <reason>`. code() is the errno value behind it.
class FileError : public InOutError {
 public:
  FileError(const std::string& message, int code) : InOutError(message), code_(code) {}
  int code() const { return code_; }

 private:
  int code_;
};

// The user's words for a failed file operation with this errno value ("File access denied" for a
// folder without write access).
std::string InOutMessage(int error);

// Why a file of ours was refused: its name is a symbolic link, or something that is not a file.
std::string RefusedFileReason(const std::filesystem::path& file);

// The whole file as bytes. A symbolic link, a folder or a device under that name is refused
// without being opened for reading. Throws FileError `Cannot open file "<full path>". <reason>`.
std::string ReadWholeFile(const std::filesystem::path& file);

// A file being replaced: bytes go to a new temporary file in the target's folder (created with
// O_CREAT | O_EXCL | O_NOFOLLOW, so nothing that lies in the folder is ever written through), and
// Commit() puts it in the target's place. A replacement that is destroyed without a Commit()
// removes its temporary file and leaves the target as it was. Every failure throws FileError
// `Cannot create file "<target's full path>". <reason>`.
class FileReplacement {
 public:
  // Refuses a target that is a symbolic link before anything is written.
  explicit FileReplacement(std::filesystem::path target);
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  void Write(std::string_view bytes);
  std::size_t written() const { return written_; }
  const std::filesystem::path& temporary() const { return temporary_; }
  // Flushes the bytes to the disk and renames the temporary file over the target, unless the
  // target has become a symbolic link meanwhile.
  void Commit();

 private:
  [[noreturn]] void Fail(int error) const;

  std::filesystem::path target_;
  std::filesystem::path temporary_;
  int fd_ = -1;
  bool committed_ = false;
  std::size_t written_ = 0;
};

// Replaces `file` with the pieces one after the other, written in blocks of 64 KiB.
// `afterBlock` (for tests) runs after each block with the bytes written so far.
void ReplaceFile(const std::filesystem::path& file, std::initializer_list<std::string_view> pieces,
                 const std::function<void(std::size_t)>& afterBlock = {});

// Renames `from` to `to` unless something by that name exists already; false then. Throws
// FileError (`Cannot create file "<to>"...`) for any other failure.
bool RenameWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace tiramon
