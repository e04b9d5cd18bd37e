// The keyed hash against values of its algorithm computed elsewhere: the published SipHash-2-4 vectors
// and SipHash-1-3 (the rounds the program hashes with) as another implementation gives it under a zero key.

#include <gtest/gtest.h>

#include <string>

#include "platform/KeyedHash.h"

using namespace qmz::platform;

namespace {

// The published test message of length n: the bytes 00, 01, .. n-1.
std::string Message(std::size_t n) {
  std::string m(n, '\0');
  for (std::size_t i = 0; i < n; ++i) m[i] = char(i);
  return m;
}

TEST(KeyedHashTest, MatchesReferenceValues) {
  // Key 00 01 .. 0f.
  const std::uint64_t k0 = 0x0706050403020100ULL, k1 = 0x0F0E0D0C0B0A0908ULL;
  const std::pair<std::size_t, std::uint64_t> published[] = {
      {0, 0x726FDB47DD0E0E31ULL}, {1, 0x74F839C593DC67FDULL},  {2, 0x0D6C8009D9A94F5AULL},
      {3, 0x85676696D7FB7E2DULL}, {15, 0xA129CA6149BE45E5ULL},
  };
  for (const auto& [n, hash] : published) EXPECT_EQ(SipHash24(k0, k1, Message(n)), hash) << n;
  const std::pair<std::size_t, std::uint64_t> oneThree[] = {
      {1, 0x68A914128E01E473ULL},  {7, 0x2F098AB0C751325AULL},  {8, 0xEAD411E67EBE2EEAULL},
      {15, 0xF30EB725BB91C9EAULL}, {16, 0x8972188433A5C5B7ULL}, {63, 0x385D3E39E5F37359ULL},
  };
  for (const auto& [n, hash] : oneThree) EXPECT_EQ(SipHash13(0, 0, Message(n)), hash) << n;
  // The process's own key: one text, one hash; another text, another.
  EXPECT_EQ(KeyedHash(Message(9)), KeyedHash(Message(9)));
  EXPECT_NE(KeyedHash(Message(9)), KeyedHash(Message(10)));
}

}  // namespace
