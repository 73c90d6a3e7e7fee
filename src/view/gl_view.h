// The drawing state of the 3D view: the avatar and what it wears, the orbit
// camera, the flags other panels set, the pick points and the snapshot
// rectangle, the logo buttons, the textures and display lists, the font,
// and the frame routine DrawScene with the input handlers that drive it.
//
// GlView draws with whatever OpenGL context is current; the window (or the
// off-screen renderer) owns that context and keeps it current while it
// calls InitGL, LoadViewResources, Resize, DrawScene, any handler, and
// ReleaseGL. Everything runs on one thread.
//
// Start-up order: loadDefaultAvatar, InitGL (w, h), LoadViewResources;
// then Resize on every size change and DrawScene on every paint.
// Window coordinates have their origin at the top left; "GL y" is
// viewport height − window y.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "avatar/accessories.h"
#include "avatar/avatar.h"
#include "avatar/idle_animation.h"
#include "body/body_editor.h"
#include "body/body_shaper.h"
#include "body/freehand.h"
#include "body/measurement.h"
#include "cloth/background_drape.h"
#include "cloth/try_on.h"
#include "platform/result.h"
#include "view/body_pick.h"
#include "view/camera.h"
#include "view/view_host.h"

namespace vestora {

class GlFont;
class SceneObjectList;

// Window timers of the view.
inline constexpr int kTurntableTimer = 1000;  // 50 ms, one degree a tick
inline constexpr int kTurntablePeriodMs = 50;
inline constexpr int kIdleFrameTimer = 1002;    // 20 ms, next idle-animation frame
inline constexpr int kIdleRestartTimer = 1004;  // 3000 ms, idle-animation restart
inline constexpr int kDrapeTimer = 1006;        // 40 ms, the next frame of a drape
// The status line while a garment is sewn or draped in the background.
inline constexpr const char* kSewingStatus = "正在缝合服装……";
inline constexpr const char* kDrapingStatus = "正在悬垂服装……";
inline constexpr int kDrapePeriodMs = 40;

// Buttons of the view window.
inline constexpr int kTurntableButton = 1021;  // "旋转"
inline constexpr int kResetButton = 1022;      // "还原"

// States of the logo buttons.
inline constexpr int kLogoNormal = 2000;
inline constexpr int kLogoHover = 2001;
inline constexpr int kLogoPressed = 2002;

inline constexpr const char* kResetQuestion = "回到默认的场景位置?";
inline constexpr const char* kCameraSound = "\\data\\CAMERA.wav";
inline constexpr const char* kSheetBackdrop = "\\model\\ChineseFonts.jpg";
inline constexpr const char* kSheetFont = "\\vrinda.ttf";
inline constexpr int kSheetFontHeight = 12;
inline constexpr int kSheetBackdropSlot = 5;
inline constexpr const char* kSnapshotFilter = "JPG files (*.jpg)|*.jpg||";
// Shown when a snapshot file cannot be written (followed by the path).
inline constexpr const char* kSnapshotWriteFailed = "无法保存快照：";

// Picture resources of the view.
inline constexpr int kBackdropPicture = 643;
inline constexpr std::array<int, 3> kLogo1Pictures{588, 589, 590};  // normal, hover, pressed
inline constexpr std::array<int, 3> kLogo2Pictures{587, 586, 582};

// Key codes the window passes to onKeyDown (the values of the Windows
// virtual keys, so that the key routing of the main window can share them).
enum ViewKey : int {
  kKeyOther = 0,
  kKeyBack = 0x08,
  kKeyTab = 0x09,
  kKeyReturn = 0x0D,
  kKeyShift = 0x10,
  kKeyControl = 0x11,
  kKeyEscape = 0x1B,
  kKeySpace = 0x20,
  kKeyLeft = 0x25,
  kKeyUp = 0x26,
  kKeyRight = 0x27,
  kKeyDown = 0x28,
  kKeyDelete = 0x2E,
  kKeyF1 = 0x70,
  kKeyF2 = 0x71,
  kKeyF3 = 0x72,
  kKeyF4 = 0x73,
  kKeyF5 = 0x74,
  kKeyF6 = 0x75,
  kKeyF7 = 0x76,
  kKeyF8 = 0x77,
  kKeyF9 = 0x78,
  kKeyF10 = 0x79,
  kKeyF11 = 0x7A,
  kKeyF12 = 0x7B,
};

struct Modifiers {
  bool control = false;
  bool shift = false;
};

// Mouse buttons held during a move.
struct MouseButtons {
  bool left = false;
  bool right = false;
};

// A point in window x and GL y; −1 in both = none.
struct PickPoint {
  int x = -1;
  int y = -1;
  bool set() const { return x != -1 || y != -1; }
  bool operator==(const PickPoint&) const = default;
};

// A corner of the snapshot rectangle (window x, GL y).
struct SnapshotCorner {
  std::uint16_t x = 0;
  std::uint16_t y = 0;
};

class GlView {
 public:
  // `root` is the application root that every data path is relative to.
  GlView(ViewHost& host, std::string root);
  ~GlView();
  GlView(const GlView&) = delete;
  GlView& operator=(const GlView&) = delete;

