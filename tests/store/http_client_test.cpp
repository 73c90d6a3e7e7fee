#include "store/http_client.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <limits>
#include <map>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/log.h"
#include "store/loopback_server.h"
#include "test_support.h"

namespace vestora {
namespace {

using ::testing::HasSubstr;
using testing::LoopbackServer;

// Time-outs short enough for fast tests, long enough for a busy machine
// where the test expects no time-out.
HttpOptions fastOptions() {
  HttpOptions o;
  o.connectTimeoutMs = 2000;
  o.readTimeoutMs = 2000;
  o.settleTimeoutMs = 100;
  o.maxTotalMs = 20000;
  return o;
}

std::string bytesOf(std::size_t size, unsigned seed = 1) {
  std::string s(size, '\0');
  unsigned x = seed;
  for (auto& c : s) {
    x = x * 1103515245u + 12345u;
    c = static_cast<char>(x >> 23);
  }
  return s;
}

enum class Then { kClose, kReset, kStayQuiet };

// Reads the request, sends `response` in one piece, then closes, resets or
// keeps the connection open without a word.
LoopbackServer::Handler reply(std::string response, Then then = Then::kClose) {
  return [response = std::move(response), then](LoopbackServer::Connection& c) {
    c.readRequest();
    c.send(response);
    if (then == Then::kReset) {
      c.sleepMs(50);  // the client reads what was sent before the reset arrives
      c.closeWithReset();
    } else if (then == Then::kStayQuiet) {
      c.sleepMs(60000);  // cut short when the server goes
    }
  };
}

std::string okHead(const std::string& extraLines) {
  return "HTTP/1.1 200 OK\r\n" + extraLines + "\r\n";
}

class HttpClientTest : public ::testing::Test {
 protected:
  void SetUp() override { previousSink_ = setLogSink(&log_); }
  void TearDown() override { setLogSink(previousSink_); }

  std::int64_t get(const std::string& url, const HttpOptions& options = fastOptions(),
                   std::optional<std::string_view> cookie = std::nullopt) {
    logStart_ = log_.text().size();
    return HttpGetToFile(url, destination_, cookie, options);
  }
  // Why the last get failed, as logged.
  std::string reason() const { return log_.text().substr(logStart_); }
  bool saved() const { return std::filesystem::exists(destination_); }
  std::string body() const { return testing::readAll(destination_); }

  testing::TempDir dir_;
  std::string destination_ = dir_.file("download.bin");

