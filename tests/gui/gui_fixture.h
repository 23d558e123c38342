// One fixture for every desktop test: the real window on a temporary program folder, the error
// box read through its hook, web pages and clipboard captured, and a watchdog that fails the test
// if a modal box ever appears.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "desktop/error_box.h"
#include "desktop/main_window.h"
#include "desktop/settings.h"
#include "support/numtext.h"

namespace tiramon::desktop {

class GuiTest : public ::testing::Test {
 protected:
  // Addresses where nothing listens: the refresh falls back to the cache at once.
  static constexpr const char* kDeadStatusUrl = "http://127.0.0.1:9/down/news.txt";
  static constexpr const char* kDeadQuotesUrl =
      "http://127.0.0.1:9/quotes/streaming-forex-rates-%E2%80%93-majors";

  void SetUp() override {
    DecimalMark = '.';
    folder_ = std::filesystem::temp_directory_path() /
              ("tiramon-gui-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    SetErrorBoxHook([this](const std::string& text) { errors_.push_back(text); });
    watchdog_.setInterval(50);
    QObject::connect(&watchdog_, &QTimer::timeout, [] {
      if (QWidget* modal = QApplication::activeModalWidget()) {
        ADD_FAILURE() << "a modal window appeared: " << modal->windowTitle().toStdString();
        modal->close();
      }
    });
    watchdog_.start();
  }

  void TearDown() override {
    window_.reset();
    watchdog_.stop();
    SetErrorBoxHook({});
    std::filesystem::remove_all(folder_);
  }

  Environment MakeEnvironment() {
    Environment environment;
    environment.programFolder = folder_;
    environment.statusUrl = kDeadStatusUrl;
    environment.quotesUrl = kDeadQuotesUrl;
    environment.openWebPage = [this](const std::string& url) { openedPages_.push_back(url); };
    return environment;
  }

  // Creates the window; shown runs the first-show sequence as the program's start does.
  MainWindow& Open(bool shown = true, TrayMode tray = TrayMode::Enabled) {
    window_ = std::make_unique<MainWindow>(MakeEnvironment(), tray);
    if (shown) {
      window_->show();
      EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    }
    return *window_;
  }

  // The sample quotes page of the test data, 40 pairs among ordinary HTML.
  static std::string SamplePage() {
    std::ifstream page(std::string(TIRAMON_TEST_DATA) + "/quotes_majors.html", std::ios::binary);
    EXPECT_TRUE(page.good());
    return std::string(std::istreambuf_iterator<char>(page), {});
  }

  void WriteCache(const std::string& page) {
    std::ofstream(folder_ / "kotirovki.dat", std::ios::binary) << page;
  }

  QString SettingsFile() {
    return QString::fromStdString((folder_ / "config/tiramon.conf").string());
  }

  // The window as the program starts it: the settings file read, and written on a change; the
  // tab `tab` in front.
  MainWindow& StartWithSettings(int tab) {
    Environment environment = MakeEnvironment();
    const QString path = SettingsFile();
    LoadSettings(path, environment);
    environment.saveSettings = [path](const Environment& changed) {
      return SaveSettings(path, changed);
    };
    window_ = std::make_unique<MainWindow>(environment, TrayMode::Enabled);
    window_->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    Activate(window_.get());
    Find<QTabWidget>("PageControl1")->setCurrentIndex(tab);
    return *window_;
  }

  // Offscreen, a window shown or left by a closing list is not made active; a person's next
  // click into it would be.
  void Activate(QWidget* window) {
    window->windowHandle()->requestActivate();
    EXPECT_TRUE(QTest::qWaitFor([window] { return QApplication::activeWindow() == window; }));
  }

  // A widget by name, wherever it is: the tabs not opened yet are built first if need be.
  template <class W>
  W* Find(const char* name) {
    W* widget = window_->findChild<W*>(name);
    if (!widget) {
      window_->BuildEveryPage();
      widget = window_->findChild<W*>(name);
    }
    EXPECT_NE(widget, nullptr) << "no widget named " << name;
    return widget;
  }

  std::filesystem::path folder_;
  std::unique_ptr<MainWindow> window_;
  std::vector<std::string> errors_;
  std::vector<std::string> openedPages_;
  QTimer watchdog_;
};

}  // namespace tiramon::desktop
