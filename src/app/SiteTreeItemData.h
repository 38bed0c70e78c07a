#pragma once
// Payload of the site tree's nodes: a kind word, "Root item" on the root and "SiteItem" on each
// site node, and on a site node the rowid of its stored row (0 when it has none: its saving
// failed). Sites may agree in host and name, so the rowid is what ties a node to its row. Detail
// lines carry none.
#include <wx/treectrl.h>

class SiteTreeItemData : public wxTreeItemData {
public:
    explicit SiteTreeItemData(const wxString& kind, long long rowid = 0) : kind(kind), rowid(rowid) {}
    const wxString& GetKind() const { return kind; }
    long long GetRowid() const { return rowid; }

private:
    wxString kind;
    long long rowid;
};
