// Decodes the About tab's JPEG pictures with libjpeg into Qt images.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace tiramon::desktop {

// A null image when the bytes are not a JPEG libjpeg can decode.
QImage DecodeJpeg(const QByteArray& bytes);
// The same for a file or a Qt resource; a null image when it cannot be read either.
QImage DecodeJpegFile(const QString& path);

}  // namespace tiramon::desktop
