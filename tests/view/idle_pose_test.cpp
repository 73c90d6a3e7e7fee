// The view's idle animation (its two timers, its pauses around changes of
// the body, its stop when she is dressed) and the pose change.
#include <algorithm>
#include <filesystem>

#include <gtest/gtest.h>

#include "body/measurement.h"
#include "view/view_test_support.h"

namespace vestora {
namespace {

using testing::ViewFixture;

class IdlePoseTest : public ViewFixture {
 protected:
  void SetUp() override {
    ViewFixture::SetUp();
    view_->clockMs = [this] { return now_; };
  }
  // One tick of a timer, `ms` after the last.
  void tick(int id, double ms) {
    now_ += ms;
    ASSERT_TRUE(host_->timers.count(id)) << "timer " << id << " is not running";
    view_->onTimer(id);
  }
  bool running(int id) const { return host_->timers.count(id) != 0; }
  std::vector<float> vertices() const { return view_->avatar().model().vertices; }
  bool sameAsFrame(std::size_t k) const {
    const auto& v = view_->avatar().model().vertices;
    return std::equal(v.begin(), v.end(), view_->idleAnimation().frame(k));
  }
  void putOnDress() {
    ASSERT_TRUE(view_->tryOn()
                    .LoadFittedGarmentCommand(dataPath(root_.path(), "\\pattern\\Dress.pop"))
                    .ok());
  }

