#include "cloth/garment_files.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <iterator>
#include <optional>
#include <utility>

#include "platform/byte_io.h"
#include "platform/file_io.h"
#include "platform/text_scan.h"

namespace vestora {
namespace {

constexpr const char* kProgramName = "Vestora";
constexpr std::uint64_t kMaxGarmentFileBytes = 1ull << 30;

// Positions and texture coordinates beyond this (working units) are
// rejected: sums and differences of them stay far from the float range.
constexpr float kMaxCoordinate = 1e9f;
// The start values of the piece-number search; a fitted-garment file's
// piece range lies within them.
constexpr std::int32_t kPieceSearchStart = 1000;

// Record sizes of the fitted-garment file (bytes).
constexpr std::uint64_t kTriangleRecordBytes = 60;
constexpr std::uint64_t kParticleRecordBytes = 128;
constexpr std::uint64_t kEdgeRecordBytes = 12;
constexpr std::uint64_t kSeamRecordBytes = 20;
constexpr std::uint64_t kPieceRangeBytes = 8;
constexpr std::uint64_t kPlacementBytes = 9 * 4;
constexpr std::uint64_t kTextureNameBytes = 128;

__attribute__((format(printf, 1, 2))) std::string formatted(const char* pattern, ...) {
  char text[256];
  std::va_list args;
  va_start(args, pattern);
  std::vsnprintf(text, sizeof text, pattern, args);
  va_end(args);
  return text;
}

void showWrongSpring(GarmentLoadContext& ctx, std::int64_t number) {
  if (!ctx.dialogs) return;
  ctx.dialogs->showMessage(
      formatted("Wrong spring connection at %lld", static_cast<long long>(number)), kProgramName,
      MessageIcon::Warning);
}

bool isCoordinate(float v) {
  return std::isfinite(v) && std::fabs(v) <= kMaxCoordinate;
}

// Seam ends get the seam flag and each other as partner; a partner of 0
// is not kept (the particle then has none, −1).
void markSeamEnds(GarmentMesh& garment) {
  for (const SeamPair& seam : garment.seams) {
    GarmentParticle& a = garment.particles[seam.a];
    GarmentParticle& b = garment.particles[seam.b];
    a.seamFlag = b.seamFlag = 1;
    a.seamPartner = seam.b > 0 ? seam.b : -1;
    b.seamPartner = seam.a > 0 ? seam.a : -1;
  }
}

// The common end of both readers: rest copies, the copies the renderer and
// the reset use, the contact buffer; returns the lowest y.
float finishParticles(GarmentMesh& garment) {
  float lowest = 0;
  for (std::size_t i = 0; i < garment.particles.size(); ++i) {
    GarmentParticle& p = garment.particles[i];
    p.rest = p.point;
    lowest = i == 0 ? p.point.y : std::min(lowest, p.point.y);
  }
  garment.drawParticles = garment.particles;
  garment.contacts.assign(garment.particles.size(), {});
  garment.sourceTriangles = garment.triangles;
  return lowest;
}

// The garment never hangs through the floor: a lower garment lowers it.
void applyFloorRule(const GarmentMesh& garment, float lowest, GarmentLoadContext& ctx) {
  if (ctx.floorHeight && !garment.particles.empty() && lowest < *ctx.floorHeight)
    *ctx.floorHeight = lowest - 0.1f;
}

// ---------------------------------------------------------------------------
// Pattern-mesh file

// The C library's reading of a word as an integer: its leading number, 0
// when it starts with none. False when the number does not fit 32 bits.
bool wordToInt(std::string_view word, std::int32_t& out) {
  if (word.size() > 1 && word[0] == '+' && word[1] != '+' && word[1] != '-') word.remove_prefix(1);
  std::int32_t value = 0;
  const auto r = std::from_chars(word.data(), word.data() + word.size(), value);
  if (r.ec == std::errc::result_out_of_range) return false;
  out = r.ec == std::errc() ? value : 0;
  return true;
}

// The same for a float. False for a number that is not finite ("nan",
// "inf") or beyond the float range; a number too small for a float reads 0.
bool wordToFloat(std::string_view word, float& out) {
  if (word.size() > 1 && word[0] == '+' && word[1] != '+' && word[1] != '-') word.remove_prefix(1);
  float value = 0;
  const auto r = std::from_chars(word.data(), word.data() + word.size(), value);
  if (r.ec == std::errc::result_out_of_range) {
    const std::string_view number = word.substr(0, static_cast<std::size_t>(r.ptr - word.data()));
    const std::size_t e = number.find_first_of("eE");
    if (e == std::string_view::npos || e + 1 >= number.size() || number[e + 1] != '-') return false;
    value = 0;
  } else if (r.ec != std::errc()) {
    value = 0;
  }
  if (!std::isfinite(value)) return false;
  out = value;
  return true;
}

// A word for a message: quoted, and cut when long.
std::string quoted(std::string_view word) {
  constexpr std::size_t kShown = 40;
  if (word.size() <= kShown) return "\"" + std::string(word) + "\"";
  return "\"" + std::string(word.substr(0, kShown)) + "…\"";
}

void splitWords(std::string_view line, std::vector<std::string_view>& words) {
  words.clear();
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && isSpace(line[i])) ++i;
    const std::size_t start = i;
    while (i < line.size() && !isSpace(line[i])) ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
}

struct PatternCounts {
  std::int32_t points = 0, faces = 0, springs = 0, seams = 0, pieces = 0, extra = 0;
  bool hasPoints = false;
};

class PatternMeshReader {
 public:
  PatternMeshReader(std::string_view text, std::string_view source, GarmentLoadContext& ctx)
      : lines_(text), source_(source), ctx_(ctx) {}

