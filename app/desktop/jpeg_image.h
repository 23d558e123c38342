// Decodes the About tab's JPEG pictures with libjpeg into Qt images.
#pragma once

#include <QByteArray>
#include <QImage>

namespace tiramon::desktop {

// A null image when the bytes are not a JPEG libjpeg can decode.
QImage DecodeJpeg(const QByteArray& bytes);

}  // namespace tiramon::desktop
