// Formatted reading of the program's text files, in the manner of the C
// library's "%f", "%d" and "%s" conversions in the "C" number format: white
// space (line ends included) before a number is skipped, a number ends at the
// first character that cannot continue it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vestora {

class TextScanner {
 public:
  explicit TextScanner(std::string_view text) : text_(text) {}

  bool atEnd() const { return pos_ >= text_.size(); }
  std::size_t position() const { return pos_; }

  // "%f": skips white space, converts a decimal or exponent float; on failure
  // nothing is consumed but the white space.
  bool readFloat(float& out);
  // "%d": skips white space, converts an optionally signed decimal integer
  // that fits in 32 bits.
  bool readInt(int& out);
  // "%s": skips white space, reads up to the next white space.
  bool readWord(std::string_view& out);
  void skipSpace();

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

// Splits text into lines; the line end ("\n", "\r\n" or a lone "\r") is not
// part of the line. The last line may lack a line end.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}
  bool next(std::string_view& line);
  int lineNumber() const { return lineNumber_; }  // of the line last returned, from 1
  void rewind() {
    pos_ = 0;
    lineNumber_ = 0;
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
  int lineNumber_ = 0;
};

// Parses a whole token as a float / int (no trailing characters).
bool parseFloat(std::string_view token, float& out);
bool parseInt(std::string_view token, int& out);

// The first blank- or tab-separated word of `s`, and what follows it.
std::string_view firstWord(std::string_view s, std::string_view* rest = nullptr);

inline bool isBlank(char c) { return c == ' ' || c == '\t'; }
inline bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace vestora