  Result<GarmentMesh> read() {
    if (!readCounts()) return *error_;
    garment_.extraCount = counts_.extra;
    if (counts_.points == 0) return std::move(garment_);  // no record line is read
    if (!readRecords()) return *error_;
    placeTexture();
    findPieceRange();
    BuildPatternPieces(garment_);
    const float lowest = finishParticles(garment_);
    if (!readSprings()) return *error_;
    applyFloorRule(garment_, lowest, ctx_);
    return std::move(garment_);
  }

 private:
  bool fail(const std::string& what) {
    error_ = makeError(source_, what, lines_.lineNumber());
    return false;
  }
  bool failFile(const std::string& what) {
    error_ = makeError(source_, what);
    return false;
  }
  bool needWords(std::size_t n, const char* record) {
    if (words_.size() >= n) return true;
    return fail(formatted("%s line has %zu words; it needs %zu", record, words_.size(), n));
  }
  bool intWord(std::size_t i, std::int32_t& out) {
    if (wordToInt(words_[i], out)) return true;
    return fail("number " + quoted(words_[i]) + " does not fit 32 bits");
  }
  bool coordinateWord(std::size_t i, float& out) {
    if (wordToFloat(words_[i], out) && isCoordinate(out)) return true;
    return fail(quoted(words_[i]) + " is not a finite coordinate within ±1e9");
  }
  bool particleWord(std::size_t i, std::int32_t& out) {
    if (!intWord(i, out)) return false;
    return checkParticle(out);
  }
  bool checkParticle(std::int32_t particle) {
    if (particle >= 0 && particle < counts_.points) return true;
    return fail(
        formatted("particle %d does not exist (the garment has %d)", particle, counts_.points));
  }
  void reportProgress(int step) {
    if (ctx_.progress) ctx_.progress(step);
  }

  bool readCounts();
  bool readRecords();
  bool readPoint();
  bool readFace();
  bool readNeighbours();
  bool readSeam();
  bool readSprings();
  void placeTexture();
  void findPieceRange();

