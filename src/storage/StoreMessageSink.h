#pragma once
// How the site store tells the user something (a missing or damaged database file). The store
// only needs the toolkit's base library; the application connects this seam to message boxes and
// the tests to a recorder.
#include <wx/string.h>

class StoreMessageSink {
public:
    virtual ~StoreMessageSink() = default;
    // style: the toolkit's message-box flags, e.g. wxOK | wxICON_INFORMATION.
    virtual void ShowMessage(const wxString& message, const wxString& caption, long style) = 0;
};