 private:
  MemoryLogSink log_;
  LogSink* previousSink_ = nullptr;
  std::size_t logStart_ = 0;
};

// --- the request -----------------------------------------------------------

TEST(BuildHttpRequest, WritesTheFixedLinesWithHostPortAndCookie) {
  UrlParts url = ParseUrl("http://shop.example/dresses/a.zip?id=7");
  Result<std::string> plain = BuildHttpRequest(url, "");
  ASSERT_TRUE(plain.ok());
  EXPECT_EQ(*plain,
            "GET /dresses/a.zip?id=7 HTTP/1.1\r\n"
            "Host: shop.example\r\n"
            "Accept: */*\r\n"
            "Referer: Vestora\r\n"
            "Cookie: \r\n"
            "User-Agent: Vestora\r\n"
            "Pragma: no-cache\r\n"
            "Cache-Control: no-cache\r\n"
            "Connection: close\r\n"
            "\r\n");

  url.port = 8080;
  Result<std::string> withPort = BuildHttpRequest(url, "sid=1; lang=zh");
  ASSERT_TRUE(withPort.ok());
  EXPECT_THAT(*withPort, HasSubstr("\r\nHost: shop.example:8080\r\n"));
  EXPECT_THAT(*withPort, HasSubstr("\r\nCookie: sid=1; lang=zh\r\n"));
}

TEST(BuildHttpRequest, RefusesTextThatCouldSmuggleInRequestLines) {
  const UrlParts good = ParseUrl("http://h/a");
  EXPECT_FALSE(BuildHttpRequest(good, "a=1\r\nX-Evil: 1").ok());
  EXPECT_FALSE(BuildHttpRequest(good, std::string("a=\0", 3)).ok());
  EXPECT_FALSE(BuildHttpRequest(good, "a=\x7f").ok());

  UrlParts badPath = good;
  badPath.path = "/a HTTP/1.0\r\nX-Evil: 1\r\n\r\nGET /b";
  EXPECT_FALSE(BuildHttpRequest(badPath, "").ok());
  badPath.path = "/a\x01";
  EXPECT_FALSE(BuildHttpRequest(badPath, "").ok());
  badPath.path = "/a b";
  EXPECT_FALSE(BuildHttpRequest(badPath, "").ok());

  UrlParts badHost = good;
  badHost.host = "h\nX: y";
  EXPECT_FALSE(BuildHttpRequest(badHost, "").ok());
  badHost.host = "";
  EXPECT_FALSE(BuildHttpRequest(badHost, "").ok());
}

// --- the response header ---------------------------------------------------

TEST(ParseResponseHead, ReadsTheStatusAfterTheFirstBlank) {
  const auto status = [](std::string_view header) {
    auto head = ParseResponseHead(header);
    return head.ok() ? head->status : -1;
  };
  EXPECT_EQ(status("HTTP/1.1 200 OK\r\n\r\n"), 200);
  EXPECT_EQ(status("http/1.0 404 Not Found\n\n"), 404);
  EXPECT_EQ(status("Http/1.1 301\r\nLocation: /x\r\n\r\n"), 301);
  EXPECT_EQ(status("HTTP/1.1  206 Partial\r\n\r\n"), 206);
  EXPECT_EQ(status("HTTP/1.1 999999999 x\r\n\r\n"), 999999999);

  EXPECT_FALSE(ParseResponseHead("").ok());
  EXPECT_FALSE(ParseResponseHead("\r\n\r\n").ok());
  EXPECT_FALSE(ParseResponseHead("HTTPS/1.1 200 OK\r\n\r\n").ok());
  EXPECT_FALSE(ParseResponseHead(" HTTP/1.1 200 OK\r\n\r\n").ok());
  EXPECT_FALSE(ParseResponseHead("ICY 200 OK\r\n\r\n").ok());
  EXPECT_FALSE(ParseResponseHead("HTTP/1.1 OK\r\n\r\n").ok());
  EXPECT_FALSE(ParseResponseHead("HTTP/1.1\r\nX: 200\r\n\r\n").ok());
  EXPECT_FALSE(ParseResponseHead("HTTP/1.1 1234567890 OK\r\n\r\n").ok());
}

std::optional<std::int64_t> lengthOf(const std::string& lines) {
  auto head = ParseResponseHead("HTTP/1.1 200 OK\r\n" + lines + "\r\n");
  EXPECT_TRUE(head.ok()) << lines;
  return head.ok() ? head->contentLength : std::nullopt;
}

bool refused(const std::string& lines) {
  return !ParseResponseHead("HTTP/1.1 200 OK\r\n" + lines + "\r\n").ok();
}

TEST(ParseResponseHead, ReadsContentLengthAsAPlainPositiveNumber) {
  EXPECT_EQ(lengthOf("Content-Length: 42\r\n"), 42);
  EXPECT_EQ(lengthOf("CONTENT-length:42\r\n"), 42);
  EXPECT_EQ(lengthOf("Content-Length: \t 42 \t\r\n"), 42);
  EXPECT_EQ(lengthOf("Content-Length: 007\n"), 7);
  EXPECT_EQ(lengthOf("Content-Length: 9223372036854775807\r\n"),
            std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(lengthOf("Content-Length: 5\r\nContent-Length: 5\r\n"), 5);
  EXPECT_EQ(lengthOf("Content-Type: text/plain\r\n"), std::nullopt);

  EXPECT_TRUE(refused("Content-Length: 0\r\n"));
  EXPECT_TRUE(refused("Content-Length: 000\r\n"));
  EXPECT_TRUE(refused("Content-Length: -1\r\n"));
  EXPECT_TRUE(refused("Content-Length: +1\r\n"));
  EXPECT_TRUE(refused("Content-Length: \r\n"));
  EXPECT_TRUE(refused("Content-Length: abc\r\n"));
  EXPECT_TRUE(refused("Content-Length: 12abc\r\n"));
  EXPECT_TRUE(refused("Content-Length: 4 2\r\n"));
  EXPECT_TRUE(refused("Content-Length: 0x10\r\n"));
  EXPECT_TRUE(refused("Content-Length: 1e3\r\n"));
  EXPECT_TRUE(refused("Content-Length: 9223372036854775808\r\n"));
  EXPECT_TRUE(refused("Content-Length: 99999999999999999999999\r\n"));
  EXPECT_TRUE(refused("Content-Length: 5\r\nContent-Length: 6\r\n"));
}

TEST(ParseResponseHead, MatchesContentLengthOnlyAtTheStartOfAHeaderLine) {
  EXPECT_EQ(lengthOf("X-Note: content-length: 5\r\n"), std::nullopt);
  EXPECT_EQ(lengthOf("X-Content-Length: 5\r\n"), std::nullopt);
  EXPECT_EQ(lengthOf("Set-Cookie: a=b\r\n Content-Length: 5\r\n"), std::nullopt);
  EXPECT_EQ(lengthOf("X-Note: Content-Length: 0\r\nContent-Length: 8\r\n"), 8);
  auto statusLine = ParseResponseHead("HTTP/1.1 200 Content-Length: 5\r\n\r\n");
  ASSERT_TRUE(statusLine.ok());
  EXPECT_EQ(statusLine->contentLength, std::nullopt);
}

TEST(ParseResponseHead, RefusesTransferCodings) {
  EXPECT_TRUE(refused("Transfer-Encoding: chunked\r\n"));
  EXPECT_TRUE(refused("transfer-encoding: gzip, chunked\r\n"));
  EXPECT_EQ(lengthOf("Transfer-Encoding: identity\r\nContent-Length: 3\r\n"), 3);
}

// --- downloads ---------------------------------------------------------------

TEST_F(HttpClientTest, SavesABodyWithContentLengthAndSendsTheFixedRequest) {
  const std::string content = bytesOf(100000) + std::string("\r\n\r\n\0tail", 9);
  LoopbackServer server(LoopbackServer::staticContent({{"/dir/file.bin?x=1", content}}));

  EXPECT_EQ(get(server.url("/dir/./sub/../file.bin?x=1#top"), fastOptions(), "sid=7; lang=zh"),
            static_cast<std::int64_t>(content.size()));
  EXPECT_EQ(body(), content);

  const std::string port = std::to_string(server.port());
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0],
            "GET /dir/file.bin?x=1 HTTP/1.1\r\n"
            "Host: 127.0.0.1:" +
                port +
                "\r\n"
                "Accept: */*\r\n"
                "Referer: Vestora\r\n"
                "Cookie: sid=7; lang=zh\r\n"
                "User-Agent: Vestora\r\n"
                "Pragma: no-cache\r\n"
                "Cache-Control: no-cache\r\n"
                "Connection: close\r\n"
                "\r\n");

