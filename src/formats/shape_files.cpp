#include "formats/shape_files.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "platform/byte_io.h"
#include "platform/text_scan.h"

namespace vestora {
namespace {

constexpr std::size_t kShapeRecordReadBytes = 4 + kShapeNameField;  // key and name field
constexpr std::size_t kShapeRecordUnread = kShapeRecordSize - kShapeRecordReadBytes;
constexpr std::size_t kTripleBytes = 12;
// Largest vertex count whose whole-body array size in bytes fits a size_t.
constexpr std::size_t kMaxVertexCount = std::numeric_limits<std::size_t>::max() / kTripleBytes - 1;

std::string vertexCountError(std::size_t vertexCount) {
  return "vertex count " + std::to_string(vertexCount) + " is too large";
}

// The first slot from 1 to vertexCount of a whole-body array that holds a
// value other than a finite number; 0 when there is none.
std::size_t firstNonFiniteSlot(const float* values, std::size_t vertexCount) {
  for (std::size_t i = 1; i <= vertexCount; ++i)
    for (int k = 0; k < 3; ++k)
      if (!std::isfinite(values[3 * i + k])) return i;
  return 0;
}

}  // namespace

// ---- Shape table -------------------------------------------------------------

Result<std::vector<ShapeTableRecord>> parseShapeTable(Bytes data, const std::string& source) {
  ByteReader in(data);
  std::int32_t count = 0;
  if (!in.i32(count)) return makeError(source, "file is too short to hold a record count");
  if (count < 0) return makeError(source, "record count " + std::to_string(count) + " is negative");
  // Every record is read up to its name field; the unread tail of the last
  // one may be cut off.
  const std::uint64_t needed =
      count == 0 ? 0 : std::uint64_t(count - 1) * kShapeRecordSize + kShapeRecordReadBytes;
  if (needed > in.remaining())
    return makeError(source, "record count " + std::to_string(count) +
                                 " runs past the end of the file (" + std::to_string(needed + 4) +
                                 " bytes needed, " + std::to_string(data.size()) + " present)");

  std::vector<ShapeTableRecord> records(static_cast<std::size_t>(count));
  for (std::size_t r = 0; r < records.size(); ++r) {
    ShapeTableRecord& record = records[r];
    std::uint8_t field[kShapeNameField];
    in.f32(record.key);
    in.raw(field, sizeof field);
    for (std::uint8_t& b : field) b = static_cast<std::uint8_t>(b - kShapeNameKey);
    const void* end = std::memchr(field, 0, sizeof field);
    if (!end)
      return makeError(source, "record " + std::to_string(r) +
                                   ": the file name has no end within its " +
                                   std::to_string(kShapeNameField) + " bytes");
    record.fileName.assign(reinterpret_cast<const char*>(field),
                           static_cast<const std::uint8_t*>(end) - field);
    in.skip(std::min(kShapeRecordUnread, in.remaining()));
  }
  return records;
}

Result<std::vector<ShapeTableRecord>> readShapeTable(const std::string& path) {
  auto bytes = readFileBytes(path, 64u << 20);
  if (!bytes) return bytes.error();
  return parseShapeTable(bytes.value(), path);
}

Result<std::vector<std::uint8_t>> encodeShapeTable(const std::vector<ShapeTableRecord>& records) {
  const std::string source = "shape table";
  if (records.size() > std::size_t(std::numeric_limits<std::int32_t>::max()))
    return makeError(source, "too many records for one file");
  for (std::size_t r = 0; r < records.size(); ++r) {
    const std::string& name = records[r].fileName;
    if (name.size() > kShapeNameMax)
      return makeError(source, "record " + std::to_string(r) + ": file name \"" + name +
                                   "\" is longer than " + std::to_string(kShapeNameMax) + " bytes");
    if (name.find('\0') != std::string::npos)
      return makeError(source, "record " + std::to_string(r) + ": file name holds a NUL byte");
  }

  ByteWriter out;
  out.reserve(4 + kShapeRecordSize * records.size());
  out.i32(static_cast<std::int32_t>(records.size()));
  for (const ShapeTableRecord& record : records) {
    out.f32(record.key);
    std::uint8_t field[kShapeNameField] = {};
    std::memcpy(field, record.fileName.data(), record.fileName.size());
    for (std::uint8_t& b : field) b = static_cast<std::uint8_t>(b + kShapeNameKey);
    out.raw(field, sizeof field);
    out.zeros(kShapeRecordUnread);
  }
  return std::move(out.bytes());
}

const ShapeTableRecord* nearestShapeRecord(const std::vector<ShapeTableRecord>& records,
                                           float wanted) {
  const ShapeTableRecord* nearest = nullptr;
  float best = 1000.0f;
  for (const ShapeTableRecord& record : records) {
    const float difference = std::fabs(record.key - wanted);
    if (difference < best) {
      best = difference;
      nearest = &record;
    }
  }
  return nearest;
}

// ---- Vertex set --------------------------------------------------------------

Result<std::vector<float>> parseVertexSet(Bytes data, std::size_t vertexCount,
                                          const std::string& source) {
  if (vertexCount > kMaxVertexCount) return makeError(source, vertexCountError(vertexCount));
  const std::size_t expected = (vertexCount + 1) * kTripleBytes;
  if (data.size() != expected)
    return makeError(source, "file holds " + std::to_string(data.size()) +
                                 " bytes; a vertex set of " + std::to_string(vertexCount) +
                                 " vertices takes " + std::to_string(expected));
  std::vector<float> values((vertexCount + 1) * 3);
  ByteReader(data).f32s(values.data(), values.size());
  if (const std::size_t bad = firstNonFiniteSlot(values.data(), vertexCount))
    return makeError(source, "vertex " + std::to_string(bad) + " is not a finite number");
  return values;
}

Result<std::vector<float>> readVertexSet(const std::string& path, std::size_t vertexCount) {
  if (vertexCount > kMaxVertexCount) return makeError(path, vertexCountError(vertexCount));
  const std::size_t expected = (vertexCount + 1) * kTripleBytes;
  // A larger file is wrong whatever it holds: do not read it all to say so.
  auto bytes = readFileBytes(path, expected);
  if (!bytes) {
    Error error = bytes.error();
    error.what += "; a vertex set of " + std::to_string(vertexCount) + " vertices takes " +
                  std::to_string(expected) + " bytes";
    return error;
  }
  return parseVertexSet(bytes.value(), vertexCount, path);
}

std::vector<std::uint8_t> encodeVertexSet(const std::vector<float>& vertices) {
  ByteWriter out;
  out.f32s(vertices.data(), vertices.size());
  return std::move(out.bytes());
}

// ---- Per-vertex triples in text ----------------------------------------------

VertexTriples parseVertexTriples(std::string_view text, std::size_t maxVertices) {
  VertexTriples triples;
  // A triple takes at least five characters ("1 2 3"): do not trust
  // maxVertices for the reservation.
  triples.values.reserve(std::min(maxVertices, text.size() / 5 + 1) * 3);
  TextScanner scan(text);
  while (triples.count < maxVertices) {
    float xyz[3];
    if (!scan.readFloat(xyz[0]) || !scan.readFloat(xyz[1]) || !scan.readFloat(xyz[2])) {
      triples.stoppedEarly = true;
      return triples;
    }
    triples.values.insert(triples.values.end(), xyz, xyz + 3);
    ++triples.count;
  }
  scan.skipSpace();
  triples.extraIgnored = !scan.atEnd();
  return triples;
}

Result<VertexTriples> readVertexTriples(const std::string& path, std::size_t maxVertices) {
  auto text = readFileText(path);
  if (!text) return text.error();
  return parseVertexTriples(text.value(), maxVertices);
}

std::string formatVertexTriples(const std::vector<float>& values) {
  std::string text;
  const std::size_t count = values.size() / 3;
  text.reserve(count * 3 * 11);
  char buffer[64];  // the widest float in "%f" takes 47 characters
  for (std::size_t i = 0; i < count; ++i) {
    for (int k = 0; k < 3; ++k) {
      // Fixed notation with a precision converts as printf's "%f" does in
      // the "C" locale; the float is widened exactly as printf would.
      const auto r =
          std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(values[3 * i + k]),
                        std::chars_format::fixed, 6);
      text.append(buffer, r.ptr);
      text += k < 2 ? ' ' : '\n';
    }
  }
  return text;
}

