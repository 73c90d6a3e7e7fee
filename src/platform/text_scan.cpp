#include "platform/text_scan.h"

#include <charconv>
#include <cstdlib>
#include <limits>

namespace vestora {
namespace {

// Length of the longest prefix of s that scanf's %f would take (sign, digits
// with one point, exponent with at least one digit); 0 when none.
std::size_t floatPrefix(std::string_view s) {
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return 0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    std::size_t expDigits = 0;
    while (j < s.size() && s[j] >= '0' && s[j] <= '9') ++j, ++expDigits;
    if (expDigits) i = j;
  }
  return i;
}

bool convertFloat(std::string_view number, float& out) {
  if (!number.empty() && number.front() == '+') number.remove_prefix(1);
  const auto r = std::from_chars(number.data(), number.data() + number.size(), out,
                                 std::chars_format::general);
  if (r.ec == std::errc::result_out_of_range) {
    // Keep scanf's behaviour: overflow saturates, underflow goes to zero.
    const bool negative = !number.empty() && number.front() == '-';
    const auto e = number.find_first_of("eE");
    const bool tiny = e != std::string_view::npos && e + 1 < number.size() && number[e + 1] == '-';
    out = tiny ? 0.0f : std::numeric_limits<float>::max();
    if (negative) out = -out;
    return true;
  }
  return r.ec == std::errc() && r.ptr == number.data() + number.size();
}

}  // namespace

void TextScanner::skipSpace() {
  while (pos_ < text_.size() && isSpace(text_[pos_])) ++pos_;
}

bool TextScanner::readFloat(float& out) {
  skipSpace();
  const std::size_t n = floatPrefix(text_.substr(pos_));
  if (n == 0 || !convertFloat(text_.substr(pos_, n), out)) return false;
  pos_ += n;
  return true;
}

bool TextScanner::readInt(int& out) {
  skipSpace();
  std::size_t i = pos_;
  if (i < text_.size() && (text_[i] == '+' || text_[i] == '-')) ++i;
  const std::size_t digitsStart = i;
  while (i < text_.size() && text_[i] >= '0' && text_[i] <= '9') ++i;
  if (i == digitsStart) return false;
  if (!parseInt(text_.substr(pos_, i - pos_), out)) return false;
  pos_ = i;
  return true;
}

bool TextScanner::readWord(std::string_view& out) {
  skipSpace();
  const std::size_t start = pos_;
  while (pos_ < text_.size() && !isSpace(text_[pos_])) ++pos_;
  out = text_.substr(start, pos_ - start);
  return !out.empty();
}

bool LineReader::next(std::string_view& line) {
  if (pos_ >= text_.size()) return false;
  std::size_t end = pos_;
  while (end < text_.size() && text_[end] != '\n' && text_[end] != '\r') ++end;
  line = text_.substr(pos_, end - pos_);
  if (end < text_.size() && text_[end] == '\r') {
    ++end;
    if (end < text_.size() && text_[end] == '\n') ++end;
  } else if (end < text_.size()) {
    ++end;  // '\n'
  }
  pos_ = end;
  ++lineNumber_;
  return true;
}

bool parseFloat(std::string_view token, float& out) {
  return floatPrefix(token) == token.size() && !token.empty() && convertFloat(token, out);
}

bool parseInt(std::string_view token, int& out) {
  if (!token.empty() && token.front() == '+') token.remove_prefix(1);
  if (token.empty()) return false;
  const auto r = std::from_chars(token.data(), token.data() + token.size(), out);
  return r.ec == std::errc() && r.ptr == token.data() + token.size();
}

std::string_view firstWord(std::string_view s, std::string_view* rest) {
  std::size_t i = 0;
  while (i < s.size() && isBlank(s[i])) ++i;
  std::size_t j = i;
  while (j < s.size() && !isBlank(s[j])) ++j;
  if (rest) *rest = s.substr(j);
  return s.substr(i, j - i);
}

}  // namespace vestora
