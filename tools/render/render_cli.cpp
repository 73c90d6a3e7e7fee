#include "render/render_cli.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "cli/cli_args.h"
#include "cli/model_info.h"
#include "platform/file_io.h"
#include "render/render.h"

namespace vestora::render {
namespace {

constexpr const char* kUsageText =
    "usage: vestora-render MODEL OUT_PREFIX [--size N] [--views LIST] [--group-colours] [--wire]\n"
    "\n"
    "Draws a .c3d or .obj model off-screen and writes one PNG picture per view,\n"
    "OUT_PREFIX-VIEW.png. The camera is orthographic and fitted to the model.\n"
    "\n"
    "  --size N          width and height of the pictures in pixels (default 800)\n"
    "  --views LIST      comma-separated, from front, side, back, top\n"
    "                    (default: all four; front looks along -z, side from +x,\n"
    "                    top from +y)\n"
    "  --group-colours   every group in a colour of its own; the colours are listed\n"
    "  --wire            faint triangle edges over the surface\n";

int usageError(std::ostream& err, const std::string& what) {
  err << "vestora-render: " << what << '\n' << kUsageText;
  return kUsage;
}

int fail(std::ostream& err, const Error& e) {
  err << "vestora-render: " << e.message() << '\n';
  return kFailed;
}

std::string hexColour(const std::array<float, 3>& c) {
  char text[8];
  auto byte = [](float v) {
    return static_cast<int>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255));
  };
  std::snprintf(text, sizeof text, "#%02x%02x%02x", byte(c[0]), byte(c[1]), byte(c[2]));
  return text;
}

}  // namespace

int runRender(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  for (const auto& w : args)
    if (w == "--help" || w == "-h") {
      out << kUsageText;
      return kOk;
    }
  const cli::Args parsed(args, {"--group-colours", "--wire"}, {"--size", "--views"});
  if (!parsed.error().empty()) return usageError(err, parsed.error());
  if (parsed.positional().size() != 2)
    return usageError(err, "expected a model file and an output prefix");

  RenderOptions options;
  options.groupColours = parsed.has("--group-colours");
  options.wire = parsed.has("--wire");
  if (auto size = parsed.value("--size")) {
    const char* end = size->data() + size->size();
    auto [ptr, ec] = std::from_chars(size->data(), end, options.size);
    if (ec != std::errc() || ptr != end || options.size < kMinImageSize ||
        options.size > kMaxImageSize)
      return usageError(err, "--size takes a whole number from " + std::to_string(kMinImageSize) +
                                 " to " + std::to_string(kMaxImageSize) + ", not \"" + *size +
                                 "\"");
  }
  if (auto list = parsed.value("--views")) {
    options.views.clear();
    std::string_view rest = *list;
    while (true) {
      const auto comma = rest.find(',');
      const std::string_view name = rest.substr(0, comma);
      const auto view = parseView(name);
      if (!view)
        return usageError(
            err, "unknown view \"" + std::string(name) + "\" (expected front, side, back or top)");
      if (std::find(options.views.begin(), options.views.end(), *view) == options.views.end())
        options.views.push_back(*view);
      if (comma == std::string_view::npos) break;
      rest.remove_prefix(comma + 1);
    }
  }

  const std::string& modelPath = parsed.positional()[0];
  const std::string& prefix = parsed.positional()[1];
  ModelLoader loader;
  std::int32_t tag = 0;
  auto model = cli::readModelFile(loader, modelPath, tag);
  if (!model) return fail(err, model.error());
  for (const auto& w : loader.warnings) err << "vestora-render: warning: " << w << '\n';

  auto images = renderModelViews(*model.value(), options);
  if (!images) return fail(err, images.error());

  const std::filesystem::path folder = std::filesystem::path(prefix).parent_path();
  if (!folder.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) return fail(err, makeError(folder.string(), "cannot create folder: " + ec.message()));
  }
  for (const Image& image : images.value()) {
    auto png = encodePng(image);
    if (!png) return fail(err, png.error());
    const std::string path = prefix + "-" + std::string(viewName(image.view)) + ".png";
    if (auto written = writeFileAtomically(path, png.value()); !written)
      return fail(err, written.error());
    out << "wrote " << path << '\n';
  }
  if (options.groupColours) {
    std::size_t index = 0;
    for (const GlmGroup& g : model.value()->groups)
      out << "  " << hexColour(groupColour(index++)) << "  \"" << g.name << "\", "
          << g.triangles.size() << " triangles\n";
  }
  return kOk;
}

}  // namespace vestora::render
