#pragma once

#include <QByteArray>
#include <QImage>

namespace qmz {

// Decodes a JPEG picture with libjpeg; a null image when the data are no readable JPEG.
QImage DecodeJpeg(const QByteArray& data);

}  // namespace qmz
