// The least the program's start must show, for the start-up floor (about_window.cpp): the About
// tab the window opens on, built from Qt's own widgets and nothing of the program's.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>
#include <vector>

namespace tiramon::perf {

// The About tab's JPEG resources, in the order BuildAboutFloor takes their images.
std::vector<QString> AboutFloorPictures();

// Fills `page` with the About tab: its group boxes, texts in their fonts and, where given,
// `pictures` (decoded from AboutFloorPictures(), in that order) at the program's places.
void BuildAboutFloor(QWidget* page, const std::vector<QImage>& pictures);

}  // namespace tiramon::perf
