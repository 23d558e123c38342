// Downloading a small file (the publisher's status file), honouring the user's proxy settings
// (http_proxy, no_proxy ...): a plain http address without a proxy is fetched directly, anything
// else through libcurl. The window stays responsive meanwhile: the caller's event pump runs
// after the URL is opened, after every block and at least every 50 ms, and answers whether to
// go on: the user may quit while the server is silent.
//
// Limits: 10 s to connect; the transfer is dropped when fewer than 1 byte per second arrive
// over 20 s, when it takes longer than 120 s in all, or when the body passes 32 MiB (the file
// is then deleted, as after any failed download).
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "support/errors.h"
#include "support/http_error.h"  // DownloadAborted

namespace tiramon {

// The file at the download's path could not be created or written. The message says why, in
// the words the user sees ("File access denied" for a folder without write access).
class InOutError : public UserError {
 public:
  using UserError::UserError;
};

// The user's words for a failed file operation with this errno value.
std::string InOutMessage(int error);

// Downloads `url` into `file`. Only a status of 200 creates (or replaces) the file; any other
// answer leaves an existing file untouched. Returns true when a non-empty body was stored
// completely; when the download fails after the file was created, the file is deleted. Network
// problems return false; file errors throw InOutError. processEvents returns false to stop the
// download at once: the file is deleted and DownloadAborted thrown.
bool DownloadToFile(std::string_view url, const std::filesystem::path& file,
                    const std::function<bool()>& processEvents);

namespace download_detail {

// kDirect: our own HTTP/1.1 over a socket, for an http address with no proxy variable set (a
// redirect to https hands the download over to libcurl). kLibcurl: libcurl, loaded at its first
// use, for everything else. Both follow at most 14 redirects.
enum class Route { kDirect, kLibcurl };
Route RouteFor(std::string_view url);
// DownloadToFile by the given route, so that tests can hold both to the same rules.
bool DownloadVia(Route route, std::string_view url, const std::filesystem::path& file,
                 const std::function<bool()>& processEvents);

}  // namespace download_detail

}  // namespace tiramon
