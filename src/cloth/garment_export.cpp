#include "cloth/garment_export.h"

#include <cstdio>

namespace vestora {

namespace {

void appendVertex(std::string& out, float x, float y, float z) {
  char line[96];
  std::snprintf(line, sizeof line, "v %.6g %.6g %.6g\n", x, y, z);
  out += line;
}

void appendFace(std::string& out, long a, long b, long c) {
  char line[64];
  std::snprintf(line, sizeof line, "f %ld %ld %ld\n", a, b, c);
  out += line;
}

}  // namespace

std::string formatDressedObj(const Avatar& avatar, const GarmentMesh& garment) {
  std::string out = "# dressed avatar\n";
  const long bodyVertices = static_cast<long>(avatar.skin.size());
  for (const SkinVertex& v : avatar.skin) appendVertex(out, v.x, v.y, v.z);
  const std::vector<GarmentParticle>& drawn =
      garment.drawParticles.size() == garment.particles.size() ? garment.drawParticles
                                                               : garment.particles;
  for (const GarmentParticle& p : drawn) appendVertex(out, p.point.x, p.point.y, p.point.z);
  if (avatar.loaded()) {
    const GlmModel& model = avatar.model();
    for (const GlmGroup& group : model.groups) {
      std::string name = group.name;
      while (!name.empty() && name.front() == ' ') name.erase(name.begin());
      out += "g " + (name.empty() ? std::string("body") : name) + "\n";
      for (std::uint32_t t : group.triangles) {
        if (t >= avatar.triangleCount()) continue;
        const auto& v = avatar.triangles[t].vertex;
        appendFace(out, v[0] + 1L, v[1] + 1L, v[2] + 1L);
      }
    }
  }
  if (!drawn.empty()) {
    out += "g garment\n";
    const long n = static_cast<long>(drawn.size());
    for (const GarmentTriangle& t : garment.triangles) {
      if (t.vertex[0] < 0 || t.vertex[1] < 0 || t.vertex[2] < 0 || t.vertex[0] >= n ||
          t.vertex[1] >= n || t.vertex[2] >= n)
        continue;
      appendFace(out, bodyVertices + t.vertex[0] + 1, bodyVertices + t.vertex[1] + 1,
                 bodyVertices + t.vertex[2] + 1);
    }
  }
  return out;
}

}  // namespace vestora
