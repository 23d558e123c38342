// The status download, by one of two routes. A plain http address with no proxy set for it is
// fetched over our own socket code, whose every wait runs the caller's event pump. Everything
// else (https, a proxy from http_proxy or all_proxy, which also brings no_proxy into play) goes
// through libcurl's multi interface, loaded at its first use: libcurl and the TLS, Kerberos and
// LDAP libraries behind it cost every start of the program some 6 MB and a tenth of its start-up
// time, while the usual status address never needs them. Both routes keep the same rules: the
// replacement starts on a 200 answer only, is written block by block, and takes the file's place
// only when the body is complete.
#include "support/download.h"

#include <curl/curl.h>
#include <dlfcn.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <string>

#include "support/http_error.h"
#include "support/http_reader.h"
#include "support/http_socket.h"
#include "support/http_url.h"

namespace tiramon {
namespace {

constexpr const char* kAgent = "Тирамон";
constexpr long kBlockSize = 1024;
constexpr int kEventWaitMs = 50;
constexpr long kConnectLimitMs = 10000;
constexpr long kLowSpeedTimeS = 20;
constexpr long kTransferLimitMs = 120000;
constexpr std::size_t kMaxBytes = 32u << 20;
constexpr int kMaxRedirects = 14;

// The file of one download: its replacement starts on the 200 answer and takes the file's place
// once the body is complete; a download that fails leaves the previous file as it was.
class TargetFile {
 public:
  explicit TargetFile(const std::filesystem::path& path) : path_(path) {}

  bool created() const { return replacement_ != nullptr; }
  std::size_t written() const { return replacement_ ? replacement_->written() : 0; }

  void Create() {
    Said([this] { replacement_ = std::make_unique<FileReplacement>(path_); });
  }

  // False when the block would take the file past the size cap: no status file is that large.
  bool Write(const char* data, std::size_t size) {
    if (size > kMaxBytes - written()) return false;
    Said([&] { replacement_->Write(std::string_view(data, size)); });
    return true;
  }

  // Puts the complete file in place.
  void Keep() {
    Said([this] { replacement_->Commit(); });
  }

 private:
  // The download's errors in the words its callers have always shown ("File access denied"); a
  // refused link keeps its note, which names the file.
  template <typename Step>
  static void Said(const Step& step) {
    try {
      step();
    } catch (const FileError& e) {
      if (e.code() == ELOOP) throw;
      throw InOutError(InOutMessage(e.code()));
    }
  }

  const std::filesystem::path& path_;
  std::unique_ptr<FileReplacement> replacement_;
};

// ---------------------------------------------------------------------------------------------
// The direct route

// The event pump said stop.
struct Stop {};
// A redirect leads where only libcurl goes.
struct NeedsLibcurl {};

// Reads at most one block at a time, so that the body reaches the file block by block.
class BlockSource : public http::ByteSource {
 public:
  explicit BlockSource(http::SocketConnection& socket) : socket_(socket) {}
  std::size_t Read(char* buffer, std::size_t size, const http::ReadTimer& timer) override {
    return socket_.Read(buffer, std::min(size, static_cast<std::size_t>(kBlockSize)), timer);
  }

