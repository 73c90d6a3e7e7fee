// Data paths. The program names its data files as relative paths that begin
// with a backslash ("\model\ChinaFemale\nv_High.c3d"); they are kept in that
// form everywhere and turned into file-system paths only here.
#pragma once

#include <string>
#include <string_view>

namespace vestora {

// root + relative, with every backslash of `relative` turned into '/'.
// `relative` normally begins with a backslash; one is supplied if it does not.
std::string dataPath(std::string_view root, std::string_view relative);

// dataPath(GetRootDir(), relative).
std::string dataPath(std::string_view relative);

// A path in the program's backslash form with forward slashes.
std::string toSlashes(std::string_view path);

// The text after the last '\' or '/' (a file name from a path in either form).
std::string_view fileNameOf(std::string_view path);

// The text up to and including the last '/' or, failing that, the last '\';
// empty when there is neither (the current folder).
std::string_view folderOf(std::string_view path);

}  // namespace vestora
