// The values-only form of a section's lines, and the number format of the model's record dumps.

#include <gtest/gtest.h>

#include "gamedata/uSVIni.h"
#include "gamedata/uSvFunctions.h"
#include "util/CommaLocale.h"
#include "util/SvModelTestAccess.h"

using namespace qmz;

namespace {

using V = std::vector<std::string>;

V Lines(const TStringList& list) {
  V out;
  for (const auto& item : list) out.emplace_back(item.text);
  return out;
}

// Called on the game INI class, ReadSectionValues gives whole lines; through the base class, each line's
// value: the text after the first "=", a bare line less its first character.
TEST(IniSectionValues, WholeLinesDirectlyValuesThroughTheBase) {
  TStringList text;
  text.SetText("[Data]\ngoods = a.ini\nlist=b=c\nlonely\nempty=\nx\n[Other]\nk=v\n");
  TSvIniFile ini(text, "TEMP");
  const TCustomIniFile& base = ini;
  TStringList lines;
  lines.Add("before");
  ini.ReadSectionValues("data1", &lines);
  EXPECT_EQ(Lines(lines), (V{"goods=a.ini", "list=b=c", "lonely", "empty=", "x"}));
  lines.Add("before");
  base.ReadSectionValues("data1", &lines);
  EXPECT_EQ(Lines(lines), (V{"a.ini", "b=c", "onely", "", ""}));
  base.ReadSectionValues("Data2", &lines);
  EXPECT_TRUE(Lines(lines).empty());
}

// The model writes its record dumps with '.' and no thousands separator in any locale; the dumps follow
// the model's format.
TEST(ModelNumberFormat, DumpsFollowTheModelsFormatNotTheLocale) {
  test::CommaLocale comma;
  TSvData model;
  EXPECT_EQ(model.FormatSettings.DecimalSeparator, '.');
  EXPECT_EQ(model.FormatSettings.ThousandSeparator, '\0');
  SvModelTestAccess w(model);
  w.aGood = {TGood(), TGood()};
  w.aGood[1].decay_per_second = 0.25f;
  w.aGood[1].volume = 2;
  w.aGood[1].price = 1234567.5;
  EXPECT_EQ(Lines(model.getGoodInfo(1)).back(), "price:      1234567.500000");
  model.FormatSettings.DecimalSeparator = ',';
  const V dump = Lines(model.getGoodInfo(1));
  EXPECT_EQ(V(dump.end() - 3, dump.end()),
            (V{"decay:      0,250000", "volume:     2,000000", "price:      1234567,500000"}));
}

}  // namespace
