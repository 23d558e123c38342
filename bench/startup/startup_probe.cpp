// Times programs from process start to their first painted window on an X display and reads
// their peak resident memory, over repeated runs, each run from a fresh folder of its own.
//
//   startup_probe [--runs N] [--warmup N] [--settle-ms MS] [--timeout-ms MS] [--poll]
//                 [--shots DIR]
//                 NAME=PATH[,expect=FILE] NAME=PATH[,expect=FILE] ...
//
// Each run copies PATH into a new temporary folder and starts the copy there while the probe
// watches the display's top-level windows:
//   mapped   the MapNotify of the program's window: a top-level window of at least 200x200
//            pixels whose _NET_WM_PID is the child's;
//   painted  the first moment after that at which the window's pixels are no longer all one
//            colour. Run the display with a black root (Xvfb -br): a window that is mapped but
//            not drawn yet reads as one black block. With the damage extension the pixels are
//            read at every damage report on the window; without it (or with --poll) they are
//            polled every 2 ms.
// After painting, the program runs --settle-ms longer, then gets SIGTERM; wait4() gives its
// peak resident set (ru_maxrss) and its CPU time (user + system) over the whole run. With
// expect=FILE a run only counts when the program left a non-empty FILE in its folder. With
// --shots the frame judged painted is kept as DIR/NAME-RUN.ppm, to look at what was timed.
// The programs take turns run by run, so a change in the machine's load hits them alike.
// Prints one line per run, then per program and figure a "summary" line (median, min, max),
// then a "ratio" line of the first program's medians over the second's.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace tiramon::perf {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kMinWindowSide = 200;  // smaller top-levels (a tray icon) are not the window
constexpr auto kPollInterval = std::chrono::milliseconds(2);
constexpr auto kExitGrace = std::chrono::seconds(5);

struct Program {
  std::string name;
  fs::path path;
  std::string expectFile;
};

struct Options {
  int runs = 10;
  int warmup = 1;
  int settleMs = 500;
  int timeoutMs = 30000;
  fs::path shots;     // where to keep each run's first painted frame, if anywhere
  bool poll = false;  // read the pixels every few ms even where damage reports are available
  std::vector<Program> programs;
};

struct Sample {
  double mappedMs = 0;
  double paintedMs = 0;
  double cpuMs = 0;
  double maxRssKiB = 0;
};

[[noreturn]] void Usage(const std::string& message) {
  std::fprintf(stderr,
               "startup_probe: %s\nusage: startup_probe [--runs N] [--warmup N] [--settle-ms MS] "
               "[--timeout-ms MS] [--poll] [--shots DIR] NAME=PATH[,expect=FILE] ...\n",
               message.c_str());
  std::exit(2);
}

int ParseCount(const char* text, int low, int high, const char* option) {
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || value < low || value > high) {
    Usage(std::string("bad value for ") + option);
  }
  return static_cast<int>(value);
}

Program ParseProgram(std::string_view arg) {
  const std::size_t equals = arg.find('=');
  if (equals == 0 || equals == std::string_view::npos) Usage("a program is NAME=PATH");
  Program program;
  program.name = std::string(arg.substr(0, equals));
  std::string_view rest = arg.substr(equals + 1);
  constexpr std::string_view kExpect = ",expect=";
  if (const std::size_t at = rest.find(kExpect); at != std::string_view::npos) {
    program.expectFile = std::string(rest.substr(at + kExpect.size()));
    rest = rest.substr(0, at);
    if (program.expectFile.empty() || program.expectFile.find('/') != std::string::npos) {
      Usage("expect= takes a plain file name");
    }
  }
  program.path = fs::path(std::string(rest));
  if (::access(program.path.c_str(), X_OK) != 0) Usage(program.path.string() + " is not runnable");
  return program;
}

