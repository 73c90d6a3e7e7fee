// Diagnostic output for developers ("Initialize: 812 msec"). Users never see
// it; it goes to the installed sink, stderr unless something else is set.
#pragma once

#include <string>
#include <string_view>

namespace vestora {

class LogSink {
 public:
  virtual ~LogSink() = default;
  // One diagnostic text; a trailing "\r\n" has been turned into "\n".
  virtual void write(std::string_view text) = 0;
};

// Installs `sink` (not owned; nullptr restores stderr) and returns the previous one.
LogSink* setLogSink(LogSink* sink);

// Writes a diagnostic through the current sink.
void debugOutput(std::string_view text);

// Collects diagnostics in memory; for tests.
class MemoryLogSink : public LogSink {
 public:
  void write(std::string_view text) override { text_ += text; }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

}  // namespace vestora