  LineReader lines_;
  std::string source_;
  GarmentLoadContext& ctx_;
  std::optional<Error> error_;
  std::vector<std::string_view> words_;
  PatternCounts counts_;
  GarmentMesh garment_;
  std::int32_t pointsRead_ = 0, facesRead_ = 0, neighbourLinesRead_ = 0;
  std::vector<std::int32_t> triangleUses_;  // by particle
  bool hasTexcoords_ = false;
};

// First pass: the count lines. Only the first word of a line matters; the
// point and face lines are counted too, so that a file with fewer of them
// than its counts is rejected before anything is allocated.
bool PatternMeshReader::readCounts() {
  std::int64_t lineCount = 0, pointLines = 0, faceLines = 0;
  std::string_view line;
  lines_.rewind();
  while (lines_.next(line)) {
    ++lineCount;
    splitWords(line, words_);
    if (words_.empty()) continue;
    const std::string_view first = words_[0];
    if (first[0] == 'p') ++pointLines;
    if (first[0] == 'f') ++faceLines;
    if (first[0] != 'c' || first.size() < 2) continue;
    std::int32_t* count = nullptr;
    switch (first[1]) {
      case 'p':
        count = &counts_.points;
        break;
      case 'f':
        count = &counts_.faces;
        break;
      case 's':
        count = &counts_.springs;
        break;
      case 'l':
        count = &counts_.seams;
        break;
      case 't':
        count = &counts_.pieces;
        break;
      case 'd':
        count = &counts_.extra;
        break;
      default:
        continue;
    }
    if (!needWords(2, "count")) return false;
    if (!intWord(1, *count)) return false;
    if (*count < 0) return fail(formatted("negative count %d", *count));
    if (first[1] == 'p') counts_.hasPoints = true;
  }
  if (!counts_.hasPoints) return failFile("no point count (\"cp\" line)");
  const std::pair<std::int32_t, const char*> lineCounts[] = {
      {counts_.points, "point"}, {counts_.faces, "face"}, {counts_.springs, "spring"}};
  for (const auto& [count, what] : lineCounts)
    if (count > lineCount)
      return failFile(formatted("the %s count %d is larger than the file's %lld lines", what, count,
                                static_cast<long long>(lineCount)));
  if (counts_.points == 0) return true;
  if (counts_.points > pointLines)
    return failFile(formatted("the point count is %d but the file has %lld point lines",
                              counts_.points, static_cast<long long>(pointLines)));
  if (counts_.faces > faceLines)
    return failFile(formatted("the face count is %d but the file has %lld face lines",
                              counts_.faces, static_cast<long long>(faceLines)));
  return true;
}

// Second pass: points, faces, neighbour lists, seams and the texture name.
// Point, face and neighbour lines past their counts are ignored.
bool PatternMeshReader::readRecords() {
  garment_.particles.resize(static_cast<std::size_t>(counts_.points));
  garment_.triangles.reserve(static_cast<std::size_t>(counts_.faces));
  triangleUses_.assign(static_cast<std::size_t>(counts_.points), 0);
  std::string_view line;
  lines_.rewind();
  while (lines_.next(line)) {
    splitWords(line, words_);
    if (words_.empty()) continue;
    bool ok = true;
    switch (words_[0][0]) {
      case 'p':
        ok = readPoint();
        break;
      case 'f':
        ok = readFace();
        break;
      case 'n':
        ok = readNeighbours();
        break;
      case 'l':
        ok = readSeam();
        break;
      case 'w':
        ok = needWords(2, "texture name");
        if (ok) garment_.textureName = words_[1];
        break;
      default:
        break;
    }
    if (!ok) return false;
  }
  markSeamEnds(garment_);
  return true;
}

// "p x y z a0 a1 a2 a3" (side value 1), "p x y z a0 a1 a2 a3 a4" or
// "p x y z u v a0 a1 a2 a3 a4": a3 is the piece number, a4 the side value.
// Any other word count from 8 on gives the position only.
bool PatternMeshReader::readPoint() {
  if (pointsRead_ >= counts_.points) return true;
  if (!needWords(8, "point")) return false;
  GarmentParticle& p = garment_.particles[static_cast<std::size_t>(pointsRead_)];
  if (!coordinateWord(1, p.point.x) || !coordinateWord(2, p.point.y) ||
      !coordinateWord(3, p.point.z))
    return false;
  const std::size_t words = words_.size();
  std::size_t attributes = 0;
  if (words == 8 || words == 9) {
    attributes = 4;
  } else if (words == 11) {
    if (!coordinateWord(4, p.point.u) || !coordinateWord(5, p.point.v)) return false;
    hasTexcoords_ = true;
    attributes = 6;
  }
  if (attributes) {
    std::int32_t piece = 0, sideValue = 1;
    if (!intWord(attributes, p.attribute0) || !intWord(attributes + 1, p.attribute1) ||
        !intWord(attributes + 2, p.attribute2) || !intWord(attributes + 3, piece))
      return false;
    if (words != 8 && !intWord(attributes + 4, sideValue)) return false;
    if (piece > kMaxPieceNumber)
      return fail(formatted("piece number %d is above %d", piece, kMaxPieceNumber));
    p.piece = piece;
    const std::int32_t side = sideCodeOfValue(sideValue);
    if (side >= 0) p.side = side;
  }
  ++pointsRead_;
  if (pointsRead_ % 10 == 0 && pointsRead_ / 10 <= 100) reportProgress(pointsRead_ / 10);
  return true;
}

// "f a b c", "f a b c g" or "f a b c g u0 v0 u1 v1 u2 v2".
bool PatternMeshReader::readFace() {
  if (facesRead_ >= counts_.faces) return true;
  if (!needWords(4, "face")) return false;
  if (words_.size() > 5 && words_.size() < 11) return needWords(11, "face");
  GarmentTriangle t;
  for (std::size_t k = 0; k < 3; ++k)
    if (!particleWord(1 + k, t.vertex[k])) return false;
  if (words_.size() >= 5 && !intWord(4, t.piece)) return false;
  if (words_.size() >= 11) {
    for (std::size_t k = 0; k < 6; ++k)
      if (!coordinateWord(5 + k, t.uv[k])) return false;
    t.hasUv = true;
  }
  for (std::int32_t v : t.vertex)
    if (++triangleUses_[static_cast<std::size_t>(v)] > kMaxVertexTriangles)
      return fail(
          formatted("particle %d is used by more than %d triangles", v, kMaxVertexTriangles));
  garment_.triangles.push_back(t);
  ++facesRead_;
  return true;
}

// "n i1 … ik": the neighbours of the next point in order.
bool PatternMeshReader::readNeighbours() {
  if (neighbourLinesRead_ >= counts_.points) return true;
  const std::size_t count = words_.size() - 1;
  if (count > static_cast<std::size_t>(kMaxNeighbours))
    return fail(formatted("particle %d has %zu neighbours; at most %d fit", neighbourLinesRead_,
                          count, kMaxNeighbours));
  GarmentParticle& p = garment_.particles[static_cast<std::size_t>(neighbourLinesRead_)];
  for (std::size_t k = 0; k < count; ++k)
    if (!particleWord(1 + k, p.neighbours[k])) return false;
  p.neighbourCount = static_cast<std::int32_t>(count);
  ++neighbourLinesRead_;
  return true;
}

// "l a b s": stored as (min, max, s, 1, 0); a seam of one particle is ignored.
bool PatternMeshReader::readSeam() {
  if (!needWords(4, "seam")) return false;
  SeamPair seam;
  if (!intWord(1, seam.a) || !intWord(2, seam.b) || !intWord(3, seam.seam)) return false;
  if (seam.a == seam.b) return true;
  if (!checkParticle(seam.a) || !checkParticle(seam.b)) return false;
  if (seam.a > seam.b) std::swap(seam.a, seam.b);
  garment_.seams.push_back(seam);
  garment_.workingSeams.push_back(seam);
  return true;
}

// Texture coordinates from the pattern plane when the file gives none, or
// when more than 10 of the first 20 points have u = v = 0.
void PatternMeshReader::placeTexture() {
  auto& particles = garment_.particles;
  int zeros = 0;
  for (std::size_t i = 0; i < particles.size() && i < 20; ++i)
    if (particles[i].point.u == 0 && particles[i].point.v == 0) ++zeros;
  if (hasTexcoords_ && zeros <= 10) return;
  double xMin = 1e10, yMin = 1e10, xMax = -1e10, yMax = -1e10;
  for (const GarmentParticle& p : particles) {
    xMin = std::min<double>(xMin, p.point.x);
    xMax = std::max<double>(xMax, p.point.x);
    yMin = std::min<double>(yMin, p.point.y);
    yMax = std::max<double>(yMax, p.point.y);
  }
  const double scale = std::max(xMax - xMin, yMax - yMin) + 0.01;
  for (GarmentParticle& p : particles) {
    p.point.u = static_cast<float>((p.point.x - xMin) / scale);
    p.point.v = static_cast<float>((p.point.y - yMin) / scale);
  }
}

void PatternMeshReader::findPieceRange() {
  std::int32_t low = kPieceSearchStart, high = -kPieceSearchStart;
  for (const GarmentParticle& p : garment_.particles) {
    low = std::min(low, p.piece);
    high = std::max(high, p.piece);
  }
  garment_.pieceIdMin = std::max(low, 0);
  garment_.pieceIdMax = high;
}

// Third pass: "s a b" (rest length = the particles' distance) and
// "s a b r". Spring lines past the "cs" count are ignored.
bool PatternMeshReader::readSprings() {
  garment_.edges.reserve(static_cast<std::size_t>(counts_.springs));
  std::int32_t springLines = 0;
  std::string_view line;
  lines_.rewind();
  while (springLines < counts_.springs && lines_.next(line)) {
    splitWords(line, words_);
    if (words_.empty() || words_[0][0] != 's') continue;
    const std::int32_t number = springLines++;
    if (springLines % 20 == 0 && springLines / 20 <= 100) reportProgress(100 + springLines / 20);
    if (!needWords(3, "spring")) return false;
    GarmentEdge edge;
    if (!intWord(1, edge.a) || !intWord(2, edge.b)) return false;
    if (edge.a == edge.b) {
      showWrongSpring(ctx_, number);
      continue;
    }
    if (!checkParticle(edge.a) || !checkParticle(edge.b)) return false;
    if (words_.size() >= 4) {
      if (!wordToFloat(words_[3], edge.rest))
        return fail("rest length " + quoted(words_[3]) + " is not a finite number");
    } else {
      const SkinVertex& a = garment_.particles[static_cast<std::size_t>(edge.a)].point;
      const SkinVertex& b = garment_.particles[static_cast<std::size_t>(edge.b)].point;
      const double dx = double(b.x) - a.x, dy = double(b.y) - a.y, dz = double(b.z) - a.z;
      edge.rest = static_cast<float>(std::sqrt(dx * dx + dy * dy + dz * dz));
    }
    garment_.edges.push_back(edge);
  }
  return true;
}

void appendNumber(std::string& out, float value) {
  char text[32];
  const auto r = std::to_chars(text, text + sizeof text, value);
  out += ' ';
  out.append(text, r.ptr);
}

void appendNumber(std::string& out, std::int32_t value) {
  out += ' ';
  out += std::to_string(value);
}

// ---------------------------------------------------------------------------
// Fitted-garment file

void putVertex(ByteWriter& out, const SkinVertex& v) {
  for (float f : {v.x, v.y, v.z, v.w, v.u, v.v, v.extra[0], v.extra[1], v.extra[2]}) out.f32(f);
}

void getVertex(ByteReader& in, SkinVertex& v) {
  for (float* f : {&v.x, &v.y, &v.z, &v.w, &v.u, &v.v, &v.extra[0], &v.extra[1], &v.extra[2]})
    in.f32(*f);
}

bool finiteVertex(const SkinVertex& v) {
  for (float f : {v.x, v.y, v.z, v.w, v.u, v.v, v.extra[0], v.extra[1], v.extra[2]})
    if (!std::isfinite(f)) return false;
  return true;
}

// PatternPiece in its byte order (452 bytes).
void putPiece(ByteWriter& out, const PatternPiece& piece) {
  out.i32(piece.number);
  out.i32(piece.minusOne);
  putVertex(out, piece.centre);
  for (const SkinVertex& v : piece.derived) putVertex(out, v);
  for (const SkinVertex& v : piece.corners) putVertex(out, v);
  out.f32s(piece.box.data(), piece.box.size());
  for (std::int32_t v : {piece.reserved, piece.firstParticle, piece.lastParticle, piece.shown,
                         piece.outlined, piece.rightSide})
    out.i32(v);
}

void getPiece(ByteReader& in, PatternPiece& piece) {
  in.i32(piece.number);
  in.i32(piece.minusOne);
  getVertex(in, piece.centre);
  for (SkinVertex& v : piece.derived) getVertex(in, v);
  for (SkinVertex& v : piece.corners) getVertex(in, v);
  in.f32s(piece.box.data(), piece.box.size());
  for (std::int32_t* v : {&piece.reserved, &piece.firstParticle, &piece.lastParticle, &piece.shown,
                          &piece.outlined, &piece.rightSide})
    in.i32(*v);
}

bool finitePiece(const PatternPiece& piece) {
  if (!finiteVertex(piece.centre)) return false;
  for (const SkinVertex& v : piece.derived)
    if (!finiteVertex(v)) return false;
  for (const SkinVertex& v : piece.corners)
    if (!finiteVertex(v)) return false;
  return std::all_of(piece.box.begin(), piece.box.end(), [](float f) { return std::isfinite(f); });
}

// BodyBinding in its byte order (36 bytes).
void putBinding(ByteWriter& out, const BodyBinding& b) {
  out.f32s(b.offset.data(), b.offset.size());
  for (float f : {b.normalZ, b.normalX, b.normalY}) out.f32(f);
  for (std::int32_t v : {b.unused0, b.sample, b.unused1}) out.i32(v);
}

void getBinding(ByteReader& in, BodyBinding& b) {
  in.f32s(b.offset.data(), b.offset.size());
  for (float* f : {&b.normalZ, &b.normalX, &b.normalY}) in.f32(*f);
  for (std::int32_t* v : {&b.unused0, &b.sample, &b.unused1}) in.i32(*v);
}

class FittedGarmentReader {
 public:
  FittedGarmentReader(std::span<const std::uint8_t> bytes, std::string_view source,
                      GarmentLoadContext& ctx)
      : in_(bytes), source_(source), ctx_(ctx) {}

