#include "formats/shape_files.h"

#include <clocale>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_support.h"

namespace vestora {
namespace {

using testing::TempDir;

std::vector<std::uint8_t> int32Bytes(std::int32_t v) {
  std::vector<std::uint8_t> b(4);
  std::memcpy(b.data(), &v, 4);
  return b;
}

std::string text(const std::vector<std::uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

// ---- Shape table ----------------------------------------------------------

TEST(ShapeTable, RoundTripKeepsKeysNamesAndOrder) {
  const std::vector<ShapeTableRecord> records = {
      {155.0f, "\\model\\ChinaFemale\\Height\\h155.vts"},
      {150.0f, "\\model\\ChinaFemale\\Height\\h150.vts"},
      {0.375f, ""},
      {-2.5f, std::string(kShapeNameMax, 'w')},
      {1.0f, "\xC8\xFF\x01 high bytes wrap"},
  };
  auto bytes = encodeShapeTable(records);
  ASSERT_TRUE(bytes.ok()) << bytes.error().message();
  EXPECT_EQ(bytes->size(), 4 + kShapeRecordSize * records.size());
  auto back = parseShapeTable(bytes.value(), "<memory>");
  ASSERT_TRUE(back.ok()) << back.error().message();
  EXPECT_EQ(back.value(), records);

  auto empty = encodeShapeTable({});
  ASSERT_TRUE(empty.ok());
  EXPECT_EQ(empty.value(), int32Bytes(0));
  auto none = parseShapeTable(empty.value(), "<memory>");
  ASSERT_TRUE(none.ok());
  EXPECT_TRUE(none->empty());
}

TEST(ShapeTable, NameBytesAreShiftedByTheKeyAndTheTailIsZero) {
  const std::string name = "\\model\\ChinaFemale\\Height\\h155.vts";
  auto bytes = encodeShapeTable({{155.0f, name}});
  ASSERT_TRUE(bytes.ok());
  const std::vector<std::uint8_t>& b = bytes.value();
  ASSERT_EQ(b.size(), 136u);
  EXPECT_EQ(std::vector<std::uint8_t>(b.begin(), b.begin() + 4), int32Bytes(1));
  // 155.0f is 0x431B0000.
  EXPECT_EQ(b[4], 0x00);
  EXPECT_EQ(b[5], 0x00);
  EXPECT_EQ(b[6], 0x1B);
  EXPECT_EQ(b[7], 0x43);
  EXPECT_EQ(b[8], 0xA7);                // '\' (0x5C) + 0x4B
  EXPECT_EQ(b[9], 0xB8);                // 'm' (0x6D) + 0x4B
  EXPECT_EQ(b[8 + name.size()], 0x4B);  // the terminator, shifted like the rest
  EXPECT_EQ(b[57], 0x4B);               // and the padding of the name field
  for (std::size_t i = 58; i < 136; ++i) EXPECT_EQ(b[i], 0) << "byte " << i;

  // The shift wraps: 0xC8 + 0x4B stores 0x13, and 0x13 reads as 0xC8.
  auto high = encodeShapeTable({{0.0f, "\xC8"}});
  ASSERT_TRUE(high.ok());
  EXPECT_EQ(high.value()[8], 0x13);
}

TEST(ShapeTable, CountMustFitTheBytesPresent) {
  auto two = encodeShapeTable({{150.0f, "\\a.vts"}, {160.0f, "\\b.vts"}});
  ASSERT_TRUE(two.ok());
  std::vector<std::uint8_t> b = two.value();

  // The unread tail of the last record may be missing; its name may not.
  b.resize(4 + 132 + 54);
  auto cut = parseShapeTable(b, "t.plt");
  ASSERT_TRUE(cut.ok()) << cut.error().message();
  EXPECT_EQ(cut->at(1).fileName, "\\b.vts");
  b.resize(4 + 132 + 53);
  auto short1 = parseShapeTable(b, "t.plt");
  ASSERT_FALSE(short1.ok());
  EXPECT_EQ(short1.error().source, "t.plt");
  EXPECT_NE(short1.error().what.find("runs past the end"), std::string::npos);

  // Bytes after the last record are not read.
  b = two.value();
  b.insert(b.end(), 10, 0x77);
  auto extra = parseShapeTable(b, "t.plt");
  ASSERT_TRUE(extra.ok());
  EXPECT_EQ(extra->size(), 2u);

  for (std::int32_t count : {-1, std::numeric_limits<std::int32_t>::min(), 3,
                             std::numeric_limits<std::int32_t>::max()}) {
    b = two.value();
    std::memcpy(b.data(), &count, 4);
    EXPECT_FALSE(parseShapeTable(b, "t.plt").ok()) << "count " << count;
  }
  EXPECT_FALSE(parseShapeTable(Bytes(two->data(), 3), "t.plt").ok());
  EXPECT_FALSE(parseShapeTable(Bytes(), "t.plt").ok());
}

TEST(ShapeTable, NameWithoutTerminatorIsAnError) {
  auto bytes = encodeShapeTable({{1.0f, "ok"}, {2.0f, "x"}});
  ASSERT_TRUE(bytes.ok());
  std::vector<std::uint8_t> b = bytes.value();
  // Record 1's name field: no byte decodes to NUL.
  for (std::size_t i = 4 + 132 + 4; i < 4 + 132 + 54; ++i) b[i] = 'a' + 0x4B;
  auto r = parseShapeTable(b, "t.plt");
  ASSERT_FALSE(r.ok());
  EXPECT_NE(r.error().what.find("record 1"), std::string::npos) << r.error().what;
  // A terminator in the very last byte of the field is enough.
  b[4 + 132 + 53] = 0x4B;
  auto last = parseShapeTable(b, "t.plt");
  ASSERT_TRUE(last.ok());
  EXPECT_EQ(last->at(1).fileName, std::string(49, 'a'));
}

TEST(ShapeTable, WriterRejectsNamesThatCannotBeReadBack) {
  EXPECT_TRUE(encodeShapeTable({{1.0f, std::string(49, 'n')}}).ok());
  auto tooLong = encodeShapeTable({{1.0f, "fine"}, {2.0f, std::string(50, 'n')}});
  ASSERT_FALSE(tooLong.ok());
  EXPECT_NE(tooLong.error().what.find("record 1"), std::string::npos);
  EXPECT_FALSE(encodeShapeTable({{1.0f, std::string("a\0b", 3)}}).ok());
}

TEST(ShapeTable, NearestKeepsTheEarlierOfEqualDistancesAndStartsAt1000) {
  const std::vector<ShapeTableRecord> records = {
      {150.0f, "a"}, {160.0f, "b"}, {155.0f, "c"}, {165.0f, "d"}, {155.0f, "e"}};
  EXPECT_EQ(nearestShapeRecord(records, 155.0f)->fileName, "c");  // e ties and comes later
  EXPECT_EQ(nearestShapeRecord(records, 157.5f)->fileName, "b");  // b, c and e tie
  EXPECT_EQ(nearestShapeRecord(records, 152.5f)->fileName, "a");  // a, c and e tie
  EXPECT_EQ(nearestShapeRecord(records, 162.5f)->fileName, "b");  // b and d tie
  EXPECT_EQ(nearestShapeRecord(records, 164.0f)->fileName, "d");
  EXPECT_EQ(nearestShapeRecord(records, -840.0f)->fileName, "a");  // 990 away

  const std::vector<ShapeTableRecord> one = {{0.0f, "zero"}};
  EXPECT_EQ(nearestShapeRecord(one, 1000.0f), nullptr);  // exactly 1000 is not within
  EXPECT_EQ(nearestShapeRecord(one, -1000.0f), nullptr);
  ASSERT_NE(nearestShapeRecord(one, 999.5f), nullptr);
  EXPECT_EQ(nearestShapeRecord({}, 0.0f), nullptr);
  const std::vector<ShapeTableRecord> nan = {{std::nanf(""), "nan"}, {3.0f, "three"}};
  EXPECT_EQ(nearestShapeRecord(nan, 0.0f)->fileName, "three");
}

// ---- Vertex set -----------------------------------------------------------

TEST(VertexSet, RoundTripIsTheRawFloats) {
  const std::vector<float> v = {0, 0, 0, 1.5f, -2, 3, 0.25f, 1e-3f, -7};
  const auto bytes = encodeVertexSet(v);
  ASSERT_EQ(bytes.size(), 36u);
  float second;
  std::memcpy(&second, bytes.data() + 16, 4);
  EXPECT_EQ(second, -2.0f);
  auto back = parseVertexSet(bytes, 2, "<memory>");
  ASSERT_TRUE(back.ok()) << back.error().message();
  EXPECT_EQ(back.value(), v);
  auto none = parseVertexSet(encodeVertexSet({7, 8, 9}), 0, "<memory>");
  ASSERT_TRUE(none.ok());
  EXPECT_EQ(none.value(), (std::vector<float>{7, 8, 9}));
}

TEST(VertexSet, SizeOtherThanTheBodyIsAnErrorNamingBothSizes) {
  const auto bytes = encodeVertexSet(std::vector<float>(9, 1.0f));
  for (std::size_t size : {std::size_t(0), std::size_t(24), std::size_t(35)}) {
    auto r = parseVertexSet(Bytes(bytes.data(), size), 2, "h155.vts");
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().source, "h155.vts");
    EXPECT_NE(r.error().what.find(std::to_string(size) + " bytes"), std::string::npos);
    EXPECT_NE(r.error().what.find("36"), std::string::npos) << r.error().what;
  }
  std::vector<std::uint8_t> longer = bytes;
  longer.resize(48);
  auto r = parseVertexSet(longer, 2, "h155.vts");
  ASSERT_FALSE(r.ok());
  EXPECT_NE(r.error().what.find("48"), std::string::npos);
  EXPECT_NE(r.error().what.find("36"), std::string::npos);
  EXPECT_FALSE(parseVertexSet(bytes, std::numeric_limits<std::size_t>::max(), "x").ok());
}

TEST(VertexSet, NonFiniteVertexIsAnErrorButSlotZeroHoldsNoData) {
  std::vector<float> v(9, 1.0f);
  v[0] = std::nanf("");
  EXPECT_TRUE(parseVertexSet(encodeVertexSet(v), 2, "x").ok());
  v[7] = std::numeric_limits<float>::infinity();
  auto r = parseVertexSet(encodeVertexSet(v), 2, "x");
  ASSERT_FALSE(r.ok());
  EXPECT_NE(r.error().what.find("vertex 2"), std::string::npos);
}

// ---- Per-vertex triples ---------------------------------------------------

TEST(VertexTriples, WritesCFixedFormatAndReadsItBack) {
  EXPECT_EQ(formatVertexTriples({1.5f, -2.0f, 0.1f}), "1.500000 -2.000000 0.100000\n");
  EXPECT_EQ(formatVertexTriples({12345678.0f, 0.0000004f, -0.0000006f}),
            "12345678.000000 0.000000 -0.000001\n");
  EXPECT_EQ(formatVertexTriples({1, 2, 3, 4}), "1.000000 2.000000 3.000000\n");
  EXPECT_EQ(formatVertexTriples({}), "");

  const std::vector<float> values = {1.25f, -0.5f, 100.0f, 0.0f, 3.125f, -42.75f};
  const VertexTriples back = parseVertexTriples(formatVertexTriples(values), 2);
  EXPECT_EQ(back.values, values);
  EXPECT_EQ(back.count, 2u);
  EXPECT_FALSE(back.stoppedEarly);
  EXPECT_FALSE(back.extraIgnored);
}

TEST(VertexTriples, WriterIgnoresTheProcessLocale) {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = previous ? previous : "C";
  bool switched = false;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8"})
    if (std::setlocale(LC_NUMERIC, name)) {
      switched = true;
      break;
    }
  const std::string written = formatVertexTriples({0.5f, 1.0f, -2.25f});
  std::setlocale(LC_NUMERIC, saved.c_str());
  if (!switched) GTEST_SKIP() << "no locale with a decimal comma is installed";
  EXPECT_EQ(written, "0.500000 1.000000 -2.250000\n");
}

TEST(VertexTriples, ReadingStopsAtTheFirstShortLine) {
  const VertexTriples atEnd = parseVertexTriples("1 2 3\n4 5\n", 10);
  EXPECT_EQ(atEnd.count, 1u);
  EXPECT_EQ(atEnd.values, (std::vector<float>{1, 2, 3}));
  EXPECT_TRUE(atEnd.stoppedEarly);

  const VertexTriples beforeText = parseVertexTriples("1 2 3\n4 5\nend\n7 8 9\n", 10);
  EXPECT_EQ(beforeText.count, 1u);
  EXPECT_TRUE(beforeText.stoppedEarly);

  const VertexTriples bad = parseVertexTriples("1 2 3\n4 x 6\n7 8 9\n", 10);
  EXPECT_EQ(bad.count, 1u);

  // As with "%f %f %f\n", a short line takes its missing number from the next.
  const VertexTriples spread = parseVertexTriples("1 2\n3 4 5 6\n", 10);
  EXPECT_EQ(spread.values, (std::vector<float>{1, 2, 3, 4, 5, 6}));
  EXPECT_TRUE(spread.stoppedEarly);  // 2 of 10

  EXPECT_EQ(parseVertexTriples("", 3).count, 0u);
  EXPECT_TRUE(parseVertexTriples("", 3).stoppedEarly);
}

TEST(VertexTriples, AtMostMaxVerticesAreReadAndExtraLinesAreReported) {
  const std::string three = "1 1 1\n2 2 2\n3 3 3\n";
  const VertexTriples cut = parseVertexTriples(three, 2);
  EXPECT_EQ(cut.count, 2u);
  EXPECT_EQ(cut.values.size(), 6u);
  EXPECT_FALSE(cut.stoppedEarly);
  EXPECT_TRUE(cut.extraIgnored);

  const VertexTriples exact = parseVertexTriples(three + "\n  \r\n", 3);
  EXPECT_EQ(exact.count, 3u);
  EXPECT_FALSE(exact.stoppedEarly);
  EXPECT_FALSE(exact.extraIgnored);  // white space after the last triple is not text

  EXPECT_TRUE(parseVertexTriples("junk", 0).extraIgnored);
  EXPECT_FALSE(parseVertexTriples("", 0).extraIgnored);
}

TEST(VertexTriples, CrlfAndExponentsRead) {
  const VertexTriples t = parseVertexTriples("1.5 -2 3e2\r\n+4 .5 -6.25E-1\r\n", 5);
  EXPECT_EQ(t.values, (std::vector<float>{1.5f, -2, 300, 4, 0.5f, -0.625f}));
  EXPECT_TRUE(t.stoppedEarly);
}

// ---- Idle animation -------------------------------------------------------

std::vector<std::vector<float>> frames(int count, std::size_t vertexCount) {
  std::vector<std::vector<float>> out(count);
  for (int f = 0; f < count; ++f)
    for (std::size_t i = 0; i < (vertexCount + 1) * 3; ++i)
      out[f].push_back(static_cast<float>(f) + 0.125f * static_cast<float>(i));
  return out;
}

TEST(Animation, RoundTripHoldsCountMinusOneFrames) {
  const auto two = frames(2, 3);
  auto bytes = encodeAnimation(3, two);
  ASSERT_TRUE(bytes.ok()) << bytes.error().message();
  EXPECT_EQ(bytes->size(), 4u + 2 * 4 * 12);
  auto back = parseAnimation(bytes.value(), 3, 100, "<memory>");
  ASSERT_TRUE(back.ok()) << back.error().message();
  EXPECT_EQ(back->declaredCount, 3);
  EXPECT_EQ(back->frames, two);
  EXPECT_EQ(back->framesNotRead, 0u);
  EXPECT_EQ(back->trailingBytes, 0u);

  auto still = encodeAnimation(1, {});
  ASSERT_TRUE(still.ok());
  EXPECT_EQ(still.value(), int32Bytes(1));
  auto none = parseAnimation(still.value(), 3, 100, "<memory>");
  ASSERT_TRUE(none.ok());
  EXPECT_TRUE(none->frames.empty());
}

TEST(Animation, FramesBeyondMaxFramesAreCountedNotRead) {
  auto bytes = encodeAnimation(4, frames(3, 2));
  ASSERT_TRUE(bytes.ok());
  std::vector<std::uint8_t> b = bytes.value();
  b.insert(b.end(), {1, 2, 3});
  auto first = parseAnimation(b, 2, 1, "idle.a");
  ASSERT_TRUE(first.ok()) << first.error().message();
  ASSERT_EQ(first->frames.size(), 1u);
  EXPECT_EQ(first->frames[0], frames(1, 2)[0]);
  EXPECT_EQ(first->framesNotRead, 2u);
  EXPECT_EQ(first->trailingBytes, 3u);
  auto zero = parseAnimation(b, 2, 0, "idle.a");
  ASSERT_TRUE(zero.ok());
  EXPECT_TRUE(zero->frames.empty());
  EXPECT_EQ(zero->framesNotRead, 3u);
}

TEST(Animation, BadCountsAndShortFilesAreErrors) {
  auto bytes = encodeAnimation(3, frames(2, 2));
  ASSERT_TRUE(bytes.ok());
  std::vector<std::uint8_t> b = bytes.value();
  b.pop_back();
  // Short even when the missing frame would not be read.
  for (std::size_t maxFrames : {std::size_t(0), std::size_t(1), std::size_t(5)}) {
    auto r = parseAnimation(b, 2, maxFrames, "idle.a");
    ASSERT_FALSE(r.ok());
    EXPECT_NE(r.error().what.find("frame 2 of 2"), std::string::npos) << r.error().what;
  }
  // The same bytes are too short for a body with more vertices.
  EXPECT_FALSE(parseAnimation(bytes.value(), 3, 5, "idle.a").ok());

  for (std::int32_t n : {0, -1, std::numeric_limits<std::int32_t>::min(),
                         std::numeric_limits<std::int32_t>::max()}) {
    b = bytes.value();
    std::memcpy(b.data(), &n, 4);
    EXPECT_FALSE(parseAnimation(b, 2, 5, "idle.a").ok()) << "count " << n;
  }
  EXPECT_FALSE(parseAnimation(Bytes(bytes->data(), 2), 2, 5, "idle.a").ok());
  EXPECT_FALSE(parseAnimation(bytes.value(), std::numeric_limits<std::size_t>::max(), 5, "x").ok());

  auto nan = frames(2, 2);
  nan[1][5] = std::nanf("");  // frame 2, vertex 1
  auto r = parseAnimation(encodeAnimation(3, nan).value(), 2, 5, "idle.a");
  ASSERT_FALSE(r.ok());
  EXPECT_NE(r.error().what.find("frame 2, vertex 1"), std::string::npos) << r.error().what;
}

TEST(Animation, WriterRejectsFilesThatCannotBeReadBack) {
  EXPECT_FALSE(encodeAnimation(3, frames(1, 2)).ok());  // count must be frames + 1
  EXPECT_FALSE(encodeAnimation(0, {}).ok());
  auto uneven = frames(2, 2);
  uneven[1].resize(6);
  EXPECT_FALSE(encodeAnimation(3, uneven).ok());
  EXPECT_FALSE(encodeAnimation(2, {{1, 2, 3, 4}}).ok());
  EXPECT_FALSE(encodeAnimation(2, {{}}).ok());
}

// ---- Vertex group ---------------------------------------------------------

TEST(VertexGroup, WriteThenReadGivesTheIndicesInFileOrder) {
  const std::string written = formatVertexGroup({5, 1, 9, 0}, "left arm");
  EXPECT_EQ(written, "# left arm\nvcnt: 4\nv 5\nv 1\nv 9\nv 0\n");
  auto back = parseVertexGroup(written, "arm.grp");
  ASSERT_TRUE(back.ok()) << back.error().message();
  EXPECT_EQ(back->indices, (std::vector<int>{5, 1, 9, 0}));
  EXPECT_EQ(back->declaredCount, 4);
  EXPECT_TRUE(back->countMatches());
  EXPECT_TRUE(back->warnings.empty());

  // A comment of several lines, one of them too long for a group line.
  const std::string comment = "first\r\n\n" + std::string(300, 'c');
  const std::string many = formatVertexGroup({}, comment);
  EXPECT_EQ(many.substr(0, 10), "# first\n#\n");
  auto again = parseVertexGroup(many, "x.grp");
  ASSERT_TRUE(again.ok()) << again.error().message();
  EXPECT_TRUE(again->indices.empty());
  EXPECT_EQ(again->declaredCount, 0);
  EXPECT_EQ(formatVertexGroup({3}, ""), "vcnt: 1\nv 3\n");
}

TEST(VertexGroup, SkipsCommentsAndOtherLinesAndSplitsAtTabs) {
  const std::string text =
      "# v 99\n"
      "v\t7\textra words\r\n"
      "\n"
      "   v 8\n"
      "vertex 5\n"
      "vcnt:3\n"  // one word: not a count line
      "V 6\n"
      "#v\n"
      "vcnt:\t2\n"  // the count may come after the vertices
      "v 2";
  auto g = parseVertexGroup(text, "g.grp");
  ASSERT_TRUE(g.ok()) << g.error().message();
  EXPECT_EQ(g->indices, (std::vector<int>{7, 8, 2}));
  EXPECT_EQ(g->declaredCount, 2);
  EXPECT_FALSE(g->countMatches());
  ASSERT_EQ(g->warnings.size(), 1u);  // 2 given, 3 listed
  EXPECT_NE(g->warnings[0].find("3"), std::string::npos);
}

TEST(VertexGroup, LineWithoutItsNumberIsAnErrorNamingTheLine) {
  struct Case {
    const char* text;
    int line;
  };
  for (const Case& c : {Case{"vcnt: 2\nv 1\nv\nv 3\n", 3}, Case{"v 1\r\nv \t \r\n", 2},
                        Case{"# x\nvcnt:\n", 2}, Case{"v 1\nv one\n", 2}, Case{"v -4\n", 1},
                        Case{"vcnt: -1\n", 1}, Case{"v 99999999999\n", 1}, Case{"v 1.5\n", 1}}) {
    auto r = parseVertexGroup(c.text, "g.grp");
    ASSERT_FALSE(r.ok()) << c.text;
    EXPECT_EQ(r.error().line, c.line) << c.text;
    EXPECT_EQ(r.error().source, "g.grp");
  }
}

TEST(VertexGroup, LinesLongerThan255CharactersAreErrors) {
  const std::string longest = "v 1 " + std::string(251, 'x');
  ASSERT_EQ(longest.size(), 255u);
  auto ok = parseVertexGroup("vcnt: 1\n" + longest + "\r\n", "g.grp");
  ASSERT_TRUE(ok.ok()) << ok.error().message();
  EXPECT_EQ(ok->indices, (std::vector<int>{1}));
  auto tooLong = parseVertexGroup("vcnt: 1\nv 1\n#" + std::string(255, ' ') + "\n", "g.grp");
  ASSERT_FALSE(tooLong.ok());
  EXPECT_EQ(tooLong.error().line, 3);
}

TEST(VertexGroup, CountProblemsAreWarnings) {
  auto missing = parseVertexGroup("v 1\nv 2\n", "g.grp");
  ASSERT_TRUE(missing.ok());
  EXPECT_FALSE(missing->declaredCount.has_value());
  EXPECT_FALSE(missing->countMatches());
  EXPECT_EQ(missing->warnings.size(), 1u);

  auto twice = parseVertexGroup("vcnt: 1\nv 1\nvcnt: 5\n", "g.grp");
  ASSERT_TRUE(twice.ok());
  EXPECT_EQ(twice->declaredCount, 1);  // the first count holds
  EXPECT_TRUE(twice->countMatches());
  ASSERT_EQ(twice->warnings.size(), 1u);
  EXPECT_NE(twice->warnings[0].find("line 3"), std::string::npos);

  auto tooMany = parseVertexGroup("vcnt: 5\nv 1\n", "g.grp");
  ASSERT_TRUE(tooMany.ok());
  EXPECT_EQ(tooMany->indices, (std::vector<int>{1}));
  EXPECT_EQ(tooMany->warnings.size(), 1u);
}

// ---- Files ------------------------------------------------------------------

TEST(ShapeFiles, ReadersTakePathsAndNameThemInErrors) {
  TempDir dir;
  const auto table = encodeShapeTable({{155.0f, "\\model\\h155.vts"}});
  ASSERT_TRUE(table.ok());
  const std::string tablePath = dir.write("h.plt", text(table.value()));
  auto records = readShapeTable(tablePath);
  ASSERT_TRUE(records.ok()) << records.error().message();
  EXPECT_EQ(records->at(0).fileName, "\\model\\h155.vts");

  const std::vector<float> set = {0, 0, 0, 1, 2, 3};
  const std::string setPath = dir.write("h155.vts", text(encodeVertexSet(set)));
  auto vertices = readVertexSet(setPath, 1);
  ASSERT_TRUE(vertices.ok()) << vertices.error().message();
  EXPECT_EQ(vertices.value(), set);
  auto larger = readVertexSet(setPath, 0);  // 24 bytes for a 12-byte set
  ASSERT_FALSE(larger.ok());
  EXPECT_EQ(larger.error().source, setPath);
  EXPECT_NE(larger.error().what.find("24"), std::string::npos) << larger.error().what;
  EXPECT_NE(larger.error().what.find("12"), std::string::npos) << larger.error().what;
  auto smaller = readVertexSet(setPath, 2);
  ASSERT_FALSE(smaller.ok());
  EXPECT_NE(smaller.error().what.find("36"), std::string::npos) << smaller.error().what;

  auto triples = readVertexTriples(dir.write("scaleBodyHigh.dat", "1 1 1\n2 2 2\n"), 2);
  ASSERT_TRUE(triples.ok());
  EXPECT_EQ(triples->count, 2u);

  const auto idle = encodeAnimation(2, frames(1, 1));
  ASSERT_TRUE(idle.ok());
  auto animation = readAnimation(dir.write("idle.a", text(idle.value())), 1, 10);
  ASSERT_TRUE(animation.ok()) << animation.error().message();
  EXPECT_EQ(animation->frames, frames(1, 1));

  auto group = readVertexGroup(dir.write("arm.grp", formatVertexGroup({4}, "arm")));
  ASSERT_TRUE(group.ok());
  EXPECT_EQ(group->indices, (std::vector<int>{4}));
  auto badGroup = readVertexGroup(dir.write("bad.grp", "v\n"));
  ASSERT_FALSE(badGroup.ok());
  EXPECT_EQ(badGroup.error().source, dir.file("bad.grp"));

  const std::string missing = dir.file("missing");
  EXPECT_EQ(readShapeTable(missing).error().source, missing);
  EXPECT_EQ(readVertexSet(missing, 1).error().source, missing);
  EXPECT_EQ(readVertexTriples(missing, 1).error().source, missing);
  EXPECT_EQ(readAnimation(missing, 1, 1).error().source, missing);
  EXPECT_EQ(readVertexGroup(missing).error().source, missing);
}

}  // namespace
}  // namespace vestora
