#include "store/http_client.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <limits>
#include <memory>
#include <string>
#include <system_error>

#include <netinet/in.h>
#include <sys/socket.h>

#include "platform/log.h"

namespace vestora {
namespace {

using Clock = std::chrono::steady_clock;

// Receive buffer: large reads and writes keep a loopback download near the
// speed of the disk.
constexpr std::size_t kBufferBytes = 256 * 1024;
// Longest single poll, so that a cancel is noticed quickly.
constexpr int kWaitSliceMs = 100;

std::string errnoText(int error) {
  return std::error_code(error, std::generic_category()).message();
}

class FileDescriptor {
 public:
  FileDescriptor() = default;
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() { reset(); }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  void assign(int fd) {
    reset();
    fd_ = fd;
  }
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Closes the descriptor; false when close reports an error (a delayed write error).
  bool reset() {
    if (fd_ < 0) return true;
    const int rc = ::close(fd_);
    fd_ = -1;
    return rc == 0 || errno == EINTR;
  }

 private:
  int fd_ = -1;
};

enum class WaitResult { kReady, kTimedOut, kCancelled, kTotalExceeded, kError };

// One download: options, the overall deadline and the reason of a failure.
class Download {
 public:
  Download(std::string_view url, const std::filesystem::path& destination,
           std::optional<std::string_view> cookie, const HttpOptions& options)
      : url_(url), destination_(destination), cookie_(cookie.value_or("")), options_(options) {
    if (options.maxTotalMs >= 0)
      deadline_ = Clock::now() + std::chrono::milliseconds(options.maxTotalMs);
  }

  std::int64_t run() {
    const std::int64_t result = download();
    file_.reset();
    socket_.reset();
    if (result < 0) {
      ::unlink(destination_.c_str());
      debugOutput("HttpGetToFile " + where_ + ": " + reason_ + "\n");
    }
    return result;
  }

 private:
  std::int64_t fail(std::int64_t status, std::string reason) {
    reason_ = std::move(reason);
    return status;
  }

  std::int64_t failWait(WaitResult wait, std::int64_t timeOutStatus, const std::string& what) {
    switch (wait) {
      case WaitResult::kCancelled:
        return fail(kHttpCancelled, "cancelled");
      case WaitResult::kTotalExceeded:
        return fail(kHttpFailed, "took longer than " + std::to_string(options_.maxTotalMs) + " ms");
      case WaitResult::kTimedOut:
        return fail(timeOutStatus, what + ": timed out");
      default:
        return fail(timeOutStatus == kHttpNoConnection ? kHttpNoConnection : kHttpFailed,
                    what + ": " + errnoText(errno));
    }
  }

  bool cancelled() const {
    return options_.cancel && options_.cancel->load(std::memory_order_relaxed);
  }
  bool pastDeadline() const { return deadline_ && Clock::now() >= *deadline_; }

  // Waits until `fd` is ready for `events`, at most `timeoutMs` (negative:
  // no limit), in slices so that the cancel flag and the deadline are seen.
  WaitResult waitFor(int fd, short events, int timeoutMs) const {
    std::optional<Clock::time_point> end;
    if (timeoutMs >= 0) end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      if (cancelled()) return WaitResult::kCancelled;
      const auto now = Clock::now();
      if (deadline_ && now >= *deadline_) return WaitResult::kTotalExceeded;
      if (end && now >= *end) return WaitResult::kTimedOut;
      auto slice = std::chrono::milliseconds(kWaitSliceMs);
      auto left = [&](Clock::time_point t) {
        return std::chrono::ceil<std::chrono::milliseconds>(t - now);
      };
      if (end) slice = std::min(slice, left(*end));
      if (deadline_) slice = std::min(slice, left(*deadline_));
      pollfd p{fd, events, 0};
      const int rc = ::poll(&p, 1, static_cast<int>(slice.count()));
      if (rc > 0) return WaitResult::kReady;
      if (rc < 0 && errno != EINTR) return WaitResult::kError;
    }
  }

  std::int64_t connect(const UrlParts& url) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const int rc =
        ::getaddrinfo(url.host.c_str(), std::to_string(url.port).c_str(), &hints, &found);
    if (rc != 0 || !found) {
      return fail(kHttpNoConnection, std::string("cannot resolve the host: ") + ::gai_strerror(rc));
    }
    std::unique_ptr<addrinfo, void (*)(addrinfo*)> addresses(found, ::freeaddrinfo);
    if (cancelled()) return fail(kHttpCancelled, "cancelled");
    if (pastDeadline()) return failWait(WaitResult::kTotalExceeded, kHttpFailed, "");