  Result<GarmentMesh> read() {
    if (!readHeader() || !readTriangles() || !readParticles() || !readEdges() || !readSeams() ||
        !readPieces() || !readBindings() || !readTextureName())
      return *error_;
    if (in_.failed()) return makeError(source_, "the file ends inside a record");
    markSeamEnds(garment_);
    const float lowest = finishParticles(garment_);
    findCentre();
    applyFloorRule(garment_, lowest, ctx_);
    return std::move(garment_);
  }

 private:
  bool fail(const std::string& what) {
    error_ = makeError(source_, what);
    return false;
  }
  bool checkParticle(std::int32_t particle, const char* record, std::int32_t number) {
    if (particle >= 0 && particle < particles_) return true;
    return fail(formatted("%s %d names particle %d; the garment has %d", record, number, particle,
                          particles_));
  }

  bool readHeader();
  bool readTriangles();
  bool readParticles();
  bool readEdges();
  bool readSeams();
  bool readPieces();
  bool readBindings();
  bool readTextureName();
  void findCentre();

  ByteReader in_;
  std::string source_;
  GarmentLoadContext& ctx_;
  std::optional<Error> error_;
  GarmentMesh garment_;
  std::int32_t particles_ = 0, edges_ = 0, triangles_ = 0, seams_ = 0, pieces_ = 0;
  std::int32_t bindingFlag_ = 0;
};

bool FittedGarmentReader::readHeader() {
  std::int32_t keptFlag = 0;
  for (std::int32_t* v :
       {&particles_, &edges_, &triangles_, &seams_, &pieces_, &bindingFlag_, &keptFlag})
    if (!in_.i32(*v)) return fail("the file is shorter than its 28-byte header");
  garment_.keptFlag = keptFlag;
  if (particles_ < 0 || edges_ < 0 || triangles_ < 0 || seams_ < 0 || pieces_ < 0)
    return fail(
        formatted("negative count (%d particles, %d edges, %d triangles, %d seams, %d pieces)",
                  particles_, edges_, triangles_, seams_, pieces_));
  const std::uint64_t p = static_cast<std::uint64_t>(particles_);
  const std::uint64_t need =
      static_cast<std::uint64_t>(triangles_) * kTriangleRecordBytes + p * kParticleRecordBytes +
      static_cast<std::uint64_t>(edges_) * kEdgeRecordBytes +
      static_cast<std::uint64_t>(seams_) * kSeamRecordBytes + kPieceRangeBytes +
      static_cast<std::uint64_t>(pieces_) * kPatternPieceBytes + kPlacementBytes +
      (bindingFlag_ ? 4 + p * kBodyBindingBytes : 0) + kTextureNameBytes;
  if (need > in_.remaining())
    return fail(formatted("the counts need %llu bytes after the header but %zu are left",
                          static_cast<unsigned long long>(need), in_.remaining()));
  return true;
}

bool FittedGarmentReader::readTriangles() {
  std::vector<std::int32_t> uses(static_cast<std::size_t>(particles_), 0);
  garment_.triangles.resize(static_cast<std::size_t>(triangles_));
  for (std::int32_t t = 0; t < triangles_; ++t) {
    GarmentTriangle& tri = garment_.triangles[static_cast<std::size_t>(t)];
    for (std::int32_t& v : tri.vertex) in_.i32(v);
    in_.skip(12);
    in_.i32(tri.piece);
    in_.skip(8);
    in_.f32s(tri.uv.data(), tri.uv.size());
    tri.hasUv = true;
    for (std::int32_t v : tri.vertex) {
      if (!checkParticle(v, "triangle", t)) return false;
      if (++uses[static_cast<std::size_t>(v)] > kMaxVertexTriangles)
        return fail(
            formatted("particle %d is used by more than %d triangles", v, kMaxVertexTriangles));
    }
    if (!std::all_of(tri.uv.begin(), tri.uv.end(), isCoordinate))
      return fail(formatted("triangle %d has a texture coordinate that is not finite", t));
  }
  return true;
}

// Particle record: nine floats (x, y, z, one unused, u, v, three unused),
// neighbour count and 15 slots, a0, a1, a2, piece number, side value, 8
// unused bytes.
bool FittedGarmentReader::readParticles() {
  garment_.particles.resize(static_cast<std::size_t>(particles_));
  for (std::int32_t i = 0; i < particles_; ++i) {
    GarmentParticle& p = garment_.particles[static_cast<std::size_t>(i)];
    in_.f32(p.point.x);
    in_.f32(p.point.y);
    in_.f32(p.point.z);
    in_.skip(4);
    in_.f32(p.point.u);
    in_.f32(p.point.v);
    in_.skip(12);
    std::array<std::int32_t, kMaxNeighbours> slots{};
    in_.i32(p.neighbourCount);
    for (std::int32_t& v : slots) in_.i32(v);
    std::int32_t sideValue = 1;
    for (std::int32_t* v : {&p.attribute0, &p.attribute1, &p.attribute2, &p.piece, &sideValue})
      in_.i32(*v);
    in_.skip(8);
    for (float f : {p.point.x, p.point.y, p.point.z, p.point.u, p.point.v})
      if (!isCoordinate(f))
        return fail(formatted("particle %d has a coordinate that is not finite within ±1e9", i));
    if (p.neighbourCount < 0 || p.neighbourCount > kMaxNeighbours)
      return fail(formatted("particle %d has %d neighbours; 0 to %d fit", i, p.neighbourCount,
                            kMaxNeighbours));
    for (std::int32_t k = 0; k < p.neighbourCount; ++k) {
      if (!checkParticle(slots[static_cast<std::size_t>(k)], "neighbour list of particle", i))
        return false;
      p.neighbours[static_cast<std::size_t>(k)] = slots[static_cast<std::size_t>(k)];
    }
    if (p.piece > kMaxPieceNumber)
      return fail(
          formatted("particle %d has piece number %d, above %d", i, p.piece, kMaxPieceNumber));
    const std::int32_t side = sideCodeOfValue(sideValue);
    if (side >= 0) p.side = side;
  }
  return true;
}

bool FittedGarmentReader::readEdges() {
  garment_.edges.reserve(static_cast<std::size_t>(edges_));
  for (std::int32_t i = 0; i < edges_; ++i) {
    GarmentEdge edge;  // stiffness 4.0, damping 0.1, kind 1
    in_.i32(edge.a);
    in_.i32(edge.b);
    in_.f32(edge.rest);
    if (edge.a <= -1 || edge.b <= -1) continue;
    if (!checkParticle(edge.a, "edge", i) || !checkParticle(edge.b, "edge", i)) return false;
    if (!std::isfinite(edge.rest))
      return fail(formatted("edge %d has a rest length that is not finite", i));
    if (edge.a == edge.b) {
      showWrongSpring(ctx_, i);
      continue;
    }
    garment_.edges.push_back(edge);
  }
  return true;
}

bool FittedGarmentReader::readSeams() {
  garment_.seams.resize(static_cast<std::size_t>(seams_));
  for (std::int32_t i = 0; i < seams_; ++i) {
    SeamPair& seam = garment_.seams[static_cast<std::size_t>(i)];
    for (std::int32_t* v : {&seam.a, &seam.b, &seam.seam, &seam.one, &seam.zero}) in_.i32(*v);
    if (!checkParticle(seam.a, "seam", i) || !checkParticle(seam.b, "seam", i)) return false;
  }
  garment_.workingSeams = garment_.seams;
  return true;
}

bool FittedGarmentReader::readPieces() {
  in_.i32(garment_.pieceIdMin);
  in_.i32(garment_.pieceIdMax);
  for (std::int32_t id : {garment_.pieceIdMin, garment_.pieceIdMax})
    if (id < -kPieceSearchStart || id > kPieceSearchStart)
      return fail(formatted("piece range %d … %d is not within ±%d", garment_.pieceIdMin,
                            garment_.pieceIdMax, kPieceSearchStart));
  std::vector<PatternPiece> pieces(static_cast<std::size_t>(pieces_));
  for (std::int32_t i = 0; i < pieces_; ++i) {
    getPiece(in_, pieces[static_cast<std::size_t>(i)]);
    if (!finitePiece(pieces[static_cast<std::size_t>(i)]))
      return fail(formatted("piece record %d has a number that is not finite", i));
  }
  garment_.pieces = {pieces, pieces, pieces};
  for (float& f : garment_.placement) in_.f32(f);
  if (!std::all_of(garment_.placement.begin(), garment_.placement.end(),
                   [](float f) { return std::isfinite(f); }))
    return fail("the placement has a number that is not finite");
  return true;
}

bool FittedGarmentReader::readBindings() {
  if (!bindingFlag_) return true;
  std::int32_t count = 0;
  in_.i32(count);
  if (count != particles_)
    return fail(formatted("the file has %d bindings for %d particles", count, particles_));
  garment_.bindings.resize(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count; ++i) {
    BodyBinding& b = garment_.bindings[static_cast<std::size_t>(i)];
    getBinding(in_, b);
    for (float f : {b.offset[0], b.offset[1], b.offset[2], b.normalZ, b.normalX, b.normalY})
      if (!std::isfinite(f))
        return fail(formatted("binding %d has a number that is not finite", i));
    if (b.sample < kUnbound) return fail(formatted("binding %d names body sample %d", i, b.sample));
  }
  garment_.hasBinding = true;
  return true;
}

bool FittedGarmentReader::readTextureName() {
  if (!in_.text(kTextureNameBytes, garment_.textureName))
    return fail("the texture name has no terminator within its 128 bytes");
  return true;
}

// The garment centre: the centre of the union of the stored piece boxes.
void FittedGarmentReader::findCentre() {
  const auto& pieces = garment_.pieces[0];
  if (pieces.empty()) return;
  double low[3] = {1e300, 1e300, 1e300}, high[3] = {-1e300, -1e300, -1e300};
  for (const PatternPiece& piece : pieces)
    for (int k = 0; k < 3; ++k) {
      low[k] = std::min<double>(low[k], piece.box[static_cast<std::size_t>(k)]);
      high[k] = std::max<double>(high[k], piece.box[static_cast<std::size_t>(k) + 3]);
    }
  for (int k = 0; k < 3; ++k)
    garment_.centre[static_cast<std::size_t>(k)] = static_cast<float>((low[k] + high[k]) / 2);
}

}  // namespace

