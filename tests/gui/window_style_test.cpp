// The frames the program's style keeps as pictures must be the very pixels the base style draws,
// in every state a box or a group is drawn in, whether the picture is new or kept.
#include "desktop/window_style.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTabWidget>
#include <QTest>
#include <memory>

namespace tiramon::desktop {
namespace {

using State = QStyle::StateFlag;

// The frame drawn at (7, 5) on the window's colour, as a widget's paint event draws it.
QImage Paint(const QStyle& style, QStyle::PrimitiveElement element, QStyleOptionFrame option,
             const QWidget& widget) {
  QImage image(option.rect.size() + QSize(14, 10), QImage::Format_ARGB32_Premultiplied);
  image.fill(option.palette.window().color());
  option.rect.moveTopLeft(QPoint(7, 5));
  QPainter painter(&image);
  style.drawPrimitive(element, &option, &painter, &widget);
  return image;
}

// The largest difference of one colour channel between two pictures of one size.
int LargestDifference(const QImage& a, const QImage& b) {
  int largest = a.size() == b.size() ? 0 : 255;
  for (int y = 0; largest < 255 && y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y);
      const QRgb q = b.pixel(x, y);
      largest = std::max({largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                          std::abs(qBlue(p) - qBlue(q))});
    }
  }
  return largest;
}

struct Drawn {
  const char* what;
  QStyle::PrimitiveElement element;
  int state;
  QSize size;
};

class WindowStyleTest : public ::testing::Test {
 protected:
  std::unique_ptr<QStyle> fusion_{QStyleFactory::create("Fusion")};
  FrameCachingStyle caching_{QStyleFactory::create("Fusion")};
  QLineEdit box_;
  QGroupBox titled_{"Убыток и прибыль"};
  QGroupBox untitled_;

  const QWidget& WidgetFor(QStyle::PrimitiveElement element) const {
    return element == QStyle::PE_PanelLineEdit ? static_cast<const QWidget&>(box_) : titled_;
  }

  QStyleOptionFrame OptionFor(const Drawn& drawn, const QWidget& widget) const {
    QStyleOptionFrame option;
    option.initFrom(&widget);
    option.state = QStyle::State(drawn.state);
    option.rect = QRect(QPoint(0, 0), drawn.size);
    option.lineWidth = 1;
    return option;
  }
};

constexpr int kOn = State::State_Enabled;
constexpr int kActive = State::State_Enabled | State::State_Active;

// Drawn one after the other into one style: a key that missed a state would hand the next row
// the previous row's picture.
const Drawn kDrawn[] = {
    {"box", QStyle::PE_PanelLineEdit, kActive, {110, 24}},
    {"box with focus", QStyle::PE_PanelLineEdit, kActive | State::State_HasFocus, {110, 24}},
    {"box disabled", QStyle::PE_PanelLineEdit, State::State_Active, {110, 24}},
    {"box read only", QStyle::PE_PanelLineEdit, kActive | State::State_ReadOnly, {110, 24}},
    {"box in an inactive window", QStyle::PE_PanelLineEdit, kOn | State::State_HasFocus, {110, 24}},
    {"wider box", QStyle::PE_PanelLineEdit, kActive | State::State_HasFocus, {200, 30}},
    {"group", QStyle::PE_FrameGroupBox, kActive, {130, 82}},
    {"taller group", QStyle::PE_FrameGroupBox, kActive, {130, 120}},
};

TEST_F(WindowStyleTest, EveryFrameItKeepsIsTheBaseStylesOwnPixelsNewOrKept) {
  for (int round = 0; round < 2; ++round) {
    for (const Drawn& drawn : kDrawn) {
      const QWidget& widget = WidgetFor(drawn.element);
      const QStyleOptionFrame option = OptionFor(drawn, widget);
      EXPECT_LE(LargestDifference(Paint(caching_, drawn.element, option, widget),
                                  Paint(*fusion_, drawn.element, option, widget)),
                1)
          << drawn.what << ", round " << round;
    }
  }
  EXPECT_EQ(caching_.Pictures(), qsizetype(std::size(kDrawn)));
}

TEST_F(WindowStyleTest, AGroupWithoutATitleGetsAPictureOfItsOwn) {
  const Drawn group{"group", QStyle::PE_FrameGroupBox, kActive, {130, 82}};
  for (const QGroupBox* box : {&titled_, &untitled_, &titled_}) {
    const QStyleOptionFrame option = OptionFor(group, *box);
    EXPECT_LE(LargestDifference(Paint(caching_, group.element, option, *box),
                                Paint(*fusion_, group.element, option, *box)),
              1)
        << (box->title().isEmpty() ? "untitled" : "titled");
  }
  EXPECT_EQ(caching_.Pictures(), 2);
}

TEST_F(WindowStyleTest, GroupsOfEverNewSizesKeepNoMoreThanEightMegabytesOfPictures) {
  const QSize size(600, 400);  // 960,000 bytes a picture: eight fit, a ninth starts over
  for (int grown = 0; grown < 20; ++grown) {
    const Drawn group{"group", QStyle::PE_FrameGroupBox, kActive, size + QSize(grown, 0)};
    const QStyleOptionFrame option = OptionFor(group, titled_);
    EXPECT_LE(LargestDifference(Paint(caching_, group.element, option, titled_),
                                Paint(*fusion_, group.element, option, titled_)),
              1)
        << "grown by " << grown;
    EXPECT_LE(caching_.Pictures() * 600 * 400 * 4, qsizetype(8) << 20) << "grown by " << grown;
  }
  EXPECT_GE(caching_.Pictures(), 1);
}

