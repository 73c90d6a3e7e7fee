// The worn garment: a triangle mesh whose vertices are mass points
// (particles) joined by springs (edges), cut into pattern pieces and joined
// by seams, with its binding to the body once it has been bound.
//
// Coordinates are in the avatar's working units (one unit is 10 cm); all
// record numbers are 0-based.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "avatar/avatar.h"

namespace vestora {

struct ClothModel;

// Side codes kept in a particle (the files store side values −2 … 3).
enum SideCode : std::int32_t {
  kSideFront = 0,
  kSideBack = 1,
  // Codes 2 to 5 get no force from the mass-spring system.
};

// The side code of a side value from a garment file; −1 for a value outside
// −2 … 3 (the particle then keeps its default code).
std::int32_t sideCodeOfValue(std::int32_t value);
// The side value a side code is stored as (the inverse of the above); 1 for
// a code outside 0 … 5.
std::int32_t sideValueOfCode(std::int32_t code);

inline constexpr int kMaxNeighbours = 15;
inline constexpr int kMaxVertexTriangles = 40;
// A particle's display parameter starts at the avatar object's default.
inline constexpr float kDefaultDisplayParameter = 10.0f;

struct GarmentParticle {
  // Position, one float, texture u and v and three more floats: always
  // copied together.
  SkinVertex point;
  // The same nine floats as the particle was created.
  SkinVertex rest;
  std::array<float, 3> normal{0, 0, 0};
  std::int32_t neighbourCount = 0;
  std::array<std::int32_t, kMaxNeighbours> neighbours{};
  std::int32_t seamFlag = 0;      // 1 when the particle ends a seam line
  std::int32_t seamPartner = -1;  // the particle at the other end, −1 when none
  std::int32_t contact = 0;       // cleared at the start of every collision pass
  std::int32_t attribute0 = 0;    // 1: counts towards its piece's particle range
  std::int32_t attribute1 = 0, attribute2 = 0;
  std::int32_t marker = -1;
  std::int32_t piece = -1;  // −1 when the particle belongs to no piece
  std::int32_t side = kSideFront;
  std::int32_t fixed = 0;  // 1 when held in place
  float display = kDefaultDisplayParameter;
};

struct GarmentEdge {
  std::int32_t a = 0, b = 0;
  float rest = 0;
  float stiffness = 4.0f, damping = 0.1f;  // tags, not read by the simulation
  std::int32_t kind = 1;
};

struct GarmentTriangle {
  std::array<std::int32_t, 3> vertex{0, 0, 0};
  std::int32_t piece = -1;
  std::array<float, 6> uv{0, 0, 0, 0, 0, 0};  // u0 v0 u1 v1 u2 v2
  bool hasUv = false;
};

struct VertexTriangleList {
  std::int32_t particle = 0;
  std::int32_t count = 0;
  std::array<std::int32_t, kMaxVertexTriangles> triangles;
  VertexTriangleList() { triangles.fill(-1); }
};

struct SeamPair {
  std::int32_t a = 0, b = 0;  // a < b
  std::int32_t seam = 0;
  std::int32_t one = 1, zero = 0;
};

// One pattern piece: its bounding box and the range of its particles. Stored
// raw (452 bytes) in the fitted-garment file.
struct PatternPiece {
  std::int32_t number = 0;
  std::int32_t minusOne = -1;
  SkinVertex centre;                  // centre of the piece's bounding box
  std::array<SkinVertex, 2> derived;  // bottom and top centre of the box
  std::array<SkinVertex, 8> corners;  // corners of the bounding box
  std::array<float, 6> box{};         // min x, y, z then max x, y, z
  std::int32_t reserved = 0;          // bytes 428 … 431
  // The first and last particle of the piece whose attribute 0 is 1 (the
  // searches start from ±1 410 065 408 and keep those values when none is).
  std::int32_t firstParticle = 0, lastParticle = 0;
  std::int32_t shown = 1, outlined = 1;
  std::int32_t rightSide = 1;  // 1 when the centre's x is zero or positive
};
inline constexpr std::size_t kPatternPieceBytes = 452;
inline constexpr std::int32_t kPieceRangeStart = 1410065408;

// A particle's binding to the body: offset from its body sample and the
// sample's normal when it was bound. Stored raw (36 bytes) in the
// fitted-garment file.
struct BodyBinding {
  std::array<float, 3> offset{0, 0, 0};
  float normalZ = 0, normalX = 0, normalY = 0;
  std::int32_t unused0 = 0;
  // The bound body sample; kUnbound when no sample lay within reach (the
  // particle then stays where it is at every fit).
  std::int32_t sample = -1;
  std::int32_t unused1 = 0;
};
inline constexpr std::int32_t kUnbound = -1;
inline constexpr std::size_t kBodyBindingBytes = 36;

// The garment the avatar wears (at most one is simulated at a time).
struct GarmentMesh {
  GarmentMesh();
  ~GarmentMesh();
  GarmentMesh(GarmentMesh&&) noexcept;
  GarmentMesh& operator=(GarmentMesh&&) noexcept;

