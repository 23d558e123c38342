// The frames the program's style keeps as pictures must be the very pixels the base style draws,
// in every state a box or a group is drawn in, whether the picture is new or kept.
#include "desktop/window_style.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>
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

}  // namespace
}  // namespace tiramon::desktop
