#include "cli/render_command.h"

#include <array>
#include <cctype>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>

#include "avatar/accessories.h"
#include "body/measurement.h"
#include "cli/body_commands.h"
#include "cli/cli.h"
#include "cli/garment_commands.h"
#include "cloth/try_on.h"
#include "platform/data_path.h"
#include "platform/file_io.h"
#include "platform/root_dir.h"
#include "view/freehand_drawing.h"
#include "view/gl_view.h"
#include "view/image_codecs.h"
#include "view/offscreen_context.h"

namespace vestora::cli {

const char* const kRenderHelp =
    "usage: vestora-cli render --out FILE.png|FILE.jpg [--root DIR] [--width W]\n"
    "                          [--image-height H] [--body NAME-OR-PATH] [--height CM]\n"
    "                          [--weight JIN] [--month M] [--garment PATH] [--azimuth A]\n"
    "                          [--elevation E] [--distance D] [--pan-x X] [--pan-y Y]\n"
    "                          [--sheet] [--frames N]\n"
    "                          [--tool linear|height|curve|girth --points X,Y[,X,Y]]\n"
    "                          [--unit cm|inch] [--region NAME --amount A]\n"
    "                          [--pose standard|bag|walk|stand] [--breath-frame K]\n"
    "                          [--hair NAME|none] [--wear NAME] [--shoe NAME] [--sock NAME]\n"
    "                          [--lens-colour RRGGBB] [--frame-colour RRGGBB]\n"
    "                          [--transparency T] [--fit-map] [--scene none|sky|room|beach]\n"
    "                          [--no-multisample] [--sew]\n"
    "Draws one frame of the 3D view without a display, as the program draws it: the\n"
    "backdrop, the logo buttons, the body (shaped like the body editor does with --height,\n"
    "--weight, --month) and the garment put on as 'fit' does (--sew: a garment with seams\n"
    "is sewn, as 'drape' does), seen from the view's camera\n"
    "(default azimuth -10, elevation 18, distance -34; --pan-x and --pan-y move the\n"
    "scene across the picture as dragging with the right button does, in model units).\n"
    "--sheet measures the body and shows the measurement sheet. The picture is W x H pixels "
    "(default 800 x 600); the\n"
    "file name's extension chooses PNG or JPEG. --body takes the names of 'measure'.\n"
    "--frames N draws the frame N times (default 1) and also prints the mean time of\n"
    "the frames after the first, which compiles the display lists. The frame is drawn\n"
    "with 4x multisampling where the driver offers it; --no-multisample draws it plain\n"
    "(much faster on a software renderer).\n"
    "--tool measures the body and uses a freehand tool as a user of the window would:\n"
    "--points gives the window pixels (from the top left) clicked on the body, one or\n"
    "two for linear and height, one for girth, the two ends of the stroke for curve;\n"
    "the marks and the value are drawn and the value is printed. --unit sets the\n"
    "unit of the sheet and the marks. --region and --amount shape one region of the\n"
    "woman as the body page's slider does (the regions of 'shape').\n"
    "--pose changes the woman's pose as the wardrobe does: her --height, --weight and\n"
    "--month are applied to the new pose's body (as the body page's settings are).\n"
    "--breath-frame K shows frame K (0 to 99) of her idle animation: the breath, with\n"
    "the blink on its first frames.\n"
    "The body wears its kind's default hair; --hair puts on another style of\n"
    "model/Clothing/Hair (\"LongHair\", or the wardrobe's \"LongHair.hir\"), --hair none\n"
    "takes it off. --wear, --shoe and --sock take wardrobe entries of model/Clothing/glasses\n"
    "without the picture's .bmp (\"blackframe.gls\", \"nvshoe1.jpg\", \"nvsock.jpg\",\n"
    "\"nvnecklace.jpg\", \"Bag.jpg\" in the bag pose). --lens-colour, --frame-colour and\n"
    "--transparency (0 to 1) set the glasses' look as the accessory page does.\n"
    "--fit-map colours the garment by the stretch of its cloth (blue loose, red tight)\n"
    "and draws the scale's legend, as the wardrobe's fit map does.\n"
    "--scene shows an environment behind her as the settings' scene button does: the\n"
    "sky dome over a lake that mirrors her (with the sun's lens flare at azimuth -95\n"
    "to -70), the room (camera distance -32) or the beach (-34); --distance overrides.\n";

namespace {

constexpr int kMinSide = 16;

// "RRGGBB" in hexadecimal.
std::optional<Rgb> parseRgb(std::string_view text) {
  if (text.size() != 6) return std::nullopt;
  unsigned value = 0;
  for (char c : text) {
    const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                      : (c >= 'a' && c <= 'f')                    ? c - 'a' + 10
                      : (c >= 'A' && c <= 'F')                    ? c - 'A' + 10
                                                                  : -1;
    if (digit < 0) return std::nullopt;
    value = value * 16 + unsigned(digit);
  }
  return Rgb{std::uint8_t(value >> 16), std::uint8_t(value >> 8), std::uint8_t(value)};
}

// The accessories of --hair, --wear, --shoe and --sock, as the wardrobe
// puts them on.
bool wearAccessories(Accessories& accessories, const Args& args, std::ostream& err) {
  if (const auto hair = args.value("--hair")) {
    if (*hair == "none") {
      accessories.removeHair();
    } else {
      const std::string entry = hair->find('.') == std::string::npos ? *hair + ".hir" : *hair;
      if (auto worn = accessories.wearEntry(entry); !worn) {
        err << "vestora-cli: --hair: " << worn.error().message() << '\n';
        return false;
      }
    }
  }
  for (const char* option : {"--wear", "--shoe", "--sock"}) {
    const auto entry = args.value(option);
    if (!entry) continue;
    if (auto worn = accessories.wearEntry(*entry); !worn) {
      err << "vestora-cli: " << option << ": " << worn.error().message() << '\n';
      return false;
    }
  }
  return true;
}
constexpr int kMaxSide = 4096;

// The view's window, off screen: no timers, no sounds, no focus.
class OffscreenHost : public ViewHost {
 public:
  OffscreenHost(OffscreenContext& context, bool sew, std::ostream& err)
      : context_(context), dialogs_(true, sew, err) {}
  UserDialogs& dialogs() override { return dialogs_; }
  void requestRedraw() override {}
  void startTimer(int, int) override {}
  void killTimer(int) override {}
  void swapBuffers() override { context_.resolve(); }
  void openDocument(const std::string&) override {}
  void playSound(std::string_view) override {}
  void takeFocus() override {}
  bool soundEffectsOn() const override { return false; }
  void prepareReadPixels() override { context_.resolve(); }

