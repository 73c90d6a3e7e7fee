#include "store/url.h"

#include <string>
#include <string_view>
#include <vector>

namespace vestora {
namespace {

bool isWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

char toLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Step 1: white space dropped, inner blanks optionally kept as "%20".
std::string dropWhiteSpace(std::string_view text, bool blanksToPercent20) {
  std::size_t first = 0;
  while (first < text.size() && isWhiteSpace(text[first])) ++first;
  std::size_t end = text.size();
  while (end > first && isWhiteSpace(text[end - 1])) --end;
  std::string out;
  out.reserve(end - first);
  for (std::size_t i = first; i < end; ++i) {
    const char c = text[i];
    if (!isWhiteSpace(c)) {
      out += c;
    } else if (c == ' ' && blanksToPercent20) {
      out += "%20";  // text lies on both sides: leading and trailing blanks were trimmed
    }
  }
  return out;
}

// The port text after ":": a number 1 … 65535, otherwise 0. Accepts a sign
// and stops at the first non-digit; never overflows.
int parsePort(std::string_view text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > 65535) return 0;
  }
  if (negative) return 0;
  return static_cast<int>(value);
}

// Step 6 on the part before the query.
std::string normalisePath(std::string_view path) {
  std::vector<std::string_view> segments;
  std::size_t pos = 0;
  while (pos <= path.size()) {
    std::size_t slash = path.find('/', pos);
    if (slash == std::string_view::npos) slash = path.size();
    const std::string_view segment = path.substr(pos, slash - pos);
    if (segment == "..") {
      if (!segments.empty()) segments.pop_back();
    } else if (!segment.empty() && segment != ".") {
      segments.push_back(segment);
    }
    pos = slash + 1;
  }
  std::string out;
  out.reserve(path.size() + 1);
  for (const auto& s : segments) {
    out += '/';
    out += s;
  }
  // A trailing "/" stays ("/a/./" is "/a/"); a trailing "/." or "/.." leaves none.
  if (out.empty() || path.back() == '/') out += '/';
  return out;
}

}  // namespace

int DefaultPort(std::string_view scheme) {
  if (scheme == "http") return 80;
  if (scheme == "https") return 443;
  if (scheme == "ftp") return 21;
  if (scheme == "gopher") return 70;
  return 0;
}

UrlParts ParseUrl(std::string_view text, bool blanksToPercent20) {
  UrlParts parts;
  std::string url = dropWhiteSpace(text, blanksToPercent20);
  if (const auto hash = url.find('#'); hash != std::string::npos) url.erase(hash);

  std::string_view rest = url;
  if (const auto colon = rest.find(':'); colon != std::string_view::npos) {
    parts.scheme.reserve(colon);
    for (char c : rest.substr(0, colon)) parts.scheme += toLower(c);
    rest.remove_prefix(colon + 1);
  } else {
    parts.scheme = "http";
  }

  if (rest.size() >= 2 && rest[0] == '/' && rest[1] == '/') {
    rest.remove_prefix(2);
    std::size_t authorityEnd = rest.find_first_of("/?");
    if (authorityEnd == std::string_view::npos) authorityEnd = rest.size();
    std::string_view authority = rest.substr(0, authorityEnd);
    rest.remove_prefix(authorityEnd);
    if (const auto at = authority.rfind('@'); at != std::string_view::npos) {
      parts.user = authority.substr(0, at);
      authority.remove_prefix(at + 1);
    }
    const auto colon = authority.find(':');
    parts.host = authority.substr(0, colon);
    if (colon != std::string_view::npos) parts.port = parsePort(authority.substr(colon + 1));
  }
  if (parts.port <= 0) parts.port = DefaultPort(parts.scheme);
  if (parts.scheme == "file" && parts.host.empty()) parts.host = "localhost";

  const auto query = rest.find('?');
  const std::string_view beforeQuery = rest.substr(0, query);
  parts.path = normalisePath(beforeQuery);
  if (query != std::string_view::npos) parts.path += rest.substr(query);
  return parts;
}

}  // namespace vestora
