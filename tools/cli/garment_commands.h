// vestora-cli fit: the try-on from the command line.
#pragma once

#include <ostream>

#include "cli/cli_args.h"

namespace vestora::cli {

int runFit(const Args& args, std::ostream& out, std::ostream& err);

extern const char* const kFitHelp;

}  // namespace vestora::cli
