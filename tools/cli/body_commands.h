// vestora-cli measure and shape: the body editor and the automatic
// measurement from the command line.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "avatar/avatar.h"
#include "avatar/avatar_table.h"
#include "body/body_shaper.h"
#include "cli/cli_args.h"

namespace vestora::cli {

// The value of a numeric option; sets `bad` and says why when it is not a
// finite number.
std::optional<float> number(const Args& args, const std::string& option, std::ostream& err,
                            bool& bad);

// The body to load: an avatar table entry, or a data path.
struct BodyChoice {
  const AvatarEntry* entry = nullptr;
  std::string path;
};
// From --body (default: the woman); says why and gives nothing for an
// unknown one.
std::optional<BodyChoice> chooseBody(const Args& args, std::ostream& err);
bool loadBody(Avatar& avatar, const BodyChoice& choice, std::ostream& err);

// Applies the body editor's whole-body settings (height, then weight, then
// month, clamped as the editor clamps them; unset ones take the editor's
// starting values). False when nothing was applied.
bool applyEditorShape(Avatar& avatar, BodyShaper& shaper, std::optional<float> height,
                      std::optional<float> weight, std::optional<float> month, std::ostream& err);

int runMeasure(const Args& args, std::ostream& out, std::ostream& err);
int runShape(const Args& args, std::ostream& out, std::ostream& err);

extern const char* const kMeasureHelp;
extern const char* const kShapeHelp;

}  // namespace vestora::cli
