#pragma once
// Payload of the site tree's nodes: a kind word, "Root item" on the root and "SiteItem" on each
// site node. Detail lines carry none.
#include <wx/treectrl.h>

class SiteTreeItemData : public wxTreeItemData {
public:
    explicit SiteTreeItemData(const wxString& kind) : kind(kind) {}
    const wxString& GetKind() const { return kind; }

private:
    wxString kind;
};
