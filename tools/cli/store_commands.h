// vestora-cli get and install: the store's download path without a window.
#pragma once

#include <ostream>

#include "cli/cli_args.h"

namespace vestora::cli {

int runGet(const Args& args, std::ostream& out, std::ostream& err);
int runInstall(const Args& args, std::ostream& out, std::ostream& err);

extern const char* const kGetHelp;
extern const char* const kInstallHelp;

}  // namespace vestora::cli
