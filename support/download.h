// Downloading a small file (the publisher's status file), honouring the user's proxy settings
// (http_proxy, no_proxy ...): a plain http address without a proxy is fetched directly, anything
// else through libcurl. The window stays responsive meanwhile: the caller's event pump runs
// after the URL is opened, after every block and at least every 50 ms, and answers whether to
// go on: the user may quit while the server is silent.
//
// Limits: 10 s to connect; the transfer is dropped when fewer than 1 byte per second arrive
// over 20 s, when it takes longer than 120 s in all, or when the body passes 32 MiB (a failed
// download, which leaves the previous file as it was).
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "support/errors.h"
#include "support/files.h"       // InOutError
#include "support/http_error.h"  // DownloadAborted

namespace tiramon {

// Downloads `url` into `file`. Only a status of 200 starts a replacement of the file; any other
// answer leaves it untouched. The body goes to a temporary file beside it (support/files.h) that
// replaces the file only when a non-empty body was stored completely: then it returns true. A
// download that fails after the 200 removes its temporary file and keeps the previous file whole.
// Network problems return false; file errors throw InOutError ("File access denied"; a symbolic
// link under the file's name is refused with a note naming it, and what it points at stays as it
// was). processEvents returns false to stop the download at once: DownloadAborted is thrown.
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
