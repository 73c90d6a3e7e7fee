#include "cli/garment_commands.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>

#include <nlohmann/json.hpp>

#include "body/body_shaper.h"
#include "cli/body_commands.h"
#include "cli/cli.h"
#include "cli/model_info.h"
#include "cloth/fit_report.h"
#include "cloth/garment_export.h"
#include "cloth/garment_fit.h"
#include "cloth/penetration.h"
#include "cloth/try_on.h"
#include "platform/data_path.h"
#include "platform/file_io.h"
#include "platform/root_dir.h"

namespace vestora::cli {

const char* const kFitHelp =
    "usage: vestora-cli fit [--root DIR] --garment PATH [--body NAME-OR-PATH] [--height CM]\n"
    "                       [--weight JIN] [--month M] [--redrape yes|no] [--quick-sew yes|no]\n"
    "                       [--out FILE.obj] [--json]\n"
    "Puts a garment (.pop or .msh; a data path such as \\pattern\\Dress.pop, or a file) on\n"
    "a body as the try-on does, answering its questions as given (re-drape: yes, quick\n"
    "sew: no), then applies the body editor's settings, which refit the garment, and\n"
    "prints the garment's counts, whether it is bound, the time of one fit (the median of\n"
    "five), how many particles lie inside the body and how deep, and how it fits: the\n"
    "ease at the bust, waist and hip (the garment's girth less the body's, in cm; null\n"
    "where the garment does not go round the trunk) and the strain of its cloth (length\n"
    "/ rest length - 1 per particle: median, 95th percentile, maximum). --out writes\n"
    "the dressed body as OBJ.\n";

const char* const kDrapeHelp =
    "usage: vestora-cli drape [--root DIR] --garment PATH [--body NAME-OR-PATH] [--height CM]\n"
    "                         [--weight JIN] [--month M] [--steps N] [--out FILE.obj] [--json]\n"
    "Shapes the body as the body editor does, then puts a garment on and drapes it with\n"
    "the mass-spring model: a garment with seams is sewn (its pieces laid round the body,\n"
    "the seams pulled shut, then left to settle under gravity), any other is re-draped\n"
    "(left to settle on the body). --steps caps the steps (default 1200). Prints the\n"
    "particles, the steps taken, the time of a step (median and largest), whether the\n"
    "garment came to rest, the widest seam gap when the drape ended and when sewing\n"
    "handed the seams to the stitches (cm), how many particles of the fitted result\n"
    "lie deeper than 2 mm inside the body and the deepest (cm), and the whole time\n"
    "(ms). --out writes the dressed body as OBJ.\n";

namespace {

std::optional<bool> yesNo(const Args& args, const std::string& option, bool fallback,
                          std::ostream& err, bool& bad) {
  const auto text = args.value(option);
  if (!text) return fallback;
  if (*text == "yes") return true;
  if (*text == "no") return false;
  err << "vestora-cli: " << option << " takes yes or no, not \"" << *text << "\"\n";
  bad = true;
  return std::nullopt;
}

bool endsWith(const std::string& s, const char* suffix) {
  const std::string tail(suffix);
  if (s.size() < tail.size()) return false;
  for (std::size_t i = 0; i < tail.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(s[s.size() - tail.size() + i])) != tail[i])
      return false;
  }
  return true;
}

// --garment, which the command needs and which names a .pop or .msh file.
std::optional<std::string> garmentOption(const Args& args, const char* command, std::ostream& err,
                                         bool& bad) {
  const auto garment = args.value("--garment");
  if (!garment) {
    err << "vestora-cli: " << command << " needs --garment\n";
    bad = true;
  } else if (!isGarmentFile(*garment, err)) {
    bad = true;
  }
  return garment;
}

// Writes the dressed body as OBJ to --out, when given; false (and says why)
// when it cannot.
bool writeDressedBody(const Args& args, const Avatar& avatar, const GarmentMesh& garment,
                      std::ostream& err) {
  const auto outPath = args.value("--out");
  if (!outPath) return true;
  const std::string obj = formatDressedObj(avatar, garment);
  if (auto written = writeFileAtomically(*outPath, asBytes(obj)); !written) {
    err << "vestora-cli: " << written.error().message() << '\n';
    return false;
  }
  return true;
}

}  // namespace

bool isGarmentFile(const std::string& arg, std::ostream& err) {
  if (endsWith(arg, ".pop") || endsWith(arg, ".msh")) return true;
  err << "vestora-cli: a garment is a .pop or a .msh file, not \"" << arg << "\"\n";
  return false;
}

