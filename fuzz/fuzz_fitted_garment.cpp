// Fitted-garment reader. Whatever it accepts must be a usable garment, must
// survive being written and read again (writing the re-read garment gives
// the same bytes), and must be writable as a pattern mesh that reads back.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "garment_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vestora;
  ScriptedDialogs dialogs;
  float floor = 0;
  GarmentLoadContext ctx;
  ctx.dialogs = &dialogs;
  ctx.floorHeight = &floor;
  auto first = parseFittedGarment(std::span<const std::uint8_t>(data, size), "<fuzz>", ctx);
  if (!first) {
    VESTORA_FUZZ_CHECK(!first.error().what.empty(), "a failed read must say why");
    VESTORA_FUZZ_CHECK(floor == 0, "a failed read moved the floor");
    return 0;
  }
  GarmentMesh& g = first.value();
  fuzz::checkAccepted(g);

  const std::vector<std::uint8_t> written = formatFittedGarment(g);
  GarmentLoadContext plain;
  auto again = parseFittedGarment(written, "<fuzz:written>", plain);
  VESTORA_FUZZ_CHECK(again.ok(), again.ok() ? "" : again.error().message().c_str());
  const GarmentMesh& b = again.value();
  VESTORA_FUZZ_CHECK(fuzz::sameParticles(g, b), "particles changed on their way through a file");
  VESTORA_FUZZ_CHECK(fuzz::sameTopology(g, b), "triangles, edges or seams changed");
  VESTORA_FUZZ_CHECK(g.hasBinding == b.hasBinding && g.bindings.size() == b.bindings.size() &&
                         g.keptFlag == b.keptFlag && g.textureName == b.textureName &&
                         g.placement == b.placement && g.pieces[0].size() == b.pieces[0].size(),
                     "bindings, flags or pieces changed");
  VESTORA_FUZZ_CHECK(formatFittedGarment(b) == written,
                     "writing a re-read garment gave other bytes");

  ScriptedDialogs quiet;
  GarmentLoadContext textCtx;
  textCtx.dialogs = &quiet;
  auto text = parsePatternMesh(formatPatternMesh(g), "<fuzz:msh>", textCtx);
  VESTORA_FUZZ_CHECK(text.ok(), text.ok() ? "" : text.error().message().c_str());
  VESTORA_FUZZ_CHECK(text->particleCount() == g.particleCount() &&
                         text->triangleCount() == g.triangleCount() &&
                         text->edgeCount() == g.edgeCount(),
                     "a fitted garment lost records as a pattern mesh");

  VESTORA_FUZZ_CHECK(BuildVertexTriangles(g), "an accepted garment has unusable triangles");
  return 0;
}
