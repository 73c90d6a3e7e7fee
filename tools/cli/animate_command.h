// vestora-cli animate: the woman's idle animation played without a display,
// as the 3D view plays it, to time its ticks.
#pragma once

#include <ostream>

#include "cli/cli_args.h"

namespace vestora::cli {

int runAnimate(const Args& args, std::ostream& out, std::ostream& err);

extern const char* const kAnimateHelp;

}  // namespace vestora::cli
