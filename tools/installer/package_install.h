// Installing a package's entries into the program's folder.
#pragma once

#include <string>
#include <vector>

#include "installer/package_format.h"
#include "platform/result.h"

namespace vestora {

// Writes every entry to dir/<entry path>, creating the folders "pattern",
// "pattern/texture" and "texture" when they are missing; returns the paths
// written. `dir` must be an existing folder. All or nothing: every file is
// first written under a temporary name and only then renamed into place,
// and files it replaces are kept aside until every rename has succeeded.
// On any failure everything it wrote is removed, the replaced files are put
// back, and the error names the file and the fault. Nothing is written
// outside `dir`: a wardrobe folder that is a symbolic link, or an entry path
// checkEntryPath refuses, fails the installation before anything is written.
Result<std::vector<std::string>> installEntries(const std::vector<PackageEntry>& entries,
                                                const std::string& dir);

}  // namespace vestora
