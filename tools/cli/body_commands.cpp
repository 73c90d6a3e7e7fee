#include "cli/body_commands.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <optional>

#include <nlohmann/json.hpp>

#include "avatar/avatar.h"
#include "body/body_shaper.h"
#include "body/body_targets.h"
#include "body/measurement.h"
#include "body/report.h"
#include "cli/cli.h"
#include "cli/model_info.h"
#include "platform/root_dir.h"

namespace vestora::cli {

const char* const kMeasureHelp =
    "usage: vestora-cli measure [--root DIR] [--body NAME-OR-PATH] [--height CM] [--weight JIN]\n"
    "                           [--month M] [--report FILE] [--json]\n"
    "Loads a body as the program does (default: the woman, \"Female.bmp\"), applies the\n"
    "whole-body settings as the body editor does (height, then weight, then month of\n"
    "pregnancy, each clamped like the editor's fields; unset ones take the editor's\n"
    "starting values 174.7 cm, 111.5 jin, 0), measures it and prints every result in cm.\n"
    "NAME is a thumbnail of the avatar table (Female.bmp, Pose1.bmp, Walk.bmp, Stand.bmp,\n"
    "Girl.bmp, Male.bmp, James.bmp, James1a.bmp, JamesRun.bmp, JamesTalk.bmp, James3.bmp),\n"
    "one of woman, girl, man, james, or a data path such as \\model\\ChinaMale\\James3.c3d.\n"
    "--report FILE also writes the measurement report.\n";

const char* const kShapeHelp =
    "usage: vestora-cli shape [--root DIR] [--body NAME-OR-PATH] --region NAME\n"
    "                         (--amount A | --target CM) [--json]\n"
    "       vestora-cli shape [--root DIR] [--body NAME-OR-PATH] --measures LIST [--json]\n"
    "Reshapes one region of the woman's body as a body editor slider does and prints the\n"
    "region's measurement (cm; degrees for ShoulderSlope). --amount applies the amount A\n"
    "through the region's lattice; --target finds the amount within the slider's range at\n"
    "which the region measures CM. Regions: Chest, ChestBase, Waist, WaistAbdomen, HipBase,\n"
    "Buttocks, Inseam, Thigh, Calf, Knee, Shoulder, ShoulderSlope, NeckBase.\n"
    "--measures fits the whole body to a list of measures, e.g.\n"
    "\"height=165,chest=90,waist=70,hip=98\": height (cm) and weight (jin) as the body\n"
    "editor sets them (155-200 cm, 80-155 jin; unset ones keep the editor's starting\n"
    "values 174.7 cm and 111.5 jin), then chest, underbust, waist, abdomen, hip, thigh,\n"
    "calf, knee, neck (the neck base) and shoulder (the shoulder width), all in cm, by\n"
    "their regions together, until the automatic measurement gives each within 2 mm.\n"
    "It prints each target, the measurement's result and whether it was reached; a target\n"
    "out of reach is named with how far off it stays, and the exit status is then 1. The\n"
    "girl takes only her height (80-142.237 cm; unset, 115.44 cm).\n";

std::optional<float> number(const Args& args, const std::string& option, std::ostream& err,
                            bool& bad) {
  const auto text = args.value(option);
  if (!text) return std::nullopt;
  float value = 0;
  const auto r = std::from_chars(text->data(), text->data() + text->size(), value);
  if (r.ec != std::errc() || r.ptr != text->data() + text->size() || !std::isfinite(value)) {
    err << "vestora-cli: " << option << " needs a number, not \"" << *text << "\"\n";
    bad = true;
    return std::nullopt;
  }
  return value;
}

std::optional<BodyChoice> chooseBody(const Args& args, std::ostream& err) {
  std::string name = args.value("--body").value_or("Female.bmp");
  std::string lower = name;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  const std::pair<const char*, const char*> aliases[] = {
      {"woman", "Female.bmp"}, {"girl", "Girl.bmp"}, {"man", "Male.bmp"}, {"james", "James3.bmp"}};
  for (const auto& [alias, thumbnail] : aliases)
    if (lower == alias) name = thumbnail;
  BodyChoice choice;
  choice.entry = avatarEntryFor(name);
  if (choice.entry) return choice;
  if (name.size() > 4 && (name.ends_with(".c3d") || name.ends_with(".C3D"))) {
    choice.path = name;
    return choice;
  }
  err << "vestora-cli: no body \"" << name << "\" (see --help)\n";
  return std::nullopt;
}

bool loadBody(Avatar& avatar, const BodyChoice& choice, std::ostream& err) {
  auto loaded = choice.entry ? avatar.selectAvatar(*choice.entry) : avatar.loadAvatar(choice.path);
  if (!loaded) {
    err << "vestora-cli: " << loaded.error().message() << '\n';
    return false;
  }
  for (const auto& w : avatar.warnings) err << "vestora-cli: warning: " << w << '\n';
  return true;
}

bool applyEditorShape(Avatar& avatar, BodyShaper& shaper, std::optional<float> height,
                      std::optional<float> weight, std::optional<float> month, std::ostream& err) {
  if (!height && !weight && !month) return false;
  if (avatar.modelName() == "woman") {
    // The body editor's fields and their clamping.
    const float h = std::clamp(height.value_or(174.7f), 155.0f, 200.0f);
    const float w = std::clamp(weight.value_or(111.5f), 80.0f, 155.0f);
    float m = month.value_or(0.0f);
    if (m > 10) m = 10;
    if (m < 0) m = 1;
    shaper.SetBodyHeight(h);
    shaper.SetBodyWeight(w);
    shaper.SetPregnancyMonth(m);
  } else if (avatar.modelName() == "Girl" && height) {
    shaper.SetBodyHeight(std::clamp(*height, 80.0f, 142.237f));
  } else {
    err << "vestora-cli: warning: a \"" << avatar.modelName() << "\" body keeps its shape\n";
    return false;
  }
  for (const auto& w : shaper.warnings) err << "vestora-cli: warning: " << w << '\n';
  return true;
}

namespace {

std::string regionName(std::string name) {
  return !name.empty() && name[0] == ' ' ? name : " " + name;
}

}  // namespace

int runMeasure(const Args& args, std::ostream& out, std::ostream& err) {
  bool bad = false;
  const auto height = number(args, "--height", err, bad);
  const auto weight = number(args, "--weight", err, bad);
  const auto month = number(args, "--month", err, bad);
  const auto body = chooseBody(args, err);
  if (bad || !body) return kUsage;
  Avatar avatar(args.value("--root").value_or(GetRootDir()));
  if (!loadBody(avatar, *body, err)) return kBadInput;

  BodyShaper shaper(avatar);
  applyEditorShape(avatar, shaper, height, weight, month, err);

  ScriptedDialogs dialogs;
  BodyMeasurer measurer;
  if (!measurer.MeasureBody(avatar, &dialogs)) {
    const auto messages = dialogs.messages();
    err << "vestora-cli: "
        << (messages.empty() ? std::string("the body could not be measured") : messages.front())
        << '\n';
    return kBadInput;
  }
  const MeasureResults& r = measurer.results();
  if (auto path = args.value("--report")) {
    if (auto written = writeMeasureReport(*path, r); !written) {
      err << "vestora-cli: " << written.error().message() << '\n';
      return kBadInput;
    }
  }
  if (args.has("--json")) {
    nlohmann::ordered_json j;
    j["modelName"] = avatar.modelName();
    j["heightCm"] = jsonFloat(r.heightCm);
    nlohmann::ordered_json results = nlohmann::ordered_json::object();
    for (std::size_t i = 0; i < kMeasureLabels.size(); ++i)
      results[std::string(kMeasureLabels[i])] = jsonFloat(r.value[i]);
    j["results"] = results;
    j["shoulderWidthCm"] = jsonFloat(r.shoulderWidthCm);
    j["inseamCm"] = jsonFloat(r.inseamCm);
    out << j.dump(2) << '\n';
  } else {
    char line[128];
    std::snprintf(line, sizeof line, "%-32s %8.1f cm\n", "height", r.heightCm);
    out << "body \"" << avatar.modelName() << "\"\n" << line;
    for (std::size_t i = 0; i < kMeasureLabels.size(); ++i) {
      std::snprintf(line, sizeof line, "%-32s %8.1f cm\n", std::string(kMeasureLabels[i]).c_str(),
                    r.value[i]);
      out << line;
    }
    std::snprintf(line, sizeof line, "%-32s %8.1f cm\n%-32s %8.1f cm\n", "shoulder width",
                  r.shoulderWidthCm, "inseam", r.inseamCm);
    out << line;
  }
  return kOk;
}

namespace {

int runShapeToMeasures(const Args& args, const std::string& list, std::ostream& out,
                       std::ostream& err) {
  const auto targets = parseBodyTargets(list);
  const auto body = chooseBody(args, err);
  if (!targets) err << "vestora-cli: " << targets.error().message() << '\n';
  if (!targets || !body) return kUsage;
  Avatar avatar(args.value("--root").value_or(GetRootDir()));
  if (!loadBody(avatar, *body, err)) return kBadInput;
  BodyShaper shaper(avatar);
  // Unset whole-body values keep the editor's starting ones.
  WholeBodySettings editor;
  if (avatar.modelName() == "Girl") editor.heightCm = kGirlStartingHeightCm;
  const auto start = std::chrono::steady_clock::now();
  const BodyFit fit = fitBodyToTargets(shaper, targets.value(), editor);
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  for (const auto& w : shaper.warnings) err << "vestora-cli: warning: " << w << '\n';
  for (const auto& m : fit.messages) err << "vestora-cli: " << m << '\n';
  if (fit.refused) return kBadInput;
  if (args.has("--json")) {
    nlohmann::ordered_json j, wanted, results, reached;
    for (const TargetOutcome& t : fit.targets) {
      wanted[t.name] = jsonFloat(t.target);
      results[t.name] = jsonFloat(t.result);
      reached[t.name] = t.reached;
    }
    j["targets"] = wanted;
    j["results"] = results;
    j["reached"] = reached;
    j["iterations"] = fit.iterations;
    j["ms"] = std::round(ms * 10) / 10;
    out << j.dump(2) << '\n';
  } else {
    char line[160];
    for (const TargetOutcome& t : fit.targets) {
      std::snprintf(line, sizeof line, "%-10s target %7.1f  measures %7.2f %-3s  %s\n",
                    t.name.c_str(), t.target, t.result, t.name == "weight" ? "jin" : "cm",
                    t.reached ? "reached" : "NOT reached");
      out << line;
    }
    std::snprintf(line, sizeof line, "%d rounds, %.1f ms\n", fit.iterations, ms);
    out << line;
  }
  return fit.allReached() ? kOk : kBadInput;
}

}  // namespace

int runShape(const Args& args, std::ostream& out, std::ostream& err) {
  if (const auto measures = args.value("--measures")) {
    if (args.value("--region") || args.value("--amount") || args.value("--target")) {
      err << "vestora-cli: shape takes either --measures or --region with --amount or --target\n";
      return kUsage;
    }
    return runShapeToMeasures(args, *measures, out, err);
  }
  bool bad = false;
  const auto amount = number(args, "--amount", err, bad);
  const auto target = number(args, "--target", err, bad);
  const auto region = args.value("--region");
  const auto body = chooseBody(args, err);
  if (bad || !body) return kUsage;
  if (!region || amount.has_value() == target.has_value()) {
    err << "vestora-cli: shape needs --measures, or --region and one of --amount or --target\n";
    return kUsage;
  }
  const std::string name = regionName(*region);
  if (!regionSlider(name)) {
    err << "vestora-cli: no shaping region \"" << *region << "\" (see --help)\n";
    return kUsage;
  }
  Avatar avatar(args.value("--root").value_or(GetRootDir()));
  if (!loadBody(avatar, *body, err)) return kBadInput;
  if (avatar.modelName() != "woman") {
    err << "vestora-cli: 抱歉，该类体型暂无微调功能！ (only the woman's body has shaping "
           "regions)\n";
    return kBadInput;
  }
  BodyShaper shaper(avatar);
  if (auto loaded = shaper.LoadShapeRegions(kindResources("woman")->wholeBodyGroup); !loaded) {
    err << "vestora-cli: " << loaded.error().message() << '\n';
    return kBadInput;
  }
  if (!shaper.SelectShapeRegion(name)) {
    err << "vestora-cli: the region file has no region \"" << name << "\"\n";
    return kBadInput;
  }
  float value = 0, applied = 0;
  if (amount) {
    const auto measured = shaper.DeformRegion(name, 0, 0, *amount);
    if (!measured) {
      err << "vestora-cli: the region \"" << name << "\" could not be shaped\n";
      return kBadInput;
    }
    value = *measured;
    applied = *amount;
  } else {
    const auto solved = shaper.SolveRegionToMeasure(name, *target);
    if (!solved.reached) {
      err << "vestora-cli: " << name.substr(1) << ": " << solved.message << '\n';
      return kBadInput;
    }
    value = solved.value;
    applied = solved.amount;
  }
  if (args.has("--json")) {
    nlohmann::ordered_json j;
    j["region"] = name;
    j["amount"] = jsonFloat(applied);
    j["value"] = jsonFloat(value);
    out << j.dump(2) << '\n';
  } else {
    char line[128];
    std::snprintf(line, sizeof line, "%s: amount %.4f, measures %.2f %s\n", name.substr(1).c_str(),
                  applied, value, name == " ShoulderSlope" ? "degrees" : "cm");
    out << line;
  }
  return kOk;
}

}  // namespace vestora::cli
