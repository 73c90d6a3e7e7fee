// The men: the body of kind "man" with its skeleton, and the five "James"
// bodies in their poses.
#include <cmath>

#include "content/body_files.h"

namespace vestora::generate {
namespace {

std::vector<Vec3> standOnFloor(std::vector<Vec3> positions) {
  double floor = 1e300;
  for (const Vec3& p : positions) floor = std::min(floor, p.y);
  for (Vec3& p : positions) p.y -= floor;
  return positions;
}

}  // namespace

void generateMen(ContentRoot& root, Manifest& manifest) {
  FigureModel f = buildFigureModel(manShape(), 1.3);
  renumberBody(f, {});
  const std::vector<Vec3> rest = f.restPositions();
  ModelLoader loader;
  const SkinLayout layout = layoutSkin(f, false);
  GlmModel man = toGlmModel(f, rest, {"man", " Eyes"}, layout);
  writeSkinPictures(root, f, layout, manLook(), kManTextures);
  writeModel(root, "\\model\\ChinaMale\\Dayou.c3d", man, loader, 3);
  const Unitization u = unitizationOf(man);
  writeSkeleton(root, "\\model\\ChinaMale\\MaleSkltn.dar", f, u);
  writeVertexGroup(root, "\\model\\ChinaMale\\DisAABBManHead.grp", f,
                   [](int, const Vec3&, Part q) { return q == Part::Head; }, "head, eyes and lashes", true);
  writeVertexGroup(root, "\\model\\ChinaMale\\MaleGroup.GRP", f, [](int, const Vec3&, Part) { return true; },
                   "whole body");
  writeEyelashTexture(root, "\\model\\ChinaMale\\Eyelash.tga", 5);

  // The James bodies: the same man in five poses.
  struct JamesPose {
    const char* file;
    Pose pose;
  };
  std::vector<JamesPose> poses;
  {
    Pose spread;  // arms spread out to the sides
    spread.turn(kLeftShoulder, {0, 0, 1}, 62).turn(kRightShoulder, {0, 0, 1}, -62);
    poses.push_back({"JamesSpread.c3d", spread});
    Pose oneArm;  // one arm raised in greeting
    oneArm.turn(kRightShoulder, {0, 0, 1}, -120).turn(kRightElbow, {0, 0, 1}, -35);
    poses.push_back({"James1a.c3d", oneArm});
    Pose run;
    run.turn(kLeftHip, {1, 0, 0}, -35).turn(kLeftKnee, {1, 0, 0}, 45).turn(kRightHip, {1, 0, 0}, 18);
    run.turn(kRightKnee, {1, 0, 0}, 35).turn(kLeftShoulder, {1, 0, 0}, 30).turn(kLeftElbow, {1, 0, 0}, -70);
    run.turn(kRightShoulder, {1, 0, 0}, -35).turn(kRightElbow, {1, 0, 0}, -75).turn(kSpine, {1, 0, 0}, -8);
    poses.push_back({"JamesRun.c3d", run});
    Pose talk;
    talk.turn(kLeftElbow, {1, 0, 0}, -70).turn(kRightElbow, {1, 0, 0}, -55).turn(kRightShoulder, {0, 0, 1}, -8);
    talk.turn(kNeck, {0, 1, 0}, 10);
    poses.push_back({"JamesTalk.c3d", talk});
    poses.push_back({"James3.c3d", Pose{}});
  }
  for (const JamesPose& p : poses) {
    GlmModel james = man;
    james.modelName = "James";
    setVertices(james, standOnFloor(posedPositions(f, p.pose, rest)));
    writeModel(root, std::string("\\model\\ChinaMale\\") + p.file, james, loader, 4);
  }
  writeVertexGroup(root, "\\model\\ChinaMale\\DisAABBJames.grp", f,
                   [](int, const Vec3&, Part q) { return q == Part::Head; }, "head, eyes and lashes", true);
  writeVertexGroup(root, "\\model\\ChinaMale\\JamesGroup.GRP", f, [](int, const Vec3&, Part) { return true; },
                   "whole body");
  writeEyelashTexture(root, "\\model\\ChinaMale\\James_Eyelash.tga", 7);

  Manifest json;
  json["model"] = "\\model\\ChinaMale\\Dayou.c3d";
  json["vertices"] = f.modelVertices();
  json["triangles"] = man.triangleCount();
  manifest["man"] = json;
}

}  // namespace vestora::generate
