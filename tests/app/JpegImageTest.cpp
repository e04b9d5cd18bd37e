#include <gtest/gtest.h>

#include <QFile>

#include "app/JpegImage.h"

using namespace qmz;

// The about box's picture decodes whole. A picture cut short still decodes at its full size (libjpeg warns and
// fills the rest); data that are no JPEG, or end inside the header, give a null image instead of ending the
// program.
TEST(JpegImage, DecodesThePictureAndRefusesDamagedData) {
  QFile file(":/qmz/impressum.jpg");
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray data = file.readAll();
  const QImage image = DecodeJpeg(data);
  EXPECT_EQ(image.size(), QSize(500, 100));

  const QImage cut = DecodeJpeg(data.left(data.size() * 3 / 4));
  EXPECT_EQ(cut.size(), QSize(500, 100));
  EXPECT_EQ(cut.pixel(0, 0), image.pixel(0, 0));  // what came before the cut is the picture's

  QByteArray noStart = data;
  noStart[1] = 'x';  // the start-of-image marker damaged
  for (const QByteArray& damaged : {noStart, data.left(2), QByteArray("not a jpeg"), QByteArray()})
    EXPECT_TRUE(DecodeJpeg(damaged).isNull()) << damaged.size();
}