  // No cookie: the Cookie line is sent empty.
  EXPECT_EQ(get(server.url("/dir/file.bin?x=1")), static_cast<std::int64_t>(content.size()));
  ASSERT_EQ(server.requests().size(), 2u);
  EXPECT_THAT(server.requests()[1], HasSubstr("\r\nCookie: \r\nUser-Agent: Vestora\r\n"));
}

TEST_F(HttpClientTest, ReplacesAnOlderFileOfTheSameName) {
  dir_.write("download.bin", std::string(5000, 'o'));
  LoopbackServer server(LoopbackServer::staticContent({{"/a", "new"}}));
  EXPECT_EQ(get(server.url("/a")), 3);
  EXPECT_EQ(body(), "new");
}

TEST_F(HttpClientTest, AcceptsOnly2xxAndFollowsNoRedirect) {
  for (const int status : {200, 204, 299}) {
    LoopbackServer server(
        reply("HTTP/1.1 " + std::to_string(status) + " Fine\r\nContent-Length: 3\r\n\r\nabc"));
    EXPECT_EQ(get(server.url("/a")), 3) << status;
  }
  for (const int status : {199, 300, 301, 302, 404, 500}) {
    dir_.write("download.bin", "older file");
    LoopbackServer server(reply("HTTP/1.1 " + std::to_string(status) +
                                " Not Fine\r\nLocation: /b\r\n" + "Content-Length: 3\r\n\r\nabc"));
    EXPECT_EQ(get(server.url("/a")), kHttpFailed) << status;
    EXPECT_THAT(reason(), HasSubstr("status " + std::to_string(status)));
    EXPECT_FALSE(saved()) << status;
    EXPECT_EQ(server.connections(), 1) << status;
  }
  LoopbackServer files(LoopbackServer::staticContent({{"/a", "abc"}}));
  EXPECT_EQ(get(files.url("/missing")), kHttpFailed);
  EXPECT_THAT(reason(), HasSubstr("status 404"));
  EXPECT_FALSE(saved());
}

TEST_F(HttpClientTest, RefusesBadContentLengths) {
  for (const std::string value :
       {"0", "-5", "abc", "12abc", "", "9223372036854775808", "18446744073709551616"}) {
    LoopbackServer server(reply(okHead("Content-Length: " + value + "\r\n") + "abcdef"));
    EXPECT_EQ(get(server.url("/a")), kHttpFailed) << value;
    EXPECT_THAT(reason(), HasSubstr("Content-Length")) << value;
    EXPECT_FALSE(saved()) << value;
  }
  {
    LoopbackServer server(reply(okHead("Content-Length: 3\r\nContent-Length: 4\r\n") + "abcd"));
    EXPECT_EQ(get(server.url("/a")), kHttpFailed);
    EXPECT_FALSE(saved());
  }
  {
    LoopbackServer server(reply(okHead("Content-Length: 4\r\ncontent-length:4\r\n") + "abcd"));
    EXPECT_EQ(get(server.url("/a")), 4);
    EXPECT_EQ(body(), "abcd");
  }
  {
    // A Content-Length inside another header's value is no length: read until close.
    LoopbackServer server(reply(okHead("X-Note: Content-Length: 2\r\n") + "abcdef"));
    EXPECT_EQ(get(server.url("/a")), 6);
    EXPECT_EQ(body(), "abcdef");
  }
  {
    LoopbackServer server(
        reply(okHead("Transfer-Encoding: chunked\r\n") + "3\r\nabc\r\n0\r\n\r\n"));
    EXPECT_EQ(get(server.url("/a")), kHttpFailed);
    EXPECT_FALSE(saved());
  }
}

// A response whose header (blank line included) is exactly `headerBytes`
// long, with the body in the same piece.
std::string headerOfSize(std::size_t headerBytes, const std::string& content) {
  const std::string start =
      "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(content.size()) + "\r\nX-Padding: ";
  const std::string end = "\r\n\r\n";
  return start + std::string(headerBytes - start.size() - end.size(), 'p') + end + content;
}

TEST_F(HttpClientTest, AcceptsHeadersUpTo1023Bytes) {
  const std::string content = "body!\r\n\r\nmore";
  for (const std::size_t size : {std::size_t{1022}, std::size_t{1023}}) {
    LoopbackServer server(reply(headerOfSize(size, content)));
    EXPECT_EQ(get(server.url("/a")), static_cast<std::int64_t>(content.size())) << size;
    EXPECT_EQ(body(), content) << size;
  }
  {
    LoopbackServer server(reply(headerOfSize(1024, content)));
    EXPECT_EQ(get(server.url("/a")), kHttpFailed);
    EXPECT_THAT(reason(), HasSubstr("header longer than 1023"));
    EXPECT_FALSE(saved());
  }
  {
    // One header line far beyond the limit, from a server that then waits.
    LoopbackServer server(
        reply(okHead("X-Long: " + std::string(5000, 'x') + "\r\nContent-Length: 3\r\n") + "abc",
              Then::kStayQuiet));
    EXPECT_EQ(get(server.url("/a")), kHttpFailed);
    EXPECT_THAT(reason(), HasSubstr("header longer than 1023"));
    EXPECT_FALSE(saved());
  }
}

TEST_F(HttpClientTest, EndsTheHeaderAtTwoLineFeedsWhateverCarriageReturnsLieBetween) {
  const std::pair<std::string, std::string> cases[] = {
      {"HTTP/1.0 200 OK\nContent-Length: 3\n\nabc", "abc"},
      {"HTTP/1.0 200 OK\r\nContent-Length: 3\n\r\nabc", "abc"},
      {"HTTP/1.0 200 OK\r\nContent-Length: 4\r\r\n\r\r\n\nabc", "\nabc"},
      // A byte between the line feeds breaks the run: " \n" is no blank line.
      {"HTTP/1.0 200 OK\r\nX: y\n \nContent-Length: 2\r\n\r\nab", "ab"},
  };
  for (const auto& [response, content] : cases) {
    LoopbackServer server(reply(response));
    EXPECT_EQ(get(server.url("/a")), static_cast<std::int64_t>(content.size())) << response;
    EXPECT_EQ(body(), content) << response;
  }
}

TEST_F(HttpClientTest, ReadsABodyWithoutLengthUntilTheServerCloses) {
  const std::string content = bytesOf(300000, 2);
  LoopbackServer server(reply(okHead("") + content));
  HttpOptions options = fastOptions();
  options.settleTimeoutMs = 2000;
  EXPECT_EQ(get(server.url("/a"), options), static_cast<std::int64_t>(content.size()));
  EXPECT_EQ(body(), content);
}

TEST_F(HttpClientTest, EndsABodyWithoutLengthAtTheFirstQuietPeriodAfter20480Bytes) {
  // No read time-out: only the settle rule can end these bodies, and the
  // total cap ends the call when it does not apply.
  HttpOptions options = fastOptions();
  options.readTimeoutMs = -1;
  options.settleTimeoutMs = 100;
  options.maxTotalMs = 5000;
  {
    const std::string content = bytesOf(20480, 3);
    LoopbackServer server(reply(okHead("") + content, Then::kStayQuiet));
    EXPECT_EQ(get(server.url("/a"), options), 20480);
    EXPECT_EQ(body(), content);
  }
  {
    options.maxTotalMs = 400;
    LoopbackServer server(reply(okHead("") + bytesOf(20479, 3), Then::kStayQuiet));
    EXPECT_EQ(get(server.url("/a"), options), kHttpFailed);
    EXPECT_THAT(reason(), HasSubstr("took longer than 400 ms"));
    EXPECT_FALSE(saved());
  }
}

TEST_F(HttpClientTest, EndsABodyWithoutLengthAtTheReadTimeOutOnceSomeDataCame) {
  HttpOptions options = fastOptions();
  options.readTimeoutMs = 300;
  options.settleTimeoutMs = -1;
  LoopbackServer server(reply(okHead("") + "small body", Then::kStayQuiet));
  EXPECT_EQ(get(server.url("/a"), options), 10);
  EXPECT_EQ(body(), "small body");
}

TEST_F(HttpClientTest, FailsWhenTheServerFallsSilent) {
  HttpOptions options = fastOptions();
  options.readTimeoutMs = 200;
  const std::pair<std::string, std::string> cases[] = {
      {"", "waiting for the header: timed out"},
      {"HTTP/1.1 200 OK\r\nContent-Le", "waiting for the header: timed out"},
      {okHead("Content-Length: 10\r\n"), "no body"},
      {okHead(""), "no body"},
      {okHead("Content-Length: 10\r\n") + "abc", "timed out after 3 of 10"},
  };
  for (const auto& [response, why] : cases) {
    LoopbackServer server(reply(response, Then::kStayQuiet));
    EXPECT_EQ(get(server.url("/a"), options), kHttpFailed) << response;
    EXPECT_THAT(reason(), HasSubstr(why)) << response;
    EXPECT_FALSE(saved()) << response;
  }
}

// Sends `head`, then one byte of `drip` every 20 ms.
LoopbackServer::Handler dripFeed(std::string head, std::string drip) {
  return [head = std::move(head), drip = std::move(drip)](LoopbackServer::Connection& c) {
    c.readRequest();
    if (!c.send(head)) return;
    for (const char byte : drip) {
      if (!c.send(std::string(1, byte)) || !c.sleepMs(20)) return;
    }
  };
}

TEST_F(HttpClientTest, StopsADripFeedingServerAtTheTotalTimeCap) {
  HttpOptions options = fastOptions();
  options.readTimeoutMs = 200;
  options.maxTotalMs = 300;
  {
    LoopbackServer server(dripFeed(okHead("Content-Length: 1000\r\n"), std::string(1000, 'd')));
    EXPECT_EQ(get(server.url("/a"), options), kHttpFailed);
    EXPECT_THAT(reason(), HasSubstr("took longer than 300 ms"));
    EXPECT_FALSE(saved());
  }
  {
    LoopbackServer server(dripFeed("", "HTTP/1.1 200 OK\r\nX-Slow: " + std::string(900, 's')));
    EXPECT_EQ(get(server.url("/a"), options), kHttpFailed);
    EXPECT_THAT(reason(), HasSubstr("took longer than 300 ms"));
  }
}

TEST_F(HttpClientTest, ReportsNoConnectionForARefusedPortOrAnUnknownHost) {
  EXPECT_EQ(get("http://127.0.0.1:" + std::to_string(testing::UnusedLoopbackPort()) + "/a"),
            kHttpNoConnection);
  EXPECT_THAT(reason(), HasSubstr("cannot connect"));
  EXPECT_FALSE(saved());
  EXPECT_EQ(get("http://nohost.invalid/a"), kHttpNoConnection);
  EXPECT_THAT(reason(), HasSubstr("cannot resolve"));
}

TEST_F(HttpClientTest, FailsOnAResetEvenAfterData) {
  {
    LoopbackServer server(reply(okHead("") + bytesOf(1000), Then::kReset));
    EXPECT_EQ(get(server.url("/a")), kHttpFailed);
    EXPECT_THAT(reason(), HasSubstr("read failed after 1000 body bytes"));
    EXPECT_FALSE(saved());
  }
  {
    LoopbackServer server(
        reply(okHead("Content-Length: 100000\r\n") + bytesOf(1000), Then::kReset));
    EXPECT_EQ(get(server.url("/a")), kHttpFailed);
    EXPECT_FALSE(saved());
  }
}

TEST_F(HttpClientTest, RequiresTheAnnouncedNumberOfBytes) {
  {
    LoopbackServer server(reply(okHead("Content-Length: 100\r\n") + std::string(50, 's')));
    EXPECT_EQ(get(server.url("/a")), kHttpFailed);
    EXPECT_THAT(reason(), HasSubstr("connection closed after 50 of 100"));
    EXPECT_FALSE(saved());
  }
  {
    LoopbackServer server(reply(okHead("Content-Length: 3\r\n") + "abcdef"));
    EXPECT_EQ(get(server.url("/a")), kHttpFailed);
    EXPECT_THAT(reason(), HasSubstr("more body bytes than the announced 3"));
    EXPECT_FALSE(saved());
  }
  {
    // Once the announced bytes are in, the client does not wait for the close.
    HttpOptions options = fastOptions();
    options.readTimeoutMs = -1;
    options.maxTotalMs = 5000;
    LoopbackServer server(reply(okHead("Content-Length: 3\r\n") + "abc", Then::kStayQuiet));
    EXPECT_EQ(get(server.url("/a"), options), 3);
  }
}

TEST_F(HttpClientTest, RefusesBodiesLargerThanTheCap) {
  HttpOptions options = fastOptions();
  options.maxBodyBytes = 1000;
  const std::string exact = bytesOf(1000);
  const std::string over = bytesOf(1001);
  {
    LoopbackServer server(reply(okHead("Content-Length: 1000\r\n") + exact));
    EXPECT_EQ(get(server.url("/a"), options), 1000);
  }
  {
    LoopbackServer server(reply(okHead("") + exact));
    EXPECT_EQ(get(server.url("/a"), options), 1000);
  }
  {
    // Refused at the header, before any body byte is saved.
    LoopbackServer server(reply(okHead("Content-Length: 1001\r\n") + over, Then::kStayQuiet));
    EXPECT_EQ(get(server.url("/a"), options), kHttpFailed);
    EXPECT_THAT(reason(), HasSubstr("announced body of 1001 bytes is larger than 1000"));
    EXPECT_FALSE(saved());
  }
  {
    LoopbackServer server(reply(okHead("") + over));
    EXPECT_EQ(get(server.url("/a"), options), kHttpFailed);
    EXPECT_THAT(reason(), HasSubstr("body larger than 1000"));
    EXPECT_FALSE(saved());
  }
  {
    // Cut across several reads.
    options.maxBodyBytes = 100000;
    LoopbackServer server(dripFeed(okHead("") + bytesOf(99990), std::string(20, 'x')));
    EXPECT_EQ(get(server.url("/a"), options), kHttpFailed);
    EXPECT_THAT(reason(), HasSubstr("body larger than 100000"));
    EXPECT_FALSE(saved());
  }
}

TEST_F(HttpClientTest, ReportsCannotSaveWhenTheFileCannotBeCreated) {
  LoopbackServer server(LoopbackServer::staticContent({{"/a", "abc"}}));
  const std::string plainFile = destination_;
  destination_ = dir_.file("missing/download.bin");
  EXPECT_EQ(get(server.url("/a")), kHttpCannotSave);
  EXPECT_THAT(reason(), HasSubstr("cannot create the file"));
  EXPECT_FALSE(std::filesystem::exists(dir_.path() / "missing"));

  // A folder in the way is neither written nor removed.
  destination_ = plainFile;
  std::filesystem::create_directory(destination_);
  EXPECT_EQ(get(server.url("/a")), kHttpCannotSave);
  EXPECT_THAT(reason(), HasSubstr("cannot create the file"));
  EXPECT_TRUE(std::filesystem::is_directory(destination_));
}

TEST_F(HttpClientTest, AcceptsOnlyHttpUrlsAndCleanRequests) {
  LoopbackServer server(LoopbackServer::staticContent({{"/a", "abc"}}));
  const std::string hostPort = "127.0.0.1:" + std::to_string(server.port());
  for (const std::string& url : std::vector<std::string>{
           std::string(), "https://" + hostPort + "/a", "ftp://" + hostPort + "/a",
           "file:///etc/hostname", "gopher://" + hostPort + "/a", "mailto:" + hostPort,
           "http:" + hostPort + "/a", "http://" + hostPort + "/a\x01" + "b",
           "http://" + hostPort + "/a\x7f"}) {
    dir_.write("download.bin", "older file");
    EXPECT_EQ(get(url), kHttpFailed) << url;
    EXPECT_FALSE(saved()) << url;
  }
  EXPECT_EQ(get("http://" + hostPort + "/a", fastOptions(), "a=1\r\nX-Evil: 1"), kHttpFailed);
  EXPECT_THAT(reason(), HasSubstr("control character in the cookie"));
  EXPECT_EQ(server.connections(), 0);

  // The scheme is not case-sensitive; white space in the URL is dropped.
  EXPECT_EQ(get(" HTTP://" + hostPort + "/\ta "), 3);
}

TEST_F(HttpClientTest, CancelsFromTheProgressCallbackOrAnotherThread) {
  std::atomic<bool> cancel{false};
  HttpOptions options = fastOptions();
  options.cancel = &cancel;
  {
    options.progress = [&](std::int64_t, std::int64_t) { cancel = true; };
    LoopbackServer server(reply(okHead("Content-Length: 100000\r\n") + bytesOf(1000)));
    EXPECT_EQ(get(server.url("/a"), options), kHttpCancelled);
    EXPECT_FALSE(saved());
  }
  {
    cancel = false;
    options.progress = nullptr;
    options.readTimeoutMs = -1;
    options.maxTotalMs = 20000;
    LoopbackServer server(
        reply(okHead("Content-Length: 100000\r\n") + bytesOf(1000), Then::kStayQuiet));
    std::thread canceller([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      cancel = true;
    });
    EXPECT_EQ(get(server.url("/a"), options), kHttpCancelled);
    canceller.join();
    EXPECT_FALSE(saved());
  }
  {
    // A callback that throws cancels too.
    cancel = false;
    options.readTimeoutMs = 2000;
    options.progress = [](std::int64_t, std::int64_t) { throw std::runtime_error("stop"); };
    LoopbackServer server(reply(okHead("Content-Length: 3\r\n") + "abc"));
    EXPECT_EQ(get(server.url("/a"), options), kHttpCancelled);
    EXPECT_FALSE(saved());
  }
  {
    // Set before the call: nothing is fetched.
    cancel = true;
    options.progress = nullptr;
    LoopbackServer server(reply(okHead("Content-Length: 3\r\n") + "abc"));
    EXPECT_EQ(get(server.url("/a"), options), kHttpCancelled);
    EXPECT_EQ(server.connections(), 0);
  }
}

TEST_F(HttpClientTest, ReportsProgressRisingToTheTotal) {
  const std::string content = bytesOf(1000000, 4);
  for (const bool announced : {true, false}) {
    std::vector<std::pair<std::int64_t, std::int64_t>> calls;
    HttpOptions options = fastOptions();
    options.progress = [&](std::int64_t received, std::int64_t expected) {
      calls.emplace_back(received, expected);
    };
    LoopbackServer server(reply(okHead(announced ? "Content-Length: 1000000\r\n" : "") + content));
    ASSERT_EQ(get(server.url("/a"), options), 1000000) << announced;
    const std::int64_t expected = announced ? 1000000 : -1;
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls.front().first, 0);
    EXPECT_EQ(calls.back().first, 1000000);
    for (std::size_t i = 0; i < calls.size(); ++i) {
      EXPECT_EQ(calls[i].second, expected) << i;
      if (i > 0) {
        EXPECT_GT(calls[i].first, calls[i - 1].first) << i;
      }
      // At most one report per step (plus the final one).
      if (i > 0 && i + 1 < calls.size()) {
        EXPECT_GE(calls[i].first - calls[i - 1].first, kProgressStepBytes) << i;
      }
    }
    EXPECT_EQ(body(), content);
  }
}

TEST_F(HttpClientTest, DownloadsOnSeveralThreadsAtOnce) {
  std::map<std::string, std::string> files;
  for (int i = 0; i < 4; ++i) files["/f" + std::to_string(i)] = bytesOf(200000 + i, 10 + i);
  LoopbackServer server(LoopbackServer::staticContent(files));
  std::vector<std::int64_t> results(4);
  std::vector<std::thread> threads;
  for (int i = 0; i < 4; ++i) {
    threads.emplace_back([&, i] {
      results[i] = HttpGetToFile(server.url("/f" + std::to_string(i)),
                                 dir_.file("f" + std::to_string(i)), std::nullopt, fastOptions());
    });
  }
  for (auto& t : threads) t.join();
  for (int i = 0; i < 4; ++i) {
    const std::string name = "/f" + std::to_string(i);
    EXPECT_EQ(results[i], static_cast<std::int64_t>(files[name].size())) << i;
    EXPECT_EQ(testing::readAll(dir_.file(name.substr(1))), files[name]) << i;
  }
}

}  // namespace
}  // namespace vestora
