#include "platform/user_dialogs.h"

#include <gtest/gtest.h>

#include "platform/log.h"

namespace vestora {
namespace {

TEST(ScriptedDialogs, AnswersInOrderThenDeclines) {
  ScriptedDialogs d;
  d.answerYesNo(true);
  d.answerYesNo(false);
  d.answerFile(std::string("/tmp/a.c3d"));
  d.answerColour(Rgb{1, 2, 3});
  EXPECT_TRUE(d.askYesNo("Keep?", "Q"));
  EXPECT_FALSE(d.askYesNo("Again?", "Q"));
  EXPECT_FALSE(d.askYesNo("Unscripted?", "Q"));
  EXPECT_EQ(d.chooseFile({true, "C3D files (*.c3d)|*.c3d||", ".c3d", "", ""}), "/tmp/a.c3d");
  EXPECT_EQ(d.chooseFile({}), std::nullopt);
  EXPECT_EQ(d.chooseColour({}), (Rgb{1, 2, 3}));
  EXPECT_EQ(d.chooseColour({}), std::nullopt);
}

TEST(ScriptedDialogs, RecordsEverythingAsked) {
  ScriptedDialogs d;
  d.showMessage("first", "A", MessageIcon::Warning);
  d.askYesNo("question", "B");
  d.showMessage("second", "C", MessageIcon::Error);
  ASSERT_EQ(d.transcript().size(), 3u);
  EXPECT_EQ(d.transcript()[1].kind, ScriptedDialogs::Exchange::Kind::Question);
  EXPECT_EQ(d.transcript()[1].icon, MessageIcon::Question);
  EXPECT_EQ(d.messages(), (std::vector<std::string>{"first", "second"}));
}

TEST(Log, SinkReceivesDiagnosticsWithUnixLineEnds) {
  MemoryLogSink sink;
  LogSink* previous = setLogSink(&sink);
  debugOutput("Initialize: 12 msec\r\n");
  debugOutput("Singular Matrix\r\n");
  setLogSink(previous);
  EXPECT_EQ(sink.text(), "Initialize: 12 msec\nSingular Matrix\n");
}

}  // namespace
}  // namespace vestora
