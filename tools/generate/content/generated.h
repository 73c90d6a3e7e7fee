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

}  // namespace vestora::generate
