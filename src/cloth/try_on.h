// Putting a garment on the avatar: the two load commands with their
// questions, the choice of the force for the mass-spring model, the optional
// re-drape that binds the garment to the body, the seam groups for the
// pattern display, kept layers, the reset of the worn garment, and the
// refit of the worn garment whenever the body changes.
//
// The window supplies what the view does (progress bar, display mode,
// textures, stopping the idle animation, redraws) through TryOnView; the
// questions go through UserDialogs, so that everything here runs and is
// tested without a window.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "avatar/avatar.h"
#include "cloth/body_surface.h"
#include "cloth/cloth_drape.h"
#include "cloth/garment_mesh.h"
#include "platform/user_dialogs.h"

namespace vestora {

inline constexpr const char* kQuickSewQuestion = "是否快速缝合?";
inline constexpr const char* kRedrapeQuestion = "是否重新进行悬垂?";
inline constexpr const char* kKeepGarmentQuestion = "是否保留当前服装?";
inline constexpr const char* kFlexibleLayerQuestion = "当前服装是否作为柔性对象?";
inline constexpr const char* kGarmentUnfitMessage = "该服装不适合当前人体！";
inline constexpr const char* kGarmentUnreadableMessage = "无法读取这件服装：";

inline constexpr std::array<float, 3> kHangingGravity{0, -9.8f, 0};
inline constexpr std::array<float, 3> kQuickSewGravity{0, 0, -2.4f};
inline constexpr std::array<float, 3> kNoGravity{0, 0, 0};

enum class GarmentDisplay { None, Garment, Pattern };

// What the view does for the commands. Every member may be left empty.
struct TryOnView {
  // Stops the idle animation and its timers and returns the body to its
  // first frame.
  std::function<void()> stopAnimation;
  // Removes the view's overlay objects of the worn garment.
  std::function<void()> clearOverlays;
  std::function<void(int)> progress;
  std::function<void(GarmentDisplay)> showDisplay;
  // Loads a fabric image (a file name below "\pattern\texture\") for the
  // worn garment.
  std::function<void(const std::string&)> loadTexture;
  std::function<void()> redraw;
  // Plays the drape sound when a garment is put into simulation.
  std::function<void()> drapeSound;
  // Plays the take-off sound when a worn garment or a kept layer comes off.
  std::function<void()> takeOffSound;
  // Runs a drape (sewing, or settling after a re-drape) away from the
  // window's thread: the window steps it, shows its frames through
  // TryOn::showDrapeFrame and hands it to TryOn::finishDrape when it is
  // over. Left empty, the try-on steps the drape itself before the command
  // returns.
  std::function<void(std::unique_ptr<ClothDrape>)> runDrape;
  // Stops the drape running in the background; nothing when none runs.
  std::function<void()> cancelDrape;
};

// The seam records of one seam number and the two pieces they join (the
// smaller piece number first).
struct SeamGroup {
  std::int32_t seam = 0;
  std::vector<SeamPair> pairs;
  std::array<std::int32_t, 2> pieces{-1, -1};
};

// Groups seam records by number after renumbering them so that the first
// record's seam number is 0 (the records are renumbered in place). Group i
// holds the records of seam number i in list order; numbers without records
// give empty groups. Records whose number falls outside 0 … 9999 after the
// renumbering are left out.
std::vector<SeamGroup> buildSeamGroups(std::vector<SeamPair>& seams,
                                       const std::vector<GarmentParticle>& particles);

// A body-like record of a kept garment's triangle: corners with positions
// and texture coordinates, corner normals and a facet normal that faces the
// same way as their sum.
struct LayerTriangle {
  std::array<SkinVertex, 3> corner{};
  std::array<Vec3, 3> cornerNormal{};
  Vec3 facetNormal{0, 0, 0};
};

// A garment the user kept on when putting on the next one.
struct KeptLayer {
  GarmentMesh garment;
  std::vector<GarmentParticle> saved;  // the layer as it was kept, for the reset
  std::vector<LayerTriangle> triangles;
  bool flexible = true;  // a flexible layer follows the body; a rigid one keeps its shape
};

class TryOn {
 public:
  // Follows `avatar`: refits after every reshaping, takes the garments off
  // when another body is loaded with that request.
  TryOn(Avatar& avatar, UserDialogs& dialogs);
  ~TryOn();
  TryOn(const TryOn&) = delete;
  TryOn& operator=(const TryOn&) = delete;