  // ---- start-up and shutdown ------------------------------------------------
  // Loads root + "\model\ChinaFemale\nv_High.c3d" into the avatar; the error
  // names the file that could not be read (the program cannot start then).
  Result<void> loadDefaultAvatar();
  // What the view builds for every body it loads (the woman's shaping
  // regions); call it after loading a body into the avatar directly.
  void afterBodyLoaded();
  // The fixed GL state, the projection, the two lights and the sheet font
  // root + "\vrinda.ttf" at height 12. Everything is set up even when the
  // font cannot be opened; the error then says why (the sheet has no text).
  Result<void> InitGL(int width, int height);
  // Display lists 1 (axis cross) and 10 (marker cube), the sheet backdrop
  // into texture slot 5, the logo textures and the backdrop texture; the
  // scene environments with their pictures, the lake floor and the lens
  // flare. Returns the problems met (missing or unreadable pictures and
  // models); the view draws without the missing textures, and a scene
  // whose model is missing stays unavailable.
  std::vector<std::string> LoadViewResources();
  // Deletes every texture, display list and the font's glyphs. Needs the
  // context current; safe to call twice. The destructor frees only memory.
  void ReleaseGL();

  // ---- the frame ------------------------------------------------------------
  // Viewport and projection; resets the zoom (`distance`) to −34.
  void Resize(int width, int height);
  // Draws one complete frame and asks the host to swap. `withOverlay`
  // draws the snapshot rectangle (while it is dragged in snapshot mode).
  void DrawScene(bool withOverlay = false);
  // Whether the point (window x, GL y) lies on logo quad 1.
  bool HitLogo(int x, int glY);
  // Pick point A = (x, viewport height − y), from a garment dropped on the view.
  void SetPickPointA(int x, int y);

  // ---- body editing and measuring -------------------------------------------
  // Drops what the view holds from the body's last shape before it changes:
  // the idle animation and its timers, the overlay objects.
  void dropTransientState();
  // "自动测量": measures the avatar; on success the sheet and the marks are
  // shown. False when the body cannot be measured now (the message says why).
  bool AutoMeasure();
  // Tool buttons: switches a freehand tool on or off (after a measurement
  // only; see FreehandMeasure::toggle). Redraws in every case.
  bool ToggleMeasureTool(FreehandTool tool);
  // "显示标志": shows or hides the measurement marks and the sheet.
  void ToggleMarks();
  // The skin point under window point (x, y), from the last frame's camera.
  // Needs the context current. Nothing when the mouse is not over the body.
  std::optional<BodyPick> pickAt(int x, int y);

  // ---- poses and the idle animation -----------------------------------------
  // Reads the breathing and blink frames for the body as it is now. A file
  // that cannot be used leaves the body still; the first such problem of a
  // run is shown to the user, the rest only logged.
  bool loadIdleAnimation();
  // Shows the current frame and starts the frame timer (20 ms) and the
  // restart timer (3 s). Needs frames.
  void startIdleAnimation();
  // Kills both timers, puts the body back to the shape its frames were
  // built over, forgets the frames and clears the enabled flag.
  void stopIdleAnimation();
  // Stops the animation before the body changes; once the change is over
  // (3 s after the last one) the undressed woman breathes again over her
  // new shape.
  void pauseIdleAnimation();
  // Frame k into the body (and the garment refitted to it).
  bool showAnimationFrame(std::size_t k);
  // Starts the animation when the avatar is the woman and wears nothing,
  // reading the frames when there are none. False when it does not run.
  bool startIdleAnimationWhenUndressed();
  bool idleAnimationOn() const { return idleEnabled_; }
  std::size_t idleFrameIndex() const { return idleIndex_; }
  const IdleAnimation& idleAnimation() const { return idle_; }
  // Whether a garment (worn or kept) is on the avatar.
  bool dressed() const;

  // Changes the woman's pose to that of a thumbnail of the avatar table
  // ("Female.bmp", "Pose1.bmp", "Walk.bmp", "Stand.bmp"): the pose's body is
  // loaded, the garments come off, the user's whole-body settings are
  // applied to it again, and she breathes when undressed. When the body
  // cannot be read nothing changes and the message names the file.
  Result<void> selectPose(std::string_view thumbnail);

