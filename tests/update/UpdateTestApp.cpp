// The test program's one QApplication.
#include "util/QtTestApplication.h"

QMZ_QT_TEST_APPLICATION("test_update")
