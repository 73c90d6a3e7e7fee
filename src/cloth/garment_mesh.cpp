#include "cloth/garment_mesh.h"

#include <algorithm>
#include <cmath>

#include "cloth/cloth_build.h"

namespace vestora {

GarmentMesh::GarmentMesh() = default;
GarmentMesh::~GarmentMesh() = default;
GarmentMesh::GarmentMesh(GarmentMesh&&) noexcept = default;
GarmentMesh& GarmentMesh::operator=(GarmentMesh&&) noexcept = default;

std::int32_t sideCodeOfValue(std::int32_t value) {
  switch (value) {
    case -2:
      return 4;
    case -1:
      return 1;
    case 0:
      return 2;
    case 1:
      return 0;
    case 2:
      return 5;
    case 3:
      return 3;
    default:
      return -1;
  }
}

std::int32_t sideValueOfCode(std::int32_t code) {
  switch (code) {
    case 4:
      return -2;
    case 1:
      return -1;
    case 2:
      return 0;
    case 0:
      return 1;
    case 5:
      return 2;
    case 3:
      return 3;
    default:
      return 1;
  }
}

void ClearGarment(GarmentMesh& garment) {
  garment = GarmentMesh();
}

bool BuildVertexTriangles(GarmentMesh& garment) {
  const std::int32_t n = garment.particleCount();
  std::vector<VertexTriangleList> lists(static_cast<std::size_t>(n));
  for (std::int32_t i = 0; i < n; ++i) lists[i].particle = i;
  for (std::int32_t t = 0; t < garment.triangleCount(); ++t) {
    const GarmentTriangle& tri = garment.triangles[t];
    for (std::int32_t v : tri.vertex) {
      if (v < 0 || v >= n) {
        garment.vertexTriangles.clear();
        return false;
      }
      VertexTriangleList& list = lists[v];
      if (list.count >= kMaxVertexTriangles) {
        garment.vertexTriangles.clear();
        return false;
      }
      list.triangles[list.count++] = t;
      garment.particles[v].piece = tri.piece;
    }
  }
  garment.vertexTriangles = std::move(lists);
  return true;
}

void ComputeParticleNormals(GarmentMesh& garment) {
  std::vector<std::array<double, 3>> sums(garment.particles.size(), {0, 0, 0});
  for (const GarmentTriangle& tri : garment.triangles) {
    const auto& a = garment.particles[tri.vertex[0]].point;
    const auto& b = garment.particles[tri.vertex[1]].point;
    const auto& c = garment.particles[tri.vertex[2]].point;
    const double e1[3] = {b.x - a.x, b.y - a.y, b.z - a.z};
    const double e2[3] = {c.x - a.x, c.y - a.y, c.z - a.z};
    const double nx = e1[1] * e2[2] - e1[2] * e2[1];
    const double ny = e1[2] * e2[0] - e1[0] * e2[2];
    const double nz = e1[0] * e2[1] - e1[1] * e2[0];
    for (std::int32_t v : tri.vertex) {
      sums[v][0] += nx;
      sums[v][1] += ny;
      sums[v][2] += nz;
    }
  }
  for (std::size_t i = 0; i < garment.particles.size(); ++i) {
    const auto& s = sums[i];
    const double len = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
    auto& normal = garment.particles[i].normal;
    if (len > 0) {
      normal = {static_cast<float>(s[0] / len), static_cast<float>(s[1] / len),
                static_cast<float>(s[2] / len)};
    } else {
      normal = {0, 0, 0};
    }
  }
}

void SnapshotParticles(GarmentMesh& garment) {
  garment.restParticles = garment.particles;
  for (auto& copy : garment.particleHistory) copy = garment.particles;
}

void BuildPatternPieces(GarmentMesh& garment) {
  for (auto& list : garment.pieces) list.clear();
  std::array<float, 6> all{1e10f, 1e10f, 1e10f, -1e10f, -1e10f, -1e10f};
  bool any = false;
  for (std::int32_t id = garment.pieceIdMin; id <= garment.pieceIdMax; ++id) {
    std::array<float, 6> box{1e10f, 1e10f, 1e10f, -1e10f, -1e10f, -1e10f};
    std::int32_t points = 0;
    std::int32_t first = kPieceRangeStart, last = -kPieceRangeStart;
    for (std::int32_t i = 0; i < garment.particleCount(); ++i) {
      const GarmentParticle& p = garment.particles[i];
      if (p.piece != id) continue;
      ++points;
      const float xyz[3] = {p.point.x, p.point.y, p.point.z};
      for (int k = 0; k < 3; ++k) {
        box[k] = std::min(box[k], xyz[k]);
        box[k + 3] = std::max(box[k + 3], xyz[k]);
      }
      if (p.attribute0 == 1) {
        first = std::min(first, i);
        last = std::max(last, i);
      }
    }
    if (!(box[0] < 1000.0f && box[3] > -1000.0f)) continue;
    PatternPiece piece;
    piece.number = id;
    piece.box = box;
    piece.centre.x = (box[0] + box[3]) / 2;
    piece.centre.y = (box[1] + box[4]) / 2;
    piece.centre.z = (box[2] + box[5]) / 2;
    piece.derived[0] = piece.centre;
    piece.derived[0].y = box[1];
    piece.derived[1] = piece.centre;
    piece.derived[1].y = box[4];
    for (int c = 0; c < 8; ++c) {
      piece.corners[c].x = box[(c & 1) ? 3 : 0];
      piece.corners[c].y = box[(c & 2) ? 4 : 1];
      piece.corners[c].z = box[(c & 4) ? 5 : 2];
    }
    piece.reserved = points;
    piece.firstParticle = first;
    piece.lastParticle = last;
    piece.rightSide = piece.centre.x >= 0 ? 1 : 0;
    for (auto& list : garment.pieces) list.push_back(piece);
    for (int k = 0; k < 3; ++k) {
      all[k] = std::min(all[k], box[k]);
      all[k + 3] = std::max(all[k + 3], box[k + 3]);
    }
    any = true;
  }
  if (any) {
    garment.centre = {(all[0] + all[3]) / 2, (all[1] + all[4]) / 2, (all[2] + all[5]) / 2};
  }
}

}  // namespace vestora
