// What the 3D view's drawing state needs from the window that shows it.
// The wx view window implements it; the off-screen renderer of the command
// line and the tests implement it without a window.
#pragma once

#include <string>
#include <string_view>

#include "platform/user_dialogs.h"

namespace vestora {

class ViewHost {
 public:
  virtual ~ViewHost() = default;

  // Message boxes, questions and file dialogs of the view.
  virtual UserDialogs& dialogs() = 0;
  // Asks for a frame soon (the window invalidates itself; its paint handler
  // calls GlView::DrawScene). Several requests before the paint give one frame.
  virtual void requestRedraw() = 0;
  // Window timers: `id` fires every `milliseconds` until killed; starting a
  // running timer again restarts it with the new period.
  virtual void startTimer(int id, int milliseconds) = 0;
  virtual void killTimer(int id) = 0;
  // Shows the frame just drawn (the end of DrawScene).
  virtual void swapBuffers() = 0;
  // Opens a document with the desktop's default program (the help file).
  virtual void openDocument(const std::string& path) = 0;
  // Plays a short sound, a data path such as "\data\CAMERA.wav"; never fails.
  virtual void playSound(std::string_view dataPath) = 0;
  // Takes the keyboard focus to the view if another window of the program has it.
  virtual void takeFocus() = 0;
  // Whether sound effects are switched on (the environment settings).
  virtual bool soundEffectsOn() const = 0;

  // Optional services; the defaults do nothing.
  // Mouse capture while the left button is down.
  virtual void captureMouse() {}
  virtual void releaseMouse() {}
  // The wait cursor while a snapshot is taken.
  virtual void setBusy(bool /*busy*/) {}
  // Makes the frame just drawn (not yet swapped) readable by glReadPixels;
  // an off-screen host resolves its multisampled buffer here. A window's
  // back buffer needs nothing.
  virtual void prepareReadPixels() {}
  // The picture button was clicked: show the detail pictures of the garment
  // last put on.
  virtual void showDetailPictures() {}
  // The progress of putting a garment on: steps 1 to 200, then 0 when done.
  virtual void showProgress(int /*step*/) {}
  // A line of status at the foot of the window (UTF-8; empty: none): what a
  // running drape is doing, with a way to stop it.
  virtual void showStatus(const std::string& /*text*/) {}
};

}  // namespace vestora
