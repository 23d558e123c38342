// The desktop window: renders the window model into Qt widgets and turns what the user does into
// the model's handlers. It holds no state of its own: after every handler it re-renders the model.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "app/unit1.h"

class QCloseEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QComboBox;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QCheckBox;
class QSystemTrayIcon;
class QTabWidget;
class QTableView;
class QToolButton;

namespace tiramon::desktop {

enum class TrayMode {
  Auto,      // use the notification area when the desktop has one
  Enabled,   // behave as if it had one (tests on the offscreen platform)
  Disabled,  // behave as if it had none
};

class MainWindow : public QWidget {
 public:
  explicit MainWindow(Environment environment, TrayMode trayMode = TrayMode::Auto);
  ~MainWindow() override;

  TForm1& model() { return *model_; }
  // Copies every control of the model into its widget.
  void Render();
  // Runs a model handler the way a user event does: an error that escapes it reaches the error
  // box, and the window shows the model as the handler left it.
  void RunHandler(const std::function<void()>& handler);

  bool trayActive() const { return trayActive_; }
  QSystemTrayIcon* trayIcon() const { return tray_; }
  QMenu* trayMenu() const { return trayMenu_; }

  void setVisible(bool visible) override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  using Handler = void (TForm1::*)();
  enum Style { kPlain = 0, kBold = 1, kLarge = 2, kUnderline = 4 };

  void BuildWindow();
  void BuildTray();
  QWidget* BuildAboutTab();
  QWidget* BuildQuotesTab();
  QWidget* BuildAssistantTab();
  QWidget* BuildGrowthTab();
  QWidget* BuildDrainTab();
  QWidget* BuildSeriesTab();

  // Binders: each creates a widget named after its control, places it, renders it from the
  // model and forwards its user events to the handler.
  QGroupBox* Group(QWidget* parent, const char* name, const TGroupBox& box, int x, int y, int w,
                   int h);
  QLabel* Label(QWidget* parent, const char* name, const TLabel& label, int x, int y, int w = 0,
                int style = kPlain);
  QLineEdit* Edit(QWidget* parent, const char* name, TEdit& edit, int x, int y, int w,
                  Handler onChange = nullptr);
  QComboBox* Combo(QWidget* parent, const char* name, TComboBox& combo, int x, int y, int w,
                   Handler onChange = nullptr);
  QRadioButton* Radio(QWidget* parent, const char* name, TRadioButton& radio, int x, int y, int w,
                      Handler onClick);
  QCheckBox* Check(QWidget* parent, const char* name, TCheckBox& check, int x, int y, int w);
  QPushButton* Button(QWidget* parent, const char* name, const TButton& button, int x, int y, int w,
                      int h, Handler onClick);
  QToolButton* CopyButton(QWidget* parent, const char* name, const TButton& button, int x, int y,
                          Handler onClick);
  QPlainTextEdit* Memo(QWidget* parent, const char* name, TMemo& memo, int x, int y, int w, int h,
                       TColor background);
  QLabel* Picture(QWidget* parent, const char* name, const TImage& image, const char* resource,
                  int x, int y, int w, int h, Handler onClick);
  QTableView* Table(QWidget* parent, int x, int y, int w, int h);

  // One choice of a simulator's risk mode: its radio button, its amount and the amount's unit.
  struct RiskRow {
    const char* radioName;
    TRadioButton& radio;
    Handler onClick;
    const char* editName;
    TEdit& edit;
    const char* unitName;
    const TLabel& unit;
  };
  void RiskModeGroup(QWidget* parent, const char* name, const TGroupBox& box, int y,
                     const RiskRow& percent, const RiskRow& money);
  // A bold caption, its edit box and an optional unit label on one row of a parameter box.
  void FieldRow(QWidget* parent, const char* labelName, const TLabel& label, const char* editName,
                TEdit& edit, const char* unitName, const TLabel* unit, int y);
  void OnClick(QWidget* widget, Handler handler);
  void PullRadios();
  void EditedText(TEdit& edit, QLineEdit* widget, Handler onChange);
  bool FilterKey(QObject* watched, QEvent* event);

  std::unique_ptr<TForm1> model_;
  bool trayActive_ = false;
  bool rendering_ = false;
  bool inFormShow_ = false;
  QTabWidget* tabs_ = nullptr;
  QWidget* indicator_ = nullptr;
  QSystemTrayIcon* tray_ = nullptr;
  QMenu* trayMenu_ = nullptr;
  QLineEdit* depositEdit_ = nullptr;
  QLineEdit* lotEdit_ = nullptr;
  std::vector<std::function<void()>> renderers_;
  std::vector<std::pair<QRadioButton*, TRadioButton*>> radios_;
  std::vector<std::pair<QObject*, Handler>> clickHandlers_;
  std::vector<std::pair<QLineEdit*, TEdit*>> limitedEdits_;
};

}  // namespace tiramon::desktop
