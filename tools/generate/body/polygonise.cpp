#include "body/polygonise.h"

#include <algorithm>
#include <cmath>
#include <thread>

namespace vestora::generate {
namespace {

// Cube corner i sits at (i & 1, (i >> 1) & 1, (i >> 2) & 1).
constexpr int kEdgeCorners[12][2] = {
    {0, 1}, {2, 3}, {4, 5}, {6, 7},  // along x
    {0, 2}, {1, 3}, {4, 6}, {5, 7},  // along y
    {0, 4}, {1, 5}, {2, 6}, {3, 7},  // along z
};

// Each face: its corners in cyclic order and the edges between them
// (edge k joins corner k and corner k + 1).
struct Face {
  int corners[4];
  int edges[4];
};
constexpr Face kFaces[6] = {
    {{0, 2, 6, 4}, {4, 10, 6, 8}},   // x = 0
    {{1, 3, 7, 5}, {5, 11, 7, 9}},   // x = 1
    {{0, 1, 5, 4}, {0, 9, 2, 8}},    // y = 0
    {{2, 3, 7, 6}, {1, 11, 3, 10}},  // y = 1
    {{0, 1, 3, 2}, {0, 5, 1, 4}},    // z = 0
    {{4, 5, 7, 6}, {2, 7, 3, 6}},    // z = 1
};

}  // namespace

Mesh polygonise(const GridSpec& g, const std::function<double(const Vec3&)>& field) {
  const std::size_t nx = g.nx, ny = g.ny, nz = g.nz;
  auto index = [&](std::size_t i, std::size_t j, std::size_t k) { return (k * ny + j) * nx + i; };
  auto pointAt = [&](std::size_t i, std::size_t j, std::size_t k) {
    return g.origin + Vec3{double(i), double(j), double(k)} * g.spacing;
  };

  // Sample the field, two threads over z slabs. A value of exactly zero
  // counts as outside, so that every sign is decided once.
  std::vector<double> values(nx * ny * nz);
  auto sample = [&](std::size_t k0, std::size_t k1) {
    for (std::size_t k = k0; k < k1; ++k)
      for (std::size_t j = 0; j < ny; ++j)
        for (std::size_t i = 0; i < nx; ++i) {
          double f = field(pointAt(i, j, k));
          if (std::abs(f) < 1e-9) f = 1e-9;
          values[index(i, j, k)] = f;
        }
  };
  std::thread half(sample, 0, nz / 2);
  sample(nz / 2, nz);
  half.join();

  // One vertex per grid edge that the surface crosses, kept per axis.
  Mesh mesh;
  std::vector<int> crossing[3];
  for (auto& c : crossing) c.assign(values.size(), -1);
  auto vertexOn = [&](std::size_t i, std::size_t j, std::size_t k, int axis) {
    const std::size_t a = index(i, j, k);
    int& slot = crossing[axis][a];
    if (slot >= 0) return slot;
    const std::size_t b = index(i + (axis == 0), j + (axis == 1), k + (axis == 2));
    // Kept away from the grid points so that no two crossings coincide.
    const double t = std::clamp(values[a] / (values[a] - values[b]), 0.05, 0.95);
    const Vec3 p = pointAt(i, j, k);
    Vec3 q = p;
    q[axis] += t * g.spacing;
    slot = static_cast<int>(mesh.positions.size());
    mesh.positions.push_back(q);
    return slot;
  };

  for (std::size_t k = 0; k + 1 < nz; ++k)
    for (std::size_t j = 0; j + 1 < ny; ++j)
      for (std::size_t i = 0; i + 1 < nx; ++i) {
        double f[8];
        int inside = 0;
        for (int c = 0; c < 8; ++c) {
          f[c] = values[index(i + (c & 1), j + ((c >> 1) & 1), k + ((c >> 2) & 1))];
          inside += f[c] < 0;
        }
        if (inside == 0 || inside == 8) continue;

        // Segments on the faces, as pairs of cut edges.
        int partner[12][2];
        for (auto& p : partner) p[0] = p[1] = -1;
        auto join = [&](int e0, int e1) {
          partner[e0][partner[e0][0] < 0 ? 0 : 1] = e1;
          partner[e1][partner[e1][0] < 0 ? 0 : 1] = e0;
        };
        for (const Face& face : kFaces) {
          int cut[4], n = 0;
          for (int s = 0; s < 4; ++s) {
            const bool in0 = f[face.corners[s]] < 0, in1 = f[face.corners[(s + 1) % 4]] < 0;
            if (in0 != in1) cut[n++] = s;
          }
          if (n == 2) {
            join(face.edges[cut[0]], face.edges[cut[1]]);
          } else if (n == 4) {
            // Saddle of the bilinear interpolant decides whether the inside
            // corners (0 and 2, or 1 and 3) connect across the face.
            const double a = f[face.corners[0]], b = f[face.corners[1]], c = f[face.corners[2]],
                         d = f[face.corners[3]];
            const double denominator = a + c - b - d;
            const double saddle = denominator != 0 ? (a * c - b * d) / denominator : (a + b + c + d) / 4;
            const bool corner0Inside = a < 0;
            // The segment that cuts off corner s joins edges s - 1 and s.
            const bool cutOffOdd = (saddle < 0) == corner0Inside;
            if (cutOffOdd) {
              join(face.edges[0], face.edges[1]);  // corner 1
              join(face.edges[2], face.edges[3]);  // corner 3
            } else {
              join(face.edges[3], face.edges[0]);  // corner 0
              join(face.edges[1], face.edges[2]);  // corner 2
            }
          }
        }

        // Gradient of the trilinear interpolant at a point of the cube (in
        // cell units), to orient each polygon outwards.
        const Vec3 cubeOrigin = pointAt(i, j, k);
        auto gradientAt = [&](const Vec3& p) {
          const Vec3 u = (p - cubeOrigin) / g.spacing;
          Vec3 grad;
          for (int c = 0; c < 8; ++c) {
            const double bx = (c & 1) ? u.x : 1 - u.x, by = ((c >> 1) & 1) ? u.y : 1 - u.y,
                         bz = ((c >> 2) & 1) ? u.z : 1 - u.z;
            const double sx = (c & 1) ? 1 : -1, sy = ((c >> 1) & 1) ? 1 : -1, sz = ((c >> 2) & 1) ? 1 : -1;
            grad += Vec3{sx * by * bz, bx * sy * bz, bx * by * sz} * f[c];
          }
          return grad;
        };

        bool used[12] = {};
        for (int start = 0; start < 12; ++start) {
          if (partner[start][0] < 0 || used[start]) continue;
          std::vector<int> loop;
          int previous = -1, edge = start;
          while (!used[edge]) {
            used[edge] = true;
            loop.push_back(edge);
            const int next = partner[edge][0] != previous ? partner[edge][0] : partner[edge][1];
            previous = edge;
            edge = next;
          }
          std::vector<int> vertices;
          for (int e : loop) {
            const int axis = e / 4;
            const int c0 = kEdgeCorners[e][0];
            vertices.push_back(vertexOn(i + (c0 & 1), j + ((c0 >> 1) & 1), k + ((c0 >> 2) & 1), axis));
          }
          // Newell normal against the gradient: outward means along it.
          Vec3 normal, centroid;
          for (int v : vertices) centroid += mesh.positions[v] / double(vertices.size());
          const Vec3 grad = gradientAt(centroid);
          for (std::size_t s = 0; s < vertices.size(); ++s) {
            const Vec3& p = mesh.positions[vertices[s]];
            const Vec3& q = mesh.positions[vertices[(s + 1) % vertices.size()]];
            normal += Vec3{(p.y - q.y) * (p.z + q.z), (p.z - q.z) * (p.x + q.x), (p.x - q.x) * (p.y + q.y)};
          }
          if (dot(normal, grad) < 0) std::reverse(vertices.begin(), vertices.end());

          // Fan from the corner that gives the best smallest angle. A fan
          // diagonal must not join two crossings on one face of the cube: the
          // neighbouring cube could draw the same diagonal, and the edge would
          // then carry four triangles. When every corner would, the polygon
          // is fanned from a new vertex at its centre instead.
          const int n = static_cast<int>(vertices.size());
          auto shareFace = [&](int a, int b) {
            for (const Face& face : kFaces) {
              bool hasA = false, hasB = false;
              for (int e : face.edges) hasA |= e == loop[a], hasB |= e == loop[b];
              if (hasA && hasB) return true;
            }
            return false;
          };
          int bestRoot = -1;
          double bestAngle = -1;
          for (int root = 0; root < n && n > 3; ++root) {
            bool valid = true;
            for (int s = 2; s + 1 < n && valid; ++s) valid = !shareFace(root, (root + s) % n);
            if (!valid) continue;
            double smallest = 180;
            for (int s = 1; s + 1 < n; ++s) {
              const Vec3& a = mesh.positions[vertices[root]];
              const Vec3& b = mesh.positions[vertices[(root + s) % n]];
              const Vec3& c = mesh.positions[vertices[(root + s + 1) % n]];
              const Vec3 sides[3] = {b - a, c - b, a - c};
              for (int q = 0; q < 3; ++q) {
                const Vec3 u = normalized(sides[q]), v = normalized(-sides[(q + 2) % 3]);
                smallest = std::min(smallest, std::acos(std::clamp(dot(u, v), -1.0, 1.0)));
              }
            }
            if (smallest > bestAngle) bestAngle = smallest, bestRoot = root;
          }
          if (n == 3) bestRoot = 0;
          if (bestRoot >= 0) {
            for (int s = 1; s + 1 < n; ++s)
              mesh.triangles.push_back({vertices[bestRoot], vertices[(bestRoot + s) % n],
                                        vertices[(bestRoot + s + 1) % n]});
          } else {
            const int centre = static_cast<int>(mesh.positions.size());
            mesh.positions.push_back(centroid);
            for (int s = 0; s < n; ++s) mesh.triangles.push_back({centre, vertices[s], vertices[(s + 1) % n]});
          }
        }
      }
  orientConsistently(mesh);
  return mesh;
}

}  // namespace vestora::generate
