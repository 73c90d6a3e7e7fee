// vestora-cli render: one frame of the 3D view, drawn off screen by the
// view's own frame routine, written as PNG or JPEG.
#pragma once

#include <ostream>

#include "cli/cli_args.h"

namespace vestora::cli {

int runRender(const Args& args, std::ostream& out, std::ostream& err);

extern const char* const kRenderHelp;

}  // namespace vestora::cli
