#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>

#include "platform/MemoryPages.h"

namespace {

// Only pages the range covers in full are given back (read as zero); pages it only touches are kept.
TEST(MemoryPagesTest, OnlyWholePagesInsideTheRangeAreGivenBack) {
  const std::size_t page = std::size_t(sysconf(_SC_PAGESIZE));
  auto* block = static_cast<unsigned char*>(std::aligned_alloc(page, 4 * page));
  ASSERT_NE(block, nullptr);
  struct Case {
    std::size_t from, size;
    bool zero[4];
  } cases[] = {
      {100, 3 * page - 200, {false, true, false, false}},
      {0, 2 * page, {true, true, false, false}},
      {page + 1, page, {false, false, false, false}},  // touches two pages, covers none
      {page, 0, {false, false, false, false}},
  };
  for (const auto& c : cases) {
    std::memset(block, 0xAB, 4 * page);
    qmz::platform::DiscardPages(block + c.from, c.size);
    for (std::size_t p = 0; p < 4; ++p) {
      const unsigned char want = c.zero[p] ? 0 : 0xAB;
      EXPECT_EQ(block[p * page], want) << c.from << " " << c.size << " page " << p;
      EXPECT_EQ(block[p * page + page - 1], want) << c.from << " " << c.size << " page " << p;
    }
  }
  qmz::platform::DiscardPages(nullptr, page);  // nothing to do
  std::free(block);
}

}  // namespace
