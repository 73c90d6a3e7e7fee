// Answers to the modal dialogs a click opens, given by the keyboard as a
// user would: Enter on a question, a typed path in a file dialog.
#pragma once

#include <cstdlib>
#include <string>

#include <wx/modalhook.h>
#include <wx/timer.h>

namespace vestora::testing {

// Answers every question that comes up with its default button (Yes) by
// the keyboard, as a user pressing Enter would, until stopped. It presses
// only while a modal dialog is open, and counts the dialogs it saw.
//
// The key goes through a separate program (xdotool) rather than wx's
// action simulator: the simulator first handles the window's pending
// events, and when one of them opens the very dialog to be answered, that
// dialog would run inside this timer's call, where the timer can no longer
// fire, and nobody would ever answer it.
class EnterPresser : public wxTimer, public wxModalDialogHook {
 public:
  EnterPresser() { Register(); }
  ~EnterPresser() override {
    wxTimer::Stop();
    Unregister();
  }
  EnterPresser(const EnterPresser&) = delete;
  EnterPresser& operator=(const EnterPresser&) = delete;

  void Notify() override {
    if (open_ > 0 && std::system("xdotool key Return") == 0) ++presses;
  }
  int Enter(wxDialog*) override {
    ++open_;
    ++questions;
    return wxID_NONE;
  }
  void Exit(wxDialog*) override { --open_; }

  int presses = 0;    // keys sent while a dialog was open
  int questions = 0;  // modal dialogs opened while this existed

 private:
  int open_ = 0;
};

// Types `path` into the file dialog that opens next, and accepts it: a
// second after the dialog opens, and again every two seconds while it stays
// open (on a busy machine the first keys may come before it has the focus).
// The keys go through xdotool, for the reason given above.
class FileDialogAnswer : public wxTimer, public wxModalDialogHook {
 public:
  explicit FileDialogAnswer(const std::string& path) {
    std::string quoted = "'";
    for (const char c : path) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    command_ = "xdotool key ctrl+a && sleep 0.1 && xdotool type --delay 5 -- " + quoted +
               "' && sleep 0.2 && xdotool key Return";
    Register();
    Start(250);
  }
  ~FileDialogAnswer() override {
    wxTimer::Stop();
    Unregister();
  }
  FileDialogAnswer(const FileDialogAnswer&) = delete;
  FileDialogAnswer& operator=(const FileDialogAnswer&) = delete;

  void Notify() override {
    if (open_ <= 0) return;
    if (++ticksOpen_ % 8 == 4) (void)std::system(command_.c_str());
  }
  int Enter(wxDialog*) override {
    ++open_;
    ticksOpen_ = 0;
    return wxID_NONE;
  }
  void Exit(wxDialog*) override { --open_; }

 private:
  std::string command_;
  int open_ = 0;
  int ticksOpen_ = 0;
};

}  // namespace vestora::testing
