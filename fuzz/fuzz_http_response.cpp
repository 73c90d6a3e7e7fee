// The text the store's HTTP client takes from outside: a response header
// from the server, and URLs from store pages (parsed both ways), with the
// request built from them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "store/http_client.h"
#include "store/url.h"

namespace {

using namespace vestora;

std::string withCase(std::string_view text, bool upper) {
  std::string out(text);
  for (char& c : out) {
    if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool hasWhiteSpace(std::string_view text) {
  return text.find_first_of(" \t\r\n\v\f") != std::string_view::npos;
}

void checkHead(std::string_view text) {
  const Result<ResponseHead> head = ParseResponseHead(text);
  if (head.ok()) {
    VESTORA_FUZZ_CHECK(head->status >= 0 && head->status <= 999999999, "status out of range");
    if (head->contentLength)
      VESTORA_FUZZ_CHECK(*head->contentLength >= 1, "content length below 1");
  } else {
    VESTORA_FUZZ_CHECK(!head.error().what.empty(), "an error without a message");
  }
  // Names and values are read without regard to case.
  for (const bool upper : {false, true}) {
    const Result<ResponseHead> other = ParseResponseHead(withCase(text, upper));
    VESTORA_FUZZ_CHECK(other.ok() == head.ok(), "case changes whether the header is accepted");
    if (head.ok()) {
      VESTORA_FUZZ_CHECK(other->status == head->status, "case changes the status");
      VESTORA_FUZZ_CHECK(other->contentLength == head->contentLength,
                         "case changes the content length");
    }
  }
}

void checkPath(std::string_view path) {
  VESTORA_FUZZ_CHECK(!path.empty() && path.front() == '/', "path does not start with /");
  const std::string_view beforeQuery = path.substr(0, path.find('?'));
  VESTORA_FUZZ_CHECK(beforeQuery.find("//") == std::string_view::npos, "// in the path");
  VESTORA_FUZZ_CHECK(beforeQuery.find("/./") == std::string_view::npos, "/./ in the path");
  VESTORA_FUZZ_CHECK(beforeQuery.find("/../") == std::string_view::npos, "/../ in the path");
  VESTORA_FUZZ_CHECK(!beforeQuery.ends_with("/.") && !beforeQuery.ends_with("/.."),
                     "path ends in a dot segment");
}

void checkUrl(std::string_view text, bool blanksToPercent20) {
  const UrlParts url = ParseUrl(text, blanksToPercent20);
  checkPath(url.path);
  VESTORA_FUZZ_CHECK(url.port >= 0 && url.port <= 65535, "port out of range");
  VESTORA_FUZZ_CHECK(url.port > 0 || DefaultPort(url.scheme) == 0, "port 0 for a known scheme");
  VESTORA_FUZZ_CHECK(url.scheme == withCase(url.scheme, false), "scheme not lower case");
  VESTORA_FUZZ_CHECK(url.scheme.find(':') == std::string::npos, ": in the scheme");
  VESTORA_FUZZ_CHECK(url.host.find_first_of("/?#@:") == std::string::npos,
                     "host holds a separator");
  for (const std::string* part : {&url.scheme, &url.user, &url.host, &url.path}) {
    VESTORA_FUZZ_CHECK(!hasWhiteSpace(*part), "white space kept");
    VESTORA_FUZZ_CHECK(part->find('#') == std::string::npos, "fragment kept");
  }
  // A normalised path stays as it is.
  VESTORA_FUZZ_CHECK(ParseUrl("http://h" + url.path).path == url.path, "path not normalised");

  const Result<std::string> request = BuildHttpRequest(url, "a=1");
  if (request.ok()) {
    const std::string& r = request.value();
    VESTORA_FUZZ_CHECK(r.starts_with("GET " + url.path + " HTTP/1.1\r\n"), "bad request line");
    VESTORA_FUZZ_CHECK(r.ends_with("\r\n\r\n"), "request does not end with a blank line");
    int lineEnds = 0;
    for (std::size_t i = 0; i < r.size(); ++i) {
      const auto c = static_cast<unsigned char>(r[i]);
      if (c == '\r') {
        VESTORA_FUZZ_CHECK(i + 1 < r.size() && r[i + 1] == '\n', "CR without LF");
        ++lineEnds;
      } else if (c == '\n') {
        VESTORA_FUZZ_CHECK(i > 0 && r[i - 1] == '\r', "LF without CR");
      } else {
        VESTORA_FUZZ_CHECK(c >= 0x20 && c != 0x7f, "control character in the request");
      }
    }
    VESTORA_FUZZ_CHECK(lineEnds == 10, "request lines smuggled in or lost");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  checkHead(text);
  checkUrl(text, false);
  checkUrl(text, true);
  return 0;
}