bool putOnGarment(TryOn& tryOn, const std::string& root, const std::string& arg) {
  const std::string path = arg[0] == '\\' ? dataPath(root, arg) : arg;
  const Result<void> loaded = endsWith(arg, ".pop") ? tryOn.LoadFittedGarmentCommand(path)
                                                    : tryOn.LoadPatternMeshCommand(path);
  return loaded.ok();
}

int runFit(const Args& args, std::ostream& out, std::ostream& err) {
  bool bad = false;
  const auto height = number(args, "--height", err, bad);
  const auto weight = number(args, "--weight", err, bad);
  const auto month = number(args, "--month", err, bad);
  const auto redrape = yesNo(args, "--redrape", true, err, bad);
  const auto quickSew = yesNo(args, "--quick-sew", false, err, bad);
  const auto body = chooseBody(args, err);
  const auto garmentArg = garmentOption(args, "fit", err, bad);
  if (bad || !body) return kUsage;

  const std::string root = args.value("--root").value_or(GetRootDir());
  Avatar avatar(root);
  if (!loadBody(avatar, *body, err)) return kBadInput;
  const std::string path = (*garmentArg)[0] == '\\' ? dataPath(root, *garmentArg) : *garmentArg;

  CommandLineAnswers answers(*redrape, *quickSew, err);
  TryOn tryOn(avatar, answers);
  if (!putOnGarment(tryOn, root, *garmentArg)) return kBadInput;  // the try-on has said why

  BodyShaper shaper(avatar);  // reshaping refits the garment
  applyEditorShape(avatar, shaper, height, weight, month, err);

  // One more fit on the final body, timed on its own.
  GarmentMesh& garment = tryOn.garment();
  double fitMs = 0;
  if (garment.hasBinding) {
    const BodySurface& surface = tryOn.body();
    const auto start = std::chrono::steady_clock::now();
    FitGarmentToBody(garment, surface);
    fitMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  }
  const std::vector<GarmentParticle>& drawn =
      garment.drawParticles.size() == garment.particles.size() ? garment.drawParticles
                                                               : garment.particles;
  const Penetration inside = measurePenetration(avatar, drawn);
  const EaseReport fit = fitReport(avatar, garment);

  if (!writeDressedBody(args, avatar, garment, err)) return kBadInput;

  if (args.has("--json")) {
    nlohmann::ordered_json j;
    j["particles"] = garment.particleCount();
    j["edges"] = garment.edgeCount();
    j["triangles"] = garment.triangleCount();
    j["seams"] = garment.seams.size();
    j["bound"] = garment.hasBinding;
    j["fitMs"] = jsonFloat(static_cast<float>(fitMs));
    j["inside"] = {{"count", inside.count},
                   {"fraction", inside.fraction},
                   {"deeperThan2mm", inside.deeperThan2mm},
                   {"maxDepthCm", jsonFloat(inside.maxDepthCm)}};
    auto easeCm = [](const std::optional<float>& cm) -> nlohmann::ordered_json {
      if (!cm) return nullptr;
      return jsonFloat(std::round(*cm * 10) / 10);
    };
    auto strain = [](float s) { return jsonFloat(std::round(s * 1e4f) / 1e4f); };
    j["ease"] = {
        {"bust", easeCm(fit.bust)}, {"waist", easeCm(fit.waist)}, {"hip", easeCm(fit.hip)}};
    j["strain"] = {{"p50", strain(fit.strain.p50)},
                   {"p95", strain(fit.strain.p95)},
                   {"max", strain(fit.strain.max)}};
    out << j.dump(2) << '\n';
  } else {
    char line[256];
    std::snprintf(
        line, sizeof line, "garment %s\n  %d particles, %d edges, %d triangles, %zu seams\n  %s\n",
        path.c_str(), garment.particleCount(), garment.edgeCount(), garment.triangleCount(),
        garment.seams.size(),
        garment.hasBinding ? "bound to the body" : "not bound (it does not follow the body)");
    out << line;
    if (garment.hasBinding) {
      std::snprintf(line, sizeof line, "  one fit: %.2f ms\n", fitMs);
      out << line;
    }
    std::snprintf(
        line, sizeof line,
        "  inside the body: %d particles (%.2f %%), %d deeper than 2 mm, deepest %.2f cm\n",
        inside.count, 100.0 * inside.fraction, inside.deeperThan2mm, inside.maxDepthCm);
    out << line;
    auto ease = [](const std::optional<float>& cm) {
      char text[16] = "-";
      if (cm) std::snprintf(text, sizeof text, "%+.1f", double(*cm));
      return std::string(text);
    };
    std::snprintf(line, sizeof line,
                  "  ease: bust %s, waist %s, hip %s cm\n"
                  "  strain: median %.1f %%, 95th percentile %.1f %%, largest %.1f %%\n",
                  ease(fit.bust).c_str(), ease(fit.waist).c_str(), ease(fit.hip).c_str(),
                  100.0 * fit.strain.p50, 100.0 * fit.strain.p95, 100.0 * fit.strain.max);
    out << line;
  }
  return kOk;
}

