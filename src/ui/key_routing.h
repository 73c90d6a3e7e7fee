// The program's key routing: every key press ends in the 3D view's key
// handler, whichever window has the focus, and Enter and Escape never close
// or activate anything.
//
// wx mapping:
//  * The main window installs InstallMainKeyRouting on itself. It handles
//    wxEVT_CHAR_HOOK, which wx sends for every key press in the top-level
//    window before the focused control sees it:
//      - Enter and Escape are never handed to the target and never reach
//        the top-level window's own handling (no dialog closes, no default
//        button fires). The one exception: Enter still reaches a focused text
//        field created with wxTE_PROCESS_ENTER (an edit box that acts on
//        Enter gets its wxEVT_TEXT_ENTER).
//      - Any other key press goes to the target first; then, unless the focus
//        is inside a key-forwarding window, normal dispatch continues (edit
//        boxes keep receiving what is typed).
//  * The 3D view, the store page and the picture boxes are key-forwarding
//    windows (InstallChildKeyRule): they never handle keys themselves. Inside
//    a main window with routing the hook above already hands their keys on
//    and swallows them. On their own (another top-level window, or no routing
//    installed) their wxEVT_KEY_DOWN handler swallows Enter and Escape and
//    hands every other key-down to the target, and a wxEVT_CHAR that reaches
//    them is handed on as a key-down whose key code is the character code.
//
// Key codes are wx key codes: WXK_CONTROL, WXK_F1, WXK_F2, ... for special
// keys, the (upper-case) character for letter keys, the character code for
// characters. All of this runs on the UI thread.
#pragma once

#include <functional>

#include <wx/window.h>

namespace vestora {

// Receives a routed key press.
using KeyTarget = std::function<void(int keyCode)>;

// True for the keys the routing swallows (Return, keypad Enter, Escape).
bool IsSwallowedKey(int keyCode);

// Whether `window` is a text field that asked for Enter (wxTE_PROCESS_ENTER).
bool WantsEnter(const wxWindow* window);

// Installs the main-window rule on the top-level window `topLevel`.
void InstallMainKeyRouting(wxWindow* topLevel, KeyTarget target);

// Installs the key-forwarding rule on `window` and on every child it has now.
// `target` empty: the key is sent to the window's parent as a synthetic
// wxEVT_KEY_DOWN (queued, as a posted key message would be).
void InstallChildKeyRule(wxWindow* window, KeyTarget target = {});

// Marks `window` (a web page) as one that keeps every key typed inside it,
// Enter and Escape included: the main window's routing leaves them alone.
void InstallOwnKeysRule(wxWindow* window);
bool IsInOwnKeysWindow(const wxWindow* window);

// Whether `window` or one of its ancestors is a key-forwarding window.
bool IsInKeyForwardingWindow(const wxWindow* window);

// A target that queues a synthetic wxEVT_KEY_DOWN with the key code on `window`.
KeyTarget PostKeyDownTo(wxWindow* window);

}  // namespace vestora
