// Where the fixed numbers of the shipped bodies go: for every number, the
// body vertex or triangle that has its anatomical meaning.
#pragma once

#include "body/figure_model.h"
#include "content/body_levels.h"

namespace vestora::generate {

// The placement of the woman's numbers on her (not yet renumbered) body.
FixedPlacement womanPlacement(const FigureModel& figure, const BodyLevels& levels);
// The girl's.
FixedPlacement girlPlacement(const FigureModel& figure, const BodyLevels& levels);

}  // namespace vestora::generate
