#include "desktop/jpeg_image.h"

#include <jpeglib.h>

#include <QFile>
#include <QSysInfo>
#include <csetjmp>
#include <cstdio>
#include <vector>

namespace tiramon::desktop {
namespace {

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

[[noreturn]] void OnJpegError(j_common_ptr info) {
  std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void IgnoreJpegMessage(j_common_ptr) {}

// Kept free of objects with destructors: libjpeg reports errors with longjmp.
bool DecodeRgb(const unsigned char* data, unsigned long size, jpeg_decompress_struct* info,
               ErrorManager* errors, QImage* image) {
  info->err = jpeg_std_error(&errors->base);
  errors->base.error_exit = OnJpegError;
  errors->base.output_message = IgnoreJpegMessage;
  if (setjmp(errors->jump)) {
    jpeg_destroy_decompress(info);
    return false;
  }
  jpeg_create_decompress(info);
  jpeg_mem_src(info, data, size);
  jpeg_read_header(info, TRUE);
  // Straight into the layout of QImage::Format_RGB32 (0xffRRGGBB in a native word; the library
  // fills the pad byte with 0xff), which a pixmap takes as it is: an RGB888 picture had to be
  // converted, on a pool of threads started just for that.
  info->out_color_space =
      QSysInfo::ByteOrder == QSysInfo::LittleEndian ? JCS_EXT_BGRX : JCS_EXT_XRGB;
  jpeg_start_decompress(info);
  if (info->output_components != 4 || info->output_width > 8192 || info->output_height > 8192) {
    jpeg_destroy_decompress(info);
    return false;
  }
  *image = QImage(static_cast<int>(info->output_width), static_cast<int>(info->output_height),
                  QImage::Format_RGB32);
  while (info->output_scanline < info->output_height) {
    JSAMPROW row = image->scanLine(static_cast<int>(info->output_scanline));
    jpeg_read_scanlines(info, &row, 1);
  }
  jpeg_finish_decompress(info);
  jpeg_destroy_decompress(info);
  return true;
}

}  // namespace

QImage DecodeJpeg(const QByteArray& bytes) {
  if (bytes.isEmpty()) return {};
  jpeg_decompress_struct info{};
  ErrorManager errors{};
  QImage image;
  if (!DecodeRgb(reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()), &info, &errors, &image)) {
    return {};
  }
  return image;
}

QImage DecodeJpegFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return DecodeJpeg(file.readAll());
}

}  // namespace tiramon::desktop