Result<GarmentMesh> parsePatternMesh(std::string_view text, std::string_view sourceName,
                                     GarmentLoadContext& ctx) {
  return PatternMeshReader(text, sourceName, ctx).read();
}

Result<GarmentMesh> LoadPatternMesh(const std::string& filePath, GarmentLoadContext& ctx) {
  auto text = readFileText(filePath, kMaxGarmentFileBytes);
  if (!text) return text.error();
  return parsePatternMesh(text.value(), filePath, ctx);
}

std::string formatPatternMesh(const GarmentMesh& garment) {
  std::string out;
  const std::pair<char, std::int64_t> counts[] = {
      {'p', std::ssize(garment.particles)}, {'f', std::ssize(garment.triangles)},
      {'s', std::ssize(garment.edges)},     {'l', std::ssize(garment.seams)},
      {'t', std::ssize(garment.pieces[0])}, {'d', garment.extraCount}};
  for (const auto& [kind, count] : counts) {
    out += 'c';
    out += kind;
    out += ' ';
    out += std::to_string(count);
    out += '\n';
  }
  // Only the name's first word can be read back.
  std::vector<std::string_view> name;
  splitWords(garment.textureName, name);
  if (!name.empty()) out += "w " + std::string(name[0]) + '\n';
  for (const GarmentParticle& p : garment.particles) {
    out += 'p';
    for (float f : {p.point.x, p.point.y, p.point.z, p.point.u, p.point.v}) appendNumber(out, f);
    for (std::int32_t v :
         {p.attribute0, p.attribute1, p.attribute2, p.piece, sideValueOfCode(p.side)})
      appendNumber(out, v);
    out += '\n';
  }
  for (const GarmentParticle& p : garment.particles) {
    out += 'n';
    const std::int32_t count = std::clamp(p.neighbourCount, 0, kMaxNeighbours);
    for (std::int32_t k = 0; k < count; ++k)
      appendNumber(out, p.neighbours[static_cast<std::size_t>(k)]);
    out += '\n';
  }
  for (const GarmentTriangle& t : garment.triangles) {
    out += 'f';
    for (std::int32_t v : t.vertex) appendNumber(out, v);
    appendNumber(out, t.piece);
    if (t.hasUv)
      for (float f : t.uv) appendNumber(out, f);
    out += '\n';
  }
  for (const SeamPair& s : garment.seams) {
    out += 'l';
    for (std::int32_t v : {s.a, s.b, s.seam}) appendNumber(out, v);
    out += '\n';
  }
  for (const GarmentEdge& e : garment.edges) {
    out += 's';
    appendNumber(out, e.a);
    appendNumber(out, e.b);
    appendNumber(out, e.rest);
    out += '\n';
  }
  return out;
}