    socket_.assign(::socket(found->ai_family, found->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                            found->ai_protocol));
    if (!socket_.valid()) return fail(kHttpNoConnection, "no socket: " + errnoText(errno));
    const int one = 1;
    ::setsockopt(socket_.get(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);

    if (::connect(socket_.get(), found->ai_addr, found->ai_addrlen) != 0) {
      if (errno != EINPROGRESS && errno != EINTR)
        return fail(kHttpNoConnection, "cannot connect: " + errnoText(errno));
      const WaitResult wait = waitFor(socket_.get(), POLLOUT, options_.connectTimeoutMs);
      if (wait != WaitResult::kReady) return failWait(wait, kHttpNoConnection, "connect");
      int error = 0;
      socklen_t length = sizeof error;
      if (::getsockopt(socket_.get(), SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
      if (error != 0) return fail(kHttpNoConnection, "cannot connect: " + errnoText(error));
    }
    return 0;
  }

  std::int64_t sendAll(std::string_view request) {
    while (!request.empty()) {
      const ssize_t n = ::send(socket_.get(), request.data(), request.size(), MSG_NOSIGNAL);
      if (n > 0) {
        request.remove_prefix(static_cast<std::size_t>(n));
      } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        const WaitResult wait = waitFor(socket_.get(), POLLOUT, options_.readTimeoutMs);
        if (wait != WaitResult::kReady) return failWait(wait, kHttpFailed, "send");
      } else if (n < 0 && errno == EINTR) {
        continue;
      } else {
        return fail(kHttpFailed, "send failed: " + errnoText(n < 0 ? errno : EPIPE));
      }
    }
    return 0;
  }

  // Reads until the header's blank line; the bytes after it stay in
  // buffer_[headerBytes_, bufferedBytes_) as the start of the body.
  std::int64_t readHeader() {
    int lineFeeds = 0;
    std::size_t scanned = 0;
    for (;;) {
      const ssize_t n =
          ::recv(socket_.get(), buffer_.get() + bufferedBytes_, kBufferBytes - bufferedBytes_, 0);
      if (n > 0) {
        bufferedBytes_ += static_cast<std::size_t>(n);
        for (; scanned < bufferedBytes_; ++scanned) {
          const char c = buffer_[scanned];
          if (c == '\n') {
            if (++lineFeeds == 2) {
              headerBytes_ = scanned + 1;
              return 0;
            }
          } else if (c != '\r') {
            lineFeeds = 0;
          }
          if (scanned + 1 >= kMaxResponseHeaderBytes)
            return fail(kHttpFailed, "response header longer than " +
                                         std::to_string(kMaxResponseHeaderBytes) + " bytes");
        }
      } else if (n == 0) {
        return fail(kHttpFailed,
                    bufferedBytes_ == 0 ? "no response" : "connection closed within the header");
      } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
        const WaitResult wait = waitFor(socket_.get(), POLLIN, options_.readTimeoutMs);
        if (wait != WaitResult::kReady)
          return failWait(wait, kHttpFailed, "waiting for the header");
      } else if (errno != EINTR) {
        return fail(kHttpFailed, "read failed: " + errnoText(errno));
      }
    }
  }

  // Calls the progress callback; false when it threw.
  bool report(std::int64_t received) {
    if (!options_.progress) return true;
    try {
      options_.progress(received, expected_);
    } catch (...) {
      return false;
    }
    lastReported_ = received;
    return true;
  }

  // Appends body bytes to the file after checking them against the caps.
  std::int64_t take(const char* data, std::size_t size) {
    const auto n = static_cast<std::int64_t>(size);
    if (expected_ >= 0 && n > expected_ - received_)
      return fail(kHttpFailed, "more body bytes than the announced " + std::to_string(expected_));
    if (n > options_.maxBodyBytes - received_)
      return fail(kHttpFailed,
                  "body larger than " + std::to_string(options_.maxBodyBytes) + " bytes");
    while (size > 0) {
      const ssize_t written = ::write(file_.get(), data, size);
      if (written > 0) {
        data += written;
        size -= static_cast<std::size_t>(written);
      } else if (written < 0 && errno == EINTR) {
        continue;
      } else {
        return fail(kHttpCannotSave,
                    "cannot write the file: " + errnoText(written < 0 ? errno : ENOSPC));
      }
    }
    received_ += n;
    if (received_ - lastReported_ >= kProgressStepBytes && !report(received_))
      return fail(kHttpCancelled, "cancelled by the progress callback");
    return 0;
  }

