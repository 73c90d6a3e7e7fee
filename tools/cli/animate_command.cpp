#include "cli/animate_command.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include <nlohmann/json.hpp>

#include "avatar/avatar.h"
#include "avatar/avatar_table.h"
#include "avatar/idle_animation.h"
#include "cli/body_commands.h"
#include "cli/cli.h"
#include "cli/garment_commands.h"
#include "cli/model_info.h"
#include "cloth/try_on.h"
#include "platform/root_dir.h"

namespace vestora::cli {

const char* const kAnimateHelp =
    "usage: vestora-cli animate [--root DIR] [--pose standard|bag|walk|stand]\n"
    "                           [--garment PATH] [--frames N] [--json]\n"
    "Plays N ticks (default 300) of the woman's idle animation as the 3D view plays\n"
    "them, without drawing: every tick copies the next frame of the breath into the\n"
    "body and refits the garment, if one is on (put on as 'fit' does; the view itself\n"
    "stops the animation while she is dressed). After the last frame the breath starts\n"
    "again. Prints the ticks played, the time of a tick (median, 95th percentile,\n"
    "worst) and the median time of the garment's refit.\n";

namespace {

struct Spread {
  double median = 0, p95 = 0, max = 0;
};

Spread spreadOf(std::vector<double> values) {
  Spread s;
  if (values.empty()) return s;
  std::sort(values.begin(), values.end());
  const auto at = [&](double q) {
    const auto i = static_cast<std::size_t>(std::ceil(q * static_cast<double>(values.size())));
    return values[std::clamp<std::size_t>(i, 1, values.size()) - 1];
  };
  s.median = at(0.5);
  s.p95 = at(0.95);
  s.max = values.back();
  return s;
}

double rounded(double ms) {
  return std::round(ms * 1000.0) / 1000.0;
}

}  // namespace

int runAnimate(const Args& args, std::ostream& out, std::ostream& err) {
  bool bad = false;
  const auto framesArg = number(args, "--frames", err, bad);
  int frames = 300;
  if (framesArg) {
    if (*framesArg < 1 || *framesArg > 100000 || std::floor(*framesArg) != *framesArg) {
      err << "vestora-cli: --frames takes a whole number from 1 to 100000\n";
      bad = true;
    } else {
      frames = static_cast<int>(*framesArg);
    }
  }
  const std::string poseName = args.value("--pose").value_or("standard");
  const AvatarEntry* pose = poseEntry(poseName);
  if (!pose) {
    err << "vestora-cli: --pose is " << kPoseNames << ", not \"" << poseName << "\"\n";
    bad = true;
  }
  const auto garmentArg = args.value("--garment");
  if (garmentArg && !isGarmentFile(*garmentArg, err)) bad = true;
  if (bad) return kUsage;

  const std::string root = args.value("--root").value_or(GetRootDir());
  Avatar avatar(root);
  if (!loadBody(avatar, BodyChoice{pose, {}}, err)) return kBadInput;
  CommandLineAnswers answers(true, false, err);
  TryOn tryOn(avatar, answers);
  if (garmentArg && !putOnGarment(tryOn, root, *garmentArg)) return kBadInput;

  IdleAnimation idle;
  if (auto loaded = idle.load(avatar); !loaded) {
    err << "vestora-cli: " << loaded.error().message() << '\n';
    return kBadInput;
  }
  const bool worn = tryOn.garment().hasBinding && !tryOn.garment().particles.empty();
  std::vector<double> ticks, refits;
  ticks.reserve(static_cast<std::size_t>(frames));
  std::size_t k = 0;
  for (int i = 0; i < frames; ++i) {
    k = k >= idle.lastFrame() ? 0 : k + 1;
    const auto start = std::chrono::steady_clock::now();
    idle.show(avatar, k);
    avatar.notifyReshaped();  // the worn garment follows the body
    ticks.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    if (worn) refits.push_back(tryOn.lastFitMs());
  }

  const Spread tick = spreadOf(ticks);
  const Spread refit = spreadOf(refits);
  if (args.has("--json")) {
    nlohmann::ordered_json j;
    j["frames"] = frames;
    j["tickMs"] = {{"median", rounded(tick.median)}, {"p95", rounded(tick.p95)},
                   {"max", rounded(tick.max)}};
    j["refitMs"] = {{"median", rounded(refit.median)}};
    out << j.dump(2) << '\n';
  } else {
    char line[256];
    std::snprintf(line, sizeof line,
                  "%d ticks of the idle animation (%zu frames a breath)%s\n"
                  "  a tick: median %.3f ms, 95th percentile %.3f ms, worst %.3f ms\n",
                  frames, idle.frameCount(), worn ? ", the garment refitted at each" : "",
                  tick.median, tick.p95, tick.max);
    out << line;
    if (worn) {
      std::snprintf(line, sizeof line, "  the refit: median %.3f ms\n", refit.median);
      out << line;
    }
  }
  return kOk;
}

}  // namespace vestora::cli
