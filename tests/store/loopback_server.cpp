#include "store/loopback_server.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/eventfd.h>
#include <sys/socket.h>

namespace vestora::testing {
namespace {

// A socket bound to 127.0.0.1 at an ephemeral port; its port in `port`.
int bindLoopback(int& port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    ::close(fd);
    return -1;
  }
  port = ntohs(address.sin_port);
  return fd;
}

constexpr int kRequestTimeoutMs = 5000;

}  // namespace

LoopbackServer::Connection::~Connection() {
  if (fd_ >= 0) ::close(fd_);
}

bool LoopbackServer::Connection::wait(short events, int timeoutMs) {
  if (fd_ < 0) return false;
  pollfd p[2] = {{fd_, events, 0}, {server_.stopFd_, POLLIN, 0}};
  for (;;) {
    const int rc = ::poll(p, 2, timeoutMs);
    if (rc < 0 && errno == EINTR) continue;
    return rc > 0 && p[1].revents == 0;
  }
}

std::string LoopbackServer::Connection::readRequest() {
  std::string request;
  char buffer[4096];
  for (;;) {
    const auto end = request.find("\r\n\r\n");
    if (end != std::string::npos) {
      request.resize(end + 4);
      break;
    }
    if (const auto bare = request.find("\n\n"); bare != std::string::npos) {
      request.resize(bare + 2);
      break;
    }
    if (!wait(POLLIN, kRequestTimeoutMs)) break;
    const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    request.append(buffer, static_cast<std::size_t>(n));
  }
  server_.record(request);
  return request;
}

bool LoopbackServer::Connection::send(std::string_view bytes) {
  while (!bytes.empty()) {
    if (!wait(POLLOUT, -1)) return false;
    const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(n));
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
      continue;
    } else {
      return false;
    }
  }
  return true;
}

bool LoopbackServer::Connection::sleepMs(int ms) {
  pollfd p{server_.stopFd_, POLLIN, 0};
  for (;;) {
    const int rc = ::poll(&p, 1, ms);
    if (rc < 0 && errno == EINTR) continue;
    return rc == 0;
  }
}

void LoopbackServer::Connection::closeWithReset() {
  if (fd_ < 0) return;
  const linger noLinger{1, 0};
  ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &noLinger, sizeof noLinger);
  ::close(fd_);
  fd_ = -1;
}

void LoopbackServer::Connection::close() {
  if (fd_ < 0) return;
  ::shutdown(fd_, SHUT_WR);
  char buffer[4096];
  while (::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT) > 0) {
  }
  ::close(fd_);
  fd_ = -1;
}

LoopbackServer::LoopbackServer(Handler handler) : handler_(std::move(handler)) {
  listenFd_ = bindLoopback(port_);
  if (listenFd_ < 0 || ::listen(listenFd_, 64) != 0)
    throw std::runtime_error("loopback server: cannot listen");
  stopFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (stopFd_ < 0) {
    ::close(listenFd_);
    throw std::runtime_error("loopback server: no eventfd");
  }
  acceptThread_ = std::thread([this] { acceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
  const std::uint64_t one = 1;
  [[maybe_unused]] const auto written = ::write(stopFd_, &one, sizeof one);
  acceptThread_.join();
  // No new connection threads once the accept loop has ended.
  for (auto& t : connectionThreads_) t.join();
  ::close(listenFd_);
  ::close(stopFd_);
}

std::string LoopbackServer::url(std::string_view path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

std::vector<std::string> LoopbackServer::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

void LoopbackServer::record(std::string request) {
  std::lock_guard lock(mutex_);
  requests_.push_back(std::move(request));
}

void LoopbackServer::acceptLoop() {
  pollfd p[2] = {{listenFd_, POLLIN, 0}, {stopFd_, POLLIN, 0}};
  for (;;) {
    const int rc = ::poll(p, 2, -1);
    if (rc < 0 && errno == EINTR) continue;
    if (rc < 0 || p[1].revents != 0) return;
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    ++connections_;
    std::lock_guard lock(mutex_);
    connectionThreads_.emplace_back([this, fd] { serve(fd); });
  }
}

void LoopbackServer::serve(int fd) {
  Connection connection(fd, *this);
  try {
    handler_(connection);
  } catch (...) {
    // A failing handler just ends its connection.
  }
  connection.close();
}

void LoopbackServer::answerFromFiles(Connection& c, const std::string& request,
                                     const std::map<std::string, std::string>& files) {
  // "GET <path> HTTP/1.1"
  const auto first = request.find(' ');
  const auto second = first == std::string::npos ? first : request.find(' ', first + 1);
  const std::string path =
      second == std::string::npos ? "" : request.substr(first + 1, second - first - 1);
  const auto it = files.find(path);
  if (it == files.end()) {
    c.send(
        "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\nConnection: close\r\n\r\n"
        "not found");
    return;
  }
  // The type a web server would give by the name (a browser shows pages
  // and saves everything else).
  const std::string name = path.substr(0, path.find('?'));
  auto endsWith = [&](std::string_view tail) {
    return name.size() >= tail.size() &&
           name.compare(name.size() - tail.size(), tail.size(), tail) == 0;
  };
  const char* type = endsWith("/") || endsWith(".html") ? "text/html; charset=utf-8"
                     : endsWith(".css")                 ? "text/css"
                     : endsWith(".jpg")                 ? "image/jpeg"
                     : endsWith(".png")                 ? "image/png"
                                                        : "application/octet-stream";
  const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: " + std::string(type) +
                           "\r\nContent-Length: " + std::to_string(it->second.size()) +
                           "\r\nConnection: close\r\n\r\n";
  if (c.send(head)) c.send(it->second);
}

LoopbackServer::Handler LoopbackServer::staticContent(std::map<std::string, std::string> files) {
  auto shared = std::make_shared<const std::map<std::string, std::string>>(std::move(files));
  return [shared](Connection& c) { answerFromFiles(c, c.readRequest(), *shared); };
}

int UnusedLoopbackPort() {
  int port = 0;
  const int fd = bindLoopback(port);
  if (fd < 0) throw std::runtime_error("cannot bind a loopback socket");
  ::close(fd);
  return port;
}

}  // namespace vestora::testing
