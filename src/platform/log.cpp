#include "platform/log.h"

#include <atomic>
#include <cstdio>

namespace vestora {
namespace {

class StderrSink : public LogSink {
 public:
  void write(std::string_view text) override {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
  }
};

StderrSink stderrSink;
std::atomic<LogSink*> currentSink{nullptr};

}  // namespace

LogSink* setLogSink(LogSink* sink) { return currentSink.exchange(sink); }

void debugOutput(std::string_view text) {
  std::string normalised(text);
  if (normalised.size() >= 2 && normalised.compare(normalised.size() - 2, 2, "\r\n") == 0)
    normalised.erase(normalised.size() - 2, 1);
  LogSink* sink = currentSink.load();
  (sink ? sink : &stderrSink)->write(normalised);
}

}  // namespace vestora
