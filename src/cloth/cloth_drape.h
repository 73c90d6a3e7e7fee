// Draping a garment on the body with the mass-spring model: implicit steps
// of the garment's system, each followed by stretch limiting and by the
// body's collision (cloth is kept a thickness outside the body, with
// friction). Sewing adds a spring of rest length 0 between the ends of
// every seam pair and pulls the pieces together (the quick-sew force) until
// the seams have closed; then the garment settles under gravity. Draping
// lets an already sewn garment settle under gravity.
//
// A drape works on its own copy of the garment and of the body, so that it
// can run on any thread; WriteBack hands the result to the garment.
#pragma once

#include <memory>
#include <vector>

#include "cloth/body_surface.h"
#include "cloth/cloth_step.h"
#include "cloth/garment_mesh.h"

namespace vestora {

enum class DrapeKind { Sew, Settle };

// An edge of rest length 0 that joins the two ends of a seam pair once the
// garment has been sewn (other edges are of kind 1).
inline constexpr std::int32_t kStitchEdge = 2;

struct DrapeSettings {
  // The implicit step: h = 1/60 s, the solver's work per step, air drag
  // (per second).
  ImplicitStepSettings step{1.0f / 60, 60, 2e-3f, 2.0f};
  int maxSteps = 1200;
  // Cloth keeps this far outside the body (model units: 3 mm).
  float thickness = 0.03f;
  float friction = 1.0f;
  // Springs are kept within (1 ± this) of their rest length after a step.
  float stretchTolerance = 0.05f;
  // The cloth's springs while draping: stiff enough that a garment hangs
  // on the body with its cloth stretched by a fraction of a percent.
  float clothStiffness = 100000.0f;
  float seamStiffness = 100000.0f;
  // Springs across every inner edge of the mesh (between the two corners
  // facing it) at their length in the pattern: the cloth's resistance to
  // bending, so that it hangs in smooth folds and comes to rest.
  float bendStiffness = 2000.0f;
  // Rounds of stretch limiting and collision after every step.
  int correctionRounds = 3;
  // Seams count as closed when no pair is farther apart (2 mm).
  float closedGap = 0.02f;
  // The garment has settled when no particle has got farther than
  // restDistance (model units: 2 mm) from where it was restSteps steps before.
  float restDistance = 0.02f;
  int restSteps = 20;
};

// Where a garment particle lies against the body: pushed out to `thickness`
// above the surface round its nearest body sample when it is closer (or
// behind it). `hint` is the particle's last nearest sample (−1 for none)
// and is updated. Returns the push (0 when not touching) and the surface's
// normal there.
struct BodyContact {
  float push = 0;
  Vec3 normal{0, 0, 0};
  bool touching = false;
  // How far beyond the thickness the point lies (0 when touching; the
  // search's reach when no body sample is near).
  float clearance = 0;
};
BodyContact PushOutside(const BodySurface& body, Vec3& p, float thickness, std::int32_t& hint);

class ClothDrape {
 public:
  // Copies what the drape needs of the garment (particles, edges, seams,
  // held particles and its force vector `gravity`) and takes the body.
  ClothDrape(const GarmentMesh& garment, BodySurface body, DrapeKind kind,
             DrapeSettings settings = {});
  ~ClothDrape();
  ClothDrape(const ClothDrape&) = delete;
  ClothDrape& operator=(const ClothDrape&) = delete;

  // One step. False once the drape is over: settled (with its seams closed
  // when sewing) or out of steps; a further call does nothing.
  bool Step();

  DrapeKind kind() const { return kind_; }
  bool finished() const { return finished_; }
  int steps() const { return steps_; }
  int maxSteps() const { return settings_.maxSteps; }
  bool settled() const { return settled_; }
  // The largest distance between the ends of a seam pair now (model units).
  float seamGapMax() const;
  // The same when sewing handed the seams to the stitches (0 before).
  float sewingGap() const { return sewingGap_; }
  // Milliseconds each step took.
  const std::vector<double>& stepMs() const { return stepMs_; }
  // The particles' positions now.
  const std::vector<Vec3>& positions() const { return positions_; }
  const BodySurface& body() const { return body_; }

  // Puts the positions into the garment's particles and drawParticles
  // (a garment with another particle count is left alone). A sewn garment
  // also gets its seams joined: both ends of every pair at their midpoint,
  // and a stitch edge (kStitchEdge, rest 0) per pair.
  void WriteBack(GarmentMesh& garment) const;

 private:
  // One round of contact; after the first round of a step a particle that
  // lay well clear of the body is not looked at again.
  void collide(bool firstRound);
  void limitStretch();
  // Once the seams have closed they hold like stitches: both ends of every
  // seam pair meet (last in every round of corrections).
  void stitch();
  void checkSeams();

  void addBendSprings(const GarmentMesh& garment);

  struct Model;
  std::unique_ptr<Model> model_;
  BodySurface body_;
  DrapeKind kind_;
  DrapeSettings settings_;
  ImplicitStepper stepper_;
  std::vector<Vec3> positions_, start_;
  std::vector<std::int32_t> hints_;
  std::vector<BodyContact> contacts_;
  std::vector<float> clearance_;  // from the last round that looked
  std::vector<std::uint8_t> held_;
  std::vector<double> stepMs_;
  std::vector<Vec3> restPositions_;
  int steps_ = 0, restFrom_ = 0;
  float lastGap_ = 1e30f, sewingGap_ = 0;
  bool sewing_ = false, settled_ = false, finished_ = false;
};

}  // namespace vestora
