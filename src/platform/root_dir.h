// The application root directory: every data file of the program lies below it.
#pragma once

#include <string>

namespace vestora {

// The folder of the running executable when it holds "data/theme.wav",
// otherwise that folder's parent (not checked). No trailing separator.
// Recomputed on every call, never cached: the content may appear while the
// program runs.
std::string GetRootDir();

// The same rule for an arbitrary executable path; GetRootDir applies it to
// /proc/self/exe.
std::string rootDirForExecutable(const std::string& executablePath);

}  // namespace vestora
