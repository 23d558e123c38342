// The desktop window: renders the window model into Qt widgets and turns what the user does into
// the model's handlers, bound by the model's wiring table. It holds no state of its own: after
// every handler it renders what changed in the model, and edits go through the model's input
// rules.
#pragma once

#include <QIcon>
#include <QPointer>
#include <QWidget>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/input_rules.h"
#include "app/unit1.h"
#include "app/wiring.h"

class QCloseEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QComboBox;
class QKeyEvent;
class QMenu;
class QMoveEvent;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QCheckBox;
class QSystemTrayIcon;
class QTabWidget;
class QTableView;
class QTimer;
class QToolButton;
class QVBoxLayout;
class QDialog;

namespace tiramon::desktop {

class ArtworkInAdvance;
class LazyPage;

enum class TrayMode {
  Auto,      // use the notification area whenever the desktop has one
  Enabled,   // behave as if it had one (tests on the offscreen platform)
  Disabled,  // behave as if it had none
};

class MainWindow : public QWidget {
  Q_OBJECT

 public:
  explicit MainWindow(Environment environment, TrayMode trayMode = TrayMode::Auto);
  ~MainWindow() override;

  TForm1& model() { return *model_; }
  // Copies every control of the model into its widget.
  void Render();
  // A tab's widgets are made when the tab is first shown, so a start pays for the tab it opens
  // on alone. This makes those of every tab now, for code that reaches widgets by name.
  void BuildEveryPage();
  // Runs a model handler the way a user event does: an error that escapes it reaches the error
  // box, and the window shows the model as the handler left it.
  void RunHandler(const std::function<void()>& handler);

  // Whether a notification area is there now; asked at every close and minimise.
  bool trayActive() const;
  void setTrayMode(TrayMode mode) { trayMode_ = mode; }
  QSystemTrayIcon* trayIcon() const { return tray_; }
  QMenu* trayMenu() const { return trayMenu_; }
  // "Выход" was chosen: main() must not enter the event loop, nothing more is shown.
  bool quitRequested() const { return quitRequested_; }
  // Shows the window from wherever it is (the tray, minimised, behind others) and gives it the
  // focus: a second start of the program asks for this.
  void BringForward();

  void setVisible(bool visible) override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum Style { kPlain = 0, kBold = 1, kLarge = 2, kUnderline = 4, kSmall = 8 };

  void RenderFrom(size_t first);
  void BuildWindow();
  void BuildTray();
  void BuildStatusBar(QVBoxLayout* layout);
  void BuildAboutTab(QWidget* page);
  void BuildQuotesTab(QWidget* page);
  void BuildAssistantTab(QWidget* page);
  void BuildGrowthTab(QWidget* page);
  void BuildDrainTab(QWidget* page);
  void BuildSeriesTab(QWidget* page);
  // The seventh tab, in risk_tab.cpp.
  void BuildRiskTab(QWidget* page);
  void BuildRiskInputs(QWidget* page);
  void BuildRiskSummary(QWidget* page);
  // The broker's dialog, made with the assistant tab (desktop/broker_dialog.cpp).
  void BuildBrokerDialog();
  // The eighth tab, the trader's book, in book_tab.cpp; its tables show one of the model's lists
  // each (the columns given right-aligned), read afresh when the model's book changes.
  void BuildBookTab(QWidget* page);
  QTableView* ListTable(QWidget* parent, const char* name, TListView& list,
                        std::vector<int> rightAligned, int x, int y, int w, int h);
  void BuildInstrumentsDialog();
  // Shows the dialog while the model says it is open; Escape or its title bar's close button
  // click `closeButton`.
  void BindDialog(QDialog* dialog, bool TForm1::*open, const char* closeButton);

