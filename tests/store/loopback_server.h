// A scripted HTTP server on the loopback interface for the store's tests and
// benchmarks. It listens on 127.0.0.1 at an ephemeral port and runs a
// handler for every connection on a thread of its own, so a handler may
// misbehave at will (answer nothing, drip bytes, reset the connection).
// Destroying the server wakes every handler that waits or sleeps, joins all
// threads and closes all sockets.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace vestora::testing {

class LoopbackServer {
 public:
  class Connection {
   public:
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection();

    // The request up to and including its blank line (CR LF CR LF or
    // LF LF), recorded in LoopbackServer::requests(). Whatever arrived when
    // the peer closes, the server stops or 5 s pass without the blank line.
    std::string readRequest();
    // Sends all of `bytes` (large spans go out efficiently); false when the
    // peer has gone, the connection is closed or the server stops.
    bool send(std::string_view bytes);
    // Sleeps `ms` milliseconds; returns early with false when the server stops.
    bool sleepMs(int ms);
    // Closes with SO_LINGER 0: the peer sees a reset, not an orderly close.
    void closeWithReset();
    // Orderly close (FIN). Unread input is drained first so that the close
    // does not turn into a reset. Called after the handler when it did not.
    void close();

   private:
    friend class LoopbackServer;
    Connection(int fd, LoopbackServer& server) : fd_(fd), server_(server) {}
    // Polls the socket for `events` and the stop signal; false on stop or time-out.
    bool wait(short events, int timeoutMs);

    int fd_;
    LoopbackServer& server_;
  };

  using Handler = std::function<void(Connection&)>;

  // Starts listening; throws std::runtime_error when no socket can be had.
  explicit LoopbackServer(Handler handler);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  int port() const { return port_; }
  // "http://127.0.0.1:<port><path>"; `path` starts with "/".
  std::string url(std::string_view path) const;
  // Every request read so far, in order of arrival.
  std::vector<std::string> requests() const;
  // Connections accepted so far.
  int connections() const { return connections_.load(); }

  // A handler serving `files` (request path → body; the path as sent,
  // query included): "200 OK" with Content-Length and a Content-Type by the
  // name (pages, style sheets, pictures, anything else as bytes), "404 Not
  // Found" for any other path. Bodies are shared between connections, not
  // copied.
  static Handler staticContent(std::map<std::string, std::string> files);
  // The same answer to a request already read.
  static void answerFromFiles(Connection& c, const std::string& request,
                              const std::map<std::string, std::string>& files);

 private:
  void acceptLoop();
  void serve(int fd);
  void record(std::string request);

  Handler handler_;
  int listenFd_ = -1;
  int stopFd_ = -1;  // eventfd, readable once the server stops
  int port_ = 0;
  std::atomic<int> connections_{0};
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  std::vector<std::thread> connectionThreads_;
  std::thread acceptThread_;
};

// A loopback port that nobody listens on (bound, read and released again).
int UnusedLoopbackPort();

}  // namespace vestora::testing