  double now_ = 1000;
};

TEST_F(IdlePoseTest, ABreathPlaysToItsLastFrameAndStartsAgainEveryThreeSeconds) {
  start();
  const std::vector<float> rest = vertices();
  ASSERT_TRUE(view_->startIdleAnimationWhenUndressed());
  EXPECT_TRUE(view_->idleAnimationOn());
  EXPECT_EQ(host_->timers[kIdleFrameTimer], 20);
  EXPECT_EQ(host_->timers[kIdleRestartTimer], 3000);
  const std::size_t last = view_->idleAnimation().lastFrame();
  ASSERT_EQ(last, 99u);
  EXPECT_TRUE(sameAsFrame(0));

  for (int i = 1; i <= 50; ++i) tick(kIdleFrameTimer, 20);
  EXPECT_EQ(view_->idleFrameIndex(), 50u);
  EXPECT_TRUE(sameAsFrame(50));
  EXPECT_NE(vertices(), rest);
  for (int i = 51; i <= 99; ++i) tick(kIdleFrameTimer, 20);
  EXPECT_EQ(view_->idleFrameIndex(), 99u);
  EXPECT_TRUE(sameAsFrame(99));
  EXPECT_FALSE(running(kIdleFrameTimer));  // the last frame stays
  EXPECT_TRUE(running(kIdleRestartTimer));

  tick(kIdleRestartTimer, 1020);
  EXPECT_EQ(view_->idleFrameIndex(), 0u);
  EXPECT_TRUE(sameAsFrame(0));
  EXPECT_TRUE(running(kIdleFrameTimer));
}

TEST_F(IdlePoseTest, ASlowMachineSkipsFramesInsteadOfStretchingTheBreath) {
  start();
  ASSERT_TRUE(view_->startIdleAnimationWhenUndressed());
  tick(kIdleFrameTimer, 20);
  tick(kIdleFrameTimer, 300);  // a long frame
  EXPECT_EQ(view_->idleFrameIndex(), 16u);
  EXPECT_TRUE(sameAsFrame(16));
  tick(kIdleFrameTimer, 5000);
  EXPECT_EQ(view_->idleFrameIndex(), 99u);
  EXPECT_FALSE(running(kIdleFrameTimer));
}

TEST_F(IdlePoseTest, DressingStopsHerAtRestAndTheTimersAdvanceNothing) {
  start();
  const std::vector<float> rest = vertices();
  ASSERT_TRUE(view_->startIdleAnimationWhenUndressed());
  for (int i = 0; i < 40; ++i) tick(kIdleFrameTimer, 20);
  putOnDress();
  EXPECT_FALSE(view_->idleAnimationOn());
  EXPECT_FALSE(running(kIdleFrameTimer));
  EXPECT_FALSE(running(kIdleRestartTimer));
  EXPECT_EQ(vertices(), rest);
  // A tick already queued when she was dressed changes nothing.
  view_->onTimer(kIdleFrameTimer);
  view_->onTimer(kIdleRestartTimer);
  EXPECT_EQ(vertices(), rest);
  EXPECT_FALSE(view_->startIdleAnimationWhenUndressed());
}

TEST_F(IdlePoseTest, AReshapingPausesTheBreathAndItResumesOverTheNewShape) {
  start();
  ASSERT_TRUE(view_->startIdleAnimationWhenUndressed());
  const std::vector<float> rest = vertices();
  for (int i = 0; i < 30; ++i) tick(kIdleFrameTimer, 20);
  // The body page drops the view's state before it reshapes.
  view_->dropTransientState();
  EXPECT_EQ(vertices(), rest);
  EXPECT_FALSE(running(kIdleFrameTimer));
  EXPECT_TRUE(running(kIdleRestartTimer));
  view_->shaper().SetBodyWeight(140);
  const std::vector<float> heavier = vertices();
  // Three seconds after the change she breathes again, over the new shape.
  tick(kIdleRestartTimer, 3000);
  EXPECT_TRUE(view_->idleAnimationOn());
  EXPECT_EQ(vertices(), heavier);  // frame 0 is her shape at rest
  for (int i = 0; i < 50; ++i) tick(kIdleFrameTimer, 20);
  const auto& now = view_->avatar().model().vertices;
  float moved = 0;
  for (std::size_t i = 0; i < now.size(); ++i)
    moved = std::max(moved, std::fabs(now[i] - heavier[i]));
  EXPECT_GT(moved, 0.005f);
  EXPECT_LT(moved, 0.1f);  // a breath, not the old shape written back
}

TEST_F(IdlePoseTest, TheResetButtonPutsHerAtRestAndSheBreathesAgain) {
  start();
  const std::vector<float> rest = vertices();
  ASSERT_TRUE(view_->startIdleAnimationWhenUndressed());
  for (int i = 0; i < 30; ++i) tick(kIdleFrameTimer, 20);
  host_->dialogs_.answerYesNo(false);  // keep the camera
  view_->onResetButton();
  EXPECT_EQ(vertices(), rest);
  EXPECT_FALSE(running(kIdleFrameTimer));
  tick(kIdleRestartTimer, 3000);
  EXPECT_TRUE(view_->idleAnimationOn());
  EXPECT_TRUE(running(kIdleFrameTimer));
}

TEST_F(IdlePoseTest, MeasuringTakesHerAtRest) {
  start();
  BodyMeasurer still;
  ASSERT_TRUE(still.MeasureBody(view_->avatar(), nullptr));
  ASSERT_TRUE(view_->startIdleAnimationWhenUndressed());
  for (int i = 0; i < 50; ++i) tick(kIdleFrameTimer, 20);
  ASSERT_TRUE(view_->AutoMeasure());
  EXPECT_FLOAT_EQ(view_->measurer().results().value[kChest], still.results().value[kChest]);
  EXPECT_FLOAT_EQ(view_->measurer().results().value[kAbdomen], still.results().value[kAbdomen]);
}

TEST_F(IdlePoseTest, UnusableFramesLeaveHerStillWithOneMessage) {
  // A breathing file of another body (a count and one short frame) beside
  // the generated blink.
  namespace fs = std::filesystem;
  const fs::path behaviour = fs::path(root_.path()) / "model" / "FemaleBehavior";
  fs::remove(behaviour);  // the link to the generated folder
  fs::create_directories(behaviour);
  fs::create_directory_symlink(testing::generatedRoot() / "model" / "FemaleBehavior" / "EyeBlink",
                               behaviour / "EyeBlink");
  testing::writeBytes(behaviour / "Breath" / "nv_huxi.a", {2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  start();
  const std::vector<float> rest = vertices();
  EXPECT_FALSE(view_->startIdleAnimationWhenUndressed());
  EXPECT_FALSE(view_->startIdleAnimationWhenUndressed());
  EXPECT_FALSE(running(kIdleFrameTimer));
  EXPECT_FALSE(running(kIdleRestartTimer));
  EXPECT_EQ(vertices(), rest);
  const auto messages = host_->dialogs_.messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("nv_huxi.a"), std::string::npos) << messages[0];
}

TEST_F(IdlePoseTest, APoseChangeLoadsThePoseUndressesHerAndBreathes) {
  start();
  putOnDress();
  ASSERT_TRUE(view_->selectPose("Walk.bmp").ok());
  const Avatar& a = view_->avatar();
  EXPECT_EQ(a.modelPath(), "\\model\\ChinaFemale\\nv_WalkPose.c3d");
  EXPECT_TRUE(a.walkPose);
  EXPECT_FALSE(a.highPose || a.bagPose || a.standPose);
  EXPECT_FALSE(view_->dressed());
  EXPECT_TRUE(view_->idleAnimationOn());
  // The measurement refuses the walking pose.
  EXPECT_FALSE(view_->AutoMeasure());
  const auto messages = host_->dialogs_.messages();
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.back(), "请设定为标准站姿进行测量！");
  // Not a pose of hers.
  EXPECT_FALSE(view_->selectPose("Male.bmp").ok());
  EXPECT_TRUE(a.walkPose);
}

TEST_F(IdlePoseTest, TheUsersHeightSurvivesPoseChanges) {
  start();
  // As the body page applies a height of 180 cm.
  view_->bodySettings.heightCm = 180;
  view_->shaper().SetBodyHeight(180);
  view_->shaper().SetBodyWeight(view_->bodySettings.weightJin);
  view_->shaper().SetPregnancyMonth(view_->bodySettings.month);
  ASSERT_NEAR(view_->shaper().currentHeightCm(), 180.0f, 0.2f);

  ASSERT_TRUE(view_->selectPose("Pose1.bmp").ok());  // standing with a bag
  EXPECT_NEAR(view_->shaper().currentHeightCm(), 180.0f, 0.2f);
  ASSERT_TRUE(view_->selectPose("Walk.bmp").ok());
  ASSERT_TRUE(view_->selectPose("Female.bmp").ok());
  EXPECT_NEAR(view_->shaper().currentHeightCm(), 180.0f, 0.2f);
  BodyMeasurer measurer;
  ASSERT_TRUE(measurer.MeasureBody(view_->avatar(), nullptr));
  EXPECT_NEAR(measurer.results().heightCm, 180.0f, 0.2f);
}

TEST_F(IdlePoseTest, WithTheModelledSettingsThePoseBodyIsTakenAsItIs) {
  start();
  ASSERT_TRUE(view_->selectPose("Stand.bmp").ok());
  view_->stopIdleAnimation();
  Avatar plain(root_.path());
  ASSERT_TRUE(plain.selectAvatar(*avatarEntryFor("Stand.bmp")).ok());
  EXPECT_EQ(view_->avatar().model().vertices, plain.model().vertices);
  // A changed weight alone is carried to the next pose as well.
  view_->bodySettings.weightJin = 140;
  ASSERT_TRUE(view_->selectPose("Female.bmp").ok());
  view_->stopIdleAnimation();
  ASSERT_TRUE(plain.selectAvatar(kAvatarTable[0]).ok());
  EXPECT_NE(view_->avatar().model().vertices, plain.model().vertices);
}

TEST_F(IdlePoseTest, AMissingPoseFileChangesNothing) {
  root_.ownModelFolder("ChinaFemale");
  std::filesystem::remove(dataPath(root_.path(), "\\model\\ChinaFemale\\nv_WalkPose.c3d"));
  start();
  putOnDress();
  const std::vector<float> before = vertices();
  const auto result = view_->selectPose("Walk.bmp");
  ASSERT_FALSE(result.ok());
  const Avatar& a = view_->avatar();
  EXPECT_TRUE(a.highPose);
  EXPECT_FALSE(a.walkPose);
  EXPECT_EQ(a.modelPath(), "\\model\\ChinaFemale\\nv_High.c3d");
  EXPECT_TRUE(view_->dressed());
  EXPECT_EQ(vertices(), before);
  const auto messages = host_->dialogs_.messages();
  ASSERT_FALSE(messages.empty());
  EXPECT_NE(messages.back().find("nv_WalkPose.c3d"), std::string::npos) << messages.back();
}

}  // namespace
}  // namespace vestora
