#include "desktop/settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <cstdint>

#include "app/settings_rules.h"

namespace tiramon::desktop {

QString SettingsPath() {
  QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (base.isEmpty() || !QDir::isAbsolutePath(base)) base = QDir::homePath() + "/.config";
  return base + "/tiramon/tiramon.conf";
}

void LoadSettings(const QString& path, Environment& environment) {
  StoredSettings stored;
  const QFileInfo info(path);
  QFile file(path);
  if (!info.exists()) {
    stored.state = StoredSettings::State::Missing;
  } else if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
    stored.state = StoredSettings::State::Unreadable;
  } else {
    // No settings file is a megabyte long; a larger one is not ours.
    const QByteArray bytes = file.read(std::int64_t{1} << 20);
    const QSettings settings(path, QSettings::IniFormat);
    if (!file.atEnd() || !WellFormedSettings(bytes.toStdString()) ||
        settings.status() != QSettings::NoError) {
      stored.state = StoredSettings::State::Malformed;
    } else {
      stored.state = StoredSettings::State::Read;
      for (const QString& key : settings.allKeys()) {
        stored.values[key.toStdString()] = settings.value(key).toString().toStdString();
      }
    }
  }
  ApplySettings(stored, environment);
}

std::string SaveSettings(const QString& path, const Environment& environment) {
  if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
    return SaveFaultText(SaveFault::NoFolder, path.toStdString());
  }
  QSettings settings(path, QSettings::IniFormat);
  settings.remove(kBrokerSection);
  for (const auto& [key, value] : SettingsToStore(environment)) {
    settings.setValue(QString::fromStdString(key), QString::fromStdString(value));
  }
  settings.sync();
  switch (settings.status()) {
    case QSettings::NoError:
      return {};
    case QSettings::AccessError:
      return SaveFaultText(SaveFault::NoAccess, path.toStdString());
    case QSettings::FormatError:
      break;
  }
  return SaveFaultText(SaveFault::Damaged, path.toStdString());
}

}  // namespace tiramon::desktop
