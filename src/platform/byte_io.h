// Little-endian field-by-field reading and writing of the program's binary
// files (32-bit integers, IEEE single floats, no padding).
#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vestora {

// Reads from a byte span. Every read checks the bytes left; after the first
// short read the reader is failed and all further reads return false.
class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> data) : data_(data) {}

  std::size_t remaining() const { return failed_ ? 0 : data_.size() - pos_; }
  std::size_t position() const { return pos_; }
  bool failed() const { return failed_; }

  // True when at least count × size bytes are left (no overflow).
  bool has(std::uint64_t count, std::uint64_t size) const {
    if (failed_) return false;
    if (size != 0 && count > remaining() / size) return false;
    return count * size <= remaining();
  }

  bool u32(std::uint32_t& out) { return raw(&out, 4); }
  bool i32(std::int32_t& out) { return raw(&out, 4); }
  bool f32(float& out) { return raw(&out, 4); }
  bool f32s(float* out, std::size_t n) { return raw(out, 4 * n); }
  bool u32s(std::uint32_t* out, std::size_t n) { return raw(out, 4 * n); }
  bool skip(std::size_t n) {
    if (!has(n, 1)) return fail();
    pos_ += n;
    return true;
  }

  // A fixed-width zero-terminated text field; false when no terminator lies
  // within the field.
  bool text(std::size_t width, std::string& out) {
    if (!has(width, 1)) return fail();
    const auto* begin = data_.data() + pos_;
    const void* zero = std::memchr(begin, 0, width);
    if (!zero) return false;
    out.assign(reinterpret_cast<const char*>(begin),
               static_cast<const std::uint8_t*>(zero) - begin);
    pos_ += width;
    return true;
  }

  bool raw(void* out, std::size_t n) {
    if (!has(n, 1)) return fail();
    // Host order is little-endian on every platform the program targets.
    if (n) std::memcpy(out, data_.data() + pos_, n);
    pos_ += n;
    return true;
  }

 private:
  bool fail() {
    failed_ = true;
    return false;
  }
  std::span<const std::uint8_t> data_;
  std::size_t pos_ = 0;
  bool failed_ = false;
};

class ByteWriter {
 public:
  void u32(std::uint32_t v) { raw(&v, 4); }
  void i32(std::int32_t v) { raw(&v, 4); }
  void f32(float v) { raw(&v, 4); }
  void f32s(const float* v, std::size_t n) { raw(v, 4 * n); }
  void u32s(const std::uint32_t* v, std::size_t n) { raw(v, 4 * n); }
  void zeros(std::size_t n) { bytes_.resize(bytes_.size() + n, 0); }
  // A fixed-width field: the text (cut to width - 1 bytes), a terminator,
  // zeros up to the width.
  void text(std::string_view s, std::size_t width) {
    const std::size_t n = s.size() < width ? s.size() : width - 1;
    raw(s.data(), n);
    zeros(width - n);
  }
  void raw(const void* p, std::size_t n) {
    const auto* b = static_cast<const std::uint8_t*>(p);
    bytes_.insert(bytes_.end(), b, b + n);
  }
  std::vector<std::uint8_t>& bytes() { return bytes_; }
  void reserve(std::size_t n) { bytes_.reserve(n); }

 private:
  std::vector<std::uint8_t> bytes_;
};

static_assert(sizeof(float) == 4 && sizeof(std::uint32_t) == 4);

}  // namespace vestora
