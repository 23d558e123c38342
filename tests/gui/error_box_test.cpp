// What reaches the error box when a handler fails inside the real window: the user's mistakes
// in their own words, the program's faults marked as internal, and the window still working.
#include <QToolButton>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>

#include "gui_fixture.h"
#include "support/download.h"

namespace tiramon::desktop {
namespace {

TEST_F(GuiTest, ACopyCommandThatFailsShowsWhoseFaultItIs) {
  MainWindow& window = Open();
  struct Case {
    const char* kind;
    std::function<void()> fail;
    std::string shown;
  };
  const Case cases[] = {
      {"the user's", [] { throw InOutError("File access denied"); }, "File access denied."},
      {"a bug", [] { throw std::out_of_range("map::at"); }, "внутренняя ошибка: map::at."},
      // The full stop goes after a letter only, as for every message.
      {"a bug in brackets", [] { throw std::logic_error("no row (7)"); },
       "внутренняя ошибка: no row (7)"},
      {"no memory", [] { throw std::bad_alloc(); }, "внутренняя ошибка: std::bad_alloc."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    errors_.clear();
    window.model().environment.copyToClipboard = [&c](const std::string&) { c.fail(); };
    QTest::mouseClick(Find<QToolButton>("SpeedButton3"), Qt::LeftButton);
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0], c.shown);
  }

  // After the faults the same button works again.
  std::string copied;
  window.model().environment.copyToClipboard = [&copied](const std::string& text) {
    copied = text;
  };
  window.model().Edit_Loss.text = "1.09850";
  window.Render();
  errors_.clear();
  QTest::mouseClick(Find<QToolButton>("SpeedButton3"), Qt::LeftButton);
  EXPECT_TRUE(errors_.empty());
  EXPECT_EQ(copied, "1.09850");
}

}  // namespace
}  // namespace tiramon::desktop