int runDrape(const Args& args, std::ostream& out, std::ostream& err) {
  bool bad = false;
  const auto height = number(args, "--height", err, bad);
  const auto weight = number(args, "--weight", err, bad);
  const auto month = number(args, "--month", err, bad);
  const auto steps = number(args, "--steps", err, bad);
  const auto body = chooseBody(args, err);
  const auto garmentArg = garmentOption(args, "drape", err, bad);
  if (steps && !(*steps >= 1 && *steps <= 100000)) {
    err << "vestora-cli: --steps takes 1 to 100000\n";
    bad = true;
  }
  if (bad || !body) return kUsage;

  const std::string root = args.value("--root").value_or(GetRootDir());
  Avatar avatar(root);
  if (!loadBody(avatar, *body, err)) return kBadInput;
  BodyShaper shaper(avatar);
  applyEditorShape(avatar, shaper, height, weight, month, err);

  CommandLineAnswers answers(true, true, err);
  TryOn tryOn(avatar, answers);
  // The drape is stepped here, step by step, as the window does.
  std::unique_ptr<ClothDrape> drape;
  tryOn.view.runDrape = [&](std::unique_ptr<ClothDrape> started) { drape = std::move(started); };
  const auto began = std::chrono::steady_clock::now();
  if (!putOnGarment(tryOn, root, *garmentArg)) return kBadInput;  // the try-on has said why
  if (!drape) {
    err << "vestora-cli: the garment could not be draped on this body\n";
    return kBadInput;
  }
  const int cap = steps ? static_cast<int>(*steps) : drape->maxSteps();
  while (drape->steps() < cap && drape->Step()) {
  }
  const float seamGap = drape->seamGapMax();
  tryOn.finishDrape(*drape);
  const double totalMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - began).count();

  GarmentMesh& garment = tryOn.garment();
  const Penetration inside = measurePenetration(avatar, garment.drawParticles);
  std::vector<double> times = drape->stepMs();
  std::sort(times.begin(), times.end());
  const double median = times.empty() ? 0 : times[times.size() / 2];
  const double longest = times.empty() ? 0 : times.back();

  if (!writeDressedBody(args, avatar, garment, err)) return kBadInput;
  const float seamGapCm = seamGap * 10;
  if (args.has("--json")) {
    nlohmann::ordered_json j;
    j["particles"] = garment.particleCount();
    j["steps"] = drape->steps();
    j["stepMs"] = {{"median", jsonFloat(static_cast<float>(median))},
                   {"max", jsonFloat(static_cast<float>(longest))}};
    j["settled"] = drape->settled();
    j["seamGapMaxCm"] = jsonFloat(seamGapCm);
    j["sewingGapCm"] = jsonFloat(drape->sewingGap() * 10);
    j["inside"] = {{"deeperThan2mm", inside.deeperThan2mm},
                   {"maxDepthCm", jsonFloat(inside.maxDepthCm)}};
    j["ms"] = jsonFloat(static_cast<float>(totalMs));
    out << j.dump(2) << '\n';
  } else {
    char line[256];
    std::snprintf(line, sizeof line,
                  "garment %s\n  %d particles, %s after %d steps (a step: median %.2f ms, "
                  "largest %.2f ms)\n  widest seam gap %.2f cm\n  inside the body: %d "
                  "particles deeper than 2 mm, deepest %.2f cm\n  %.0f ms in all\n",
                  garmentArg->c_str(), garment.particleCount(),
                  drape->settled() ? "at rest" : "still moving", drape->steps(), median, longest,
                  double(seamGapCm), inside.deeperThan2mm, double(inside.maxDepthCm), totalMs);
    out << line;
  }
  return kOk;
}

}  // namespace vestora::cli