  // The body after the header; the total when it is complete.
  std::int64_t readBody() {
    if (headerBytes_ < bufferedBytes_) {
      if (const auto rc = take(buffer_.get() + headerBytes_, bufferedBytes_ - headerBytes_); rc < 0)
        return rc;
    }
    for (;;) {
      if (expected_ >= 0 && received_ == expected_) return received_;
      if (cancelled()) return fail(kHttpCancelled, "cancelled");
      if (pastDeadline()) return failWait(WaitResult::kTotalExceeded, kHttpFailed, "");
      const ssize_t n = ::recv(socket_.get(), buffer_.get(), kBufferBytes, 0);
      if (n > 0) {
        if (const auto rc = take(buffer_.get(), static_cast<std::size_t>(n)); rc < 0) return rc;
      } else if (n == 0) {
        if (expected_ >= 0) return shortBody("connection closed");
        if (received_ == 0) return fail(kHttpFailed, "empty body");
        return received_;
      } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
        const bool settling = expected_ < 0 && received_ >= kSettleAfterBytes;
        const WaitResult wait = waitFor(
            socket_.get(), POLLIN, settling ? options_.settleTimeoutMs : options_.readTimeoutMs);
        if (wait == WaitResult::kTimedOut) {
          if (received_ == 0) return fail(kHttpFailed, "no body: timed out");
          if (expected_ >= 0) return shortBody("timed out");
          return received_;  // a body without length ends when the server falls quiet
        }
        if (wait != WaitResult::kReady) return failWait(wait, kHttpFailed, "waiting for the body");
      } else if (errno != EINTR) {
        return fail(kHttpFailed, "read failed after " + std::to_string(received_) +
                                     " body bytes: " + errnoText(errno));
      }
    }
  }

  std::int64_t shortBody(const std::string& what) {
    return fail(kHttpFailed, what + " after " + std::to_string(received_) + " of " +
                                 std::to_string(expected_) + " body bytes");
  }

