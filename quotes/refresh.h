// The quote refresh: the status file decides whether the live quotes page may be shown; the
// last live page used is kept in a cache file and shown whenever the live page cannot be.
#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tiramon::quotes {

inline constexpr const char* kStatusFileName = "news.txt";
inline constexpr const char* kCacheFileName = "kotirovki.dat";
inline constexpr const char* kPageUserAgent = "Mozilla/4.0 (compatible; MSIE 5.5; Windows 98)";
inline constexpr const char* kPageLanguage = "ru";
// The demo feed's pages carry this tag, which no real quotes page has: its prices are made up,
// and the program says so wherever it names the source, cached copies included.
inline constexpr std::string_view kDemoPageMark = R"(<meta name="tiramon-demo-data")";

bool IsDemoPage(std::string_view page);
// When a file was last written; the epoch when that cannot be told.
std::chrono::system_clock::time_point FileTime(const std::filesystem::path& file);

// The lines of a text as the text buffer holds them: broken at CR LF, at a lone CR and at a lone
// LF; a break at the very end starts no further line. Bytes, NUL included, are kept.
std::vector<std::string> SplitLines(std::string_view text);

// Every lone CR and every lone LF becomes CR LF.
std::string NormalizeLineBreaks(std::string_view text);

// The status text gives the go-ahead when its first line is a whole number.
bool IsGoAhead(const std::vector<std::string>& statusLines);

// The live page from `fetch`, or nothing when the fetch failed (an HttpError of any kind): the
// refresh then shows the cache. Every other exception is a fault of the program, not of the
// network, and goes on to the error box instead of hiding behind the cached quotes.
std::optional<std::string> FetchLivePage(const std::function<std::string()>& fetch);

// The cache as the page text: the whole file (ReadWholeFile, support/files.h) with its line
// breaks made CR LF.
std::string ReadCacheFile(const std::filesystem::path& file);

// Replaces the cache with `page` followed by CR LF (ReplaceFile, support/files.h), so a crash or a
// full disk keeps the previous cache whole. Throws InOutError `Cannot create file "<full path>".
// <reason>`.
// `afterBlock` (for tests) runs after each block written, with the bytes written so far.
void WriteCacheFile(const std::filesystem::path& file, std::string_view page,
                    const std::function<void(std::size_t)>& afterBlock = {});

}  // namespace tiramon::quotes
