// Pictures drawn in code: the program's icon (window and tray), the two quote-availability
// marks of the status bar and the copy buttons' icon.
#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <future>
#include <map>
#include <optional>
#include <thread>
#include <vector>

namespace tiramon::desktop {

QIcon ApplicationIcon();

// What the window's first paint shows beyond its widgets, the About pictures and the program
// icon, made on a thread of its own from the moment it is created; the thread then loads Qt's
// image format plugins, which the style's pictures need. Building the widgets keeps the main
// thread busy meanwhile, so on a second core this costs the first paint nothing. Destroying it
// waits for the thread.
class ArtworkInAdvance {
 public:
  explicit ArtworkInAdvance(std::vector<QString> jpegResources);
  ~ArtworkInAdvance();
  ArtworkInAdvance(const ArtworkInAdvance&) = delete;
  ArtworkInAdvance& operator=(const ArtworkInAdvance&) = delete;

  // The decoded JPEG; a null image when the resource is missing or no JPEG. A resource not
  // given at creation, or asked for a second time, is decoded now.
  QImage Picture(const QString& resource);
  // The same icon as ApplicationIcon(); call it on the GUI thread.
  QIcon ApplicationIcon();

 private:
  struct Made {
    std::map<QString, QImage> pictures;
    std::vector<QImage> iconSizes;
  };
  Made& Ready();

  std::promise<Made> promise_;
  std::future<Made> making_ = promise_.get_future();
  std::optional<Made> made_;
  std::thread worker_;  // last: it starts once the members it uses exist
};

// 16 x 16; 0: quotes available (a green tick), 1: unavailable (a red cross).
QPixmap IndicatorPicture(int index);
// Two overlapping pages of our own: the copy icon where the desktop theme has none.
QIcon DrawnCopyIcon();
// The desktop theme's "edit-copy", or `fallback` where the theme has none. The first lookup
// reads the theme's index (some 5 ms).
QIcon CopyIcon(const QIcon& fallback);

}  // namespace tiramon::desktop