  std::int64_t download() {
    if (url_.empty()) return fail(kHttpFailed, "empty URL");
    if (cancelled()) return fail(kHttpCancelled, "cancelled");
    const UrlParts url = ParseUrl(url_);
    where_ = url.host + ":" + std::to_string(url.port) + url.path.substr(0, url.path.find('?'));
    if (url.scheme != "http")
      return fail(kHttpFailed, "scheme \"" + url.scheme + "\" not supported");
    const Result<std::string> request = BuildHttpRequest(url, cookie_);
    if (!request) return fail(kHttpFailed, request.error().what);

    if (const auto rc = connect(url); rc < 0) return rc;
    if (const auto rc = sendAll(request.value()); rc < 0) return rc;

    buffer_.reset(new char[kBufferBytes]);
    if (const auto rc = readHeader(); rc < 0) return rc;
    const Result<ResponseHead> head =
        ParseResponseHead(std::string_view(buffer_.get(), headerBytes_));
    if (!head) return fail(kHttpFailed, head.error().what);
    if (head->status < 200 || head->status > 299)
      return fail(kHttpFailed, "status " + std::to_string(head->status));
    expected_ = head->contentLength.value_or(-1);
    if (expected_ > options_.maxBodyBytes)
      return fail(kHttpFailed, "announced body of " + std::to_string(expected_) +
                                   " bytes is larger than " +
                                   std::to_string(options_.maxBodyBytes));

    file_.assign(::open(destination_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!file_.valid()) return fail(kHttpCannotSave, "cannot create the file: " + errnoText(errno));
    if (!report(0)) return fail(kHttpCancelled, "cancelled by the progress callback");

    const std::int64_t total = readBody();
    if (total < 0) return total;
    socket_.reset();
    if (!file_.reset()) return fail(kHttpCannotSave, "cannot close the file: " + errnoText(errno));
    if (lastReported_ != total && !report(total))
      return fail(kHttpCancelled, "cancelled by the progress callback");
    return total;
  }

  std::string_view url_;
  const std::filesystem::path& destination_;
  std::string_view cookie_;
  const HttpOptions& options_;
  std::optional<Clock::time_point> deadline_;
  std::string where_ = "(no URL)";
  std::string reason_;

  FileDescriptor socket_;
  FileDescriptor file_;
  std::unique_ptr<char[]> buffer_;
  std::size_t bufferedBytes_ = 0;
  std::size_t headerBytes_ = 0;
  std::int64_t expected_ = -1;
  std::int64_t received_ = 0;
  std::int64_t lastReported_ = 0;
};

bool isControl(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u < 0x20 || u == 0x7f;
}

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

Result<std::string> BuildHttpRequest(const UrlParts& url, std::string_view cookie) {
  const auto bad = [](std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return isControl(c) || c == ' '; });
  };
  if (url.host.empty()) return makeError("<request>", "no host");
  if (bad(url.host)) return makeError("<request>", "control character or blank in the host");
  if (bad(url.path) || url.path.empty() || url.path.front() != '/')
    return makeError("<request>", "control character or blank in the path");
  if (std::any_of(cookie.begin(), cookie.end(), isControl))
    return makeError("<request>", "control character in the cookie");
  std::string request;
  request.reserve(256 + url.host.size() + url.path.size() + cookie.size());
  request += "GET ";
  request += url.path;
  request += " HTTP/1.1\r\nHost: ";
  request += url.host;
  if (url.port != 80) request += ":" + std::to_string(url.port);
  request +=
      "\r\n"
      "Accept: */*\r\n"
      "Referer: Vestora\r\n"
      "Cookie: ";
  request += cookie;
  request +=
      "\r\n"
      "User-Agent: Vestora\r\n"
      "Pragma: no-cache\r\n"
      "Cache-Control: no-cache\r\n"
      "Connection: close\r\n"
      "\r\n";
  return request;
}

Result<ResponseHead> ParseResponseHead(std::string_view header) {
  const auto error = [](std::string what) { return makeError("<response>", std::move(what)); };
  std::string text(header);
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  if (!startsWith(text, "http/")) return error("no status line");

  ResponseHead head;
  std::string_view rest = text;
  const auto lineEnd = rest.find('\n');
  const std::string_view statusLine = rest.substr(0, lineEnd);
  rest.remove_prefix(lineEnd == std::string_view::npos ? rest.size() : lineEnd + 1);

  auto pos = statusLine.find(' ');
  if (pos == std::string_view::npos) return error("no status in the status line");
  while (pos < statusLine.size() && statusLine[pos] == ' ') ++pos;
  int digits = 0;
  for (; pos < statusLine.size() && statusLine[pos] >= '0' && statusLine[pos] <= '9'; ++pos) {
    if (++digits > 9) return error("status out of range");
    head.status = head.status * 10 + (statusLine[pos] - '0');
  }
  if (digits == 0) return error("no status in the status line");

  while (!rest.empty()) {
    const auto end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);

    if (startsWith(line, "content-length:")) {
      const std::string_view value = trimBlanks(line.substr(15));
      if (value.empty()) return error("empty Content-Length");
      std::int64_t length = 0;
      for (char c : value) {
        if (c < '0' || c > '9') return error("Content-Length is not a plain number");
        const int digit = c - '0';
        if (length > (std::numeric_limits<std::int64_t>::max() - digit) / 10)
          return error("Content-Length too large");
        length = length * 10 + digit;
      }
      if (length == 0) return error("Content-Length 0");
      if (head.contentLength && *head.contentLength != length)
        return error("two different Content-Length values");
      head.contentLength = length;
    } else if (startsWith(line, "transfer-encoding:")) {
      if (trimBlanks(line.substr(18)) != "identity")
        return error("transfer coding not supported: " + std::string(line.substr(18)));
    }
  }
  return head;
}

std::int64_t HttpGetToFile(std::string_view url, const std::filesystem::path& destination,
                           std::optional<std::string_view> cookie,
                           const HttpOptions& options) noexcept {
  try {
    Download download(url, destination, cookie, options);
    return download.run();
  } catch (...) {  // out of memory: nothing else in here throws
    ::unlink(destination.c_str());
    return kHttpFailed;
  }
}

}  // namespace vestora