  std::vector<GarmentParticle> particles;
  std::vector<GarmentParticle> drawParticles;  // what the renderer draws
  std::vector<GarmentParticle> restParticles;  // as loaded, for the reset
  std::array<std::vector<GarmentParticle>, 5> particleHistory;
  std::vector<GarmentEdge> edges;
  std::vector<GarmentTriangle> triangles;
  std::vector<GarmentTriangle> sourceTriangles;  // as read from the file
  std::vector<VertexTriangleList> vertexTriangles;
  std::vector<SeamPair> seams, workingSeams;
  std::array<std::vector<PatternPiece>, 3> pieces;  // as read, two working copies
  std::int32_t pieceIdMin = 0, pieceIdMax = 0;
  std::vector<std::int32_t> fixedParticles;
  std::vector<BodyBinding> bindings;
  bool hasBinding = false;
  std::string textureName;
  std::array<float, 9> placement{};
  std::array<float, 3> gravity{0, 0, 0};
  std::array<float, 3> centre{0, 0, 0};  // centre of the union of the piece boxes
  std::int32_t keptFlag = 0;             // carried through the fitted-garment file
  std::int32_t extraCount = 0;           // the "d" count of a pattern-mesh file
  // Per-particle contact slots (15 records of nine floats each).
  std::vector<std::array<SkinVertex, 15>> contacts;
  // Per-particle history of animation frames (filled by the player).
  std::vector<std::vector<GarmentParticle>> frameHistory;
  // The mass-spring model, built at a re-drape and released by every fit.
  std::unique_ptr<ClothModel> cloth;

  std::int32_t particleCount() const { return static_cast<std::int32_t>(particles.size()); }
  std::int32_t edgeCount() const { return static_cast<std::int32_t>(edges.size()); }
  std::int32_t triangleCount() const { return static_cast<std::int32_t>(triangles.size()); }
  bool empty() const { return particles.empty(); }
  bool hasSeams() const { return !seams.empty(); }
};

// Releases everything the garment holds and returns it to empty.
void ClearGarment(GarmentMesh& garment);

// Rebuilds the per-particle triangle lists and sets every particle's piece
// number from the triangles that use it. Returns false (and leaves the
// lists empty) when a triangle names a particle that does not exist or a
// particle is used by more than 40 triangles.
bool BuildVertexTriangles(GarmentMesh& garment);

// Each particle's normal: the normalised sum of the unnormalised normals of
// its triangles; (0, 0, 0) when the sum vanishes.
void ComputeParticleNormals(GarmentMesh& garment);

// Copies the particles into the rest copy and the five history copies.
void SnapshotParticles(GarmentMesh& garment);

// Builds the pattern pieces (all three lists) from the particles' piece
// numbers and positions, for piece numbers pieceIdMin … pieceIdMax, and the
// garment centre from them.
void BuildPatternPieces(GarmentMesh& garment);

}  // namespace vestora
