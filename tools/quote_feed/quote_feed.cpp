// The demo quote feed: a small HTTP/1.1 server on loopback that serves the publisher's status
// file and a streaming quotes page, so the program runs end to end without the internet.
//
//   quote_feed [--port N] [--address A] [--status ok|404|word] [--page-kib N] [--rows N]
//              [--seed N] [--stall-file PATH]
//
// --port 0 picks a free port. The first line on standard output is always "port N".
// --rows N serves a quotes page of N table rows (EUR/USD, then GBP/USD) instead of the usual
// page, for measuring how the program copes with a very large page. While PATH exists, a request
// for the status file gets no answer at all, as from a publisher whose server has hung. The
// server binds to loopback addresses only and ends cleanly on SIGTERM or SIGINT.
#include <arpa/inet.h>
#include <fcntl.h>
#include <malloc.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "quote_book.h"

namespace tiramon::feed {
namespace {

constexpr const char* kStatusPath = "/down/news.txt";
constexpr const char* kQuotesPath = "/quotes/streaming-forex-rates-%E2%80%93-majors";
constexpr std::size_t kMaxRequestBytes = 16 * 1024;
constexpr int kMaxClients = 64;
constexpr auto kIdleLimit = std::chrono::seconds(30);

enum class StatusMode { kOk, kNotFound, kWord };

struct Options {
  int port = 8765;
  std::string address = "127.0.0.1";
  StatusMode status = StatusMode::kOk;
  std::size_t pageBytes = 0;
  std::size_t rows = 0;  // 0: the usual page
  std::uint32_t seed = std::random_device{}();
  std::string stallFile;
};

struct Client {
  std::string in;
  std::string out;
  std::size_t sent = 0;  // bytes of `out` already sent; erasing them at each send is quadratic
  bool closeAfterWrite = false;
  std::chrono::steady_clock::time_point lastActive;
};

int wakePipe[2] = {-1, -1};

void OnSignal(int) {
  const char byte = 1;
  [[maybe_unused]] ssize_t n = write(wakePipe[1], &byte, 1);
}

[[noreturn]] void Usage(const char* message) {
  std::fprintf(stderr,
               "quote_feed: %s\nusage: quote_feed [--port N] [--address A] "
               "[--status ok|404|word] [--page-kib N] [--rows N] [--seed N] [--stall-file PATH]\n",
               message);
  std::exit(2);
}

long ParseNumber(const char* text, long low, long high, const char* what) {
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || value < low || value > high) Usage(what);
  return value;
}

Options ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const auto value = [&]() -> const char* {
      if (i + 1 >= argc) Usage("missing value after an option");
      return argv[++i];
    };
    if (arg == "--port") {
      options.port = static_cast<int>(ParseNumber(value(), 0, 65535, "invalid port"));
    } else if (arg == "--address") {
      options.address = value();
    } else if (arg == "--status") {
      const std::string_view mode = value();
      if (mode == "ok")
        options.status = StatusMode::kOk;
      else if (mode == "404")
        options.status = StatusMode::kNotFound;
      else if (mode == "word")
        options.status = StatusMode::kWord;
      else
        Usage("--status takes ok, 404 or word");
    } else if (arg == "--page-kib") {
      options.pageBytes =
          static_cast<std::size_t>(ParseNumber(value(), 0, 64 * 1024, "invalid page size")) * 1024;
    } else if (arg == "--rows") {
      options.rows = static_cast<std::size_t>(ParseNumber(value(), 1, 10000000, "invalid rows"));
    } else if (arg == "--seed") {
      options.seed =
          static_cast<std::uint32_t>(ParseNumber(value(), 0, 0xFFFFFFFFL, "invalid seed"));
    } else if (arg == "--stall-file") {
      options.stallFile = value();
    } else if (arg == "--help" || arg == "-h") {
      Usage("serves the demo status file and quotes page");
    } else {
      Usage("unknown option");
    }
  }
  return options;
}

