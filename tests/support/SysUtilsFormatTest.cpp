#include <gtest/gtest.h>

#include <string>

#include "util/CommaLocale.h"
#include "support/SysUtils.h"

using namespace qmz;

// The specifiers beside the program's own texts: precision of integers, radix, argument index and star
// width, the scientific and thousands forms of floats.
TEST(Format, WidthPrecisionIndexAndRadix) {
  EXPECT_EQ(Format("%.3d", -7), "-007");
  EXPECT_EQ(Format("%x %x", 255, -1), "FF FFFFFFFF");
  EXPECT_EQ(Format("%u", -1), "4294967295");
  EXPECT_EQ(Format("%.2s", "abcdef"), "ab");
  EXPECT_EQ(Format("%1:s %0:s %s", "a", "b"), "b a b");
  EXPECT_EQ(Format("%*d", 4, 7), "   7");
  EXPECT_EQ(Format("%e", 1500.0), "1.50000000000000E+003");
  EXPECT_EQ(Format("%.500e", -0.5), "-5.00000000000000000E-001");  // at most 18 digits
  EXPECT_EQ(Format("%n", 1234567.5), "1,234,567.50");
  EXPECT_EQ(Format("%.0n|%n", -1234.0, 999.0), "-1,234|999.00");
  EXPECT_EQ(Format("%s", 'c'), "c");
  // A pointer: upper-case hexadecimal, as many digits as a pointer has.
  EXPECT_EQ(Format("%p", reinterpret_cast<const void*>(0x2AF)), std::string(sizeof(void*) * 2 - 3, '0') + "2AF");
  EXPECT_EQ(Format("%d-%d", 3, -4), "3--4");
}

TEST(Format, FloatsUseAPointWhateverTheLocale) {
  test::CommaLocale comma;
  if (!comma.Active()) GTEST_SKIP() << "no comma-decimal locale available";
  EXPECT_EQ(Format("%.2f", 3.25), "3.25");
  EXPECT_EQ(Format("%e", 0.5), "5.00000000000000E-001");
  EXPECT_EQ(Format("%n", 1234.5), "1,234.50");
}
