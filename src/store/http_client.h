// The store's HTTP client: one GET over plain HTTP/1.1, body saved to a file.
//
// The client sends a fixed set of request lines, reads a response header of
// at most kMaxResponseHeaderBytes, accepts only a 2xx status (redirects are
// never followed) and writes the body to the destination file. A body with a
// Content-Length must arrive whole; a body without one is read until the
// server closes, or until it falls quiet (see HttpOptions). A result below
// zero always leaves no destination file behind. The client keeps no shared
// state (calls on several threads are independent), never throws, never
// raises SIGPIPE; a failure is reported through debugOutput with its reason.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/result.h"
#include "store/url.h"

namespace vestora {

// Results of HttpGetToFile below zero.
// Bad URL or scheme, refused request text, send failure, no or malformed
// status line, status outside 200 … 299, bad Content-Length, unsupported
// transfer coding, header too long, read failure or reset, time-out, size
// or total-time cap exceeded, body shorter or longer than announced, empty body.
inline constexpr std::int64_t kHttpFailed = -1;
// Host not resolved, socket not created, connect refused, failed or timed out.
inline constexpr std::int64_t kHttpNoConnection = -3;
// The destination file cannot be created, written or closed (full disk …).
inline constexpr std::int64_t kHttpCannotSave = -4;
// HttpOptions::cancel was set.
inline constexpr std::int64_t kHttpCancelled = -5;

// The longest response header accepted, its terminating blank line included.
inline constexpr std::size_t kMaxResponseHeaderBytes = 1023;
// A body without Content-Length that has reached this many bytes ends at the
// first quiet period of HttpOptions::settleTimeoutMs.
inline constexpr std::int64_t kSettleAfterBytes = 20480;

// Body bytes between two progress reports.
inline constexpr std::int64_t kProgressStepBytes = 64 * 1024;

struct HttpOptions {
  // Longest wait for the connection to be made; a time-out gives kHttpNoConnection.
  int connectTimeoutMs = 3000;
  // Longest wait for each piece of the header or body; negative waits for ever.
  int readTimeoutMs = 3000;
  // Quiet period that ends a body without Content-Length once it has
  // reached kSettleAfterBytes; negative waits for ever.
  int settleTimeoutMs = 1000;
  // The largest body accepted, announced or not.
  std::int64_t maxBodyBytes = std::int64_t{256} << 20;
  // The whole call (the name lookup counts but cannot be interrupted);
  // this stops a server that keeps the connection alive with a byte now and
  // then. Negative: no limit.
  std::int64_t maxTotalMs = 10 * 60 * 1000;
  // Called with 0 once the header is accepted, then as the body arrives
  // (after every kProgressStepBytes or more, never twice with the same
  // count) and with the total once the body is complete. `expected` is the
  // Content-Length, −1 when none was sent. Called on the calling thread;
  // an exception thrown from it cancels the download.
  std::function<void(std::int64_t received, std::int64_t expected)> progress;
  // When set and true, the call ends with kHttpCancelled within about
  // 100 ms (checked between and during waits; name lookup is not interrupted).
  const std::atomic<bool>* cancel = nullptr;
};

// Downloads `url` (scheme "http" only) into `destination` (created or
// truncated once a good header has arrived). `cookie` goes into the
// request's Cookie line, which is sent (empty) even without one. Returns the
// number of body bytes written, at least 1, or one of the results above; on
// every result below zero the destination file is removed, whether this
// call wrote it or not.
std::int64_t HttpGetToFile(std::string_view url, const std::filesystem::path& destination,
                           std::optional<std::string_view> cookie,
                           const HttpOptions& options = {}) noexcept;

// The request text for `url`: the lines "GET <path> HTTP/1.1",
// "Host: <host>[:<port> unless 80]", "Accept: */*", "Referer: Vestora",
// "Cookie: <cookie>", "User-Agent: Vestora", "Pragma: no-cache",
// "Cache-Control: no-cache", "Connection: close", each ending in CR LF, then
// an empty line. Fails when the host is empty or the host, path or cookie
// holds a control character (a line break would smuggle in request lines).
Result<std::string> BuildHttpRequest(const UrlParts& url, std::string_view cookie);

struct ResponseHead {
  int status = 0;                             // 0 … 999999999
  std::optional<std::int64_t> contentLength;  // 1 … 2^63 − 1 when present
};

// Parses a response header (status line, header lines, the blank line; CR
// LF or bare LF line ends), case-insensitively. The status line must begin
// with "HTTP/"; the status is the number after its first blank. A header
// line starting with "Content-Length:" must hold a plain decimal 1 … 2^63 − 1
// between optional blanks; it may repeat only with the same value. A
// "Transfer-Encoding" other than "identity" is refused, since the body would
// be saved with its chunk framing. Does not judge the status.
Result<ResponseHead> ParseResponseHead(std::string_view header);

}  // namespace vestora
