// Answers to the modal dialogs a click opens, given by the keyboard as a
// user would: Enter on a question, a typed path in a file dialog.
#pragma once

#include <string>

#include <wx/timer.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

namespace vestora::testing {

// Answers every question that comes up with its default button (Yes) by
// the keyboard, as a user pressing Enter would, until stopped.
class EnterPresser : public wxTimer {
 public:
  void Notify() override {
    wxUIActionSimulator sim;
    sim.Char(WXK_RETURN);
    ++presses;
  }
  int presses = 0;
};

// Types `path` into the file dialog that the next click opens, and accepts it.
class FileDialogAnswer : public wxTimer {
 public:
  explicit FileDialogAnswer(std::string path) : path_(std::move(path)) {}
  void Notify() override {
    wxUIActionSimulator sim;
    sim.Char('a', wxMOD_CONTROL);
    wxMilliSleep(100);
    sim.Text(path_.c_str());
    wxMilliSleep(200);
    sim.Char(WXK_RETURN);
  }

 private:
  std::string path_;
};

}  // namespace vestora::testing