  // Loads a body of the avatar table by its thumbnail's name: the woman's
  // poses as selectPose does, the other bodies with their default hair and
  // without garments. When the body cannot be read nothing changes and the
  // message names the file.
  Result<void> selectAvatarEntry(std::string_view thumbnail);

  // ---- the wardrobe -----------------------------------------------------------
  // What a wardrobe entry (its picture's path) does when it is clicked or
  // dropped on the view: a fabric goes onto the worn garment, a garment is
  // put on with its questions, an accessory or hair style is worn, a body
  // or pose is loaded. A refusal ("男性用品！", "该服装不适合当前人体！")
  // is shown and returned; a name that matches nothing does nothing.
  Result<void> ActivateEntry(std::string_view path);
  // The entry of the garment last put on (its detail pictures are shown
  // from the view's picture button).
  std::string lastGarmentEntry;

  // The fit map: the worn garment coloured by the stretch of its cloth,
  // with the scale's legend, in place of its fabric.
  bool fitMapShown = false;
  // Called after the worn garment was refitted to a reshaped body.
  std::function<void()> onGarmentRefitted;
  // Whether the map is drawn now (shown, and a garment is worn and draped).
  bool fitMapOnScreen() const;

  // The animation's clock in milliseconds (a steady clock unless set).
  std::function<double()> clockMs;

  // ---- input (window coordinates) -------------------------------------------
  void onWheel(int delta);
  void onLeftDown(int x, int y, Modifiers modifiers);
  void onLeftUp(int x, int y, Modifiers modifiers);
  void onRightDown(int x, int y);
  void onRightUp(int x, int y);
  void onMouseMove(int x, int y, MouseButtons buttons, Modifiers modifiers);
  void onDoubleClick(int x, int y, Modifiers modifiers);
  void onKeyDown(int key);  // a ViewKey
  void onTimer(int id);
  void onTurntableButton();  // 1021
  void onResetButton();      // 1022

  // Writes the snapshot rectangle of a freshly drawn frame to the next
  // numbered JPEG (asking for the name the first time). Returns the path
  // written; nothing when the rectangle is empty, the name dialog was
  // cancelled or the file could not be written (which is reported).
  std::optional<std::string> TakeSnapshot();

  // ---- scenes ---------------------------------------------------------------
  // "场景": the next scene of the cycle sky dome, room, beach, none, with
  // the camera distance each takes; the view is redrawn. When the scene
  // reached cannot be shown (its model is missing) the message names the
  // model and the plain backdrop stays.
  void NextScene();
  // Whether a scene can be drawn: its model was read (and the view's GL
  // resources are loaded).
  bool sceneAvailable(Environment e) const;
  // The scene drawn by the last frame's environment step, if any.
  std::optional<Environment> sceneDrawn() const { return sceneDrawn_; }
  // Whether the last frame drew the lens flare.
  bool flareDrawn() const { return flareDrawn_; }
  // Draws the lake's reflection (on; off only to compare frames).
  void setMirrorEnabled(bool on);

  // ---- state ----------------------------------------------------------------
  ViewCamera camera;
  SceneChoice scene;
  int sceneStep = 0;  // position in the scene cycle
  bool snapshotMode = false;
  bool measurementSheet = false;
  bool environmentOn = true;
  bool accessoriesOn = true;
  bool bodyShown = true;    // "显示模型" hides and shows the body
  bool marksShown = false;  // the measurement marks ("显示标志")
  // The freehand tools, their picked points and their values.
  FreehandMeasure freehand;
  // The whole-body settings the user gave on the body page (the pose change
  // applies them again), and the two shoulder points after the last change.
  BodySettings bodySettings;
  std::array<SkinVertex, 2> shoulderLandmarks{};
  float unitFactor = 1.0f;  // display unit divisor: 1.0 cm, 2.54 inch
  // The skeleton joint (id) that a Ctrl + left drag turns about z; −1 = none.
  int selectedJoint = -1;
  // Light offsets added to the two light positions ("光源位置1", "光源位置2").
  std::array<std::array<float, 3>, 2> lightOffsets{};
  // The snapshot name without extension (empty: ask) and the next number.
  std::string snapshotBase;
  int snapshotCounter = 0;
  SnapshotCorner snapshotCorner1, snapshotCorner2;