  TryOnView view;

  // The ".pop" command. A file that cannot be read, or whose binding names
  // body vertices this body does not have, is reported and changes nothing.
  Result<void> LoadFittedGarmentCommand(const std::string& path);
  // The ".msh" command, with the same failure rule.
  Result<void> LoadPatternMeshCommand(const std::string& path);
  // Asks whether to keep the worn garment (only when one is worn): Yes keeps
  // it as a layer, No takes it off.
  void AskKeepGarment();
  // Restores the worn garment (and the kept layers) to their loaded state
  // and asks the questions that go with it.
  void ResetGarment();
  // Places the worn garment (and flexible kept layers) on the body as it is
  // now. Called through the avatar's reshaping notice.
  void refit();
  // Takes the worn garment off; the kept layers stay.
  void removeWorn();

  // A drape is running in the background for the worn garment.
  bool draping() const { return pendingDrape_ != nullptr; }
  DrapeKind drapeKind() const { return pendingKind_; }
  // Shows a frame of the running drape: the worn garment's positions.
  void showDrapeFrame(const std::vector<Vec3>& positions);
  // Takes the result of a finished drape (one this try-on started and has
  // not given up): the garment gets its draped positions (and its stitches
  // when sewn), is bound to the body and fitted to it as it is now. Any
  // other drape is ignored.
  void finishDrape(const ClothDrape& drape);
  // The user stopped the running drape: the garment returns to where it
  // was before (the flat pieces of a garment being sewn, in the pattern
  // display; a re-draped garment as loaded, bound there).
  void cancelDrape();
  // Takes the worn garment and every kept layer off.
  void takeOff();

  GarmentMesh& garment() { return garment_; }
  const GarmentMesh& garment() const { return garment_; }
  const std::vector<SeamGroup>& seamGroups() const { return seamGroups_; }
  std::vector<KeptLayer>& layers() { return layers_; }
  const std::vector<KeptLayer>& layers() const { return layers_; }
  // Body vertices and triangles under kept layers (one flag each).
  const std::vector<std::uint8_t>& coveredVertices() const { return coveredVertices_; }
  const std::vector<std::uint8_t>& coveredTriangles() const { return coveredTriangles_; }

  GarmentDisplay display() const { return display_; }
  const std::string& garmentPath() const { return garmentPath_; }
  // One flag per garment edge and the copy of the edges, for the display.
  const std::vector<std::uint8_t>& edgeFlags() const { return edgeFlags_; }
  const std::vector<GarmentEdge>& displayEdges() const { return displayEdges_; }
  // Two display parameters set whenever a garment is loaded.
  std::array<float, 2> displayParameters{0, 0};
  // The floor height of the avatar object, lowered by garments hanging
  // below it.
  float floorHeight = -1e9f;
  // Milliseconds the last refit of the worn garment took (0 before any).
  double lastFitMs() const { return lastFitMs_; }

  // The body as the garment code sees it, refreshed to the current shape.
  const BodySurface& body();

 private:
  void install(GarmentMesh loaded, const std::string& path);
  void finishLoad();
  void setDisplay(GarmentDisplay display);
  bool askQuickSew();
  void startDrape(DrapeKind kind);
  void abandonDrape();
  void keepCurrentAsLayer();
  void markCovered();
  void settleLayersUnder();
  void progress(int step);

  Avatar& avatar_;
  UserDialogs& dialogs_;
  GarmentMesh garment_;
  std::vector<SeamGroup> seamGroups_;
  std::vector<KeptLayer> layers_;
  std::vector<std::uint8_t> coveredVertices_, coveredTriangles_;
  std::vector<std::uint8_t> edgeFlags_;
  std::vector<GarmentEdge> displayEdges_;
  GarmentDisplay display_ = GarmentDisplay::None;
  std::string garmentPath_;
  BodySurface body_;
  bool bodyBuilt_ = false;
  double lastFitMs_ = 0;
  const ClothDrape* pendingDrape_ = nullptr;
  DrapeKind pendingKind_ = DrapeKind::Settle;
};

}  // namespace vestora