Options ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const auto value = [&]() -> const char* {
      if (i + 1 >= argc) Usage("missing value after " + std::string(arg));
      return argv[++i];
    };
    if (arg == "--runs") {
      options.runs = ParseCount(value(), 1, 1000, "--runs");
    } else if (arg == "--warmup") {
      options.warmup = ParseCount(value(), 0, 100, "--warmup");
    } else if (arg == "--settle-ms") {
      options.settleMs = ParseCount(value(), 0, 60000, "--settle-ms");
    } else if (arg == "--timeout-ms") {
      options.timeoutMs = ParseCount(value(), 100, 600000, "--timeout-ms");
    } else if (arg == "--shots") {
      options.shots = value();
    } else if (arg == "--poll") {
      options.poll = true;
    } else if (arg.starts_with("--")) {
      Usage("unknown option " + std::string(arg));
    } else {
      options.programs.push_back(ParseProgram(arg));
    }
  }
  if (options.programs.empty()) Usage("no program given");
  return options;
}

double MillisecondsBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

double Milliseconds(const timeval& t) {
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3;
}

// The few calls of the damage extension's client library, looked up at run time.
class DamageLibrary {
 public:
  using QueryExtension = int (*)(Display*, int*, int*);
  using QueryVersion = int (*)(Display*, int*, int*);
  using Create = XID (*)(Display*, Drawable, int);
  using Subtract = void (*)(Display*, XID, XID, XID);
  using Destroy = void (*)(Display*, XID);
  static constexpr int kReportNonEmpty = 3;

  DamageLibrary(Display* display, bool wanted) {
    if (!wanted) return;
    handle_ = dlopen("libXdamage.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!handle_) return;
    auto queryExtension = reinterpret_cast<QueryExtension>(dlsym(handle_, "XDamageQueryExtension"));
    auto queryVersion = reinterpret_cast<QueryVersion>(dlsym(handle_, "XDamageQueryVersion"));
    create_ = reinterpret_cast<Create>(dlsym(handle_, "XDamageCreate"));
    subtract_ = reinterpret_cast<Subtract>(dlsym(handle_, "XDamageSubtract"));
    destroy_ = reinterpret_cast<Destroy>(dlsym(handle_, "XDamageDestroy"));
    int errorBase = 0;
    int major = 1;
    int minor = 1;
    if (queryExtension && queryVersion && create_ && subtract_ && destroy_ &&
        queryExtension(display, &eventBase_, &errorBase) && queryVersion(display, &major, &minor)) {
      available_ = true;
    }
  }
  // The library stays loaded: it hooks the display's closing, which comes later.
  ~DamageLibrary() = default;
  DamageLibrary(const DamageLibrary&) = delete;
  DamageLibrary& operator=(const DamageLibrary&) = delete;

  bool available() const { return available_; }
  int notifyEvent() const { return eventBase_; }  // XDamageNotify is the extension's event 0
  XID Watch(Display* display, Window window) const {
    return create_(display, window, kReportNonEmpty);
  }
  void Acknowledge(Display* display, XID damage) const { subtract_(display, damage, None, None); }
  void Forget(Display* display, XID damage) const { destroy_(display, damage); }

 private:
  void* handle_ = nullptr;
  bool available_ = false;
  int eventBase_ = 0;
  Create create_ = nullptr;
  Subtract subtract_ = nullptr;
  Destroy destroy_ = nullptr;
};

// A window can vanish between an event and our request about it; such errors only mean "not
// this one", so they are counted rather than fatal.
int xErrors = 0;
int CountXError(Display*, XErrorEvent*) {
  ++xErrors;
  return 0;
}

class Desktop {
 public:
  Desktop() : display_(XOpenDisplay(nullptr)) {
    if (!display_) throw std::runtime_error("cannot open the X display (is DISPLAY set?)");
    XSetErrorHandler(CountXError);
    root_ = DefaultRootWindow(display_);
    pidAtom_ = XInternAtom(display_, "_NET_WM_PID", False);
    // The programs started here must not inherit our connection.
    fcntl(ConnectionNumber(display_), F_SETFD, FD_CLOEXEC);
    XSelectInput(display_, root_, SubstructureNotifyMask);
    XSync(display_, False);
  }
  ~Desktop() { XCloseDisplay(display_); }
  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;

