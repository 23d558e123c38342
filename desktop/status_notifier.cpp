#include "desktop/status_notifier.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QVariant>

namespace tiramon::desktop {

bool StatusNotifierHostRegistered() {
  const char* const kWatcher = "org.kde.StatusNotifierWatcher";
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || bus.interface() == nullptr) return false;
  if (!bus.interface()->isServiceRegistered(kWatcher).value()) return false;
  QDBusInterface watcher(kWatcher, "/StatusNotifierWatcher", kWatcher, bus);
  return watcher.isValid() && watcher.property("IsStatusNotifierHostRegistered").toBool();
}

}  // namespace tiramon::desktop
