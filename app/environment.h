// What the window model needs from the world around it: where its files live, where it fetches
// quotes from, and the few platform services a handler may call. Environment{} is valid: it
// gives the build's addresses and callbacks that do nothing, which is what tests start from.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace tiramon {

struct Environment {
  std::filesystem::path programFolder;  // news.txt and kotirovki.dat live here
  std::string statusUrl;                // empty: the build's configured address
  std::string quotesUrl;                // empty: the build's configured address

  // Runs pending window events; false when the user has chosen to quit, so whatever waits
  // stops waiting.
  std::function<bool()> processEvents;
  std::function<void(const std::string&)> copyToClipboard;  // put plain text on the clipboard
  std::function<void(const std::string&)> openWebPage;      // open in the default browser

  // The main window as the tray sees it.
  std::function<bool()> isMainWindowVisible;
  std::function<void()> hideMainWindow;
  std::function<void()> showMainWindow;
  std::function<void()> quitApplication;  // ends the event loop, exit code 0
};

}  // namespace tiramon
