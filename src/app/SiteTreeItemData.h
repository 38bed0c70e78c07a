#pragma once
// Payload of the site tree's nodes: a kind word ("Root item" on the root, "SiteItem" on each site
// node, "FolderItem" on each folder node), on a site node the rowid of its stored row and on a
// folder node the folder's id. Sites may agree in host and name, so the rowid is what ties a node
// to its row. Detail lines carry none. A node's label may wait here until its line is first drawn
// (see SiteTree).
#include <wx/treectrl.h>

class SiteTreeItemData : public wxTreeItemData {
public:
    explicit SiteTreeItemData(const wxString& kind, long long rowid = 0, long long folder = 0)
        : kind(kind), rowid(rowid), folder(folder)
    {
    }
    const wxString& GetKind() const { return kind; }
    long long GetRowid() const { return rowid; }
    long long GetFolder() const { return folder; }
    bool IsSite() const { return kind == "SiteItem"; }
    bool IsFolder() const { return kind == "FolderItem"; }
    bool IsRoot() const { return kind == "Root item"; }

    void HoldLabel(const wxString& text)
    {
        label = text;
        holdsLabel = true;
    }
    bool HoldsLabel() const { return holdsLabel; }
    const wxString& HeldLabel() const { return label; }
    wxString ReleaseLabel()
    {
        holdsLabel = false;
        wxString text;
        text.swap(label);
        return text;
    }

private:
    wxString kind;
    long long rowid;
    long long folder;
    wxString label;
    bool holdsLabel = false;
};
