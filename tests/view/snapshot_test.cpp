#include <filesystem>

#include <gtest/gtest.h>

#include "view/gl_view.h"
#include "view_test_support.h"

namespace vestora {
namespace {

using testing::near;
using testing::testPictureColours;
using testing::ViewFixture;

class SnapshotTest : public ViewFixture {
 protected:
  // Drags the snapshot rectangle from window point (x1, y1) to (x2, y2).
  void drag(int x1, int y1, int x2, int y2) {
    view_->onLeftDown(x1, y1, {});
    view_->onMouseMove(x2, y2, {true, false}, {});
    view_->onLeftUp(x2, y2, {});
  }
};

TEST_F(SnapshotTest, WritesNumberedFilesOfTheDraggedRectangle) {
  start();
  view_->snapshotMode = true;
  // 103 pixels wide, 40 high, in the upper left (backdrop only).
  drag(5, 10, 108, 50);
  EXPECT_EQ(view_->snapshotCorner1.x, 5);
  EXPECT_EQ(view_->snapshotCorner1.y, kSize - 10);
  EXPECT_EQ(view_->snapshotCorner2.x, 108);
  EXPECT_EQ(view_->snapshotCorner2.y, kSize - 50);

  const std::string chosen = root_.file("shots/look.jpg");
  std::filesystem::create_directories(root_.file("shots"));
  host_->dialogs_.answerFile(chosen);
  const auto first = view_->TakeSnapshot();
  ASSERT_TRUE(first);
  EXPECT_EQ(*first, root_.file("shots/look000.jpg"));
  auto image = LoadJpeg(*first);
  ASSERT_TRUE(image) << image.error().message();
  EXPECT_EQ(image->width, 100);
  EXPECT_EQ(image->height, 40);
  const std::uint8_t* p = image->pixel(50, 20);
  EXPECT_TRUE(near({p[0], p[1], p[2]}, testPictureColours().at(643), 16));
  ASSERT_EQ(host_->sounds.size(), 1u);
  EXPECT_EQ(host_->sounds[0], kCameraSound);

  // The Ctrl key takes the next one without asking again.
  view_->onKeyDown(kKeyControl);
  EXPECT_TRUE(std::filesystem::exists(root_.file("shots/look001.jpg")));
  EXPECT_EQ(view_->snapshotCounter, 2);
  int fileDialogs = 0;
  for (const auto& e : host_->dialogs_.transcript())
    fileDialogs += e.kind == ScriptedDialogs::Exchange::Kind::File;
  EXPECT_EQ(fileDialogs, 1);

  host_->effects = false;
  ASSERT_TRUE(view_->TakeSnapshot());
  EXPECT_EQ(host_->sounds.size(), 2u);  // no sound with the effects off
}

TEST_F(SnapshotTest, ADraggedRectangleLeaveOutTheGreenFrame) {
  start();
  view_->snapshotMode = true;
  view_->onLeftDown(20, 20, {});
  view_->onMouseMove(80, 80, {true, false}, {});
  // The move drew a frame with the rectangle: its top edge is green.
  const auto rgb = context_->readRgb();
  int green = 0;  // the line lies on a pixel border: either row may take it
  for (int row : {kSize - 21, kSize - 20}) {
    const std::size_t at = 3 * (static_cast<std::size_t>(row) * kSize + 50);
    green += near({rgb[at], rgb[at + 1], rgb[at + 2]}, {0, 255, 0}, 60);
  }
  EXPECT_GE(green, 1);
  view_->onLeftUp(80, 80, {});
  host_->dialogs_.answerFile(root_.file("edge.jpg"));
  const auto written = view_->TakeSnapshot();
  ASSERT_TRUE(written);
  auto image = LoadJpeg(*written);
  ASSERT_TRUE(image);
  const std::uint8_t* top = image->pixel(30, 0);
  EXPECT_FALSE(near({top[0], top[1], top[2]}, {0, 255, 0}, 60));
}

TEST_F(SnapshotTest, EmptyRectanglesAndCancelledNamesWriteNothing) {
  start();
  view_->snapshotMode = true;
  // Dragged from right to left and from bottom to top.
  drag(120, 10, 20, 60);
  EXPECT_FALSE(view_->TakeSnapshot());
  drag(20, 60, 120, 10);
  EXPECT_FALSE(view_->TakeSnapshot());
  drag(20, 10, 22, 60);  // narrower than 4 pixels
  EXPECT_FALSE(view_->TakeSnapshot());
  EXPECT_TRUE(host_->dialogs_.transcript().empty());

  drag(10, 10, 60, 60);
  host_->dialogs_.answerFile(std::nullopt);
  EXPECT_FALSE(view_->TakeSnapshot());
  EXPECT_TRUE(view_->snapshotBase.empty());
  EXPECT_EQ(view_->snapshotCounter, 0);
  EXPECT_TRUE(host_->sounds.empty());
  // The next one asks again.
  host_->dialogs_.answerFile(root_.file("again.jpg"));
  EXPECT_TRUE(view_->TakeSnapshot());
  EXPECT_TRUE(std::filesystem::exists(root_.file("again000.jpg")));
}

TEST_F(SnapshotTest, AFileThatCannotBeWrittenIsReported) {
  start();
  view_->snapshotMode = true;
  drag(10, 10, 60, 60);
  view_->snapshotBase = root_.file("no-such-folder/shot");
  EXPECT_FALSE(view_->TakeSnapshot());
  const auto messages = host_->dialogs_.messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0],
            std::string(kSnapshotWriteFailed) + root_.file("no-such-folder/shot000.jpg"));
}

}  // namespace
}  // namespace vestora
