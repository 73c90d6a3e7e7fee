// Answers to the modal dialogs a click opens, given by the keyboard as a
// user would: Enter on a question, a typed path in a file dialog.
#pragma once

#include <cstdlib>
#include <string>

#include <wx/modalhook.h>
#include <wx/timer.h>

namespace vestora::testing {

// A timer that sees the modal dialogs open and close, and acts only while
// one is open: `WhileOpen` is called on each tick with the number of ticks
// since the dialog opened.
//
// Its keys go through a separate program (xdotool) rather than wx's action
// simulator: the simulator first handles the window's pending events, and
// when one of them opens the very dialog to be answered, that dialog would
// run inside this timer's call, where the timer can no longer fire, and
// nobody would ever answer it.
class DialogWatch : public wxTimer, public wxModalDialogHook {
 public:
  DialogWatch() { Register(); }
  ~DialogWatch() override {
    wxTimer::Stop();
    Unregister();
  }
  DialogWatch(const DialogWatch&) = delete;
  DialogWatch& operator=(const DialogWatch&) = delete;

  int questions = 0;  // modal dialogs opened while this existed

 protected:
  virtual void WhileOpen(int ticks) = 0;

 private:
  void Notify() override {
    if (open_ > 0) WhileOpen(++ticksOpen_);
  }
  int Enter(wxDialog*) override {
    ++open_;
    ++questions;
    ticksOpen_ = 0;
    return wxID_NONE;
  }
  void Exit(wxDialog*) override { --open_; }

  int open_ = 0;
  int ticksOpen_ = 0;
};

// Answers every question that comes up with its default button (Yes) by
// the keyboard, as a user pressing Enter would, until stopped.
class EnterPresser : public DialogWatch {
 protected:
  void WhileOpen(int) override { (void)std::system("xdotool key Return"); }
};

// Types `path` into the file dialog that opens next, and accepts it: a
// second after the dialog opens, and again every two seconds while it stays
// open (on a busy machine the first keys may come before it has the focus).
class FileDialogAnswer : public DialogWatch {
 public:
  explicit FileDialogAnswer(const std::string& path) {
    std::string quoted = "'";
    for (const char c : path) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    command_ = "xdotool key ctrl+a && sleep 0.1 && xdotool type --delay 5 -- " + quoted +
               "' && sleep 0.2 && xdotool key Return";
    Start(250);
  }

 protected:
  void WhileOpen(int ticks) override {
    if (ticks % 8 == 4) (void)std::system(command_.c_str());
  }

 private:
  std::string command_;
};

}  // namespace vestora::testing
