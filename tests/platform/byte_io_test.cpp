#include "platform/byte_io.h"

#include <gtest/gtest.h>

namespace vestora {
namespace {

TEST(ByteIo, RoundTripsFieldsLittleEndian) {
  ByteWriter w;
  w.i32(-2);
  w.u32(0x01020304u);
  w.f32(1.5f);
  w.text("abc", 8);
  const auto& b = w.bytes();
  ASSERT_EQ(b.size(), 4u + 4 + 4 + 8);
  EXPECT_EQ(b[4], 0x04);  // least significant byte first
  EXPECT_EQ(b[7], 0x01);

  ByteReader r(b);
  std::int32_t i = 0;
  std::uint32_t u = 0;
  float f = 0;
  std::string s;
  ASSERT_TRUE(r.i32(i) && r.u32(u) && r.f32(f) && r.text(8, s));
  EXPECT_EQ(i, -2);
  EXPECT_EQ(u, 0x01020304u);
  EXPECT_EQ(f, 1.5f);
  EXPECT_EQ(s, "abc");
  EXPECT_EQ(r.remaining(), 0u);
}

TEST(ByteIo, ShortReadFailsAndStaysFailed) {
  const std::uint8_t data[6] = {1, 2, 3, 4, 5, 6};
  ByteReader r(data);
  std::uint32_t u = 0;
  EXPECT_TRUE(r.u32(u));
  EXPECT_FALSE(r.u32(u));
  EXPECT_TRUE(r.failed());
  std::uint8_t one = 0;
  EXPECT_FALSE(r.raw(&one, 1));  // two bytes were left, but the reader has failed
}

TEST(ByteIo, CountsThatWouldOverflowAreNotPresent) {
  const std::uint8_t data[16] = {};
  ByteReader r(data);
  EXPECT_TRUE(r.has(4, 4));
  EXPECT_FALSE(r.has(5, 4));
  EXPECT_FALSE(r.has(0x4000000000000001ull, 4));  // count × size wraps round 2^64
  EXPECT_FALSE(r.has(~0ull, ~0ull));
}

TEST(ByteIo, TextFieldWithoutTerminatorIsRejected) {
  ByteWriter w;
  w.raw("abcd", 4);
  ByteReader r(w.bytes());
  std::string s;
  EXPECT_FALSE(r.text(4, s));
  EXPECT_FALSE(r.failed());  // the bytes were there; the field is malformed
}

TEST(ByteIo, LongTextIsCutToKeepItsTerminator) {
  ByteWriter w;
  w.text("abcdefgh", 4);
  ASSERT_EQ(w.bytes().size(), 4u);
  EXPECT_EQ(w.bytes()[3], 0);
}

}  // namespace
}  // namespace vestora
