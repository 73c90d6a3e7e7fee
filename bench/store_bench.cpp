// Downloading a 50 MB garment package from a server on the loopback
// interface with the store's HTTP client, and the same download by curl in
// the same run: DownloadAgainstCurl reports both throughputs and their ratio.
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include <benchmark/benchmark.h>

#include "platform/process.h"
#include "store/http_client.h"
#include "store/loopback_server.h"
#include "test_support.h"

namespace vestora {
namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kPackageBytes = 50u << 20;
constexpr const char* kCurl = "/usr/bin/curl";

struct PackageServer {
  testing::LoopbackServer server{
      testing::LoopbackServer::staticContent({{"/productdata/Big.exe", bigPackage()}})};
  testing::TempDir dir;
  std::string url = server.url("/productdata/Big.exe");
  std::string target = dir.file("Big.exe");

  static std::string bigPackage() {
    std::string bytes(kPackageBytes, '\0');
    std::uint32_t x = 2463534242u;
    for (char& c : bytes) {
      x ^= x << 13;
      x ^= x >> 17;
      x ^= x << 5;
      c = static_cast<char>(x);
    }
    return bytes;
  }
};

PackageServer& packageServer() {
  static PackageServer server;
  return server;
}

double secondsOf(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

bool downloadOurs(const PackageServer& s) {
  HttpOptions options;
  options.maxBodyBytes = 2 * kPackageBytes;
  return HttpGetToFile(s.url, s.target, std::nullopt, options) ==
         static_cast<std::int64_t>(kPackageBytes);
}

bool downloadByCurl(const PackageServer& s) {
  const auto ended =
      runProcessAndWait({kCurl, "-s", "-f", "-o", s.target, s.url}, std::chrono::minutes(1));
  return ended && ended->succeeded() && std::filesystem::file_size(s.target) == kPackageBytes;
}

void BM_HttpGetToFile(benchmark::State& state) {
  PackageServer& s = packageServer();
  for (auto _ : state) {
    if (!downloadOurs(s)) {
      state.SkipWithError("download failed");
      return;
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kPackageBytes));
}
BENCHMARK(BM_HttpGetToFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// Both downloads in every iteration, alternating, so that both see the same
// machine; the counters are mean throughputs in MB/s and ours / curl's.
void BM_DownloadAgainstCurl(benchmark::State& state) {
  PackageServer& s = packageServer();
  if (::access(kCurl, X_OK) != 0) {
    state.SkipWithError("curl is not installed");
    return;
  }
  double ours = 0, curls = 0;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    const bool okOurs = downloadOurs(s);
    const auto t1 = Clock::now();
    const bool okCurl = downloadByCurl(s);
    const auto t2 = Clock::now();
    if (!okOurs || !okCurl) {
      state.SkipWithError(okOurs ? "curl failed" : "download failed");
      return;
    }
    ours += secondsOf(t1 - t0);
    curls += secondsOf(t2 - t1);
  }
  const double megabytes = static_cast<double>(state.iterations()) * kPackageBytes / 1e6;
  state.counters["ours_MBps"] = megabytes / ours;
  state.counters["curl_MBps"] = megabytes / curls;
  state.counters["ratio"] = curls / ours;
}
BENCHMARK(BM_DownloadAgainstCurl)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

}  // namespace
}  // namespace vestora
