// The measurement report: every result in centimetres and in inches.
#pragma once

#include <string>

#include "body/measurement.h"
#include "platform/result.h"

namespace vestora {

inline constexpr double kInchesPerCentimetre = 0.39370078740157477;

// The report's text, byte for byte as the program writes it.
std::string formatMeasureReport(const MeasureResults& results);

// Writes the report to `path`; a file that cannot be written is an error
// and leaves any earlier file of that name as it was.
Result<void> writeMeasureReport(const std::string& path, const MeasureResults& results);

}  // namespace vestora
