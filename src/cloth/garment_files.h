// The two garment files: the pattern-mesh text file (".msh", written by the
// garment authoring side) and the fitted-garment binary file (".pop", a dump
// of a garment already fitted and bound to the body).
//
// Both readers build a fresh GarmentMesh and hand it over only when the whole
// file was read: a failure leaves the caller's garment and floor height as
// they were. Every count is checked against the lines or bytes present
// before anything is allocated. A garment either reader accepts has all its
// particle references in 0 … P−1, at most 15 neighbours per particle and at
// most 40 triangles per particle (BuildVertexTriangles accepts it).
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cloth/garment_mesh.h"
#include "platform/result.h"
#include "platform/user_dialogs.h"

namespace vestora {

struct GarmentLoadContext {
  // Where the reader's messages go ("Wrong spring connection at 7"); none
  // are shown when null.
  UserDialogs* dialogs = nullptr;
  // Progress-bar position: 1 … 100 while points are read (one step per ten
  // points), 101 … 200 while springs are read (one step per twenty).
  std::function<void(int)> progress;
  // The avatar's floor height (working units). A garment whose lowest point
  // lies below it lowers it to 0.1 below that point. Not touched when null
  // or when the read fails.
  float* floorHeight = nullptr;
};

// The largest piece number a particle may carry in either file (the piece
// lists are addressed by piece number). Positions and texture coordinates
// in either file must be finite and within ±1e9 working units.
inline constexpr std::int32_t kMaxPieceNumber = 999;

// Pattern-mesh file. Counts ("cp", "cf", "cs", "cl", "ct", "cd") in a first
// pass, point, face, neighbour, seam and texture-name records in a second,
// springs in a third once the particles exist. Numbers are read the way the
// C library converts a word: its leading number, 0 when it has none; a
// number that is not finite (or out of range) is an error naming its line.
// A spring joining a particle to itself is skipped with a message; every
// other fault ends the read with an Error (with Error::line for a faulty
// record line).
Result<GarmentMesh> LoadPatternMesh(const std::string& filePath, GarmentLoadContext& ctx);
Result<GarmentMesh> parsePatternMesh(std::string_view text, std::string_view sourceName,
                                     GarmentLoadContext& ctx);

// A pattern-mesh file that parsePatternMesh reads back to the same particles
// (positions, texture coordinates, attributes, piece numbers, side codes,
// neighbours), triangles, springs, seams, texture name and "cd" count.
// Texture coordinates survive only when no more than 10 of the first 20
// particles have u = v = 0 (otherwise the reader makes new ones from the
// pattern plane). Only the texture name's first word is written.
std::string formatPatternMesh(const GarmentMesh& garment);

// Fitted-garment file (little-endian, no magic number). Edges read from it
// get the stiffness and damping tags 4.0 and 0.1; an edge with a or b ≤ −1
// is skipped, one joining a particle to itself is skipped with the spring
// message (its record number in place of the line number). Every float the
// reader uses must be finite and the piece range must lie within ±1000.
// Bytes after the texture name are ignored.
Result<GarmentMesh> LoadFittedGarment(const std::string& filePath, GarmentLoadContext& ctx);
Result<GarmentMesh> parseFittedGarment(std::span<const std::uint8_t> bytes,
                                       std::string_view sourceName, GarmentLoadContext& ctx);

// The fitted-garment file of a garment, byte for byte: header, triangles
// (60 bytes each), particles (128), edges (12), seams (20), piece range,
// pieces (452, from pieces[0]), placement, bindings when hasBinding, texture
// name (128 bytes, cut to 127 characters). Bytes the format leaves unused
// are written as zeros, except the particle's fourth and last three floats,
// which are written as they are and not read back.
std::vector<std::uint8_t> formatFittedGarment(const GarmentMesh& garment);

// Writes formatFittedGarment to `filePath` atomically. Fails without
// touching the file when the garment is bound but has not one binding per
// particle (the file could not be read back).
Result<void> writeFittedGarment(const std::string& filePath, const GarmentMesh& garment);

}  // namespace vestora
