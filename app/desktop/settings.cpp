#include "app/desktop/settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <cstdint>

#include "app/broker_conditions.h"
#include "app/build_config.h"
#include "support/errors.h"

namespace tiramon::desktop {
namespace {

constexpr const char* kSourceKey = "quotes/source";
constexpr const char* kStatusUrlKey = "quotes/statusUrl";
constexpr const char* kPageUrlKey = "quotes/pageUrl";
constexpr const char* kEcbUrlKey = "quotes/ecbUrl";
constexpr const char* kCbrUrlKey = "quotes/cbrUrl";
constexpr const char* kBrokerGroup = "broker";

// The broker's keys, each with its text in BrokerTexts.
struct BrokerKey {
  const char* key;
  std::string BrokerTexts::*text;
};
constexpr BrokerKey kBrokerKeys[] = {
    {"broker/accountCurrency", &BrokerTexts::accountCurrency},
    {"broker/commissionPerLot", &BrokerTexts::commissionPerLot},
    {"broker/lotStep", &BrokerTexts::lotStep},
    {"broker/minLot", &BrokerTexts::minLot},
    {"broker/maxLot", &BrokerTexts::maxLot},
    {"broker/stopOutLevel", &BrokerTexts::stopOutLevel},
};

// The broker's conditions from the file: the ones it names, checked as the dialog checks them. A
// value the program cannot use leaves all of them at their defaults, since they only make sense
// together (a minimum lot beside its maximum); the note says which.
void LoadBroker(const QSettings& settings, Environment& environment, QStringList& wrong) {
  BrokerTexts texts;
  for (const BrokerKey& key : kBrokerKeys) {
    if (settings.contains(key.key))
      texts.*key.text = settings.value(key.key).toString().toStdString();
  }
  try {
    environment.broker = ParseBrokerConditions(texts);
  } catch (const UserError& error) {
    environment.broker = BrokerConditions{};
    wrong << QString::fromStdString("условия брокера (" + std::string(error.what()) + ")");
  }
}

const char* SourceName(QuoteSource source) {
  return source == QuoteSource::OfficialRates ? "official" : "page";
}

QuoteSource BuildDefaultSource() {
  return std::string(build::kQuoteSource) == "official" ? QuoteSource::OfficialRates
                                                        : QuoteSource::Page;
}

bool LooksLikeUrl(const QString& text) {
  if (!(text.startsWith("http://") || text.startsWith("https://"))) return false;
  for (const QChar c : text) {
    if (c.unicode() <= ' ' || c.unicode() == 0x7f) return false;
  }
  return text.size() < 2000;
}

// Every line an INI file may hold: blank, a comment, a [section] or a key=value pair. Qt skips
// lines it cannot read; a file with such lines was not written by us or got damaged, and is not
// trusted in part.
bool WellFormed(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray bytes = file.read(std::int64_t{1} << 20);
  if (!file.atEnd() || bytes.contains('\0')) return false;
  for (const QByteArray& raw : bytes.split('\n')) {
    const QByteArray line = raw.trimmed();
    if (line.isEmpty() || line.startsWith(';') || line.startsWith('#')) continue;
    if (line.startsWith('[') && line.endsWith(']')) continue;
    if (line.indexOf('=') > 0) continue;
    return false;
  }
  return true;
}

}  // namespace

QString SettingsPath() {
  QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (base.isEmpty() || !QDir::isAbsolutePath(base)) base = QDir::homePath() + "/.config";
  return base + "/tiramon/tiramon.conf";
}

void LoadSettings(const QString& path, Environment& environment) {
  environment.quoteSource = BuildDefaultSource();
  const QFileInfo info(path);
  if (!info.exists()) return;  // a fresh install: the defaults, nothing to say
  if (!info.isFile() || !info.isReadable()) {
    environment.settingsNote = "Файл настроек не читается, взяты исходные настройки";
    return;
  }
  if (!WellFormed(path)) {
    environment.settingsNote = "Файл настроек повреждён, взяты исходные настройки";
    return;
  }
  const QSettings settings(path, QSettings::IniFormat);
  if (settings.status() != QSettings::NoError) {
    environment.settingsNote = "Файл настроек повреждён, взяты исходные настройки";
    return;
  }
  QStringList wrong;
  if (settings.contains(kSourceKey)) {
    const QString source = settings.value(kSourceKey).toString();
    if (source == "official") {
      environment.quoteSource = QuoteSource::OfficialRates;
    } else if (source == "page") {
      environment.quoteSource = QuoteSource::Page;
    } else {
      wrong << "источник";
    }
  }
  const struct {
    const char* key;
    std::string Environment::*field;
    const char* what;
  } urls[] = {{kStatusUrlKey, &Environment::statusUrl, "адрес файла статуса"},
              {kPageUrlKey, &Environment::quotesUrl, "адрес страницы"},
              {kEcbUrlKey, &Environment::ecbUrl, "адрес ЕЦБ"},
              {kCbrUrlKey, &Environment::cbrUrl, "адрес ЦБ РФ"}};
  for (const auto& url : urls) {
    if (!settings.contains(url.key)) continue;
    const QString text = settings.value(url.key).toString().trimmed();
    if (LooksLikeUrl(text)) {
      environment.*url.field = text.toStdString();
    } else {
      wrong << url.what;
    }
  }
  LoadBroker(settings, environment, wrong);
  if (!wrong.isEmpty()) {
    environment.settingsNote =
        "В файле настроек неверно: " + wrong.join(", ").toStdString() + "; взяты исходные";
  }
}

std::string SaveSettings(const QString& path, const Environment& environment) {
  if (!QDir().mkpath(QFileInfo(path).absolutePath())) return "нет доступа к папке настроек";
  QSettings settings(path, QSettings::IniFormat);
  settings.setValue(kSourceKey, SourceName(environment.quoteSource));
  if (!environment.statusUrl.empty()) {
    settings.setValue(kStatusUrlKey, QString::fromStdString(environment.statusUrl));
  }
  if (!environment.quotesUrl.empty()) {
    settings.setValue(kPageUrlKey, QString::fromStdString(environment.quotesUrl));
  }
  // Conditions left at their defaults are not written: a file without them means the same.
  settings.remove(kBrokerGroup);
  if (!(environment.broker == BrokerConditions{})) {
    const BrokerTexts texts = ToTexts(environment.broker);
    for (const BrokerKey& key : kBrokerKeys) {
      if (!(texts.*key.text).empty()) {
        settings.setValue(key.key, QString::fromStdString(texts.*key.text));
      }
    }
  }
  settings.sync();
  switch (settings.status()) {
    case QSettings::NoError:
      return {};
    case QSettings::AccessError:
      return "нет доступа к файлу " + path.toStdString();
    case QSettings::FormatError:
      break;
  }
  return "файл " + path.toStdString() + " повреждён";
}

}  // namespace tiramon::desktop
