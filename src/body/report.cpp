#include "body/report.h"

#include <cstdio>

#include "platform/file_io.h"

namespace vestora {
namespace {

// Tabs between each label and its values, as the report lays them out.
constexpr int kTabs[25] = {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 1, 1, 1, 1, 1, 2, 1, 2, 2, 2, 3, 2, 3, 3, 3};

}  // namespace

std::string formatMeasureReport(const MeasureResults& r) {
  std::string out = "================ Body Measurement Results (cm/inch)========================\n";
  char line[160];
  for (std::size_t i = 0; i < kMeasureLabels.size(); ++i) {
    const double cm = r.value[i];
    std::snprintf(line, sizeof line, "%s%.*s%4.3f %4.3f\n", std::string(kMeasureLabels[i]).c_str(), kTabs[i],
                  "\t\t\t", cm, cm * kInchesPerCentimetre);
    out += line;
  }
  out += "======================================================================\n";
  return out;
}

Result<void> writeMeasureReport(const std::string& path, const MeasureResults& results) {
  return writeFileAtomically(path, asBytes(formatMeasureReport(results)));
}

}  // namespace vestora
