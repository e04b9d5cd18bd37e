// The generator's command line: every option described, and what was wrong with a line that does not fit.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "samplegen/CommandLine.h"

using namespace qmz::samplegen;

namespace {

TEST(SampleGenCommandLine, HelpDescribesEveryOption) {
  const std::string usage = UsageText();
  EXPECT_EQ(usage.rfind("usage: qmz-samplegen", 0), 0u);
  for (const char* option : {"--size", "--seed", "--binary", "--wine-prefix", "--settings", "--help"}) {
    // Named in the synopsis and again at the start of its own description line.
    EXPECT_NE(usage.find(std::string("\n  ") + option), std::string::npos) << option;
  }
  EXPECT_TRUE(ParseCommandLine({"out", "--help", "--bogus"}).help);
  // The folder to choose in the program is the one the generator really fills, not the one given.
  EXPECT_NE(usage.find("into <out-dir>/Starvagant"), std::string::npos);
  EXPECT_NE(usage.find("<out-dir>/wineprefix/drive_c/Games/Starvagant"), std::string::npos);
}

TEST(SampleGenCommandLine, AUsableLineAndWhatIsWrongWithOthers) {
  const CommandLine good = ParseCommandLine(
      {"--size", "typical", "--seed", "42", "--binary", "--wine-prefix", "--settings", "Q.ini", "out"});
  EXPECT_EQ(good.error, "");
  EXPECT_EQ(good.size, "typical");
  EXPECT_EQ(good.seed, 42u);
  EXPECT_TRUE(good.binary && good.winePrefix);
  EXPECT_EQ(good.settings, "Q.ini");
  EXPECT_EQ(good.outDir, "out");
  EXPECT_EQ(ParseCommandLine({"out"}).seed, std::nullopt);
  // A long option takes its value after '=' as well.
  const CommandLine joined = ParseCommandLine({"--size=large", "--seed=7", "--settings=a=b.ini", "out"});
  EXPECT_EQ(joined.error, "");
  EXPECT_EQ(joined.size, "large");
  EXPECT_EQ(joined.seed, 7u);
  EXPECT_EQ(joined.settings, "a=b.ini");
  EXPECT_EQ(joined.outDir, "out");

  const std::vector<std::pair<std::vector<std::string>, std::string>> wrong = {
      {{"--bogus", "out"}, "unknown option '--bogus'"},
      {{"--seed", "abc", "out"}, "the seed 'abc' is not a whole number from 0 to 18446744073709551615"},
      {{"--seed", "-1", "out"}, "the seed '-1' is not a whole number from 0 to 18446744073709551615"},
      {{"--seed", "18446744073709551616", "out"},
       "the seed '18446744073709551616' is not a whole number from 0 to 18446744073709551615"},
      {{"--size", "huge", "out"}, "unknown size 'huge' (small, typical, large or xlarge)"},
      {{"out", "--seed"}, "option --seed needs a value"},
      {{"a", "b"}, "a second output folder 'b' (the first is 'a')"},
      {{"--binary"}, "no output folder given"},
      {{"--size=huge", "out"}, "unknown size 'huge' (small, typical, large or xlarge)"},
      {{"--seed=", "out"}, "the seed '' is not a whole number from 0 to 18446744073709551615"},
      {{"--settings=", "out"}, "option --settings needs a file name"},
      {{"--binary=yes", "out"}, "option --binary takes no value"},
      {{"--sizes=large", "out"}, "unknown option '--sizes'"},
      {{"--size=large"}, "no output folder given"},
  };
  for (const auto& [args, why] : wrong) EXPECT_EQ(ParseCommandLine(args).error, why) << args.front();
}

}  // namespace
