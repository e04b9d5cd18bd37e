#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include "BuildConfig.h"
#include "app/JpegImage.h"
#include "app/uFormImpressum.h"

namespace qmz {
namespace {

class RecordingImpressum : public TformImpressum {
 public:
  QList<QUrl> opened;

 protected:
  void OpenAddress(const QUrl& url) override { opened.append(url); }
};

TEST(AboutBox, ShowsTheVersionLineOncePerShowingAndOpensItsLinks) {
  RecordingImpressum box;
  const QString expected = QString("Version V%1.%2.%3  (Build %4)")
                               .arg(QMZ_VERSION_MAJOR)
                               .arg(QMZ_VERSION_MINOR)
                               .arg(QMZ_VERSION_PATCH)
                               .arg(QMZ_VERSION_BUILD);
  for (int showing = 0; showing < 2; ++showing) {
    box.show();
    EXPECT_EQ(box.labVersion->text(), expected);
    QTest::mouseClick(box.btOk, Qt::LeftButton);
    EXPECT_FALSE(box.isVisible());
  }
  QTest::mouseClick(box.labMail, Qt::LeftButton);
  QTest::mouseClick(box.labWebsite, Qt::LeftButton);
  ASSERT_EQ(box.opened.size(), 2);
  EXPECT_EQ(box.opened[0].scheme(), "mailto");
  EXPECT_EQ(box.opened[1], QUrl(QMZ_WEBSITE));
  EXPECT_FALSE(box.Image1->pixmap().isNull());
}

TEST(JpegImage, DecodesThePictureAndRefusesDamagedData) {
  QFile file(":/qmz/impressum.jpg");
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray data = file.readAll();
  const QImage image = DecodeJpeg(data);
  EXPECT_EQ(image.size(), QSize(500, 100));
  for (const QByteArray& damaged : {data.left(200), QByteArray("not a jpeg"), QByteArray()}) {
    EXPECT_TRUE(DecodeJpeg(damaged).isNull() || DecodeJpeg(damaged).size() == QSize(500, 100));
  }
}

}  // namespace
}  // namespace qmz