  // Binders: each creates a widget named after its control, places it, renders it from the
  // model and forwards its user events to the handler.
  QGroupBox* Group(QWidget* parent, const char* name, const TGroupBox& box, int x, int y, int w,
                   int h);
  QLabel* Label(QWidget* parent, const char* name, const TLabel& label, int x, int y, int w = 0,
                int style = kPlain);
  QLineEdit* Edit(QWidget* parent, const char* name, TEdit& edit, int x, int y, int w);
  QComboBox* Combo(QWidget* parent, const char* name, TComboBox& combo, int x, int y, int w);
  // A combo box that offers its items only, with nothing to type.
  QComboBox* Choice(QWidget* parent, const char* name, TComboBox& combo, int x, int y, int w);
  QRadioButton* Radio(QWidget* parent, const char* name, TRadioButton& radio, int x, int y, int w);
  QCheckBox* Check(QWidget* parent, const char* name, TCheckBox& check, int x, int y, int w);
  QPushButton* Button(QWidget* parent, const char* name, const TButton& button, int x, int y, int w,
                      int h);
  QToolButton* CopyButton(QWidget* parent, const char* name, const TButton& button, int x, int y);
  // A timer that runs while the model enables it and fires its wired Timer event.
  QTimer* Timer(QObject* parent, const char* name, const TTimer& timer);
  QPlainTextEdit* Memo(QWidget* parent, const char* name, TMemo& memo, int x, int y, int w, int h,
                       TColor background);
  QLabel* Picture(QWidget* parent, const char* name, const TImage& image, const char* resource,
                  int x, int y, int w, int h);
  QTableView* Table(QWidget* parent, int x, int y, int w, int h);
  static std::vector<QString> AboutPictures();

  // One choice of a simulator's risk mode: its radio button, its amount and the amount's unit.
  struct RiskRow {
    const char* radioName;
    TRadioButton& radio;
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
  // An edit box or a combo box's edit field, with what the widget was last known to hold.
  struct TextBox {
    std::string name;
    QWidget* focusWidget = nullptr;  // what holds the focus and receives the keys
    QLineEdit* line = nullptr;
    TEdit* edit = nullptr;
    TComboBox* combo = nullptr;
    KeyFilter filter = nullptr;
    std::string shownText;
    int shownIndex = -2;  // combo boxes: the item last shown; -2 none yet
    BoxModel Model() const { return edit ? ModelOf(*edit) : ModelOf(*combo); }
  };
  TextBox& AddTextBox(const char* name, QWidget* focusWidget, QLineEdit* line, TEdit* edit,
                      TComboBox* combo);

  // Runs the handler wired to this event of this control, if any.
  void Fire(std::string_view control, Event event);
  void OnClick(QWidget* widget);
  void PullRadios();
  // The user changed the box: its text goes into the model and its change handler runs.
  void Commit(TextBox& box);
  // An edit the widget made on its own (paste, drop, undo, Delete) of a box with rules.
  void EditedByWidget(TextBox& box);
  // A typed character or Backspace in a box with rules; true when the key was dealt with.
  bool TypeInto(TextBox& box, QKeyEvent* key);
  // Puts the model's answer into the widget as a minimal edit, so caret and undo survive.
  void Apply(QLineEdit* line, const BoxState& state);
  void Quit();
  // Fits the window to the free area of its screen (desktop/screen_fit.h), frame included.
  void FitToScreen();

  std::unique_ptr<TForm1> model_;
  TrayMode trayMode_ = TrayMode::Auto;
  bool rendering_ = false;
  bool applying_ = false;  // the window itself is editing a box: not a user edit
  bool inFormShow_ = false;
  bool quitRequested_ = false;
  // Shown, but the frame the window manager puts around it is not known yet: the fit is done
  // again once it is.
  bool fitAwaitsFrame_ = false;
  QTabWidget* tabs_ = nullptr;
  // The About pictures and the program icon, made on a second thread from the window's creation.
  std::unique_ptr<ArtworkInAdvance> artwork_;
  QIcon drawnCopyIcon_;  // drawn once for all copy buttons
  QIcon appIcon_;        // drawn once for the window and the tray
  QWidget* indicator_ = nullptr;
  QLabel* sourcePanel_ = nullptr;  // the status bar's panel that names the prices' source
  QSystemTrayIcon* tray_ = nullptr;
  QMenu* trayMenu_ = nullptr;
  // A deque: a tab built while rendering adds renderers without moving the one that runs.
  std::deque<std::function<void()>> renderers_;
  std::vector<LazyPage*> pages_;
  std::vector<std::pair<QRadioButton*, TRadioButton*>> radios_;
  std::vector<std::unique_ptr<TextBox>> textBoxes_;
};

}  // namespace tiramon::desktop
