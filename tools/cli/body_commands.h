// vestora-cli measure and shape: the body editor and the automatic
// measurement from the command line.
#pragma once

#include <ostream>

#include "cli/cli_args.h"

namespace vestora::cli {

int runMeasure(const Args& args, std::ostream& out, std::ostream& err);
int runShape(const Args& args, std::ostream& out, std::ostream& err);

extern const char* const kMeasureHelp;
extern const char* const kShapeHelp;

}  // namespace vestora::cli
