// The generated content of the build's application root, for the body tests.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "avatar/avatar.h"
#include "body/body_shaper.h"

namespace vestora::testing {

inline std::string bodyRoot() { return VESTORA_TEST_ROOT; }

inline nlohmann::json bodyManifest() {
  std::ifstream in(bodyRoot() + "/model/BodyManifest.json");
  return nlohmann::json::parse(in);
}

// The default female body, loaded as the program loads it.
struct LoadedWoman {
  Avatar avatar{bodyRoot()};
  LoadedWoman() {
    auto loaded = avatar.selectAvatar(kAvatarTable[0]);
    EXPECT_TRUE(loaded.ok()) << (loaded.ok() ? "" : loaded.error().message());
  }
};

}  // namespace vestora::testing
