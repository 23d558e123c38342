// The pictures and the icon made on a second thread while the window is built.
#include "desktop/artwork.h"

#include <gtest/gtest.h>

#include "desktop/jpeg_image.h"

static void InitAssets() { Q_INIT_RESOURCE(assets); }

namespace tiramon::desktop {
namespace {

TEST(ArtworkInAdvanceTest, GivesWhatIsMadeOnTheSpot) {
  InitAssets();
  ArtworkInAdvance artwork({":/about/image1.jpg", ":/about/image6.jpg"});
  struct Case {
    const char* resource;
    QSize size;
  };
  const Case cases[] = {
      {":/about/image6.jpg", {196, 560}},  // given, and asked for out of order
      {":/about/image1.jpg", {315, 200}},
      {":/about/image1.jpg", {315, 200}},  // asked for again: decoded again
      {":/about/image5.jpg", {320, 78}},   // not given: decoded when asked for
      {":/about/none.jpg", {0, 0}},        // missing: a null image
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.resource);
    const QImage picture = artwork.Picture(c.resource);
    EXPECT_EQ(picture.size(), c.size);
    EXPECT_EQ(picture, DecodeJpegFile(c.resource));
  }

  const QIcon drawnHere = ApplicationIcon();
  ASSERT_EQ(drawnHere.availableSizes().size(), 8);
  for (int ask = 0; ask < 2; ++ask) {  // the second time it is drawn again
    const QIcon icon = artwork.ApplicationIcon();
    ASSERT_EQ(icon.availableSizes(), drawnHere.availableSizes());
    for (const QSize& size : drawnHere.availableSizes()) {
      EXPECT_EQ(icon.pixmap(size).toImage(), drawnHere.pixmap(size).toImage()) << size.width();
    }
  }
}

}  // namespace
}  // namespace tiramon::desktop
