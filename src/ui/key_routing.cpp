#include "ui/key_routing.h"

#include <unordered_set>
#include <utility>

#include <wx/event.h>
#include <wx/textctrl.h>
#include <wx/textentry.h>
#include <wx/weakref.h>

namespace vestora {
namespace {

// The windows installed with InstallChildKeyRule that still exist.
std::unordered_set<const wxWindow*>& forwardingWindows() {
  static std::unordered_set<const wxWindow*> windows;
  return windows;
}

void bindChildRule(wxWindow* window, const KeyTarget& target) {
  window->Bind(wxEVT_KEY_DOWN, [target](wxKeyEvent& event) {
    const int code = event.GetKeyCode();
    if (IsSwallowedKey(code)) return;
    if (target) target(code);
    // Not skipped: the window does not act on the key itself.
  });
  window->Bind(wxEVT_CHAR, [target](wxKeyEvent& event) {
    const wxChar character = event.GetUnicodeKey();
    const int code = character != WXK_NONE ? static_cast<int>(character) : event.GetKeyCode();
    if (IsSwallowedKey(code)) return;
    if (target) target(code);
  });
  for (wxWindow* child : window->GetChildren()) {
    if (!child->IsTopLevel()) bindChildRule(child, target);
  }
}

}  // namespace

bool WantsEnter(const wxWindow* window) {
  return window != nullptr && dynamic_cast<const wxTextEntry*>(window) != nullptr &&
         window->HasFlag(wxTE_PROCESS_ENTER);
}

bool IsSwallowedKey(int keyCode) {
  return keyCode == WXK_RETURN || keyCode == WXK_NUMPAD_ENTER || keyCode == WXK_ESCAPE;
}

bool IsInKeyForwardingWindow(const wxWindow* window) {
  const auto& windows = forwardingWindows();
  for (; window != nullptr; window = window->GetParent()) {
    if (windows.count(window) != 0) return true;
    if (window->IsTopLevel()) break;
  }
  return false;
}

void InstallMainKeyRouting(wxWindow* topLevel, KeyTarget target) {
  topLevel->Bind(wxEVT_CHAR_HOOK, [target = std::move(target)](wxKeyEvent& event) {
    const int code = event.GetKeyCode();
    wxWindow* focus = wxWindow::FindFocus();
    // A web page's form gets what is typed into it, as it is typed.
    if (IsInOwnKeysWindow(focus)) {
      event.Skip();
      return;
    }
    const bool forwarding = IsInKeyForwardingWindow(focus);
    if (IsSwallowedKey(code)) {
      // Not skipped, so nothing else sees the key (a dialog's Escape, its
      // default button) - except a text field that asked for Enter.
      if (code != WXK_ESCAPE && !forwarding && WantsEnter(focus)) event.Skip();
      return;
    }
    if (target) target(code);
    if (!forwarding) event.Skip();
  });
}

static std::unordered_set<const wxWindow*>& ownKeysWindows() {
  static std::unordered_set<const wxWindow*> windows;
  return windows;
}

void InstallOwnKeysRule(wxWindow* window) {
  if (window == nullptr) return;
  ownKeysWindows().insert(window);
  window->Bind(wxEVT_DESTROY, [window](wxWindowDestroyEvent& event) {
    if (event.GetEventObject() == window) ownKeysWindows().erase(window);
    event.Skip();
  });
}

bool IsInOwnKeysWindow(const wxWindow* window) {
  for (const wxWindow* w = window; w != nullptr; w = w->GetParent())
    if (ownKeysWindows().count(w)) return true;
  return false;
}

void InstallChildKeyRule(wxWindow* window, KeyTarget target) {
  if (window == nullptr) return;
  if (!target) target = PostKeyDownTo(window->GetParent());
  forwardingWindows().insert(window);
  window->Bind(wxEVT_DESTROY, [window](wxWindowDestroyEvent& event) {
    if (event.GetEventObject() == window) forwardingWindows().erase(window);
    event.Skip();
  });
  bindChildRule(window, target);
}

KeyTarget PostKeyDownTo(wxWindow* window) {
  wxWeakRef<wxWindow> ref(window);
  return [ref](int keyCode) {
    wxWindow* target = ref.get();
    if (target == nullptr) return;
    auto* event = new wxKeyEvent(wxEVT_KEY_DOWN);
    event->m_keyCode = keyCode;
    event->SetId(target->GetId());
    event->SetEventObject(target);
    target->GetEventHandler()->QueueEvent(event);
  };
}

}  // namespace vestora