  Display* get() const { return display_; }
  Window root() const { return root_; }
  int fd() const { return ConnectionNumber(display_); }

  void DropPendingEvents() {
    XSync(display_, False);
    XEvent event;
    while (XPending(display_)) XNextEvent(display_, &event);
  }

  bool IsWindowOf(Window window, pid_t pid) {
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display_, window, &attributes)) return false;
    if (attributes.width < kMinWindowSide || attributes.height < kMinWindowSide) return false;
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display_, window, pidAtom_, 0, 1, False, XA_CARDINAL,
                                          &type, &format, &count, &after, &data);
    bool match = false;
    if (status == Success && data && type == XA_CARDINAL && format == 32 && count == 1) {
      match = static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data)) == pid;
    }
    if (data) XFree(data);
    return match;
  }

  static void SavePicture(XImage* image, const fs::path& file) {
    const auto channel = [](unsigned long pixel, unsigned long mask) {
      if (mask == 0) return 0UL;
      int shift = 0;
      while (!((mask >> shift) & 1)) ++shift;
      const unsigned long top = mask >> shift;
      return ((pixel & mask) >> shift) * 255 / top;
    };
    std::ofstream out(file, std::ios::binary);
    out << "P6\n" << image->width << ' ' << image->height << "\n255\n";
    for (int y = 0; y < image->height; ++y) {
      for (int x = 0; x < image->width; ++x) {
        const unsigned long pixel = XGetPixel(image, x, y);
        const char rgb[3] = {static_cast<char>(channel(pixel, image->red_mask)),
                             static_cast<char>(channel(pixel, image->green_mask)),
                             static_cast<char>(channel(pixel, image->blue_mask))};
        out.write(rgb, 3);
      }
    }
  }

  // True once the window shows more than a single colour; the frame that first does is written
  // to saveAs as a PPM picture when that is given.
  bool IsPainted(Window window, const fs::path& saveAs = {}) {
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display_, window, &attributes)) return false;
    XImage* image = XGetImage(display_, window, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (!image) return false;
    bool varied = false;
    if (image->bits_per_pixel == 32) {
      const std::uint32_t mask =
          static_cast<std::uint32_t>(image->red_mask | image->green_mask | image->blue_mask);
      std::uint32_t first = 0;
      std::memcpy(&first, image->data, sizeof first);
      first &= mask;
      for (int y = 0; y < image->height && !varied; ++y) {
        const char* row = image->data + static_cast<std::ptrdiff_t>(y) * image->bytes_per_line;
        for (int x = 0; x < image->width; ++x) {
          std::uint32_t pixel = 0;
          std::memcpy(&pixel, row + 4 * x, sizeof pixel);
          if ((pixel & mask) != first) {
            varied = true;
            break;
          }
        }
      }
    } else {
      const unsigned long first = XGetPixel(image, 0, 0);
      for (int y = 0; y < image->height && !varied; ++y) {
        for (int x = 0; x < image->width; ++x) {
          if (XGetPixel(image, x, y) != first) {
            varied = true;
            break;
          }
        }
      }
    }
    if (varied && !saveAs.empty()) SavePicture(image, saveAs);
    XDestroyImage(image);
    return varied;
  }

 private:
  Display* display_;
  Window root_ = None;
  Atom pidAtom_ = None;
};

// A temporary folder that goes away with everything in it.
class RunFolder {
 public:
  RunFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/tiramon-perf.XXXXXX";
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
  }
  ~RunFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  RunFolder(const RunFolder&) = delete;
  RunFolder& operator=(const RunFolder&) = delete;
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

