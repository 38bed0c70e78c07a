#pragma once
// The search for the terminal window a started process shows, and what searches share: which
// top-level windows are known to be of another program, and how many top-level windows went away
// (their identifiers may be handed to new windows, so what was learnt of them no longer holds).
// The toolkit's event filter feeds it the root's substructure events while a watch is on.
#include "session/TerminalWindow.h"

#include <X11/Xlib.h>

namespace TerminalSearch {

// The mapped top-level terminal window of processId, or None (see TerminalWindow::Find).
Window Find(Display* display, long processId, TerminalWindow::WindowSearch* search);

// Whether the root's substructure events are being watched: only then are verdicts on top-level
// windows shared between searches, since nothing else tells when they go stale.
void SetWatching(bool watching);
// One event of the root's substructure, as the toolkit handles it.
void NoteEvent(const XEvent& event);
// A window is no longer at the top level (embedded by us).
void LeftTopLevel(Window window);

}  // namespace TerminalSearch
