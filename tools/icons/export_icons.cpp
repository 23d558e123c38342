// Renders the program's icon, which is drawn in code, into the PNG files of an icon theme:
//   tiramon_icons_export <theme-folder> <size>...
// writes <theme-folder>/<size>x<size>/apps/tiramon.png for every size. Runs at build time, so it
// needs no display: start it with QT_QPA_PLATFORM=offscreen.
#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <cstdio>

#include "desktop/artwork.h"

int main(int argc, char* argv[]) {
  QGuiApplication app(argc, argv);
  const QStringList args = QGuiApplication::arguments();
  if (args.size() < 3) {
    std::fprintf(stderr, "usage: tiramon_icons_export <theme-folder> <size>...\n");
    return 2;
  }
  const QIcon icon = tiramon::desktop::ApplicationIcon();
  for (qsizetype i = 2; i < args.size(); ++i) {
    bool isNumber = false;
    const int size = args[i].toInt(&isNumber);
    if (!isNumber || size < 1 || size > 1024) {
      std::fprintf(stderr, "tiramon_icons_export: bad size %s\n", qPrintable(args[i]));
      return 2;
    }
    // The icon holds a picture drawn for each theme size; one scaled from another size would be
    // blurred, so a size it does not hold is an error rather than a silent resample.
    const QPixmap pixmap = icon.pixmap(QSize(size, size), 1.0);
    if (pixmap.size() != QSize(size, size) || !icon.availableSizes().contains(QSize(size, size))) {
      std::fprintf(stderr, "tiramon_icons_export: the icon has no %dx%d picture\n", size, size);
      return 1;
    }
    const QString folder = QString("%1/%2x%2/apps").arg(args[1]).arg(size);
    const QString file = folder + "/tiramon.png";
    if (!QDir().mkpath(folder) || !pixmap.save(file, "PNG")) {
      std::fprintf(stderr, "tiramon_icons_export: cannot write %s\n", qPrintable(file));
      return 1;
    }
  }
  return 0;
}