std::string Tail(const fs::path& file, std::size_t bytes) {
  std::ifstream in(file, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return text.size() > bytes ? text.substr(text.size() - bytes) : text;
}

pid_t Start(const fs::path& program, const fs::path& folder, const fs::path& log) {
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    if (chdir(folder.c_str()) == 0) {
      const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (out >= 0) {
        dup2(out, STDOUT_FILENO);
        dup2(out, STDERR_FILENO);
        close(out);
      }
      execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    }
    _exit(127);
  }
  return pid;
}

// Ends the child with SIGTERM (SIGKILL if it lingers) and returns its resource use.
rusage Stop(pid_t pid) {
  kill(pid, SIGTERM);
  rusage usage{};
  int status = 0;
  const auto giveUp = Clock::now() + kExitGrace;
  while (wait4(pid, &status, WNOHANG, &usage) == 0) {
    if (Clock::now() > giveUp) {
      kill(pid, SIGKILL);
      wait4(pid, &status, 0, &usage);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return usage;
}

class Probe {
 public:
  explicit Probe(const Options& options)
      : options_(options), damage_(desktop_.get(), !options.poll) {}

  bool usesDamage() const { return damage_.available(); }

  Sample Run(const Program& program, const std::string& label) {
    RunFolder folder;
    const fs::path copy = folder.path() / program.path.filename();
    fs::copy_file(program.path, copy);
    fs::permissions(copy, fs::perms::owner_all, fs::perm_options::add);
    const fs::path log = folder.path() / "output.log";

    desktop_.DropPendingEvents();
    const Clock::time_point start = Clock::now();
    const pid_t pid = Start(copy, folder.path(), log);
    std::optional<Sample> sample;
    std::string failure;
    try {
      const fs::path picture = options_.shots.empty()
                                   ? fs::path()
                                   : options_.shots / (program.name + "-" + label + ".ppm");
      sample = WaitForPaint(pid, start, picture);
    } catch (const std::exception& e) {
      failure = e.what();
    }
    if (sample && options_.settleMs > 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(options_.settleMs));
    }
    const rusage usage = Stop(pid);
    desktop_.DropPendingEvents();
    if (!sample) {
      throw std::runtime_error(program.name + ": " + failure + "; its output:\n" + Tail(log, 2000));
    }
    if (!program.expectFile.empty()) {
      std::error_code error;
      const auto size = fs::file_size(folder.path() / program.expectFile, error);
      if (error || size == 0) {
        throw std::runtime_error(program.name + " did not write " + program.expectFile +
                                 "; its output:\n" + Tail(log, 2000));
      }
    }
    sample->cpuMs = Milliseconds(usage.ru_utime) + Milliseconds(usage.ru_stime);
    sample->maxRssKiB = static_cast<double>(usage.ru_maxrss);
    return *sample;
  }

 private:
  Sample WaitForPaint(pid_t pid, Clock::time_point start, const fs::path& picture) {
    Display* x = desktop_.get();
    const auto deadline = start + std::chrono::milliseconds(options_.timeoutMs);
    Window window = None;
    XID damage = None;
    Sample sample;
    const auto painted = [&] {
      sample.paintedMs = MillisecondsBetween(start, Clock::now());
      if (damage != None) damage_.Forget(x, damage);
      XSync(x, False);
      return sample;
    };
    for (;;) {
      while (XPending(x)) {
        XEvent event;
        XNextEvent(x, &event);
        if (window == None && event.type == MapNotify && event.xmap.event == desktop_.root() &&
            desktop_.IsWindowOf(event.xmap.window, pid)) {
          window = event.xmap.window;
          sample.mappedMs = MillisecondsBetween(start, Clock::now());
          if (damage_.available()) damage = damage_.Watch(x, window);
          // It may have been drawn already before the watch began.
          if (desktop_.IsPainted(window, picture)) return painted();
        } else if (window != None && damage != None && event.type == damage_.notifyEvent()) {
          damage_.Acknowledge(x, damage);
          if (desktop_.IsPainted(window, picture)) return painted();
        }
      }
      if (window != None && damage == None && desktop_.IsPainted(window, picture)) return painted();

      int status = 0;
      if (waitpid(pid, &status, WNOHANG) == pid) {
        throw std::runtime_error(WIFEXITED(status)
                                     ? "exited with " + std::to_string(WEXITSTATUS(status)) +
                                           " before its window was painted"
                                     : "died before its window was painted");
      }
      if (Clock::now() > deadline) {
        throw std::runtime_error(window == None ? "no window was mapped in time"
                                                : "the window was not painted in time");
      }
      pollfd wait{desktop_.fd(), POLLIN, 0};
      const int ms = window != None && damage == None
                         ? static_cast<int>(kPollInterval.count())
                         : 20;  // wakes up now and then to notice a child that died
      poll(&wait, 1, ms);
    }
  }

  const Options& options_;
  Desktop desktop_;
  DamageLibrary damage_;
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Figure {
  const char* name;
  double Sample::*field;
};
constexpr Figure kFigures[] = {{"painted_ms", &Sample::paintedMs},
                               {"mapped_ms", &Sample::mappedMs},
                               {"cpu_ms", &Sample::cpuMs},
                               {"maxrss_kib", &Sample::maxRssKiB}};

std::vector<double> Column(const std::vector<Sample>& samples, double Sample::*field) {
  std::vector<double> values;
  for (const Sample& s : samples) values.push_back(s.*field);
  return values;
}

int Main(int argc, char** argv) {
  const Options options = ParseOptions(argc, argv);
  if (!options.shots.empty()) fs::create_directories(options.shots);
  Probe probe(options);
  std::printf("first paint detected by %s\n",
              probe.usesDamage() ? "damage reports on the window" : "polling the window's pixels");
  std::vector<std::vector<Sample>> samples(options.programs.size());
  for (int run = -options.warmup; run < options.runs; ++run) {
    for (std::size_t p = 0; p < options.programs.size(); ++p) {
      const Program& program = options.programs[p];
      const std::string label =
          run < 0 ? "warmup" + std::to_string(run + options.warmup + 1) : std::to_string(run + 1);
      const Sample s = probe.Run(program, label);
      std::printf("%s %d %s: mapped %.1f ms, painted %.1f ms, cpu %.1f ms, max rss %.0f KiB\n",
                  run < 0 ? "warm-up" : "run", run < 0 ? run + options.warmup + 1 : run + 1,
                  program.name.c_str(), s.mappedMs, s.paintedMs, s.cpuMs, s.maxRssKiB);
      std::fflush(stdout);
      if (run >= 0) samples[p].push_back(s);
    }
  }
  for (std::size_t p = 0; p < options.programs.size(); ++p) {
    for (const Figure& figure : kFigures) {
      const std::vector<double> values = Column(samples[p], figure.field);
      std::printf("summary %s %s median=%.1f min=%.1f max=%.1f runs=%zu\n",
                  options.programs[p].name.c_str(), figure.name, Median(values),
                  *std::min_element(values.begin(), values.end()),
                  *std::max_element(values.begin(), values.end()), values.size());
    }
  }
  if (options.programs.size() >= 2) {
    std::printf("ratio %s/%s", options.programs[0].name.c_str(), options.programs[1].name.c_str());
    for (const Figure& figure : kFigures) {
      const double ours = Median(Column(samples[0], figure.field));
      const double peer = Median(Column(samples[1], figure.field));
      std::printf(" %s=%.2f", figure.name, peer > 0 ? ours / peer : 0.0);
    }
    std::printf("\n");
  }
  return 0;
}

}  // namespace
}  // namespace tiramon::perf

int main(int argc, char** argv) {
  try {
    return tiramon::perf::Main(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "startup_probe: %s\n", e.what());
    return 1;
  }
}
