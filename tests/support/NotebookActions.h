#pragma once
// What a user does to the main window's notebook, sent as the toolkit's own events.
#include <gtest/gtest.h>
#include <wx/aui/auibook.h>

// Clicks the close button of the notebook's active tab.
inline void ClickCloseOnActiveTab(wxAuiNotebook* notebook)
{
    for (wxWindow* child : notebook->GetChildren()) {
        auto* tabs = dynamic_cast<wxAuiTabCtrl*>(child);
        if (!tabs || !tabs->IsShown())
            continue;
        wxAuiNotebookEvent event(wxEVT_AUINOTEBOOK_BUTTON, tabs->GetId());
        event.SetInt(wxAUI_BUTTON_CLOSE);
        event.SetSelection(-1);
        event.SetEventObject(tabs);
        tabs->GetEventHandler()->ProcessEvent(event);
        return;
    }
    ADD_FAILURE() << "no tab bar";
}
