#pragma once
// Layout of the sites pane: the "Find:" field above the site tree, and a second tree that takes the
// site tree's place while Find holds text and shows only what matches. Creates the controls, their
// sizers and image lists, and routes their events to virtual handlers whose base versions only let
// the event go on. ShellyardSitesPanel gives them their behaviour.
#include <wx/panel.h>
#include <wx/treectrl.h>

class wxStaticText;
class wxTextCtrl;

class SitesPanel : public wxPanel {
public:
    SitesPanel(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
               const wxSize& size = wxSize(200, 200), long style = wxTAB_TRAVERSAL | wxNO_BORDER);
    ~SitesPanel() override;

protected:
    wxStaticText* findLabel;
    wxTextCtrl* findText;
    wxTreeCtrl* siteTree;  // every stored site (control identifier 408)
    wxTreeCtrl* findTree;  // the sites that Find matches; hidden while Find is empty

    virtual void OnFindText(wxCommandEvent& event) { event.Skip(); }
    virtual void OnFindEnter(wxCommandEvent& event) { event.Skip(); }
    virtual void OnFindKey(wxKeyEvent& event) { event.Skip(); }
    // The handlers below serve both trees; the event's object says which.
    virtual void OnTreeItemActivated(wxTreeEvent& event) { event.Skip(); }
    virtual void OnTreeItemRightClick(wxTreeEvent& event) { event.Skip(); }
    virtual void OnTreeItemExpanding(wxTreeEvent& event) { event.Skip(); }
    virtual void OnTreeItemToolTip(wxTreeEvent& event) { event.Skip(); }
    virtual void OnTreeBeginDrag(wxTreeEvent& event) { event.Skip(); }
    virtual void OnTreeEndDrag(wxTreeEvent& event) { event.Skip(); }
    virtual void OnTreeKey(wxKeyEvent& event) { event.Skip(); }

private:
    wxTreeCtrl* MakeTree(wxWindowID id);
    void ConnectTree(wxTreeCtrl* tree, bool connect);
};
