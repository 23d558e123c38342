#include "desktop/error_box.h"

#include <QMessageBox>
#include <utility>

#include "app/unit1.h"
#include "support/numtext.h"

namespace tiramon::desktop {
namespace {
ErrorBoxHook& Hook() {
  static ErrorBoxHook hook;
  return hook;
}
}  // namespace

ErrorBoxHook SetErrorBoxHook(ErrorBoxHook hook) { return std::exchange(Hook(), std::move(hook)); }

void ShowErrorBox(QWidget* parent, const std::string& message) {
  const std::string text = ErrorBoxText(message);
  if (Hook()) {
    Hook()(text);
    return;
  }
  QMessageBox box(QMessageBox::Critical, QString::fromUtf8(kApplicationTitle),
                  QString::fromStdString(text), QMessageBox::Ok, parent);
  box.exec();
}

}  // namespace tiramon::desktop
