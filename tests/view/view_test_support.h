// What the view's tests share: a small application root with the generated
// models and test pictures of flat colours, a host that records what the
// view asks of its window, and frames read back from the off-screen context.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/data_path.h"
#include "platform/file_io.h"
#include "platform/resources.h"
#include "test_support.h"
#include "view/gl_view.h"
#include "view/image_codecs.h"
#include "view/offscreen_context.h"

namespace vestora::testing {

using Colour = std::array<int, 3>;

// The flat colour of each test picture; none of them is blue, so that the
// sheet's blue text stands out.
inline const std::map<int, Colour>& testPictureColours() {
  static const std::map<int, Colour> colours = {
      {643, {70, 170, 90}},    // backdrop: green
      {588, {200, 40, 40}},    // logo 1 normal: red
      {589, {240, 140, 20}},   // logo 1 hover: orange
      {590, {150, 40, 160}},   // logo 1 pressed: purple
      {587, {160, 150, 30}},   // logo 2 normal: olive
      {586, {30, 160, 160}},   // logo 2 hover: teal
      {582, {120, 120, 120}},  // logo 2 pressed: grey
  };
  return colours;
}
inline constexpr Colour kSheetBackdropColour{250, 240, 200};

// A flat-coloured JPEG of `width` × `height` pixels.
inline std::vector<std::uint8_t> flatJpeg(int width, int height, Colour colour) {
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
  for (std::size_t i = 0; i < rgb.size(); i += 3)
    for (int c = 0; c < 3; ++c) rgb[i + c] = static_cast<std::uint8_t>(colour[c]);
  auto bytes = encodeJpeg(rgb.data(), width, height, 95);
  return bytes ? bytes.value() : std::vector<std::uint8_t>{};
}

inline void writeBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::filesystem::create_directories(path.parent_path());
  ASSERT_TRUE(writeFileAtomically(path.string(), bytes)) << path;
}

// The generated application root of this build.
inline std::filesystem::path generatedRoot() {
  return VESTORA_TEST_ROOT;
}

// An application root of its own: the generated model folders, garments and
// scene pictures linked in, test pictures for the view's other picture
// resources, the sheet backdrop and a TrueType font copied in as "\vrinda.ttf".
class ViewTestRoot {
 public:
  ViewTestRoot() {
    namespace fs = std::filesystem;
    const fs::path base = dir_.path();
    fs::create_directories(base / "model");
    if (fs::is_directory(generatedRoot() / "model"))
      for (const auto& entry : fs::directory_iterator(generatedRoot() / "model"))
        fs::create_symlink(entry.path(), base / "model" / entry.path().filename());
    if (fs::is_directory(generatedRoot() / "pattern"))
      fs::create_directory_symlink(generatedRoot() / "pattern", base / "pattern");
    fs::create_directories(base / "data");
    for (const auto& [id, colour] : testPictureColours())
      writeBytes(dataPath(base.string(), pictureResourcePath(id)), flatJpeg(64, 64, colour));
    // The scenes' pictures, the lake's and the lens flare's, as generated.
    for (int id = 602; id <= 607; ++id) {
      const fs::path picture = dataPath(generatedRoot().string(), pictureResourcePath(id));
      if (fs::exists(picture))
        fs::create_symlink(picture, dataPath(base.string(), pictureResourcePath(id)));
    }
    for (const char* folder : {"scene", "lens"})
      if (fs::is_directory(generatedRoot() / "data" / folder))
        fs::create_directory_symlink(generatedRoot() / "data" / folder, base / "data" / folder);
    fs::remove(base / "model" / "ChineseFonts.jpg");
    writeBytes(base / "model" / "ChineseFonts.jpg", flatJpeg(64, 64, kSheetBackdropColour));
    fs::copy_file("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", base / "vrinda.ttf");
  }
  std::string path() const { return dir_.path().string(); }
  // Turns a linked folder below "model" into a folder of this root whose
  // files are links, so that files can be added without touching the
  // generated root.
  void ownModelFolder(const std::string& name) {
    namespace fs = std::filesystem;
    const fs::path folder = dir_.path() / "model" / name;
    if (!fs::is_symlink(folder)) return;
    const fs::path target = fs::read_symlink(folder);
    fs::remove(folder);
    fs::create_directory(folder);
    for (const auto& entry : fs::directory_iterator(target))
      fs::create_symlink(entry.path(), folder / entry.path().filename());
  }
  std::string file(const std::string& relative) const { return dir_.file(relative); }

