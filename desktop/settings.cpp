#include "desktop/settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <chrono>
#include <cstdint>

#include "app/settings_rules.h"
#include "support/files.h"

namespace tiramon::desktop {

QString SettingsPath() {
  QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (base.isEmpty() || !QDir::isAbsolutePath(base)) base = QDir::homePath() + "/.config";
  return base + "/tiramon/tiramon.conf";
}

namespace {

// The file as it is now: missing, unreadable, malformed (Qt would mangle it), or its values.
StoredSettings ReadStored(const QString& path) {
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
  return stored;
}

}  // namespace

void LoadSettings(const QString& path, Environment& environment) {
  ApplySettings(ReadStored(path), environment);
}

std::string SaveSettings(const QString& path, const Environment& environment) {
  if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
    return SaveFaultText(SaveFault::NoFolder, path.toStdString());
  }
  // What the file holds now decides what the save changes, so it is read again: the user may
  // have edited it since the start.
  StoredSettings stored = ReadStored(path);
  std::string keptAside;
  switch (stored.state) {
    case StoredSettings::State::Unreadable:
      // Written over, whatever the file holds would be lost.
      return SaveFaultText(SaveFault::NoAccess, path.toStdString());
    case StoredSettings::State::Malformed:
      // Qt would write the new values into the damaged text; the user's file is kept instead.
      try {
        keptAside = KeepDamagedSettingsAside(path.toStdString(), std::chrono::system_clock::now());
      } catch (const InOutError& error) {
        return NotKeptAsideText(path.toStdString(), error.what());
      }
      stored = StoredSettings{};
      break;
    case StoredSettings::State::Missing:
    case StoredSettings::State::Read:
      break;
  }
  const std::string done = keptAside.empty() ? "" : KeptAsideText(keptAside);
  const SettingsChange change = SettingsChangeFor(stored, environment);
  if (change.empty()) return done;

  QSettings settings(path, QSettings::IniFormat);
  for (const std::string& section : change.emptiedSections) {
    settings.remove(QString::fromStdString(section));
  }
  for (const auto& [key, value] : change.values) {
    settings.setValue(QString::fromStdString(key), QString::fromStdString(value));
  }
  settings.sync();
  switch (settings.status()) {
    case QSettings::NoError:
      return done;
    case QSettings::AccessError:
      return SaveFaultText(SaveFault::NoAccess, path.toStdString());
    case QSettings::FormatError:
      break;
  }
  return SaveFaultText(SaveFault::Damaged, path.toStdString());
}

}  // namespace tiramon::desktop