 private:
  http::SocketConnection& socket_;
};

// The request libcurl would send: its agent, any type, and neither cache nor proxy may answer
// from a stored copy.
std::string StatusRequest(const http::Target& target) {
  std::string request = http::FormatRequest(target, "*/*", "", kAgent, "");
  // Before the empty line that ends the request.
  request.insert(request.size() - 2, "Cache-Control: no-cache\r\nPragma: no-cache\r\n");
  return request;
}

bool DownloadDirectly(std::string_view url, const std::filesystem::path& file,
                      const std::function<bool()>& processEvents) {
  const http::SocketConnection::Pump pump = [&processEvents] {
    if (processEvents && !processEvents()) throw Stop{};
  };
  const auto deadline =
      http::Clock::now() + std::chrono::milliseconds(static_cast<long long>(kTransferLimitMs));
  const http::ReadTimer timer{std::chrono::seconds(kLowSpeedTimeS), deadline};
  const http::Limits limits;
  TargetFile out(file);
  try {
    http::Target target = http::ParseUrl(url);
    for (int redirects = 0;; ++redirects) {
      if (target.scheme == "https") throw NeedsLibcurl{};
      if (target.scheme != "http" || target.port == 0) return false;
      http::SocketConnection socket(target.host, target.port,
                                    std::chrono::milliseconds(kConnectLimitMs), deadline, pump);
      pump();  // the address is open
      socket.Send(StatusRequest(target), timer);
      BlockSource source(socket);
      http::ResponseReader reader(source);
      http::HeaderBudget budget(limits);
      http::ResponseHead head = reader.ReadHead(budget, timer);
      while (head.statusCode >= 100 && head.statusCode <= 199)
        head = reader.ReadHead(budget, timer);

      const std::string* location = head.Find("Location");
      if (head.statusCode >= 300 && head.statusCode <= 399 && location != nullptr) {
        if (redirects == kMaxRedirects) return false;
        target = http::ResolveLocation(target, *location);
        continue;
      }
      pump();  // the answer's head is in
      if (head.statusCode != 200) return false;
      out.Create();
      const bool complete = reader.ReadBodyTo(head, limits, timer, [&](std::string_view piece) {
        if (!out.Write(piece.data(), piece.size())) throw HttpError("status file too large");
        pump();  // after every block, as the socket does while it waits
      });
      if (!complete || out.written() == 0) return false;
      out.Keep();
      return true;
    }
  } catch (const HttpError&) {
    return false;  // the file, if created, goes with `out`
  } catch (const Stop&) {
    throw DownloadAborted("Download aborted");
  }
}

// ---------------------------------------------------------------------------------------------
// The libcurl route

// The few libcurl functions the download calls, looked up once in the library loaded at first
// use; null when the machine has no libcurl (the download then fails like any other).
struct CurlApi {
  CURLcode (*globalInit)(long);
  curl_slist* (*slistAppend)(curl_slist*, const char*);
  void (*slistFreeAll)(curl_slist*);
  CURL* (*easyInit)();
  void (*easyCleanup)(CURL*);
  CURLcode (*easySetopt)(CURL*, CURLoption, ...);
  CURLcode (*easyGetinfo)(CURL*, CURLINFO, ...);
  CURLM* (*multiInit)();
  CURLMcode (*multiCleanup)(CURLM*);
  CURLMcode (*multiAddHandle)(CURLM*, CURL*);
  CURLMcode (*multiRemoveHandle)(CURLM*, CURL*);
  CURLMcode (*multiPerform)(CURLM*, int*);
  CURLMcode (*multiPoll)(CURLM*, curl_waitfd[], unsigned int, int, int*);
  CURLMsg* (*multiInfoRead)(CURLM*, int*);
};

template <typename Function>
bool Find(void* library, const char* name, Function& function) {
  void* symbol = dlsym(library, name);
  function = reinterpret_cast<Function>(symbol);
  return symbol != nullptr;
}

const CurlApi* LoadCurl() {
  static const CurlApi* api = []() -> const CurlApi* {
    // Kept loaded for the rest of the run: libcurl's global state is set up once.
    void* library = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return nullptr;
    static CurlApi found{};
    const bool complete = Find(library, "curl_global_init", found.globalInit) &&
                          Find(library, "curl_slist_append", found.slistAppend) &&
                          Find(library, "curl_slist_free_all", found.slistFreeAll) &&
                          Find(library, "curl_easy_init", found.easyInit) &&
                          Find(library, "curl_easy_cleanup", found.easyCleanup) &&
                          Find(library, "curl_easy_setopt", found.easySetopt) &&
                          Find(library, "curl_easy_getinfo", found.easyGetinfo) &&
                          Find(library, "curl_multi_init", found.multiInit) &&
                          Find(library, "curl_multi_cleanup", found.multiCleanup) &&
                          Find(library, "curl_multi_add_handle", found.multiAddHandle) &&
                          Find(library, "curl_multi_remove_handle", found.multiRemoveHandle) &&
                          Find(library, "curl_multi_perform", found.multiPerform) &&
                          Find(library, "curl_multi_poll", found.multiPoll) &&
                          Find(library, "curl_multi_info_read", found.multiInfoRead);
    if (!complete || found.globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK) return nullptr;
    return &found;
  }();
  return api;
}

// Errors raised in libcurl's callbacks are parked here and rethrown once every handle is
// released.
struct Transfer {
  const CurlApi* curl = nullptr;
  CURL* easy = nullptr;
  TargetFile* file = nullptr;
  const std::function<bool()>* processEvents = nullptr;
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
    curl->easyGetinfo(easy, CURLINFO_RESPONSE_CODE, &code);
    if (code != 200 || file->created()) return true;
    try {
      file->Create();
    } catch (...) {
      error = std::current_exception();
      return false;
    }
    return true;
  }

