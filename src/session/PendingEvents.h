#pragma once
// Lets the GUI handle what it has pending while a connection or a broadcast waits on another
// process or on the X server. Does nothing inside an ongoing yield (the toolkit forbids nesting).
#include <wx/event.h>
#include <wx/evtloop.h>

inline void HandlePendingEvents(long categories = wxEVT_CATEGORY_ALL)
{
    wxEventLoopBase* loop = wxEventLoopBase::GetActive();
    if (loop && !loop->IsYielding())
        loop->YieldFor(categories);
}
