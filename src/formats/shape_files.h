// The files that shape a body: the shape tables (.plt) that name a vertex
// set per height or weight, the vertex sets themselves (and the pregnancy
// offsets, .bnm, which have the same layout), the per-vertex triples in text
// (the scale file and the pose offsets, .dif), the idle animation (.a) and
// the vertex groups (.grp).
//
// Every reader works from memory and has a file-path twin; every writer
// returns the bytes and leaves writing the file to the caller. Binary files
// are little-endian int32/float32 without padding; text is read and written
// in the "C" number format.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_io.h"
#include "platform/result.h"

namespace vestora {

// ---- Shape table (.plt) ---------------------------------------------------
//
// int32 record count, then 132-byte records: float32 key, a 50-byte name
// field, 78 bytes that are not read. The name field holds the name, its
// terminating NUL and zeros, every byte stored as (plain + 0x4B) mod 256.

inline constexpr std::size_t kShapeRecordSize = 132;
inline constexpr std::size_t kShapeNameField = 50;
inline constexpr std::size_t kShapeNameMax = kShapeNameField - 1;  // bytes before the NUL
inline constexpr std::uint8_t kShapeNameKey = 0x4B;

struct ShapeTableRecord {
  float key = 0.0f;      // height in cm, or a normalised weight
  std::string fileName;  // data path, backslashes: "\model\ChinaFemale\Height\h155.vts"

  bool operator==(const ShapeTableRecord&) const = default;
};

// Records in file order. The count must not be negative, and every record it
// announces must have its key and name field in the data; the 78 unread bytes
// of the last record may be missing, and bytes after the last record are
// ignored. A name field whose decoded bytes hold no NUL is an error.
Result<std::vector<ShapeTableRecord>> parseShapeTable(Bytes data, const std::string& source);
Result<std::vector<ShapeTableRecord>> readShapeTable(const std::string& path);

// The file bytes, 4 + 132 × records.size() of them, unread bytes zero. A name
// longer than kShapeNameMax bytes or holding a NUL byte is an error (it could
// not be read back), and so is a table of more than INT32_MAX records.
Result<std::vector<std::uint8_t>> encodeShapeTable(const std::vector<ShapeTableRecord>& records);

// The first record, in file order, whose key is nearer to `wanted` than every
// record before it and nearer than 1000; nullptr when no key is within 1000.
// A later record with the same distance does not replace an earlier one.
const ShapeTableRecord* nearestShapeRecord(const std::vector<ShapeTableRecord>& records,
                                           float wanted);

// ---- Vertex set (the files a shape table names; also .bnm) ---------------
//
// float32 x, y, z for slots 0 to V, exactly (V + 1) × 12 bytes, no header.

// The whole-body vertex array: (V + 1) × 3 floats, 1-based (slot 0 is read
// but holds no data). A size other than (V + 1) × 12 bytes is an error, so a
// short file never applies in part; a value that is not a finite number in
// slots 1 to V is an error too.
Result<std::vector<float>> parseVertexSet(Bytes data, std::size_t vertexCount,
                                          const std::string& source);
Result<std::vector<float>> readVertexSet(const std::string& path, std::size_t vertexCount);

// `vertices` is a whole-body vertex array (1-based, slot 0 included), written
// as it is.
std::vector<std::uint8_t> encodeVertexSet(const std::vector<float>& vertices);

// ---- Per-vertex triples in text (scaleBodyHigh.dat, .dif) ----------------
//
// Three numbers per vertex from vertex 1 on, written one vertex a line. They
// are read as "%f %f %f\n" reads them: any white space, line ends included,
// separates numbers, so a line with two numbers takes its third from the
// next line.

struct VertexTriples {
  std::vector<float> values;  // 0-based: values[3k .. 3k+2] belong to vertex k + 1
  std::size_t count = 0;      // triples read (values.size() / 3)
  bool stoppedEarly = false;  // fewer than maxVertices triples: the text ended or
                              // held something other than a number
  bool extraIgnored = false;  // maxVertices triples were read and text follows them
};

// Reads triples until maxVertices are read or three numbers no longer
// convert; a partial triple at the point of stopping is dropped. Never fails.
VertexTriples parseVertexTriples(std::string_view text, std::size_t maxVertices);
Result<VertexTriples> readVertexTriples(const std::string& path, std::size_t maxVertices);

// "%f %f %f\n" per triple (six decimals, "C" number format whatever the
// process locale). `values` is 0-based as VertexTriples::values; a trailing
// partial triple is not written.
std::string formatVertexTriples(const std::vector<float>& values);

// ---- Idle animation (.a) ---------------------------------------------------
//
// int32 frame count N, then N − 1 frames of (V + 1) × 3 float32
// displacements each.

struct AnimationFile {
  std::int32_t declaredCount = 0;          // N as stored; the file holds N − 1 frames
  std::vector<std::vector<float>> frames;  // each a whole-body array, 1-based, (V + 1) × 3
  std::size_t framesNotRead = 0;           // frames present but beyond maxFrames
  std::size_t trailingBytes = 0;           // bytes after the last frame, ignored
};

// N below 1 is an error; so is a file that ends before its N − 1 frames, even
// when maxFrames would not read them all. Frames after the first maxFrames
// are checked for presence but not read. A displacement that is not a finite
// number in slots 1 to V of a frame that is read is an error.
Result<AnimationFile> parseAnimation(Bytes data, std::size_t vertexCount, std::size_t maxFrames,
                                     const std::string& source);
Result<AnimationFile> readAnimation(const std::string& path, std::size_t vertexCount,
                                    std::size_t maxFrames);

// The file bytes. declaredCount must be frames.size() + 1, and all frames
// must have the same size, a whole number of triples and at least slot 0;
// otherwise the file could not be read back and the result is an error.
Result<std::vector<std::uint8_t>> encodeAnimation(std::int32_t declaredCount,
                                                  const std::vector<std::vector<float>>& frames);

// ---- Vertex group (.grp) ----------------------------------------------------
//
// Text lines of at most 255 characters (line end not counted), split into
// words at blanks and tabs. First word "#": a comment. "vcnt:" and a number:
// the vertex count. "v" and a number: one vertex number. Other lines, and
// words after the number, are skipped ("vcnt:12" is one word and skipped).

inline constexpr std::size_t kVertexGroupLineMax = 255;

struct VertexGroup {
  std::vector<int> indices;           // the "v" numbers in file order, as written (never < 0)
  std::optional<int> declaredCount;   // from the first "vcnt:" line, when there is one
  std::vector<std::string> warnings;  // recoverable problems ("line N: ..." for one line)

  // True when there is a "vcnt:" line and it matches the "v" lines.
  bool countMatches() const {
    return declaredCount && static_cast<std::size_t>(*declaredCount) == indices.size();
  }
};

// The text is read twice, as the program does: first for the count (and the
// number of "v" lines), then for the vertex numbers. Errors, naming the line:
// a line longer than 255 characters; a "v" or "vcnt:" line whose next word is
// missing, not a whole number or negative. Warnings: no "vcnt:" line, a
// later "vcnt:" line (ignored), a count that differs from the "v" lines.
// Range checks against a body are the caller's.
Result<VertexGroup> parseVertexGroup(std::string_view text, const std::string& source);
Result<VertexGroup> readVertexGroup(const std::string& path);

// "# <comment>" (one such line per line of the comment, each cut to fit 255
// characters; none for an empty comment), "vcnt: N", then "v i" per index.
// Indices below 0 are written as they are and would not read back.
std::string formatVertexGroup(const std::vector<int>& indices, std::string_view comment);

}  // namespace vestora