  bool turntableOn() const { return turntableOn_; }
  bool sceneShown() const { return scene.any(); }
  int logoState() const { return logoState_; }
  int viewportWidth() const { return width_; }
  int viewportHeight() const { return height_; }
  PickPoint pickPointA() const { return pickA_; }
  PickPoint pickPointB() const { return pickB_; }
  bool leftDown() const { return leftDown_; }
  bool rightDown() const { return rightDown_; }
  // The modelview matrix right after the camera transform of the last frame
  // (column-major, as OpenGL returns it).
  const std::array<float, 16>& modelview() const { return modelview_; }
  // The camera's matrices and viewport of the last frame.
  const ViewMatrices& matrices() const { return matrices_; }
  // The freehand stroke being dragged (window x, GL y), if any.
  bool strokeActive() const { return strokeActive_; }
  const std::string& root() const { return root_; }

  Avatar& avatar() { return avatar_; }
  const Avatar& avatar() const { return avatar_; }
  TryOn& tryOn() { return *tryOn_; }
  // From now on sewing and re-draping run on a thread of their own and
  // show their frames as the cloth settles (the window asks for this; off
  // screen they run to the end before the command returns).
  void runDrapesInBackground();
  // Hair, glasses, shoes, bag and socks; every body loaded through the view
  // gets its kind's default hair, and they follow every reshaping.
  Accessories& accessories() { return *accessories_; }
  const Accessories& accessories() const { return *accessories_; }
  BodyShaper& shaper() { return *shaper_; }
  BodyMeasurer& measurer() { return measurer_; }
  const BodyMeasurer& measurer() const { return measurer_; }
  GlFont& font() { return *font_; }
  SceneObjectList& sceneObjects() { return *sceneObjects_; }

  // GL texture names of the view (0 = not loaded).
  unsigned backdropTexture() const;
  unsigned logoTexture(int quad, int state) const;  // quad 0 or 1, state 2000 … 2002
  unsigned textureSlot(int index) const;            // 0 … 9

 private:
  struct Gl;

  void drawFrame(bool withOverlay);
  void drawBackdrop();
  void drawLogos();
  void drawMeasureMarks();
  // Draws the accessories; with `pick`, tests each against pick point B.
  void drawAccessories(bool pick = true);
  void drawGarments();
  void drawOverlays(bool withOverlay);
  void drawEnvironment(Environment e);
  std::optional<Environment> chosenEnvironment() const;
  void pickForTools();
  void finishStroke(int x, int y);
  void rememberDragStart(int x, int y);
  void rotateByDrag(int x, int y);
  void redraw() { host_.requestRedraw(); }
  void onIdleFrameTimer();
  void onIdleRestartTimer();
  // Shows the newest frame of the background drape, and its result when it is over.
  void onDrapeTimer();
  // Stops the background drape (when one runs) and clears its bar and status.
  void endBackgroundDrape();
  double nowMs() const;
  void noteRefit(double ms);
  void noteFrameDrawn(double drawMs);

  ViewHost& host_;
  std::string root_;
  Avatar avatar_;
  BodyMeasurer measurer_;
  std::unique_ptr<BodyShaper> shaper_;
  std::unique_ptr<TryOn> tryOn_;
  // The drape running in the background, when one does.
  std::unique_ptr<BackgroundDrape> drape_;
  std::unique_ptr<Accessories> accessories_;
  std::unique_ptr<GlFont> font_;
  std::unique_ptr<SceneObjectList> sceneObjects_;
  std::unique_ptr<Gl> gl_;

  int width_ = 1, height_ = 1;
  bool turntableOn_ = false;
  int logoState_ = kLogoNormal;
  int progressStep_ = 0;  // the furthest step of the garment going on
  bool leftDown_ = false, rightDown_ = false;
  int pressX_ = 0, pressY_ = 0;
  ViewCamera dragStart_;
  std::array<float, 3> jointDragStart_{};
  PickPoint pickA_, pickB_;
  PickPoint sideViewStart_, sideViewEnd_;  // window coordinates
  std::array<float, 16> modelview_{};
  ViewMatrices matrices_;
  bool strokeActive_ = false;
  std::array<int, 2> strokeStart_{}, strokeEnd_{};  // window x, GL y

  // The idle animation: its frames, whether it plays, the frame on screen,
  // when the breath began, whether it is to start again after a change.
  IdleAnimation idle_;
  bool idleEnabled_ = false;
  std::size_t idleIndex_ = 0;
  double breathStartMs_ = 0;
  bool idleResume_ = false;
  bool idleProblemShown_ = false;
  std::optional<Environment> sceneDrawn_;
  bool flareDrawn_ = false;
  double lastDrawMs_ = 0, lastDrawEndMs_ = 0;  // the last frame's drawing time and end
  struct IdleStats;
  std::unique_ptr<IdleStats> idleStats_;
};

}  // namespace vestora