// A listening socket on a loopback address; anything else is refused, so the demo feed is
// never reachable from the network.
int Listen(const Options& options) {
  sockaddr_storage storage{};
  socklen_t length = 0;
  in_addr v4{};
  in6_addr v6{};
  if (inet_pton(AF_INET, options.address.c_str(), &v4) == 1) {
    if ((ntohl(v4.s_addr) >> 24) != 127) Usage("--address must be a loopback address");
    auto* a = reinterpret_cast<sockaddr_in*>(&storage);
    a->sin_family = AF_INET;
    a->sin_addr = v4;
    a->sin_port = htons(static_cast<std::uint16_t>(options.port));
    length = sizeof *a;
  } else if (inet_pton(AF_INET6, options.address.c_str(), &v6) == 1) {
    if (!IN6_IS_ADDR_LOOPBACK(&v6)) Usage("--address must be a loopback address");
    auto* a = reinterpret_cast<sockaddr_in6*>(&storage);
    a->sin6_family = AF_INET6;
    a->sin6_addr = v6;
    a->sin6_port = htons(static_cast<std::uint16_t>(options.port));
    length = sizeof *a;
  } else {
    Usage("--address must be a numeric loopback address");
  }
  const int fd = socket(storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    std::perror("quote_feed: socket");
    std::exit(1);
  }
  const int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  if (bind(fd, reinterpret_cast<sockaddr*>(&storage), length) != 0 || listen(fd, 64) != 0) {
    std::perror("quote_feed: bind");
    std::exit(1);
  }
  return fd;
}