 private:
  TempDir dir_;
};

// Records what the view asks of its window.
class RecordingHost : public ViewHost {
 public:
  explicit RecordingHost(OffscreenContext& context) : context_(context) {}
  UserDialogs& dialogs() override { return dialogs_; }
  void requestRedraw() override { ++redraws; }
  void startTimer(int id, int milliseconds) override { timers[id] = milliseconds; }
  void killTimer(int id) override { timers.erase(id); }
  void swapBuffers() override {
    context_.resolve();
    ++swaps;
  }
  void openDocument(const std::string& path) override { documents.push_back(path); }
  void playSound(std::string_view path) override { sounds.emplace_back(path); }
  void takeFocus() override {}
  bool soundEffectsOn() const override { return effects; }
  void prepareReadPixels() override { context_.resolve(); }
  void showDetailPictures() override { ++detailPictures; }
  void showProgress(int step) override { progress.push_back(step); }

  ScriptedDialogs dialogs_;
  int detailPictures = 0;
  std::vector<int> progress;
  int redraws = 0;
  int swaps = 0;
  std::map<int, int> timers;
  std::vector<std::string> documents;
  std::vector<std::string> sounds;
  bool effects = true;

 private:
  OffscreenContext& context_;
};

// A frame read back: RGB, rows bottom to top as GL gives them, so that
// at(x, y) takes GL window coordinates.
struct Frame {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;
  Colour at(int x, int y) const {
    const std::size_t i = 3 * (static_cast<std::size_t>(y) * width + x);
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
  }
};

inline bool near(const Colour& a, const Colour& b, int tolerance = 14) {
  for (int c = 0; c < 3; ++c)
    if (std::abs(a[c] - b[c]) > tolerance) return false;
  return true;
}

inline std::string text(const Colour& c) {
  return "(" + std::to_string(c[0]) + ", " + std::to_string(c[1]) + ", " + std::to_string(c[2]) +
         ")";
}

// A view on a square off-screen frame over a ViewTestRoot, with the
// default avatar loaded when start() is called.
class ViewFixture : public ::testing::Test {
 protected:
  static constexpr int kSize = 200;

  void SetUp() override {
    auto context = OffscreenContext::create(kSize, kSize);
    ASSERT_TRUE(context) << context.error().message();
    context_ = std::move(context.value());
    host_ = std::make_unique<RecordingHost>(*context_);
    view_ = std::make_unique<GlView>(*host_, root_.path());
  }

  void TearDown() override {
    if (view_) view_->ReleaseGL();
    view_.reset();
    host_.reset();
    context_.reset();
  }

  // Loads the default avatar and sets up the GL state and resources.
  void start() {
    ASSERT_TRUE(view_->loadDefaultAvatar());
    auto font = view_->InitGL(kSize, kSize);
    ASSERT_TRUE(font) << font.error().message();
    const auto problems = view_->LoadViewResources();
    ASSERT_TRUE(problems.empty()) << problems.front();
  }

  Frame frame(bool withOverlay = false) {
    view_->DrawScene(withOverlay);
    return {kSize, kSize, context_->readRgb()};
  }

  ViewTestRoot root_;
  std::unique_ptr<OffscreenContext> context_;
  std::unique_ptr<RecordingHost> host_;
  std::unique_ptr<GlView> view_;
};

}  // namespace vestora::testing