// ---- Idle animation ------------------------------------------------------------

Result<AnimationFile> parseAnimation(Bytes data, std::size_t vertexCount, std::size_t maxFrames,
                                     const std::string& source) {
  if (vertexCount > kMaxVertexCount) return makeError(source, vertexCountError(vertexCount));
  ByteReader in(data);
  AnimationFile file;
  if (!in.i32(file.declaredCount))
    return makeError(source, "file is too short to hold a frame count");
  if (file.declaredCount < 1)
    return makeError(source, "frame count " + std::to_string(file.declaredCount) + " is below 1");

  const std::size_t frameFloats = (vertexCount + 1) * 3;
  const std::size_t frameBytes = frameFloats * 4;
  const std::size_t stored = static_cast<std::size_t>(file.declaredCount) - 1;
  if (!in.has(stored, frameBytes))
    return makeError(source,
                     "file ends inside frame " + std::to_string(in.remaining() / frameBytes + 1) +
                         " of " + std::to_string(stored) + " (" + std::to_string(frameBytes) +
                         " bytes a frame for " + std::to_string(vertexCount) + " vertices, " +
                         std::to_string(in.remaining()) + " bytes after the count)");

  const std::size_t toRead = std::min(stored, maxFrames);
  file.frames.resize(toRead);
  for (std::size_t f = 0; f < toRead; ++f) {
    std::vector<float>& frame = file.frames[f];
    frame.resize(frameFloats);
    in.f32s(frame.data(), frameFloats);
    if (const std::size_t bad = firstNonFiniteSlot(frame.data(), vertexCount))
      return makeError(source, "frame " + std::to_string(f + 1) + ", vertex " +
                                   std::to_string(bad) + ": not a finite number");
  }
  file.framesNotRead = stored - toRead;
  in.skip(file.framesNotRead * frameBytes);  // no overflow: has() saw these bytes
  file.trailingBytes = in.remaining();
  return file;
}