 private:
  OffscreenContext& context_;
  CommandLineAnswers dialogs_;
};

bool hasExtension(const std::string& path, std::string_view extension) {
  if (path.size() < extension.size()) return false;
  for (std::size_t i = 0; i < extension.size(); ++i) {
    const char c = path[path.size() - extension.size() + i];
    if (std::tolower(static_cast<unsigned char>(c)) != extension[i]) return false;
  }
  return true;
}

std::optional<int> side(const Args& args, const std::string& option, int fallback,
                        std::ostream& err, bool& bad) {
  const auto value = number(args, option, err, bad);
  if (!value) return fallback;
  if (*value < kMinSide || *value > kMaxSide ||
      *value != static_cast<float>(static_cast<int>(*value))) {
    err << "vestora-cli: " << option << " takes a whole number of pixels from " << kMinSide
        << " to " << kMaxSide << '\n';
    bad = true;
    return std::nullopt;
  }
  return static_cast<int>(*value);
}

// "X,Y[,X,Y]" as whole pixels.
std::optional<std::vector<std::array<int, 2>>> pointList(const std::string& text) {
  std::vector<int> values;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t comma = text.find(',', start);
    const std::string item =
        text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    int v = 0;
    const auto r = std::from_chars(item.data(), item.data() + item.size(), v);
    if (item.empty() || r.ec != std::errc() || r.ptr != item.data() + item.size())
      return std::nullopt;
    values.push_back(v);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  if (values.size() != 2 && values.size() != 4) return std::nullopt;
  std::vector<std::array<int, 2>> points;
  for (std::size_t i = 0; i < values.size(); i += 2) points.push_back({values[i], values[i + 1]});
  return points;
}

std::optional<FreehandTool> toolNamed(const std::string& name) {
  if (name == "linear") return FreehandTool::LinearDistance;
  if (name == "height") return FreehandTool::Height;
  if (name == "curve") return FreehandTool::CurveLength;
  if (name == "girth") return FreehandTool::FreeGirth;
  return std::nullopt;
}

}  // namespace

int runRender(const Args& args, std::ostream& out, std::ostream& err) {
  bool bad = false;
  const auto width = side(args, "--width", 800, err, bad);
  const auto height = side(args, "--image-height", 600, err, bad);
  const auto bodyHeight = number(args, "--height", err, bad);
  const auto weight = number(args, "--weight", err, bad);
  const auto month = number(args, "--month", err, bad);
  const auto azimuth = number(args, "--azimuth", err, bad);
  const auto elevation = number(args, "--elevation", err, bad);
  const auto distance = number(args, "--distance", err, bad);
  const auto panX = number(args, "--pan-x", err, bad);
  const auto panY = number(args, "--pan-y", err, bad);
  const auto framesArg = number(args, "--frames", err, bad);
  int frames = 1;
  if (framesArg) {
    if (*framesArg < 1 || *framesArg > 1000 ||
        *framesArg != static_cast<float>(static_cast<int>(*framesArg))) {
      err << "vestora-cli: --frames takes a whole number from 1 to 1000\n";
      bad = true;
    } else {
      frames = static_cast<int>(*framesArg);
    }
  }
  std::optional<FreehandTool> tool;
  std::vector<std::array<int, 2>> points;
  if (const auto name = args.value("--tool")) {
    tool = toolNamed(*name);
    if (!tool) {
      err << "vestora-cli: --tool is linear, height, curve or girth, not \"" << *name << "\"\n";
      bad = true;
    }
    const auto list = args.value("--points");
    const auto parsed = list ? pointList(*list) : std::nullopt;
    if (!parsed) {
      err << "vestora-cli: --tool needs --points X,Y or X,Y,X,Y (window pixels)\n";
      bad = true;
    } else {
      points = *parsed;
    }
    if (tool == FreehandTool::CurveLength && points.size() != 2) {
      err << "vestora-cli: the curve tool needs the two ends of its stroke: --points X,Y,X,Y\n";
      bad = true;
    }
  } else if (args.value("--points")) {
    err << "vestora-cli: --points goes with --tool\n";
    bad = true;
  }
  const auto regionArg = args.value("--region");
  const auto amount = number(args, "--amount", err, bad);
  if (regionArg.has_value() != amount.has_value()) {
    err << "vestora-cli: --region and --amount go together\n";
    bad = true;
  }
  const std::string region =
      regionArg ? (regionArg->front() == ' ' ? *regionArg : " " + *regionArg) : "";
  if (regionArg && !regionSlider(region)) {
    err << "vestora-cli: no shaping region \"" << *regionArg << "\" (see 'shape --help')\n";
    bad = true;
  }
  const auto sceneName = args.value("--scene").value_or("none");
  if (sceneName != "none" && sceneName != "sky" && sceneName != "room" && sceneName != "beach") {
    err << "vestora-cli: --scene is none, sky, room or beach, not \"" << sceneName << "\"\n";
    bad = true;
  }
  const auto unit = args.value("--unit");
  if (unit && *unit != "cm" && *unit != "inch") {
    err << "vestora-cli: --unit is cm or inch\n";
    bad = true;
  }
  const auto breathFrame = number(args, "--breath-frame", err, bad);
  if (breathFrame && (*breathFrame < 0 || *breathFrame > static_cast<float>(kMaxIdleFrames - 1) ||
                      std::floor(*breathFrame) != *breathFrame)) {
    err << "vestora-cli: --breath-frame takes a whole number from 0 to " << kMaxIdleFrames - 1
        << '\n';
    bad = true;
  }
  const AvatarEntry* pose = nullptr;
  if (const auto poseName = args.value("--pose")) {
    pose = poseEntry(*poseName);
    if (!pose) {
      err << "vestora-cli: --pose is " << kPoseNames << ", not \"" << *poseName << "\"\n";
      bad = true;
    } else if (args.value("--body")) {
      err << "vestora-cli: --pose is the woman's; it does not go with --body\n";
      bad = true;
    }
  }
  const auto body = chooseBody(args, err);
  const auto outPath = args.value("--out");
  if (!outPath) {
    err << "vestora-cli: render needs --out FILE.png or --out FILE.jpg\n";
    bad = true;
  }
  const bool jpeg = outPath && (hasExtension(*outPath, ".jpg") || hasExtension(*outPath, ".jpeg"));
  if (outPath && !jpeg && !hasExtension(*outPath, ".png")) {
    err << "vestora-cli: the picture is a .png or a .jpg file, not \"" << *outPath << "\"\n";
    bad = true;
  }
  const auto garmentArg = args.value("--garment");
  if (garmentArg && !isGarmentFile(*garmentArg, err)) bad = true;
  auto colourOf = [&](const char* option) -> std::optional<Rgb> {
    const auto text = args.value(option);
    if (!text) return std::nullopt;
    const auto colour = parseRgb(*text);
    if (!colour) {
      err << "vestora-cli: " << option << " takes a colour as RRGGBB (hexadecimal), not \"" << *text
          << "\"\n";
      bad = true;
    }
    return colour;
  };
  const auto lensColour = colourOf("--lens-colour");
  const auto frameColour = colourOf("--frame-colour");
  const auto transparency = number(args, "--transparency", err, bad);
  if (transparency && (*transparency < 0 || *transparency > 1)) {
    err << "vestora-cli: --transparency is from 0 to 1\n";
    bad = true;
  }
  if (bad || !body) return kUsage;

  auto context = OffscreenContext::create(*width, *height, !args.has("--no-multisample"));
  if (!context) {
    err << "vestora-cli: cannot draw without a display: " << context.error().message() << '\n';
    return kBadInput;
  }
  OffscreenHost host(*context.value(), args.has("--sew"), err);
  const std::string root = args.value("--root").value_or(GetRootDir());
  GlView view(host, root);
  if (!loadBody(view.avatar(), *body, err)) return kBadInput;
  view.afterBodyLoaded();
  if (pose) {
    // The body page's settings, then the pose change that applies them.
    if (bodyHeight) view.bodySettings.heightCm = clampHeight(*bodyHeight);
    if (weight) view.bodySettings.weightJin = clampWeight(*weight);
    if (month) view.bodySettings.month = clampMonth(*month);
    if (!view.selectPose(pose->thumbnail)) return kBadInput;  // the view has said why
  }

  if (garmentArg && !putOnGarment(view.tryOn(), root, *garmentArg)) return kBadInput;
  if (!pose) applyEditorShape(view.avatar(), view.shaper(), bodyHeight, weight, month, err);
  if (regionArg) {
    if (!view.shaper().SelectShapeRegion(region) ||
        !view.shaper().DeformRegion(region, 0, 0, *amount)) {
      err << "vestora-cli: the body has no region \"" << *regionArg << "\" to shape\n";
      return kBadInput;
    }
  }

  if (!wearAccessories(view.accessories(), args, err)) return kBadInput;
  AccessoryLook& look = view.accessories().look;
  if (lensColour) look.lens = *lensColour;
  if (frameColour) look.frame = *frameColour;
  if (transparency) look.transparency = *transparency;

  if (breathFrame) {
    const auto k = static_cast<std::size_t>(*breathFrame);
    if (!view.loadIdleAnimation()) return kBadInput;  // the view has said why
    if (!view.showAnimationFrame(k)) {
      err << "vestora-cli: the idle animation has " << view.idleAnimation().frameCount()
          << " frames, no frame " << k << '\n';
      return kBadInput;
    }
  }

  if (auto opened = view.InitGL(*width, *height); !opened)
    err << "vestora-cli: warning: no sheet text: " << opened.error().message() << '\n';
  for (const std::string& problem : view.LoadViewResources())
    err << "vestora-cli: warning: " << problem << '\n';
  if (sceneName != "none") {
    // As the scene button does: press until the scene comes.
    const Environment e = sceneName == "sky"    ? Environment::Sky
                          : sceneName == "room" ? Environment::Room
                                                : Environment::Beach;
    while (view.scene.environment() != e) nextScene(view.sceneStep, view.scene, view.camera);
    if (!view.sceneAvailable(e)) {
      err << "vestora-cli: the scene \"" << sceneName
          << "\" cannot be shown: " << view.avatar().environments.problem(e) << '\n';
      return kBadInput;
    }
  }
  if (azimuth) view.camera.azimuth = *azimuth;
  if (elevation) view.camera.elevation = clampElevation(*elevation);
  if (distance) view.camera.distance = *distance;
  if (panX) view.camera.panX = *panX;
  if (panY) view.camera.panY = *panY;
  if (unit == "inch") view.unitFactor = 2.54f;
  view.fitMapShown = args.has("--fit-map");
  if (args.has("--sheet") || tool) {
    view.measurementSheet = args.has("--sheet");
    if (!view.measurer().MeasureBody(view.avatar(), &host.dialogs()) && tool) return kBadInput;
  }
  std::string toolLine;
  if (tool) {
    view.marksShown = false;
    // A first frame gives the camera the clicks are turned back through.
    view.DrawScene(false);
    if (!view.ToggleMeasureTool(*tool)) return kBadInput;
    if (*tool == FreehandTool::CurveLength) {
      view.onLeftDown(points[0][0], points[0][1], {});
      view.onMouseMove(points[1][0], points[1][1], {true, false}, {});
      view.onLeftUp(points[1][0], points[1][1], {});
    } else {
      for (const auto& p : points) {
        view.onLeftDown(p[0], p[1], {});
        view.onLeftUp(p[0], p[1], {});
        view.DrawScene(false);  // the pick happens in the frame
      }
    }
    const auto value = view.freehand.activeValue();
    toolLine =
        value ? "freehand " + *args.value("--tool") + ": " +
                    freehandValueText(*value, view.unitFactor) + "\n"
              : "freehand " + *args.value("--tool") + ": no value (the points missed the body)\n";
  }

  // Each frame is read back, so that its time includes the drawing itself.
  std::vector<std::uint8_t> rgb;
  double firstMs = 0, laterMs = 0;
  for (int i = 0; i < frames; ++i) {
    const auto start = std::chrono::steady_clock::now();
    view.DrawScene(false);
    rgb = context.value()->readRgb();
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    (i == 0 ? firstMs : laterMs) += ms;
  }
  view.ReleaseGL();

  auto encoded =
      jpeg ? encodeJpeg(rgb.data(), *width, *height, 95) : encodePng(rgb.data(), *width, *height);
  if (!encoded) {
    err << "vestora-cli: " << encoded.error().message() << '\n';
    return kBadInput;
  }
  if (auto written = writeFileAtomically(*outPath, encoded.value()); !written) {
    err << "vestora-cli: " << written.error().message() << '\n';
    return kBadInput;
  }
  char line[512];
  std::snprintf(line, sizeof line, "wrote %s: %d x %d pixels, frame drawn in %.1f ms\n",
                outPath->c_str(), *width, *height, firstMs);
  out << line << toolLine;
  if (view.flareDrawn()) out << "lens flare drawn\n";
  if (frames > 1) {
    std::snprintf(line, sizeof line, "%d more frames: %.2f ms each\n", frames - 1,
                  laterMs / (frames - 1));
    out << line;
  }
  return kOk;
}

}  // namespace vestora::cli