int BoundPort(int fd) {
  sockaddr_storage storage{};
  socklen_t length = sizeof storage;
  getsockname(fd, reinterpret_cast<sockaddr*>(&storage), &length);
  if (storage.ss_family == AF_INET6) {
    return ntohs(reinterpret_cast<sockaddr_in6*>(&storage)->sin6_port);
  }
  return ntohs(reinterpret_cast<sockaddr_in*>(&storage)->sin_port);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// Appends the whole answer to what the connection has still to send. Written in place, with room
// made once: the 32 MiB page of --rows would otherwise be copied three times more per request.
void AppendResponse(std::string& out, int code, const char* reason, const char* type,
                    const std::string& body, bool close, bool head) {
  std::string header = "HTTP/1.1 " + std::to_string(code) + " " + reason + "\r\n";
  header += "Server: quote_feed\r\n";
  header += std::string("Content-Type: ") + type + "\r\n";
  header += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  header += "Cache-Control: no-cache\r\n";
  header += close ? "Connection: close\r\n" : "Connection: keep-alive\r\n";
  header += "\r\n";
  const std::size_t needed = out.size() + header.size() + (head ? 0 : body.size());
  if (out.capacity() < needed) out.reserve(std::max(needed, 2 * out.capacity()));
  out += header;
  if (!head) out += body;
}

class Server {
 public:
  Server(const Options& options) : options_(options), book_(options.seed) {}

  // Answers one complete request head; marks the connection for closing when it must end.
  void Answer(Client& client, std::string_view head) {
    const std::size_t lineEnd = head.find("\r\n");
    const std::string_view requestLine = head.substr(0, lineEnd);
    const std::size_t s1 = requestLine.find(' ');
    const std::size_t s2 = requestLine.rfind(' ');
    bool close = false;
    if (s1 == std::string_view::npos || s2 == s1) {
      AppendResponse(client.out, 400, "Bad Request", "text/plain", "bad request\n", true, false);
      client.closeAfterWrite = true;
      return;
    }
    const std::string_view method = requestLine.substr(0, s1);
    const std::string_view target = requestLine.substr(s1 + 1, s2 - s1 - 1);
    const std::string_view version = requestLine.substr(s2 + 1);
    const bool http11 = version == "HTTP/1.1";
    bool keepAliveAsked = false;
    for (std::size_t pos = lineEnd + 2; pos < head.size();) {
      const std::size_t end = head.find("\r\n", pos);
      const std::string_view line = head.substr(pos, end - pos);
      pos = end == std::string_view::npos ? head.size() : end + 2;
      const std::size_t colon = line.find(':');
      if (colon == std::string_view::npos) continue;
      std::string_view value = line.substr(colon + 1);
      while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
      if (EqualsNoCase(line.substr(0, colon), "Connection")) {
        if (EqualsNoCase(value, "close")) close = true;
        if (EqualsNoCase(value, "keep-alive")) keepAliveAsked = true;
      }
    }
    if (!http11 && !keepAliveAsked) close = true;
    const bool isHead = method == "HEAD";
    if (method != "GET" && !isHead) {
      AppendResponse(client.out, 405, "Method Not Allowed", "text/plain", "GET only\n", close,
                     false);
    } else if (target == kStatusPath && Stalled()) {
      // No answer: the connection stays open until the client gives up or the idle limit.
    } else if (target == kStatusPath) {
      switch (options_.status) {
        case StatusMode::kOk:
          AppendResponse(client.out, 200, "OK", "text/plain", "1\r\n", close, isHead);
          break;
        case StatusMode::kWord:
          AppendResponse(client.out, 200, "OK", "text/plain", "closed\r\n", close, isHead);
          break;
        case StatusMode::kNotFound:
          NotFound(client.out, close, isHead);
          break;
      }
    } else if (target == kQuotesPath) {
      book_.Step();
      const std::string page =
          options_.rows > 0 ? book_.LargePage(options_.rows) : book_.Page(options_.pageBytes);
      AppendResponse(client.out, 200, "OK", "text/html; charset=utf-8", page, close, isHead);
    } else {
      NotFound(client.out, close, isHead);
    }
    if (close) client.closeAfterWrite = true;
  }

  int Run() {
    const int listener = Listen(options_);
    std::printf("port %d\n", BoundPort(listener));
    std::fflush(stdout);
    std::map<int, Client> clients;
    for (;;) {
      std::vector<pollfd> fds;
      fds.push_back({wakePipe[0], POLLIN, 0});
      fds.push_back({listener, static_cast<short>(clients.size() < kMaxClients ? POLLIN : 0), 0});
      for (const auto& [fd, client] : clients) {
        fds.push_back({fd, static_cast<short>(client.out.empty() ? POLLIN : POLLOUT), 0});
      }
      const int n = poll(fds.data(), fds.size(), 1000);
      if (n < 0 && errno != EINTR) {
        std::perror("quote_feed: poll");
        return 1;
      }
      if (fds[0].revents != 0) break;  // SIGTERM or SIGINT
      const auto now = std::chrono::steady_clock::now();
      if (fds[1].revents & POLLIN) {
        for (;;) {
          const int fd = accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
          if (fd < 0) break;
          clients[fd].lastActive = now;
        }
      }
      std::vector<int> finished;
      for (std::size_t i = 2; i < fds.size(); ++i) {
        Client& client = clients[fds[i].fd];
        if (fds[i].revents == 0) {
          if (now - client.lastActive > kIdleLimit) finished.push_back(fds[i].fd);
          continue;
        }
        client.lastActive = now;
        if (!Serve(fds[i].fd, client)) finished.push_back(fds[i].fd);
      }
      for (int fd : finished) {
        close(fd);
        clients.erase(fd);
      }
    }
    for (const auto& entry : clients) close(entry.first);
    close(listener);
    return 0;
  }

 private:
  bool Stalled() const {
    return !options_.stallFile.empty() && access(options_.stallFile.c_str(), F_OK) == 0;
  }

  void NotFound(std::string& out, bool close, bool head) {
    AppendResponse(out, 404, "Not Found", "text/html; charset=utf-8",
                   "<html><body><h1>404</h1><p>Страница не найдена</p></body></html>\n", close,
                   head);
  }

  // Reads what the client sent and writes what is due; false when the connection is done.
  bool Serve(int fd, Client& client) {
    if (!client.out.empty()) {
      const ssize_t n =
          send(fd, client.out.data() + client.sent, client.out.size() - client.sent, MSG_NOSIGNAL);
      if (n < 0) return errno == EAGAIN || errno == EINTR;
      client.sent += static_cast<std::size_t>(n);
      if (client.sent == client.out.size()) {
        client.out.clear();
        client.sent = 0;
      }
      if (client.out.empty() && client.closeAfterWrite) return false;
      if (!client.out.empty()) return true;
    } else {
      char buffer[8192];
      const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
      if (n == 0) return false;
      if (n < 0) return errno == EAGAIN || errno == EINTR;
      client.in.append(buffer, static_cast<std::size_t>(n));
    }
    // Answer every complete request that has arrived, in order.
    while (!client.closeAfterWrite) {
      const std::size_t end = client.in.find("\r\n\r\n");
      if (end == std::string::npos) {
        if (client.in.size() > kMaxRequestBytes) {
          AppendResponse(client.out, 431, "Request Header Fields Too Large", "text/plain",
                         "request too large\n", true, false);
          client.closeAfterWrite = true;
        }
        break;
      }
      const std::string head = client.in.substr(0, end);
      client.in.erase(0, end + 4);
      Answer(client, head);
    }
    return true;
  }

  Options options_;
  QuoteBook book_;
};

}  // namespace
}  // namespace tiramon::feed

int main(int argc, char** argv) {
  using namespace tiramon::feed;
  // The page of --rows and its answer, some 64 MiB, are made again for every request: the freed
  // memory is kept for the next one instead of being handed back and faulted in again.
  mallopt(M_MMAP_THRESHOLD, 128 << 20);
  mallopt(M_TRIM_THRESHOLD, 512 << 20);
  const Options options = ParseOptions(argc, argv);
  if (pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    std::perror("quote_feed: pipe");
    return 1;
  }
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
  Server server(options);
  return server.Run();
}
