// Two timings of the real window on the offscreen platform, each from the user's action to the
// end of the repaint it causes:
//   keystroke  a digit typed into the assistant's deposit box (focused by a click), to the
//              repaint of the loss label it recalculates; next to the same keystroke in a bare
//              QLineEdit, which is what typing costs Qt itself;
//   scroll     one page down in the quote table, to the repaint of the table; with the 320,000
//              rows of the large page next to the same scroll with the 40 rows of a usual page.
//
//   gui_bench [--keys N] [--pages N]
//
// Prints per figure "figure NAME median_ms=.. max_ms=.. peer_ms=.." lines for scripts/perf.
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyle>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "desktop/error_box.h"
#include "desktop/main_window.h"
#include "desktop/window_style.h"
#include "support/numtext.h"
#include "tools/quote_feed/quote_book.h"

namespace tiramon::desktop {
namespace {

namespace fs = std::filesystem;

// Notes the paint events a widget receives.
class PaintWatch : public QObject {
 public:
  explicit PaintWatch(QWidget* widget) : widget_(widget) { widget->installEventFilter(this); }
  bool painted = false;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == widget_ && event->type() == QEvent::Paint) painted = true;
    return false;
  }

 private:
  QWidget* widget_;
};

// Runs the event loop until `watch` has seen a paint and the loop is idle again; milliseconds
// since `timer` started.
double UntilPainted(PaintWatch& watch, const QElapsedTimer& timer) {
  for (int i = 0; i < 1000 && !watch.painted; ++i) {
    QApplication::processEvents(QEventLoop::AllEvents);
    if (!watch.painted) QApplication::sendPostedEvents();
  }
  QApplication::processEvents();
  return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Folder {
  Folder() {
    path = fs::temp_directory_path() / ("tiramon-gui-bench-" + std::to_string(::getpid()));
    fs::create_directories(path);
  }
  ~Folder() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
  fs::path path;
};

std::unique_ptr<MainWindow> OpenWithCache(const fs::path& folder, const std::string& page) {
  std::ofstream(folder / "kotirovki.dat", std::ios::binary) << page;
  Environment environment;
  environment.programFolder = folder;
  // Nothing listens here: the refresh falls back to the cache at once.
  environment.statusUrl = "http://127.0.0.1:9/down/news.txt";
  environment.quotesUrl = "http://127.0.0.1:9/quotes/streaming-forex-rates-%E2%80%93-majors";
  auto window = std::make_unique<MainWindow>(environment, TrayMode::Enabled);
  window->show();
  window->activateWindow();
  if (!QTest::qWaitForWindowExposed(window.get()) || !QTest::qWaitForWindowActive(window.get())) {
    std::fprintf(stderr, "gui_bench: the window did not become active\n");
  }
  return window;
}

// A digit at a time into the focused line edit, each timed to the repaint of `shows`.
std::vector<double> TimeKeys(QLineEdit* edit, QWidget* shows, int keys) {
  QTest::mouseClick(edit, Qt::LeftButton);
  QTest::keyClick(edit, Qt::Key_End);
  std::vector<double> times;
  for (int i = 0; i < keys; ++i) {
    const bool shorten = i % 2 == 1;  // type a digit, then take it back: the text stays short
    PaintWatch watch(shows);
    QElapsedTimer timer;
    timer.start();
    QTest::keyClick(static_cast<QWidget*>(nullptr), shorten ? Qt::Key_Backspace : Qt::Key_5);
    times.push_back(UntilPainted(watch, timer));
  }
  return times;
}

std::vector<double> TimePages(QTableView* table, int pages) {
  QScrollBar* bar = table->verticalScrollBar();
  std::vector<double> times;
  for (int i = 0; i < pages; ++i) {
    PaintWatch watch(table->viewport());
    QElapsedTimer timer;
    timer.start();
    QTest::keyClick(table, Qt::Key_PageDown);
    if (bar->value() == bar->maximum()) bar->setValue(0);
    times.push_back(UntilPainted(watch, timer));
  }
  return times;
}

void Print(const char* name, const std::vector<double>& ours, const std::vector<double>& peer) {
  std::printf("figure %s median_ms=%.3f max_ms=%.3f peer_median_ms=%.3f ratio=%.2f runs=%zu\n",
              name, Median(ours), ours.empty() ? 0.0 : *std::max_element(ours.begin(), ours.end()),
              Median(peer), Median(peer) > 0 ? Median(ours) / Median(peer) : 0.0, ours.size());
}

// Keys into a line edit alone in a window, drawn in `style` (the application's when null).
std::vector<double> TimeBareKeys(QStyle* style, int keys) {
  QWidget bare;
  bare.resize(300, 80);
  auto* edit = new QLineEdit(&bare);
  if (style) {
    bare.setStyle(style);
    edit->setStyle(style);
  }
  edit->setGeometry(10, 10, 200, 24);
  edit->setText("100");
  bare.show();
  bare.activateWindow();
  if (!QTest::qWaitForWindowExposed(&bare) || !QTest::qWaitForWindowActive(&bare)) {
    std::fprintf(stderr, "gui_bench: the bare window did not become active\n");
  }
  return TimeKeys(edit, edit, keys);
}

int Run(int keys, int pages) {
  SetErrorBoxHook([](const std::string& text) {
    std::fprintf(stderr, "gui_bench: error box: %s\n", text.c_str());
  });
  feed::QuoteBook book(1);
  const std::string usualPage = book.Page(300 * 1024);
  const std::string largePage = book.LargePage(320000);

  std::vector<double> keyTimes;
  std::vector<double> usualPages;
  std::vector<double> largePages;
  {
    Folder folder;
    auto window = OpenWithCache(folder.path, usualPage);
    auto* tabs = window->findChild<QTabWidget*>("PageControl1");
    tabs->setCurrentIndex(2);
    QApplication::processEvents();
    keyTimes = TimeKeys(window->findChild<QLineEdit*>("Edit_Deposit"),
                        window->findChild<QLabel*>("Label_Loss"), keys);
    tabs->setCurrentIndex(1);
    QApplication::processEvents();
    usualPages = TimePages(window->findChild<QTableView*>("ListView1"), pages);
  }
  {
    Folder folder;
    auto window = OpenWithCache(folder.path, largePage);
    window->findChild<QTabWidget*>("PageControl1")->setCurrentIndex(1);
    QApplication::processEvents();
    auto* table = window->findChild<QTableView*>("ListView1");
    if (table->model()->rowCount() != 320000) {
      std::fprintf(stderr, "gui_bench: the large page gave %d rows\n", table->model()->rowCount());
      return 1;
    }
    largePages = TimePages(table, pages);
  }
  // The peer is Qt's own line edit in Qt's own style; the same box in the program's style is
  // timed too, so that what the style saves every box is visible beside what the window does.
  std::unique_ptr<QStyle> qtStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  const std::vector<double> bareKeys = TimeBareKeys(qtStyle.get(), keys);
  const std::vector<double> bareOurStyle = TimeBareKeys(nullptr, keys);
  Print("keystroke_to_repaint", keyTimes, bareKeys);
  Print("keystroke_bare_in_program_style", bareOurStyle, bareKeys);
  Print("scroll_page_320000_rows", largePages, usualPages);
  return 0;
}

}  // namespace
}  // namespace tiramon::desktop

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  tiramon::desktop::InstallWindowStyle();
  std::setlocale(LC_NUMERIC, "C");
  tiramon::DecimalMark = '.';
  int keys = 100;
  int pages = 100;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--keys") keys = std::atoi(argv[i + 1]);
    if (option == "--pages") pages = std::atoi(argv[i + 1]);
  }
  return tiramon::desktop::Run(std::max(keys, 1), std::max(pages, 1));
}
