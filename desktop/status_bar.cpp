// The status bar: the availability indicator the model draws, the panel that names where the prices
// came from, and the timer that has their age worded afresh.
#include <QLabel>
#include <QPainter>
#include <QStatusBar>
#include <QVBoxLayout>
#include <optional>
#include <string>

#include "desktop/artwork.h"
#include "desktop/layout.h"
#include "desktop/main_window.h"

namespace tiramon::desktop {
namespace {

// The owner-drawn status panel: what it shows comes from the model at every painting.
class IndicatorPanel : public QWidget {
  Q_OBJECT

 public:
  IndicatorPanel(const TForm1& model, QWidget* parent) : QWidget(parent), model_(model) {
    setObjectName("StatusBar1Panel0");
    setFixedSize(200, 20);
    // Both indicator texts fit the 200-pixel panel beside the picture.
    QFont small = font();
    small.setPixelSize(11);
    setFont(small);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    const TPanelDrawing drawing = model_.StatusBar1DrawPanel();
    // What was last painted, for tests that look at the panel as a user does.
    setProperty("paintedText", Q(drawing.text));
    setProperty("paintedImage", drawing.imageIndex);
    QPainter painter(this);
    painter.drawPixmap(drawing.imageX, drawing.imageY, IndicatorPicture(drawing.imageIndex));
    painter.setPen(ToQColor(drawing.fontColor));
    const QFontMetrics metrics(font());
    painter.drawText(drawing.textX, drawing.textY + metrics.ascent(), Q(drawing.text));
  }

 private:
  const TForm1& model_;
};

}  // namespace

void MainWindow::BuildStatusBar(QVBoxLayout* layout) {
  auto* status = new QStatusBar(this);
  status->setObjectName("StatusBar1");
  status->setSizeGripEnabled(false);
  indicator_ = new IndicatorPanel(*model_, status);
  status->addWidget(indicator_);
  auto* panel1 = sourcePanel_ = new QLabel(status);
  panel1->setObjectName("StatusBar1Panel1");
  panel1->setFixedWidth(model_->StatusBar1.panels[1].width);
  status->addWidget(panel1);
  // What the renderer last handed to the widgets, so that a render that changes nothing asks
  // them nothing.
  struct Shown {
    std::string elidedFrom;
    int elidedWidth = -1;
    std::optional<std::string> hint;
    int image = -1;
    std::optional<std::string> text;
  };
  renderers_.push_back([this, panel1, shown = Shown()]() mutable {
    const TStatusPanel& panel = model_->StatusBar1.panels[1];
    // A text longer than the bar (a note about the settings file after the prices' origin)
    // ends in "…" rather than being cut mid-word; the tooltip has all of it. Shaping the text
    // to shorten it costs more than the rest of a keystroke's render, so it is done again only
    // when the text or the panel's width has changed.
    const int width = panel1->contentsRect().width();
    if (panel.text != shown.elidedFrom || width != shown.elidedWidth) {
      const QString text = panel1->fontMetrics().elidedText(Q(panel.text), Qt::ElideRight, width);
      if (panel1->text() != text) panel1->setText(text);
      shown.elidedFrom = panel.text;
      shown.elidedWidth = width;
    }
    const std::string& hint = panel.hint.empty() ? panel.text : panel.hint;
    if (hint != shown.hint) {
      panel1->setToolTip(Q(hint));
      shown.hint = hint;
    }
    if (panel1->palette().color(QPalette::WindowText) != ToQColor(panel.fontColor)) {
      SetTextColour(panel1, panel.fontColor);
    }
    // The panel paints from the model; repainted only when what it would show has changed.
    const TPanelDrawing drawing = model_->StatusBar1DrawPanel();
    if (drawing.imageIndex != shown.image || drawing.text != shown.text) {
      shown.image = drawing.imageIndex;
      shown.text = drawing.text;
      indicator_->update();
    }
  });
  layout->addWidget(status);
  Timer(this, "Timer_Age", model_->Timer_Age);
}

}  // namespace tiramon::desktop

// The meta-object code of the classes declared in this file.
#include "status_bar.moc"
