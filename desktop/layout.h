// What every part of the window shares: its fixed size, the height of a row of controls, and the
// conversions of the model's texts and colours into Qt's.
#pragma once

#include <QColor>
#include <QPalette>
#include <QString>
#include <QWidget>
#include <string>

#include "app/controls.h"

namespace tiramon::desktop {

inline constexpr int kClientWidth = 936;
inline constexpr int kClientHeight = 702;
inline constexpr int kRowHeight = 24;

inline QString Q(const std::string& text) { return QString::fromStdString(text); }
inline QColor ToQColor(TColor c) { return QColor(c.r, c.g, c.b); }

inline void SetTextColour(QWidget* widget, TColor colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, ToQColor(colour));
  palette.setColor(QPalette::ButtonText, ToQColor(colour));
  palette.setColor(QPalette::Text, ToQColor(colour));
  widget->setPalette(palette);
}

}  // namespace tiramon::desktop
