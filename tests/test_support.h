// Helpers shared by the tests and the benchmarks.
#pragma once

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "formats/glm_model.h"

namespace vestora::testing {

// A fresh folder, removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir() {
    const char* base = std::getenv("VESTORA_TEST_TMP");
    std::filesystem::path parent = base ? base : std::filesystem::temp_directory_path();
    std::filesystem::create_directories(parent);
    std::string pattern = (parent / "vestora-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }
  std::string write(const std::string& name, const std::string& content) const {
    const auto p = path_ / name;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << content;
    return p.string();
  }

 private:
  std::filesystem::path path_;
};

// A hash of a model's vertex positions, bit for bit: equal only for the
// same shape.
inline std::uint64_t vertexHash(const GlmModel& model) {
  std::uint64_t h = 1469598103934665603ull;
  for (const float f : model.vertices) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &f, sizeof bits);
    h = (h ^ bits) * 1099511628211ull;
  }
  return h;
}

inline std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A closed UV sphere of radius r with `rings` × `segments` quads (two
// triangles each), poles included: (rings - 1) × segments + 2 vertices,
// 2 × (rings - 1) × segments triangles. One group " body" with one material run.
inline GlmModel makeSphere(int rings, int segments, float r = 1.0f) {
  GlmModel m;
  const int ringVertices = rings - 1;
  m.setVertexCount(static_cast<std::uint32_t>(ringVertices * segments + 2));
  auto set = [&](std::uint32_t i, float x, float y, float z) {
    m.vertex(i)[0] = x;
    m.vertex(i)[1] = y;
    m.vertex(i)[2] = z;
  };
  const double pi = 3.14159265358979323846;
  set(1, 0, r, 0);
  for (int i = 0; i < ringVertices; ++i) {
    const double theta = pi * (i + 1) / rings;
    for (int j = 0; j < segments; ++j) {
      const double phi = 2 * pi * j / segments;
      set(2 + i * segments + j, float(r * std::sin(theta) * std::cos(phi)),
          float(r * std::cos(theta)), float(r * std::sin(theta) * std::sin(phi)));
    }
  }
  const std::uint32_t south = m.vertexCount();
  set(south, 0, -r, 0);
  auto at = [&](int ring, int seg) {
    return static_cast<std::uint32_t>(2 + ring * segments + (seg % segments));
  };
  auto add = [&](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    GlmTriangle t;
    t.vindices[0] = a;
    t.vindices[1] = b;
    t.vindices[2] = c;
    m.triangles.push_back(t);
  };
  for (int j = 0; j < segments; ++j) {
    add(1, at(0, j + 1), at(0, j));
    for (int i = 0; i + 1 < ringVertices; ++i) {
      add(at(i, j), at(i, j + 1), at(i + 1, j + 1));
      add(at(i, j), at(i + 1, j + 1), at(i + 1, j));
    }
    add(south, at(ringVertices - 1, j), at(ringVertices - 1, j + 1));
  }
  m.materials.resize(1);
  m.materials[0].name = "default";
  GlmGroup& g = glmAddGroup(m, " body");
  for (std::uint32_t i = 0; i < m.triangleCount(); ++i) {
    g.triangles.push_back(i);
    g.triangleCopies.push_back(m.triangles[i]);
  }
  g.runs.push_back({"default", 0, m.triangleCount()});
  return m;
}

// A mono 16-bit PCM WAV file of `samples` at `rate` samples a second.
inline std::string monoWav(const std::vector<std::int16_t>& samples, std::uint32_t rate) {
  std::string wav = "RIFF";
  auto u32 = [&](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) wav += static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  auto u16 = [&](std::uint16_t v) {
    wav += static_cast<char>(v & 0xFF);
    wav += static_cast<char>(v >> 8);
  };
  const auto bytes = static_cast<std::uint32_t>(2 * samples.size());
  u32(36 + bytes);
  wav += "WAVEfmt ";
  u32(16);
  u16(1);  // PCM
  u16(1);  // mono
  u32(rate);
  u32(rate * 2);
  u16(2);
  u16(16);
  wav += "data";
  u32(bytes);
  for (std::int16_t s : samples) u16(static_cast<std::uint16_t>(s));
  return wav;
}

}  // namespace vestora::testing

#include <map>

#include "formats/model_loader.h"

namespace vestora::testing {

// Serves files from memory; any other path is "cannot open".
inline FileFetcher memoryFetcher(std::map<std::string, std::string> files) {
  return [files = std::move(files)](const std::string& path) -> Result<std::string> {
    auto it = files.find(path);
    if (it == files.end()) return makeError(path, "cannot open: No such file or directory");
    return it->second;
  };
}

}  // namespace vestora::testing
