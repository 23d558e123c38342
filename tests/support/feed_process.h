// Runs the demo quote feed as a child process on a free port, for tests and benchmarks, and
// stops it again.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/environment.h"

namespace tiramon::testing {

class FeedProcess {
 public:
  // Starts `program` with --port 0 and `arguments`; port() is 0 when it did not come up.
  FeedProcess(const std::string& program, std::vector<std::string> arguments) {
    int out[2];
    if (pipe(out) != 0) return;
    arguments.insert(arguments.begin(), {program, "--port", "0"});
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out[1], STDOUT_FILENO);
      const int quiet = open("/dev/null", O_WRONLY);  // its usage messages are not the test's
      if (quiet >= 0) dup2(quiet, STDERR_FILENO);
      close(out[0]);
      close(out[1]);
      std::vector<char*> argv;
      for (std::string& a : arguments) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(program.c_str(), argv.data());
      _exit(127);
    }
    close(out[1]);
    stdout_ = out[0];
    const std::optional<std::string> line = ReadLine(5000);
    if (line && line->rfind("port ", 0) == 0) port_ = std::stoi(line->substr(5));
  }

  ~FeedProcess() {
    if (pid_ > 0) Stop(SIGKILL);
    if (stdout_ >= 0) close(stdout_);
  }
  FeedProcess(const FeedProcess&) = delete;
  FeedProcess& operator=(const FeedProcess&) = delete;

  int port() const { return port_; }
  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }
  // The environment of a program that reads this feed and keeps its files in `folder`.
  Environment EnvironmentIn(const std::filesystem::path& folder) const {
    Environment environment;
    environment.programFolder = folder;
    environment.statusUrl = Url("/down/news.txt");
    environment.quotesUrl = Url("/quotes/streaming-forex-rates-%E2%80%93-majors");
    return environment;
  }

  // Sends `signal` and waits for the end; returns the wait status, or nullopt when the process
  // was still running after `limitMs` (it is then killed).
  std::optional<int> Stop(int signal, int limitMs = 5000) {
    if (pid_ <= 0) return std::nullopt;
    kill(pid_, signal);
    int status = 0;
    for (int waited = 0; waited <= limitMs; waited += 10) {
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return status;
      }
      usleep(10000);
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return std::nullopt;
  }

  // Waits for the process to end by itself; the wait status, or nullopt after `limitMs`.
  std::optional<int> WaitForExit(int limitMs = 5000) {
    int status = 0;
    for (int waited = 0; waited <= limitMs; waited += 10) {
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return status;
      }
      usleep(10000);
    }
    return std::nullopt;
  }

 private:
  std::optional<std::string> ReadLine(int limitMs) {
    std::string line;
    while (true) {
      pollfd p{stdout_, POLLIN, 0};
      if (poll(&p, 1, limitMs) <= 0) return std::nullopt;
      char c;
      if (read(stdout_, &c, 1) != 1) return std::nullopt;
      if (c == '\n') return line;
      line += c;
    }
  }

  pid_t pid_ = -1;
  int stdout_ = -1;
  int port_ = 0;
};

}  // namespace tiramon::testing
