// The measurement report, byte for byte.
#include "body/report.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace vestora {
namespace {

TEST(MeasureReport, LayoutIsExact) {
  MeasureResults r;
  for (std::size_t i = 0; i < r.value.size(); ++i) r.value[i] = 10.0f + float(i);
  r.value[kChest] = 92.295f;
  const std::string text = formatMeasureReport(r);
  const std::string expectedStart =
      "================ Body Measurement Results (cm/inch)========================\n"
      "chest circumference\t\t92.295 36.337\n"
      "waist circumference\t\t11.000 4.331\n";
  EXPECT_EQ(text.substr(0, expectedStart.size()), expectedStart);
  // Tabs after each label, as the report lays them out.
  EXPECT_NE(text.find("Bust depth\t20.000 7.874\n"), std::string::npos);
  EXPECT_NE(text.find("Ankle circumference\t\t\t30.000 11.811\n"), std::string::npos);
  EXPECT_NE(text.find("Upper thigh circumference\t26.000 10.236\n"), std::string::npos);
  EXPECT_NE(text.find("Back accross shulder length\t24.000 9.449\n"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 71),
            "======================================================================\n");
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 27);
}

TEST(MeasureReport, InchesAreCentimetresTimesTheFactor) {
  MeasureResults r;
  r.value[kWaist] = 71.4457f;
  const std::string text = formatMeasureReport(r);
  char expected[64];
  std::snprintf(expected, sizeof expected, "waist circumference\t\t%4.3f %4.3f\n", double(r.value[kWaist]),
                double(r.value[kWaist]) * 0.39370078740157477);
  EXPECT_NE(text.find(expected), std::string::npos);
  // Before any measurement every value is zero.
  const std::string empty = formatMeasureReport(MeasureResults{});
  EXPECT_NE(empty.find("Wrist circumference\t\t\t0.000 0.000\n"), std::string::npos);
}

TEST(MeasureReport, WritingReplacesTheFileOrLeavesIt) {
  testing::TempDir dir;
  MeasureResults r;
  r.value[kHip] = 99.9f;
  const std::string path = dir.file("report.txt");
  ASSERT_TRUE(writeMeasureReport(path, r).ok());
  EXPECT_EQ(testing::readAll(path), formatMeasureReport(r));
  EXPECT_FALSE(writeMeasureReport(dir.file("missing/folder/report.txt"), r).ok());
}

}  // namespace
}  // namespace vestora