Result<AnimationFile> readAnimation(const std::string& path, std::size_t vertexCount,
                                    std::size_t maxFrames) {
  auto bytes = readFileBytes(path);
  if (!bytes) return bytes.error();
  return parseAnimation(bytes.value(), vertexCount, maxFrames, path);
}

Result<std::vector<std::uint8_t>> encodeAnimation(std::int32_t declaredCount,
                                                  const std::vector<std::vector<float>>& frames) {
  const std::string source = "animation";
  if (declaredCount < 1 || static_cast<std::uint64_t>(declaredCount) - 1 != frames.size())
    return makeError(source, "frame count " + std::to_string(declaredCount) + " with " +
                                 std::to_string(frames.size()) +
                                 " frames: the file must hold count - 1 frames");
  const std::size_t frameFloats = frames.empty() ? 0 : frames.front().size();
  for (std::size_t f = 0; f < frames.size(); ++f)
    if (frames[f].size() != frameFloats || frameFloats < 3 || frameFloats % 3 != 0)
      return makeError(source, "frame " + std::to_string(f + 1) + " holds " +
                                   std::to_string(frames[f].size()) +
                                   " values; every frame must hold the same whole number of "
                                   "triples, slot 0 included");
  ByteWriter out;
  out.reserve(4 + frames.size() * frameFloats * 4);
  out.i32(declaredCount);
  for (const auto& frame : frames) out.f32s(frame.data(), frame.size());
  return std::move(out.bytes());
}

// ---- Vertex group ----------------------------------------------------------------

namespace {

enum class GroupLine { kOther, kCount, kVertex };

// Classifies one line of a group file and converts its number; false with
// `what` set when the line is too long or its number is missing or bad.
bool scanGroupLine(std::string_view line, GroupLine& kind, int& number, std::string& what) {
  if (line.size() > kVertexGroupLineMax) {
    what = "line is longer than " + std::to_string(kVertexGroupLineMax) + " characters";
    return false;
  }
  std::string_view rest;
  const std::string_view word = firstWord(line, &rest);
  if (word == "vcnt:")
    kind = GroupLine::kCount;
  else if (word == "v")
    kind = GroupLine::kVertex;
  else {
    kind = GroupLine::kOther;  // "#" comments and everything else
    return true;
  }
  const std::string_view value = firstWord(rest);
  const std::string label = "\"" + std::string(word) + "\"";
  if (value.empty()) {
    what = label + " without its number";
    return false;
  }
  if (!parseInt(value, number) || number < 0) {
    what = label + " followed by \"" + std::string(value) + "\", not a whole number from 0 up";
    return false;
  }
  return true;
}

}  // namespace

Result<VertexGroup> parseVertexGroup(std::string_view text, const std::string& source) {
  VertexGroup group;
  LineReader lines(text);
  std::string_view line;
  GroupLine kind;
  int number = 0;
  std::string what;

  // First pass: the count, the number of vertex lines, and every error.
  std::size_t vertexLines = 0;
  while (lines.next(line)) {
    if (!scanGroupLine(line, kind, number, what))
      return makeError(source, what, lines.lineNumber());
    if (kind == GroupLine::kVertex) {
      ++vertexLines;
    } else if (kind == GroupLine::kCount) {
      if (!group.declaredCount)
        group.declaredCount = number;
      else
        group.warnings.push_back("line " + std::to_string(lines.lineNumber()) +
                                 ": a further \"vcnt:\" line is ignored");
    }
  }

  // Second pass: the vertex numbers.
  group.indices.reserve(vertexLines);
  lines.rewind();
  while (lines.next(line))
    if (scanGroupLine(line, kind, number, what) && kind == GroupLine::kVertex)
      group.indices.push_back(number);

  if (!group.declaredCount)
    group.warnings.push_back("no \"vcnt:\" line; the file lists " +
                             std::to_string(group.indices.size()) + " vertices");
  else if (!group.countMatches())
    group.warnings.push_back("\"vcnt:\" gives " + std::to_string(*group.declaredCount) +
                             " vertices but the file lists " +
                             std::to_string(group.indices.size()));
  return group;
}

Result<VertexGroup> readVertexGroup(const std::string& path) {
  auto text = readFileText(path);
  if (!text) return text.error();
  return parseVertexGroup(text.value(), path);
}

std::string formatVertexGroup(const std::vector<int>& indices, std::string_view comment) {
  std::string text;
  LineReader commentLines(comment);
  std::string_view line;
  while (commentLines.next(line)) {
    text += '#';
    if (!line.empty()) {
      text += ' ';
      text += line.substr(0, kVertexGroupLineMax - 2);
    }
    text += '\n';
  }
  text += "vcnt: " + std::to_string(indices.size()) + "\n";
  for (int index : indices) text += "v " + std::to_string(index) + "\n";
  return text;
}

}  // namespace vestora
