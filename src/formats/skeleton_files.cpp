#include "formats/skeleton_files.h"

#include "platform/file_io.h"
#include "platform/text_scan.h"

#include <cstdio>

namespace vestora {

LandmarkFile parseLandmarks(std::string_view text) {
  LandmarkFile file;
  TextScanner scan(text);
  float xyz[3];
  while (scan.readFloat(xyz[0]) && scan.readFloat(xyz[1]) && scan.readFloat(xyz[2])) {
    if (file.pointsRead < kLandmarkSlots) {
      const int slot = kLandmarkSlotOfLine[file.pointsRead];
      file.position[slot] = {xyz[0], xyz[1], xyz[2]};
      file.present[slot] = true;
    }
    ++file.pointsRead;
  }
  return file;
}

Result<LandmarkFile> readLandmarkFile(const std::string& path) {
  auto text = readFileText(path, 1u << 20);
  if (!text) return text.error();
  return parseLandmarks(text.value());
}

void applyLandmarks(const LandmarkFile& file,
                    std::array<std::array<float, 3>, kLandmarkSlots>& slots) {
  for (int s = 0; s < kLandmarkSlots; ++s)
    if (file.present[s]) slots[s] = file.position[s];
}

SkinWeightFile parseSkinWeights(std::string_view text, std::size_t vertexCount) {
  SkinWeightFile file;
  TextScanner scan(text);
  bool readable = true;
  auto readLine = [&](int& joint, int& vertex, float& weight) {
    readable = readable && scan.readInt(joint) && scan.readInt(vertex) && scan.readFloat(weight);
    return readable;
  };
  for (int joint = 1; joint <= kSkinnedJoints; ++joint) {
    auto& weights = file.weights[joint];
    weights.assign(vertexCount, 0.0f);
    int id = 0, vertex = 0;
    float weight = 0.0f;
    while (readLine(id, vertex, weight) && id == joint && vertex != -1) {
      if (vertex >= 0 && static_cast<std::size_t>(vertex) < vertexCount)
        weights[vertex] = weight;
      else
        ++file.linesIgnored;
    }
    if (readable && id == joint && vertex == -1) ++file.jointsRead;
  }
  return file;
}

std::string formatLandmarks(const std::array<std::array<float, 3>, kLandmarkSlots>& slots) {
  std::string out;
  char line[96];
  for (int n = 0; n < kLandmarkSlots; ++n) {
    const auto& p = slots[kLandmarkSlotOfLine[n]];
    std::snprintf(line, sizeof line, "%f %f %f\n", p[0], p[1], p[2]);
    out += line;
  }
  return out;
}

std::string formatSkinWeights(const std::array<std::vector<float>, kSkinnedJoints + 1>& weights) {
  std::string out;
  char line[64];
  for (int joint = 1; joint <= kSkinnedJoints; ++joint) {
    for (std::size_t k = 0; k < weights[joint].size(); ++k)
      if (weights[joint][k] != 0.0f) {
        std::snprintf(line, sizeof line, "%d %zu %f\n", joint, k, weights[joint][k]);
        out += line;
      }
    std::snprintf(line, sizeof line, "%d -1 0\n", joint);
    out += line;
  }
  return out;
}

std::string weightFilePathFor(std::string_view landmarkPath) {
  const std::size_t keep = landmarkPath.size() >= 4 ? landmarkPath.size() - 4 : 0;
  return std::string(landmarkPath.substr(0, keep)) + "Weight.wgt";
}

}  // namespace vestora
