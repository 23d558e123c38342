// The status download. libcurl's multi interface lets the loop below wait at most 50 ms at a
// time, so the window keeps handling its events however slow the server is. Errors raised in
// libcurl's callbacks are parked and rethrown once every handle is released.
#include "support/download.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <string>

namespace tiramon {
namespace {

constexpr const char* kAgent = "Тирамон";
constexpr long kBlockSize = 1024;
constexpr int kEventWaitMs = 50;
constexpr long kConnectLimitMs = 10000;
constexpr long kLowSpeedTimeS = 20;
constexpr long kTransferLimitMs = 120000;
constexpr std::size_t kMaxBytes = 32u << 20;

struct Transfer {
  CURL* easy = nullptr;
  const std::filesystem::path* file = nullptr;
  const std::function<bool()>* processEvents = nullptr;
  int fd = -1;
  bool created = false;
  std::size_t written = 0;
  bool pumped = false;   // the events ran since the loop last looked
  bool aborted = false;  // an event handler asked the download to stop
  std::exception_ptr error;

  void Pump() {
    pumped = true;
    if (*processEvents && !(*processEvents)()) aborted = true;
  }

  // Creates the file as soon as a 200 answer is complete; earlier answers of a redirect chain
  // and every other status leave it alone.
  bool OnHeadersComplete() {
    long code = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &code);
    if (code != 200 || created) return true;
    fd = open(file->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
      error = std::make_exception_ptr(InOutError(InOutMessage(errno)));
      return false;
    }
    created = true;
    return true;
  }

  bool OnBlock(const char* data, std::size_t size) {
    if (!created) return false;                    // the body of an answer we do not want
    if (size > kMaxBytes - written) return false;  // no status file is that large
    while (size > 0) {
      const ssize_t n = write(fd, data, size);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        error = std::make_exception_ptr(InOutError(InOutMessage(n < 0 ? errno : ENOSPC)));
        return false;
      }
      data += n;
      size -= static_cast<std::size_t>(n);
      written += static_cast<std::size_t>(n);
    }
    try {
      Pump();
    } catch (...) {
      error = std::current_exception();
      return false;
    }
    return !aborted;
  }
};

std::size_t HeaderCallback(char* data, std::size_t size, std::size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  const std::size_t length = size * count;
  const std::string_view line(data, length);
  if (line == "\r\n" || line == "\n") {
    if (!transfer->OnHeadersComplete()) return 0;
  }
  return length;
}

std::size_t WriteCallback(char* data, std::size_t size, std::size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  const std::size_t length = size * count;
  return transfer->OnBlock(data, length) ? length : 0;
}

struct EasyDeleter {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct MultiDeleter {
  void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct ListDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// Closes the file and, unless the download succeeded, deletes what it created.
struct FileGuard {
  Transfer& transfer;
  bool keep = false;
  ~FileGuard() {
    if (transfer.fd >= 0) close(transfer.fd);
    if (transfer.created && !keep) {
      std::error_code ignored;
      std::filesystem::remove(*transfer.file, ignored);
    }
  }
};

void InitialiseCurl() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
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

bool DownloadToFile(std::string_view url, const std::filesystem::path& file,
                    const std::function<bool()>& processEvents) {
  InitialiseCurl();
  // Declared first so it outlives the handle that points at it.
  std::unique_ptr<curl_slist, ListDeleter> headers(
      curl_slist_append(nullptr, "Cache-Control: no-cache"));
  if (headers) curl_slist_append(headers.get(), "Pragma: no-cache");
  std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
  std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
  if (!multi || !easy) return false;

  Transfer transfer;
  transfer.easy = easy.get();
  transfer.file = &file;
  transfer.processEvents = &processEvents;

  const std::string address(url);
  CURL* e = easy.get();
  curl_easy_setopt(e, CURLOPT_URL, address.c_str());
  curl_easy_setopt(e, CURLOPT_USERAGENT, kAgent);
  curl_easy_setopt(e, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(e, CURLOPT_BUFFERSIZE, kBlockSize);
  curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(e, CURLOPT_MAXREDIRS, 14L);
  curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, kConnectLimitMs);
  curl_easy_setopt(e, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(e, CURLOPT_LOW_SPEED_TIME, kLowSpeedTimeS);
  curl_easy_setopt(e, CURLOPT_TIMEOUT_MS, kTransferLimitMs);
  curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(e, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, HeaderCallback);
  curl_easy_setopt(e, CURLOPT_HEADERDATA, &transfer);
  curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, WriteCallback);
  curl_easy_setopt(e, CURLOPT_WRITEDATA, &transfer);

  FileGuard guard{transfer};
  CURLcode outcome = CURLE_FAILED_INIT;
  {
    if (curl_multi_add_handle(multi.get(), e) != CURLM_OK) return false;
    // Detaches the easy handle before either handle is cleaned up, however the loop ends.
    struct Detach {
      CURLM* multi;
      CURL* easy;
      ~Detach() { curl_multi_remove_handle(multi, easy); }
    } detach{multi.get(), e};

    int running = 0;
    CURLMcode mc = curl_multi_perform(multi.get(), &running);
    transfer.Pump();  // the URL is open
    while (mc == CURLM_OK && running > 0 && !transfer.error && !transfer.aborted) {
      transfer.pumped = false;
      mc = curl_multi_poll(multi.get(), nullptr, 0, kEventWaitMs, nullptr);
      if (mc != CURLM_OK) break;
      mc = curl_multi_perform(multi.get(), &running);
      if (!transfer.pumped && !transfer.error && !transfer.aborted) transfer.Pump();
    }
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi.get(), &left)) {
      if (message->msg == CURLMSG_DONE && message->easy_handle == e) outcome = message->data.result;
    }
  }
  long code = 0;
  curl_easy_getinfo(e, CURLINFO_RESPONSE_CODE, &code);
  const bool ok = !transfer.error && !transfer.aborted && outcome == CURLE_OK && code == 200 &&
                  transfer.created && transfer.written > 0;
  if (transfer.fd >= 0 && close(transfer.fd) != 0 && ok) {
    transfer.fd = -1;
    throw InOutError(InOutMessage(errno));  // the guard deletes the unfinished file
  }
  transfer.fd = -1;
  guard.keep = ok;
  if (transfer.error) {
    multi.reset();
    easy.reset();
    std::rethrow_exception(transfer.error);
  }
  if (transfer.aborted) {
    multi.reset();
    easy.reset();
    throw DownloadAborted("Download aborted");
  }
  return ok;
}

}  // namespace tiramon
