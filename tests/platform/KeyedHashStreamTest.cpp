// The keyed hash given in pieces: every way of cutting a text gives the hash of the whole text.

#include <gtest/gtest.h>

#include <string>

#include "platform/KeyedHash.h"

using namespace qmz::platform;

TEST(KeyedHashStreamTest, AnyCutOfATextHashesAsTheWholeText) {
  std::string text;
  for (int i = 0; i < 41; ++i) text += char('a' + i * 7 % 26);
  for (std::size_t length : {0, 1, 7, 8, 9, 16, 23, 41}) {
    const std::string_view whole(text.data(), length);
    for (std::size_t first = 0; first <= length; ++first) {
      for (std::size_t second = first; second <= length; ++second) {
        KeyedHashStream stream;
        stream.Add(whole.substr(0, first));
        stream.Add(whole.substr(first, second - first));
        stream.Add(whole.substr(second));
        ASSERT_EQ(stream.Finish(), KeyedHash(whole)) << length << " cut at " << first << ", " << second;
      }
    }
  }
  KeyedHashStream bytes;
  for (char c : text) bytes.Add(std::string_view(&c, 1));
  EXPECT_EQ(bytes.Finish(), KeyedHash(text));
}
