// The application root that the generator fills. Paths are given in the
// program's backslash form ("\model\ChinaFemale\nv_High.c3d").
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vestora::generate {

class ContentRoot {
 public:
  explicit ContentRoot(std::string root) : root_(std::move(root)) {}

  // Writes a file, creating its folders; throws std::runtime_error naming
  // the file when it cannot be written.
  void write(std::string_view path, std::span<const std::uint8_t> bytes);
  void writeText(std::string_view path, std::string_view text);

  const std::string& root() const { return root_; }
  std::uint64_t bytesWritten() const { return bytes_; }
  int filesWritten() const { return files_; }

 private:
  std::string root_;
  std::uint64_t bytes_ = 0;
  int files_ = 0;
};

}  // namespace vestora::generate
