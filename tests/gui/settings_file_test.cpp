// The settings file as a save leaves it: a damaged file set aside and named before anything is
// written, and only the key the user changed written, every other key left as the file had it.
#include <QDir>
#include <QFile>
#include <QSettings>
#include <map>
#include <string>

#include "app/settings_rules.h"
#include "desktop/settings.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/test_files.h"

namespace tiramon::desktop {
namespace {

using Keys = std::map<std::string, std::string>;

class SettingsFileTest : public GuiTest {
 protected:
  std::filesystem::path File() const { return folder_ / "config" / "tiramon.conf"; }
  QString Path() const { return QString::fromStdString(File().string()); }
  void Write(const std::string& bytes) const {
    std::filesystem::create_directories(File().parent_path());
    testing::WriteFile(File(), bytes);
  }
  Keys Read() const {
    Keys keys;
    const QSettings settings(Path(), QSettings::IniFormat);
    for (const QString& key : settings.allKeys()) {
      keys[key.toStdString()] = settings.value(key).toString().toStdString();
    }
    return keys;
  }
  // The files a save set aside.
  std::vector<std::filesystem::path> SetAside() const {
    std::vector<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::directory_iterator(File().parent_path())) {
      if (entry.path().filename().string().rfind("tiramon.conf.damaged-", 0) == 0) {
        found.push_back(entry.path());
      }
    }
    return found;
  }
};

TEST_F(SettingsFileTest, ADamagedFileIsSetAsideAndNamedBeforeASaveWritesANewOne) {
  const std::string garbage("\x00\xff\xfe[[[=\n\x01 junk", 15);
  Write(garbage);
  Environment environment;
  LoadSettings(Path(), environment);
  EXPECT_EQ(environment.settingsNote, "Файл настроек повреждён, взяты исходные настройки");
  EXPECT_EQ(testing::ReadFile(File()), garbage) << "reading leaves it alone";

  // The trader sets the broker's conditions, as the dialog's save does.
  environment.broker = BrokerConditions{"EUR", 7, 0, 0, 0, 50};
  const std::string note = SaveSettings(Path(), environment);
  const std::vector<std::filesystem::path> aside = SetAside();
  ASSERT_EQ(aside.size(), 1u);
  EXPECT_EQ(note, "Файл настроек был повреждён: он сохранён как " + aside[0].string() +
                      ", изменённые настройки записаны в новый файл");
  EXPECT_EQ(testing::ReadFile(aside[0]), garbage);
  // The new file holds the conditions and nothing the trader did not choose: no source.
  EXPECT_EQ(Read(), (Keys{{"broker/accountCurrency", "EUR"},
                          {"broker/commissionPerLot", "7"},
                          {"broker/stopOutLevel", "50"}}));
}

TEST_F(SettingsFileTest, ASaveChangesOnlyTheKeyThatChanged) {
  // Values the program cannot use, a bank's address and a section it does not know: all the
  // trader's, all kept.
  Write(
      "[quotes]\nsource=official\npageUrl=http://example.net/q\nstatusUrl=ftp://not-ours\n"
      "ecbUrl=http://bank.example/e\n[other]\nnote=kept\n[broker]\nlotStep=much\n");
  const Keys before = Read();
  Environment environment;
  LoadSettings(Path(), environment);
  ASSERT_EQ(environment.quoteSource, QuoteSource::OfficialRates);

  environment.quoteSource = QuoteSource::Page;
  EXPECT_EQ(SaveSettings(Path(), environment), "");
  Keys expected = before;
  expected["quotes/source"] = "page";
  EXPECT_EQ(Read(), expected);
  EXPECT_TRUE(SetAside().empty());
}

}  // namespace
}  // namespace tiramon::desktop