Result<GarmentMesh> parseFittedGarment(std::span<const std::uint8_t> bytes,
                                       std::string_view sourceName, GarmentLoadContext& ctx) {
  return FittedGarmentReader(bytes, sourceName, ctx).read();
}

Result<GarmentMesh> LoadFittedGarment(const std::string& filePath, GarmentLoadContext& ctx) {
  auto bytes = readFileBytes(filePath, kMaxGarmentFileBytes);
  if (!bytes) return bytes.error();
  return parseFittedGarment(bytes.value(), filePath, ctx);
}

std::vector<std::uint8_t> formatFittedGarment(const GarmentMesh& garment) {
  const auto& pieces = garment.pieces[0];
  ByteWriter out;
  const auto count = [](std::size_t n) { return static_cast<std::int32_t>(n); };
  for (std::int32_t v : {count(garment.particles.size()), count(garment.edges.size()),
                         count(garment.triangles.size()), count(garment.seams.size()),
                         count(pieces.size()), garment.hasBinding ? 1 : 0, garment.keptFlag})
    out.i32(v);
  for (const GarmentTriangle& t : garment.triangles) {
    for (std::int32_t v : t.vertex) out.i32(v);
    out.zeros(12);
    out.i32(t.piece);
    out.zeros(8);
    out.f32s(t.uv.data(), t.uv.size());
  }
  for (const GarmentParticle& p : garment.particles) {
    putVertex(out, p.point);
    const std::int32_t neighbours = std::clamp(p.neighbourCount, 0, kMaxNeighbours);
    out.i32(neighbours);
    for (std::int32_t k = 0; k < kMaxNeighbours; ++k)
      out.i32(k < neighbours ? p.neighbours[static_cast<std::size_t>(k)] : 0);
    for (std::int32_t v :
         {p.attribute0, p.attribute1, p.attribute2, p.piece, sideValueOfCode(p.side)})
      out.i32(v);
    out.zeros(8);
  }
  for (const GarmentEdge& e : garment.edges) {
    out.i32(e.a);
    out.i32(e.b);
    out.f32(e.rest);
  }
  for (const SeamPair& s : garment.seams)
    for (std::int32_t v : {s.a, s.b, s.seam, s.one, s.zero}) out.i32(v);
  out.i32(garment.pieceIdMin);
  out.i32(garment.pieceIdMax);
  for (const PatternPiece& piece : pieces) putPiece(out, piece);
  out.f32s(garment.placement.data(), garment.placement.size());
  if (garment.hasBinding) {
    out.i32(count(garment.bindings.size()));
    for (const BodyBinding& b : garment.bindings) putBinding(out, b);
  }
  out.text(garment.textureName, kTextureNameBytes);
  return std::move(out.bytes());
}

Result<void> writeFittedGarment(const std::string& filePath, const GarmentMesh& garment) {
  if (garment.hasBinding && garment.bindings.size() != garment.particles.size())
    return makeError(filePath, formatted("the garment has %zu bindings for %zu particles",
                                         garment.bindings.size(), garment.particles.size()));
  const std::vector<std::uint8_t> bytes = formatFittedGarment(garment);
  return writeFileAtomically(filePath, bytes);
}

}  // namespace vestora