  bool OnBlock(const char* data, std::size_t size) {
    if (!file->created()) return false;  // the body of an answer we do not want
    try {
      if (!file->Write(data, size)) return false;
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

bool DownloadWithLibcurl(std::string_view url, const std::filesystem::path& file,
                         const std::function<bool()>& processEvents) {
  const CurlApi* curl = LoadCurl();
  if (curl == nullptr) return false;
  const auto freeList = [curl](curl_slist* list) { curl->slistFreeAll(list); };
  const auto cleanupMulti = [curl](CURLM* multi) { curl->multiCleanup(multi); };
  const auto cleanupEasy = [curl](CURL* easy) { curl->easyCleanup(easy); };
  // Declared first so that it outlives the handles that point at it.
  TargetFile out(file);
  std::unique_ptr<curl_slist, decltype(freeList)> headers(
      curl->slistAppend(nullptr, "Cache-Control: no-cache"), freeList);
  if (headers) curl->slistAppend(headers.get(), "Pragma: no-cache");
  std::unique_ptr<CURLM, decltype(cleanupMulti)> multi(curl->multiInit(), cleanupMulti);
  std::unique_ptr<CURL, decltype(cleanupEasy)> easy(curl->easyInit(), cleanupEasy);
  if (!multi || !easy) return false;

  Transfer transfer;
  transfer.curl = curl;
  transfer.easy = easy.get();
  transfer.file = &out;
  transfer.processEvents = &processEvents;

  const std::string address(url);
  CURL* e = easy.get();
  const auto set = curl->easySetopt;
  set(e, CURLOPT_URL, address.c_str());
  set(e, CURLOPT_USERAGENT, kAgent);
  set(e, CURLOPT_HTTPHEADER, headers.get());
  set(e, CURLOPT_BUFFERSIZE, kBlockSize);
  set(e, CURLOPT_FOLLOWLOCATION, 1L);
  set(e, CURLOPT_MAXREDIRS, static_cast<long>(kMaxRedirects));
  set(e, CURLOPT_PROTOCOLS_STR, "http,https");
  set(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  set(e, CURLOPT_CONNECTTIMEOUT_MS, kConnectLimitMs);
  set(e, CURLOPT_LOW_SPEED_LIMIT, 1L);
  set(e, CURLOPT_LOW_SPEED_TIME, kLowSpeedTimeS);
  set(e, CURLOPT_TIMEOUT_MS, kTransferLimitMs);
  set(e, CURLOPT_NOSIGNAL, 1L);
  set(e, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  set(e, CURLOPT_HEADERFUNCTION, HeaderCallback);
  set(e, CURLOPT_HEADERDATA, &transfer);
  set(e, CURLOPT_WRITEFUNCTION, WriteCallback);
  set(e, CURLOPT_WRITEDATA, &transfer);

  CURLcode outcome = CURLE_FAILED_INIT;
  {
    if (curl->multiAddHandle(multi.get(), e) != CURLM_OK) return false;
    // Detaches the easy handle before either handle is cleaned up, however the loop ends.
    struct Detach {
      const CurlApi* curl;
      CURLM* multi;
      CURL* easy;
      ~Detach() { curl->multiRemoveHandle(multi, easy); }
    } detach{curl, multi.get(), e};

    int running = 0;
    CURLMcode mc = curl->multiPerform(multi.get(), &running);
    transfer.Pump();  // the URL is open
    while (mc == CURLM_OK && running > 0 && !transfer.error && !transfer.aborted) {
      transfer.pumped = false;
      mc = curl->multiPoll(multi.get(), nullptr, 0, kEventWaitMs, nullptr);
      if (mc != CURLM_OK) break;
      mc = curl->multiPerform(multi.get(), &running);
      if (!transfer.pumped && !transfer.error && !transfer.aborted) transfer.Pump();
    }
    int left = 0;
    while (CURLMsg* message = curl->multiInfoRead(multi.get(), &left)) {
      if (message->msg == CURLMSG_DONE && message->easy_handle == e) outcome = message->data.result;
    }
  }
  long code = 0;
  curl->easyGetinfo(e, CURLINFO_RESPONSE_CODE, &code);
  if (transfer.error || transfer.aborted) {
    multi.reset();
    easy.reset();
    if (transfer.error) std::rethrow_exception(transfer.error);
    throw DownloadAborted("Download aborted");
  }
  if (outcome != CURLE_OK || code != 200 || !out.created() || out.written() == 0) return false;
  out.Keep();
  return true;
}

bool Set(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

}  // namespace

namespace download_detail {

Route RouteFor(std::string_view url) {
  // The variables libcurl reads for an http address (it takes HTTP_PROXY in capitals from no
  // one, since a web server's CGI environment sets it from a request header).
  if (Set("http_proxy") || Set("all_proxy") || Set("ALL_PROXY")) return Route::kLibcurl;
  try {
    const http::Target target = http::ParseUrl(url);
    if (target.scheme == "http" && target.port != 0) return Route::kDirect;
  } catch (const HttpError&) {
  }
  return Route::kLibcurl;
}

bool DownloadVia(Route route, std::string_view url, const std::filesystem::path& file,
                 const std::function<bool()>& processEvents) {
  if (route == Route::kDirect) {
    try {
      return DownloadDirectly(url, file, processEvents);
    } catch (const NeedsLibcurl&) {
      // Nothing was stored yet: libcurl starts over from the address as given.
    }
  }
  return DownloadWithLibcurl(url, file, processEvents);
}

}  // namespace download_detail

bool DownloadToFile(std::string_view url, const std::filesystem::path& file,
                    const std::function<bool()>& processEvents) {
  return download_detail::DownloadVia(download_detail::RouteFor(url), url, file, processEvents);
}

}  // namespace tiramon
