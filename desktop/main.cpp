// Tiramon: a forex calculator that lives in the notification area.
#include <fontconfig/fontconfig.h>

#include <QApplication>
#include <QDir>
#include <clocale>
#include <thread>

#include "app/bundled_rates.h"
#include "app/program_folder.h"
#include "desktop/main_window.h"
#include "desktop/settings.h"
#include "desktop/single_instance.h"
#include "desktop/window_style.h"
#include "support/numtext.h"

int main(int argc, char* argv[]) {
  // The font configuration takes milliseconds to read, and the first text the window lays out
  // waits for it: a second core reads it while Qt connects to the display.
  const std::jthread fontConfiguration([] { FcInit(); });
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(tiramon::kApplicationTitle));
  QGuiApplication::setDesktopFileName("tiramon");
  // Hidden is not closed: the program keeps running in the tray until "Выход".
  QApplication::setQuitOnLastWindowClosed(false);
  // A start while the program runs (perhaps in a tray no panel shows any more) brings that
  // copy's window forward instead of opening a second one.
  tiramon::desktop::SingleInstance instance;
  if (instance.handedOver()) return 0;
  tiramon::desktop::InstallWindowStyle();

  // Number texts start with the user's separators, as the first show expects to replace them.
  std::setlocale(LC_NUMERIC, "");
  tiramon::LoadLocaleMarks();
  std::setlocale(LC_NUMERIC, "C");

  tiramon::Environment environment;
  const std::string executableFolder =
      QDir(QApplication::applicationDirPath()).absolutePath().toStdString();
  environment.programFolder = tiramon::ChooseProgramFolder(executableFolder);
  environment.bundledRates = tiramon::FindBundledRates(executableFolder);
  const QString settingsPath = tiramon::desktop::SettingsPath();
  tiramon::desktop::LoadSettings(settingsPath, environment);
  environment.saveSettings = [settingsPath](const tiramon::Environment& changed) {
    return tiramon::desktop::SaveSettings(settingsPath, changed);
  };
  tiramon::desktop::MainWindow window(std::move(environment));
  QObject::connect(&instance, &tiramon::desktop::SingleInstance::activationRequested, &window,
                   &tiramon::desktop::MainWindow::BringForward);
  window.show();
  // "Выход" may be chosen from the tray while the first show waits for the status file, before
  // there is an event loop to end.
  if (window.quitRequested()) return 0;
  return QApplication::exec();
}
