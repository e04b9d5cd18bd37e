// The text hash of the name tables needs no memory of its own: on a thread where every allocation fails it
// still answers, as it does on any other, and it hashes every text as its folded copy hashes.

#include <gtest/gtest.h>

#include <new>
#include <string>
#include <thread>

#include "AllocationMeter.h"
#include "platform/KeyedHash.h"
#include <vector>
#include "support/SysUtils.h"

using namespace qmz;

namespace {

// Texts long and short, with capitals of one and two bytes ("É" C3 89, "Ÿ" C5 B8) and lone lead bytes
// where the hash's first piece of 256 bytes ends.
std::vector<std::string> Texts() {
  std::vector<std::string> texts = {"", "Ore", "SHIP_Hull_\xC3\x89", "\xC3", "\xC5\xB8"};
  for (std::size_t length : {254, 255, 256, 257, 511, 513, 5000}) {
    for (const char* at : {"\xC3\x89", "\xC5\xB8", "\xC3\xC3", "\xC5\xC3\x89", "Q"}) {
      for (std::size_t shift = 0; shift < 3; ++shift) {
        std::string text(length, 'N');
        for (std::size_t i = 0; i < length; ++i) text[i] = "aB_x9Z"[i % 6];
        text.insert(std::min(length, 255 - shift), at);  // the piece's border falls inside it or just after
        texts.push_back(text);
      }
    }
  }
  return texts;
}

TEST(TextHashMemoryTest, HashesAsTheFoldedTextDoes) {
  for (const std::string& text : Texts()) EXPECT_EQ(TextHash(text), platform::KeyedHash(LowerCase(text))) << text;
  EXPECT_EQ(TextHash("SHIP_HULL_\xC3\x89"), TextHash("ship_hull_\xC3\xA9"));
}

// The first hash on a thread once made the thread a buffer (its end registered with the C library, which
// ends the process when that registration finds no memory); now it asks for none at all.
TEST(TextHashMemoryTest, AFreshThreadHashesWithEveryAllocationRefused) {
  const std::vector<std::string> texts = Texts();
  std::vector<std::size_t> expected;
  for (const std::string& text : texts) expected.push_back(TextHash(text));
  std::vector<std::size_t> hashes;
  hashes.reserve(texts.size());
  std::size_t allocations = 1;
  bool refused = false;
  std::thread fresh([&] {
    test::AllocationMeter meter(0);
    try {
      for (const std::string& text : texts) hashes.push_back(TextHash(text));
    } catch (const std::bad_alloc&) {
      refused = true;
    }
    allocations = meter.Allocations();
  });
  fresh.join();
  EXPECT_FALSE(refused);
  EXPECT_EQ(allocations, 0u);
  EXPECT_EQ(hashes, expected);
}

}  // namespace
