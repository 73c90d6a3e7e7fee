#include "cli/cli.h"

#include <filesystem>
#include <functional>
#include <map>

#include "cli/animate_command.h"
#include "cli/body_commands.h"
#include "cli/cli_args.h"
#include "cli/garment_commands.h"
#include "cli/model_info.h"
#include "cli/store_commands.h"
#ifdef VESTORA_CLI_RENDER
#include "cli/render_command.h"
#endif
#include "platform/data_files.h"
#include "platform/data_path.h"
#include "platform/root_dir.h"

namespace vestora::cli {
namespace {

constexpr const char* kUsageText =
    "usage: vestora-cli COMMAND [options]\n"
    "\n"
    "commands:\n"
    "  status  [--root DIR] [--json]      the application root and the content found there\n"
    "  info    FILE [--json]              summary of a .c3d or .obj model file\n"
    "  convert IN.obj OUT.c3d             read an OBJ source, write the binary model\n"
    "  measure [--body B] [--height CM] [--weight JIN] [--month M] [--report FILE] [--json]\n"
    "                                     shape a body as the body editor does and measure it\n"
    "  fit --garment PATH [--body B] [--height CM] [--weight JIN] [--month M] [--out F.obj] "
    "[--json]\n"
    "                                     put a garment on a body and report the fit\n"
    "  drape --garment PATH [--body B] [--height CM] [--weight JIN] [--steps N] [--json]\n"
    "                                     sew or re-drape a garment on a body and report it\n"
    "  shape --region R (--amount A | --target CM) [--json]\n"
    "                                     reshape one region of the woman's body\n"
    "  shape --measures \"height=165,waist=70,...\" [--json]\n"
    "                                     fit the woman's body to a set of measures\n"
#ifdef VESTORA_CLI_RENDER
    "  render --out FILE.png|.jpg [--body B] [--garment PATH] [--sheet] ...\n"
    "                                     draw one frame of the 3D view without a display\n"
#endif
    "  animate [--pose P] [--garment PATH] [--frames N] [--json]\n"
    "                                     play the idle animation without a display and time it\n"
    "  get URL FILE                       download URL with the program's HTTP client\n"
    "  install URL [--reinstall yes|no]   download, check and install a garment package\n"
    "\n"
    "Every command that reads the program's content takes --root DIR (default:\n"
    "the root found from the executable's folder). 'vestora-cli COMMAND --help'\n"
    "describes one command.\n";

struct Command {
  const char* help;
  std::set<std::string> flags;
  std::set<std::string> options;
  std::function<int(const Args&, std::ostream&, std::ostream&)> run;
};

void printWarnings(const ModelLoader& loader, std::ostream& err) {
  for (const auto& w : loader.warnings) err << "vestora-cli: warning: " << w << '\n';
}

int fail(std::ostream& err, const Error& e) {
  err << "vestora-cli: " << e.message() << '\n';
  return kBadInput;
}

int runInfo(const Args& args, std::ostream& out, std::ostream& err) {
  if (args.positional().size() != 1) {
    err << "vestora-cli: info takes one model file\n";
    return kUsage;
  }
  const std::string& path = args.positional()[0];
  ModelLoader loader;
  std::int32_t tag = 0;
  auto model = readModelFile(loader, path, tag);
  if (!model) return fail(err, model.error());
  printWarnings(loader, err);
  if (args.has("--json"))
    out << modelInfoJson(*model.value(), loader, tag).dump(2) << '\n';
  else
    out << modelInfoText(*model.value(), loader, tag, path);
  return kOk;
}

int runConvert(const Args& args, std::ostream& out, std::ostream& err) {
  if (args.positional().size() != 2) {
    err << "vestora-cli: convert takes an OBJ source and a .c3d target\n";
    return kUsage;
  }
  const std::string& in = args.positional()[0];
  const std::string& target = args.positional()[1];
  ModelLoader loader;
  std::int32_t tag = 0;
  auto model = loader.glmReadOBJ(in, tag);
  if (!model) return fail(err, model.error());
  printWarnings(loader, err);
  if (auto written = loader.glmWriteC3D(target, *model.value(), tag); !written)
    return fail(err, written.error());
  out << "wrote " << target << ": " << model.value()->vertexCount() << " vertices, "
      << model.value()->triangleCount() << " triangles, " << model.value()->groups.size()
      << " groups\n";
  return kOk;
}

std::string rootOf(const Args& args) {
  return args.value("--root").value_or(GetRootDir());
}

int runStatus(const Args& args, std::ostream& out, std::ostream& err) {
  const std::string root = rootOf(args);
  const bool marker = std::filesystem::is_regular_file(dataPath(root, data_files::kRootMarker));
  struct Entry {
    std::string_view path;
    bool present;
    std::string summary;
  };
  std::vector<Entry> entries;
  for (auto path :
       {data_files::kFemaleHigh, data_files::kFemaleBagPose, data_files::kFemaleWalkPose,
        data_files::kFemaleStandPose, data_files::kGirl, data_files::kMale}) {
    Entry e{path, false, {}};
    const std::string file = dataPath(root, path);
    if (std::filesystem::exists(file)) {
      e.present = true;
      ModelLoader loader;
      std::int32_t tag = 0;
      auto model = loader.glmReadC3D(file, tag);
      e.summary = model ? "\"" + model.value()->modelName + "\", " +
                              std::to_string(model.value()->vertexCount()) + " vertices, " +
                              std::to_string(model.value()->triangleCount()) + " triangles"
                        : "unreadable: " + model.error().what;
    }
    entries.push_back(std::move(e));
  }
  if (args.has("--json")) {
    nlohmann::ordered_json j;
    j["root"] = root;
    j["rootMarker"] = marker;
    j["avatars"] = nlohmann::ordered_json::array();
    for (const auto& e : entries)
      j["avatars"].push_back(
          {{"path", std::string(e.path)}, {"present", e.present}, {"summary", e.summary}});
    out << j.dump(2) << '\n';
  } else {
    out << "application root  " << root << '\n';
    out << "root marker       " << (marker ? "present" : "missing") << " ("
        << toSlashes(data_files::kRootMarker).substr(1) << ")\n";
    for (const auto& e : entries)
      out << "  " << toSlashes(e.path).substr(1) << "  "
          << (e.present ? e.summary : std::string("not present")) << '\n';
  }
  (void)err;
  return kOk;
}

const std::map<std::string, Command>& commands() {
  static const std::map<std::string, Command> table = {
      {"info",
       {"usage: vestora-cli info FILE [--json]\n"
        "Reads a .c3d or .obj model and prints its tag, model name, the counts of\n"
        "vertices, normals, texture coordinates, facet normals and triangles, its\n"
        "materials, its groups (newest first) with their triangle counts and material\n"
        "runs, its bounding box, whether the female weight levels are present and the\n"
        "nine head-anchor floats.\n",
        {"--json"},
        {"--root"},
        runInfo}},
      {"convert",
       {"usage: vestora-cli convert IN.obj OUT.c3d\n"
        "Reads an OBJ source (with its material library and, for a female body, the\n"
        "other weight level beside it) and writes it as a binary model.\n",
        {},
        {"--root"},
        runConvert}},
      {"measure",
       {kMeasureHelp,
        {"--json"},
        {"--root", "--body", "--height", "--weight", "--month", "--report"},
        runMeasure}},
      {"fit",
       {kFitHelp,
        {"--json"},
        {"--root", "--garment", "--body", "--height", "--weight", "--month", "--redrape",
         "--quick-sew", "--out"},
        runFit}},
      {"drape",
       {kDrapeHelp,
        {"--json"},
        {"--root", "--garment", "--body", "--height", "--weight", "--month", "--steps", "--out"},
        runDrape}},
      {"shape",
       {kShapeHelp,
        {"--json"},
        {"--root", "--body", "--region", "--amount", "--target", "--measures"},
        runShape}},
#ifdef VESTORA_CLI_RENDER
      {"render",
       {kRenderHelp,
        {"--sheet", "--no-multisample", "--fit-map", "--sew"},
        {"--root",      "--out",          "--width", "--image-height", "--body",
         "--height",    "--weight",       "--month", "--garment",      "--azimuth",
         "--elevation", "--distance",     "--pan-x", "--pan-y",        "--frames",
         "--tool",      "--points",       "--unit",  "--region",       "--amount",
         "--pose",      "--breath-frame", "--hair",  "--wear",         "--shoe",
         "--sock",      "--lens-colour",  "--scene", "--frame-colour", "--transparency"},
        runRender}},
#endif
      {"animate",
       {kAnimateHelp, {"--json"}, {"--root", "--pose", "--garment", "--frames"}, runAnimate}},
      {"get", {kGetHelp, {}, {}, runGet}},
      {"install", {kInstallHelp, {}, {"--root", "--reinstall"}, runInstall}},
      {"status",
       {"usage: vestora-cli status [--root DIR] [--json]\n"
        "Shows the application root, whether it holds its marker file and which of\n"
        "the avatar bodies are present there.\n",
        {"--json"},
        {"--root"},
        runStatus}},
  };
  return table;
}

}  // namespace

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    (args.empty() ? err : out) << kUsageText;
    return args.empty() ? kUsage : kOk;
  }
  const auto& table = commands();
  const auto it = table.find(args[0]);
  if (it == table.end()) {
    err << "vestora-cli: unknown command \"" << args[0] << "\"\n" << kUsageText;
    return kUsage;
  }
  const Command& command = it->second;
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  for (const auto& w : rest)
    if (w == "--help" || w == "-h") {
      out << command.help;
      return kOk;
    }
  Args parsed(rest, command.flags, command.options);
  if (!parsed.error().empty()) {
    err << "vestora-cli: " << parsed.error() << '\n' << command.help;
    return kUsage;
  }
  return command.run(parsed, out, err);
}

}  // namespace vestora::cli