TEST_F(WindowStyleTest, ABoxOfAListAndEveryOtherBaseStyleAreDrawnAsTheyAre) {
  QComboBox list;
  list.setEditable(true);
  const Drawn box{"box", QStyle::PE_PanelLineEdit, kActive, {110, 24}};
  Paint(caching_, box.element, OptionFor(box, *list.lineEdit()), *list.lineEdit());
  EXPECT_EQ(caching_.Pictures(), 0);

  FrameCachingStyle overWindows(QStyleFactory::create("Windows"));
  Paint(overWindows, box.element, OptionFor(box, box_), box_);
  EXPECT_EQ(overWindows.Pictures(), 0);
  Paint(caching_, box.element, OptionFor(box, box_), box_);
  EXPECT_EQ(caching_.Pictures(), 1);
}

// Counts the drawings of a group's title.
class TitleCountingStyle : public FrameCachingStyle {
 public:
  TitleCountingStyle() : FrameCachingStyle(QStyleFactory::create("Fusion")) {}
  void drawItemText(QPainter* painter, const QRect& rect, int flags, const QPalette& palette,
                    bool enabled, const QString& text, QPalette::ColorRole role) const override {
    if (text == kTitle) ++titles;
    FrameCachingStyle::drawItemText(painter, rect, flags, palette, enabled, text, role);
  }
  static inline const QString kTitle = QStringLiteral("Стоп лосс и тэйк профит");
  mutable int titles = 0;
};

// A tab page with a titled group holding a figure and a box, every widget drawn by `style`.
struct Tab {
  explicit Tab(QStyle* style) {
    auto* page = new QWidget;
    tabs.addTab(page, "Помощник");
    group = new QGroupBox(TitleCountingStyle::kTitle, page);
    group->setGeometry(20, 10, 300, 200);
    figure = new QLabel("3$ или 3%", group);
    figure->setGeometry(30, 90, 200, 14);
    box = new QLineEdit("100", group);
    box->setGeometry(30, 40, 110, 24);
    tabs.setStyle(style);
    for (QWidget* widget : tabs.findChildren<QWidget*>()) widget->setStyle(style);
    tabs.resize(400, 300);
    tabs.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&tabs));
  }
  QRect InTabs(const QWidget* widget, QRect part = QRect()) const {
    if (part.isNull()) part = widget->rect();
    return part.translated(widget->mapTo(&tabs, QPoint(0, 0)));
  }
  // The whole tab drawn, then `region` of it drawn again over magenta.
  QImage Redrawn(const QRegion& region) {
    QImage image(tabs.size(), QImage::Format_ARGB32_Premultiplied);
    tabs.render(&image);
    QPainter marked(&image);
    for (const QRect& rect : region) marked.fillRect(rect, Qt::magenta);
    marked.end();
    tabs.render(&image, region.boundingRect().topLeft(), region);
    return image;
  }
  QTabWidget tabs;
  QGroupBox* group;
  QLabel* figure;
  QLineEdit* box;
};

TEST_F(WindowStyleTest, ARepaintOfPartOfATabIsTheBaseStylesPixelsAndFillsOnlyPlainMiddles) {
  TitleCountingStyle counting;
  Tab ours(&counting);
  Tab theirs(fusion_.get());
  const QImage whole = theirs.Redrawn(QRegion());
  struct Part {
    const char* what;
    QRect rect;
    int fills;  // of the pane's middle, the group's, the box's
  };
  const Part parts[] = {
      {"a figure", ours.InTabs(ours.figure), 2},
      {"the box's caret", ours.InTabs(ours.box, QRect(40, 4, 10, 15)), 3},
      {"the whole box", ours.InTabs(ours.box), 2},
      {"a figure and the group's title", ours.InTabs(ours.group, QRect(0, 0, 200, 110)), 1},
      {"across the group's edge", ours.InTabs(ours.group, QRect(-6, 80, 40, 20)), 1},
      {"across the box's edge", ours.InTabs(ours.box, QRect(-4, 4, 10, 15)), 2},
      {"across the pane's edge", QRect(0, 100, 30, 20), 0},
  };
  for (const Part& part : parts) {
    const qsizetype fillsBefore = counting.Fills();
    const int titlesBefore = counting.titles;
    EXPECT_LE(LargestDifference(ours.Redrawn(part.rect), whole), 1) << part.what;
    EXPECT_EQ(counting.Fills() - fillsBefore, part.fills) << part.what;
    const bool titled = part.rect.intersects(ours.InTabs(ours.group, QRect(0, 0, 300, 20)));
    // Twice: the whole tab, then the part again.
    EXPECT_EQ(counting.titles - titlesBefore, titled ? 2 : 1) << part.what;
  }
}

}  // namespace
}  // namespace tiramon::desktop
