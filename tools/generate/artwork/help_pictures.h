// The help document's pictures: small line drawings of the window and of
// what the user does, each drawn into a box of a page; and the numbered
// discs that the pictures and the numbered lists share.
#pragma once

#include "artwork/palette.h"
#include "artwork/raster.h"
#include "artwork/text.h"

namespace vestora::generate::art::help {

// Light ink on the accent colour.
inline constexpr Colour kOnAccent = hex(0xFFF6F1);

// A number in a disc, in the light ink on `fill`.
void numberDisc(Canvas& c, const Fonts& fonts, Point centre, double r, int n, Colour fill);
// A call-out on a picture: a number with a white rim.
void callout(Canvas& c, const Fonts& fonts, Point centre, int n);

void windowPicture(Canvas& c, const Fonts& fonts, Box box);
void viewingPicture(Canvas& c, const Fonts& fonts, Box box);
void heightWeightPicture(Canvas& c, const Fonts& fonts, Box box);
void pregnancyPicture(Canvas& c, const Fonts& fonts, Box box);
void localMeasuresPicture(Canvas& c, const Fonts& fonts, Box box);
void autoMeasurePicture(Canvas& c, const Fonts& fonts, Box box);
void reportPicture(Canvas& c, const Fonts& fonts, Box box);
void measureToolsPicture(Canvas& c, const Fonts& fonts, Box box);
void dragGarmentPicture(Canvas& c, const Fonts& fonts, Box box);
void questionPicture(Canvas& c, const Fonts& fonts, Box box);
void accessoriesPicture(Canvas& c, const Fonts& fonts, Box box);
void scenesPicture(Canvas& c, const Fonts& fonts, Box box);
void snapshotPicture(Canvas& c, const Fonts& fonts, Box box);
void storePicture(Canvas& c, const Fonts& fonts, Box box);
void turntablePicture(Canvas& c, const Fonts& fonts, Box box);

}  // namespace vestora::generate::art::help
