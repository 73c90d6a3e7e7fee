// What the generator builds, kind by kind, into the application root. Each
// function writes its files and adds the intended dimensions of its bodies
// to the manifest.
#pragma once

#include <nlohmann/json.hpp>

#include "content/content_root.h"

namespace vestora::generate {

using Manifest = nlohmann::ordered_json;

void generateWoman(ContentRoot& root, Manifest& manifest);
void generateGirl(ContentRoot& root, Manifest& manifest);
void generateMen(ContentRoot& root, Manifest& manifest);
void generateCommon(ContentRoot& root);
// Needs the woman's files already in the root.
void generateGarments(ContentRoot& root);
// The fabric swatches, JPEG, under \pattern\texture: one for each of
// kFabricNames ("Denim.jpg", ...) and the garments' "Dress.jpg", "Top.jpg"
// and "Skirt.jpg".
void writeFabricTextures(ContentRoot& root);

}  // namespace vestora::generate
