#pragma once
// The tree control of the sites panel. With tens of thousands of sites the toolkit's own tree
// (the generic one, drawn by wxWidgets itself) measures the text of every node the first time it
// lays itself out, though only a screenful is ever drawn: about a third of a second for 32,767
// sites. Here the label of a site or folder node is held in its SiteTreeItemData and given to the
// control only when the node's line is about to be drawn, edited or asked for its rectangle;
// GetItemText, and so every tree event and the keyboard's type-ahead, sees the label at once.
// The few longest labels on open nodes are given to it before it is drawn as well, so that the
// horizontal scroll range covers the widest name from the start.
// Where the platform's native tree is used (it asks for labels itself), the labels go straight in.
#include <wx/treectrl.h>

class SiteTreeItemData;

class SiteTree : public wxTreeCtrl {
public:
    SiteTree(wxWindow* parent, wxWindowID id);
    ~SiteTree() override;

    wxString GetItemText(const wxTreeItemId& item) const override;
    void SetItemText(const wxTreeItemId& item, const wxString& text) override;
    bool GetBoundingRect(const wxTreeItemId& item, wxRect& rect, bool textOnly = false) const override;
    wxTextCtrl* EditLabel(const wxTreeItemId& item, wxClassInfo* textCtrlClass = wxCLASSINFO(wxTextCtrl)) override;

protected:
    wxTreeItemId DoInsertItem(const wxTreeItemId& parent, size_t previous, const wxString& text, int image,
                              int selectedImage, wxTreeItemData* data) override;
    wxTreeItemId DoInsertAfter(const wxTreeItemId& parent, const wxTreeItemId& idPrevious, const wxString& text,
                               int image = -1, int selImage = -1, wxTreeItemData* data = nullptr) override;

private:
    // The text a new node gets in the control: nothing when its label waits in its data.
    wxString LabelForControl(const wxString& text, wxTreeItemData* data);
#ifdef wxHAS_GENERIC_TREECTRL
    // The label held for the node, if any (null when the control has it).
    SiteTreeItemData* Holding(const wxTreeItemId& item) const;
    // Gives the control a held label; true when the line now reaches beyond the laid-out width.
    bool ShowLabel(const wxTreeItemId& item);
    // Before the control draws: the labels of every line in the window are given to it.
    void OnPaint(wxPaintEvent& event);
    // The line after this one on the screen (into opened nodes, out of finished ones).
    wxTreeItemId NextLine(const wxTreeItemId& item) const;
    // Gives the control the labels likely to be the widest of the open nodes; true when the tree
    // must be laid out again for them.
    bool ShowWidestLabels();
    bool widestUnknown = false;  // nodes were added or opened since the widest were shown
#endif
};
