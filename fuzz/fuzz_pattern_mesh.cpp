// Pattern-mesh reader. Whatever it accepts must be a usable garment, must
// read back the same from the text the writer makes of it, and must survive
// being saved as a fitted garment.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "garment_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vestora;
  ScriptedDialogs dialogs;
  float floor = 0;
  int lastStep = 0;
  GarmentLoadContext ctx;
  ctx.dialogs = &dialogs;
  ctx.floorHeight = &floor;
  ctx.progress = [&lastStep](int step) {
    VESTORA_FUZZ_CHECK(step > lastStep && step <= 200, "progress went back or past 200");
    lastStep = step;
  };
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  auto first = parsePatternMesh(text, "<fuzz>", ctx);
  if (!first) {
    VESTORA_FUZZ_CHECK(!first.error().what.empty(), "a failed read must say why");
    VESTORA_FUZZ_CHECK(floor == 0, "a failed read moved the floor");
    return 0;
  }
  GarmentMesh& g = first.value();
  fuzz::checkAccepted(g);
  for (const SeamPair& s : g.seams) VESTORA_FUZZ_CHECK(s.a < s.b, "seam ends not ordered");
  float lowest = 0;
  for (const GarmentParticle& p : g.particles) lowest = std::min(lowest, p.point.y);
  VESTORA_FUZZ_CHECK(floor == (lowest < 0 ? lowest - 0.1f : 0.0f), "floor rule not kept");

  const std::string written = formatPatternMesh(g);
  ScriptedDialogs quiet;
  GarmentLoadContext ctxAgain;
  ctxAgain.dialogs = &quiet;
  auto again = parsePatternMesh(written, "<fuzz:written>", ctxAgain);
  VESTORA_FUZZ_CHECK(again.ok(), again.ok() ? "" : again.error().message().c_str());
  const GarmentMesh& b = again.value();
  VESTORA_FUZZ_CHECK(quiet.transcript().empty(), "a written file has a bad spring");
  VESTORA_FUZZ_CHECK(fuzz::sameParticles(g, b), "particles changed on their way through a file");
  VESTORA_FUZZ_CHECK(fuzz::sameTopology(g, b), "triangles, springs or seams changed");
  VESTORA_FUZZ_CHECK(g.textureName == b.textureName && g.extraCount == b.extraCount &&
                         g.pieceIdMin == b.pieceIdMin && g.pieceIdMax == b.pieceIdMax &&
                         g.pieces[0].size() == b.pieces[0].size() && g.centre == b.centre,
                     "name, counts or pieces changed");
  VESTORA_FUZZ_CHECK(formatPatternMesh(b) == written, "writing a re-read garment gave other text");

  GarmentLoadContext plain;
  auto fitted = parseFittedGarment(formatFittedGarment(g), "<fuzz:fitted>", plain);
  VESTORA_FUZZ_CHECK(fitted.ok(), fitted.ok() ? "" : fitted.error().message().c_str());
  VESTORA_FUZZ_CHECK(fuzz::sameParticles(g, fitted.value()), "particles changed in a fitted file");

  VESTORA_FUZZ_CHECK(BuildVertexTriangles(g), "an accepted garment has unusable triangles");
  return 0;
}
