// vestora-render: pictures of a model file without a display.
//   vestora-render MODEL(.c3d|.obj) OUT_PREFIX [--size N] [--views LIST]
//                  [--group-colours] [--wire]
// writes OUT_PREFIX-front.png, OUT_PREFIX-side.png, ... . The paths written
// (and, with --group-colours, the colour of every group) go to `out`,
// diagnostics to `err`.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace vestora::render {

// Exit statuses.
inline constexpr int kOk = 0;
inline constexpr int kFailed = 1;  // the model cannot be read, or drawing or writing failed
inline constexpr int kUsage = 2;   // the command line is wrong

// `args` excludes the program name.
int runRender(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace vestora::render
