#pragma once
// Layout of the main window: menu bar and status bar, with the eleven handlers connected to virtual
// slots that only let the event go on. ShellyardFrame overrides them.
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/statusbr.h>

enum {
    ID_MENU_QUIT = 1000,
    ID_MENU_VIEW_SITES_LIST = 1001,
    ID_MENU_ABOUT = 1002,
    ID_MENU_IMPORT = 1003,
};

class GUIFrame : public wxFrame {
public:
    GUIFrame(wxWindow* parent, wxWindowID id = wxID_ANY, const wxString& title = "Shellyard",
             const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxSize(1156, 805),
             long style = wxDEFAULT_FRAME_STYLE | wxTAB_TRAVERSAL);
    ~GUIFrame() override;

protected:
    wxMenuBar* menuBar;
    wxMenu* fileMenu;
    wxMenu* viewMenu;
    wxMenu* toolMenu;
    wxMenu* helpMenu;
    wxStatusBar* statusBar;

    // Identifiers the toolkit assigned to the items created with wxID_ANY.
    int newConnectionId;
    int fullScreenId;
    int puttyConfigurationId;
    int optionsId;
    int monitorOverviewId;
    int keyboardShortcutsId;

    virtual void OnClose(wxCloseEvent& event) { event.Skip(); }
    virtual void OnSize(wxSizeEvent& event) { event.Skip(); }
    virtual void OnUpdateUI(wxUpdateUIEvent& event) { event.Skip(); }
    virtual void OnNewConnection(wxCommandEvent& event) { event.Skip(); }
    virtual void OnImportSites(wxCommandEvent& event) { event.Skip(); }
    virtual void OnQuit(wxCommandEvent& event) { event.Skip(); }
    virtual void OnViewSitesList(wxCommandEvent& event) { event.Skip(); }
    virtual void OnFullScreen(wxCommandEvent& event) { event.Skip(); }
    virtual void OnMonitorOverview(wxCommandEvent& event) { event.Skip(); }
    virtual void OnPuttyConfiguration(wxCommandEvent& event) { event.Skip(); }
    virtual void OnOptions(wxCommandEvent& event) { event.Skip(); }
    virtual void OnAbout(wxCommandEvent& event) { event.Skip(); }
    virtual void OnKeyboardShortcuts(wxCommandEvent& event) { event.Skip(); }
};
