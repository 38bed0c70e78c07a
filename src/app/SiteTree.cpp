#include "app/SiteTree.h"

#include "app/SiteTreeItemData.h"

#include <algorithm>
#include <utility>
#include <vector>

SiteTree::SiteTree(wxWindow* parent, wxWindowID id)
    : wxTreeCtrl(parent, id, wxDefaultPosition, wxDefaultSize, wxTR_DEFAULT_STYLE | wxNO_BORDER)
{
#ifdef wxHAS_GENERIC_TREECTRL
    Bind(wxEVT_PAINT, &SiteTree::OnPaint, this);
    Bind(wxEVT_TREE_ITEM_EXPANDED, [this](wxTreeEvent& event) {
        widestUnknown = true;
        event.Skip();
    });
#endif
}

SiteTree::~SiteTree()
{
#ifdef wxHAS_GENERIC_TREECTRL
    Unbind(wxEVT_PAINT, &SiteTree::OnPaint, this);
#endif
}

wxTreeItemId SiteTree::DoInsertItem(const wxTreeItemId& parent, size_t previous, const wxString& text, int image,
                                    int selectedImage, wxTreeItemData* data)
{
    return wxTreeCtrl::DoInsertItem(parent, previous, LabelForControl(text, data), image, selectedImage, data);
}

wxTreeItemId SiteTree::DoInsertAfter(const wxTreeItemId& parent, const wxTreeItemId& idPrevious,
                                     const wxString& text, int image, int selImage, wxTreeItemData* data)
{
    return wxTreeCtrl::DoInsertAfter(parent, idPrevious, LabelForControl(text, data), image, selImage, data);
}

wxString SiteTree::LabelForControl(const wxString& text, wxTreeItemData* data)
{
#ifdef wxHAS_GENERIC_TREECTRL
    if (auto* site = dynamic_cast<SiteTreeItemData*>(data); site && !text.empty()) {
        site->HoldLabel(text);
        widestUnknown = true;
        return wxString();
    }
#else
    (void)data;
#endif
    return text;
}

wxString SiteTree::GetItemText(const wxTreeItemId& item) const
{
#ifdef wxHAS_GENERIC_TREECTRL
    if (const SiteTreeItemData* held = Holding(item))
        return held->HeldLabel();
#endif
    return wxTreeCtrl::GetItemText(item);
}

void SiteTree::SetItemText(const wxTreeItemId& item, const wxString& text)
{
#ifdef wxHAS_GENERIC_TREECTRL
    if (SiteTreeItemData* held = Holding(item))
        held->ReleaseLabel();
#endif
    wxTreeCtrl::SetItemText(item, text);
}

bool SiteTree::GetBoundingRect(const wxTreeItemId& item, wxRect& rect, bool textOnly) const
{
#ifdef wxHAS_GENERIC_TREECTRL
    // The label's width is part of its rectangle (and of where a click lands on the label).
    if (textOnly && const_cast<SiteTree*>(this)->ShowLabel(item))
        const_cast<SiteTree*>(this)->m_dirty = true;
#endif
    return wxTreeCtrl::GetBoundingRect(item, rect, textOnly);
}

wxTextCtrl* SiteTree::EditLabel(const wxTreeItemId& item, wxClassInfo* textCtrlClass)
{
#ifdef wxHAS_GENERIC_TREECTRL
    if (ShowLabel(item))
        m_dirty = true;
#endif
    return wxTreeCtrl::EditLabel(item, textCtrlClass);
}

#ifdef wxHAS_GENERIC_TREECTRL
SiteTreeItemData* SiteTree::Holding(const wxTreeItemId& item) const
{
    if (!item.IsOk())
        return nullptr;
    auto* data = dynamic_cast<SiteTreeItemData*>(wxTreeCtrl::GetItemData(item));
    return data && data->HoldsLabel() ? data : nullptr;
}

bool SiteTree::ShowLabel(const wxTreeItemId& item)
{
    SiteTreeItemData* held = Holding(item);
    if (!held)
        return false;
    wxTreeCtrl::SetItemText(item, held->ReleaseLabel());
    wxRect label;
    wxTreeCtrl::GetBoundingRect(item, label, true);
    return CalcUnscrolledPosition(label.GetTopRight()).x >= GetVirtualSize().x;
}

bool SiteTree::ShowWidestLabels()
{
    widestUnknown = false;
    // A label's characters, and four for each level of indentation, stand in for its width
    // (measuring every label is what holding them saves); the longest few are measured.
    const size_t kCandidates = 8;
    const size_t kIndentCharacters = 4;
    std::vector<std::pair<size_t, wxTreeItemId>> longest;  // longest first
    std::vector<std::pair<wxTreeItemId, size_t>> open{{GetRootItem(), 0}};
    while (!open.empty()) {
        const auto [node, depth] = open.back();
        open.pop_back();
        if (const SiteTreeItemData* held = Holding(node)) {
            const size_t score = held->HeldLabel().length() + kIndentCharacters * depth;
            if (longest.size() < kCandidates || score > longest.back().first) {
                auto at = std::find_if(longest.begin(), longest.end(), [&](const auto& c) { return c.first < score; });
                longest.insert(at, {score, node});
                if (longest.size() > kCandidates)
                    longest.pop_back();
            }
        }
        if (!IsExpanded(node))
            continue;
        // Children by index: finding a node's next sibling searches its parent's children.
        wxTreeItemIdValue cookie;
        for (wxTreeItemId child = GetFirstChild(node, cookie); child.IsOk(); child = GetNextChild(node, cookie))
            open.push_back({child, depth + 1});
    }
    bool wider = false;
    for (const auto& candidate : longest)
        wider = ShowLabel(candidate.second) || wider;
    return wider;
}

wxTreeItemId SiteTree::NextLine(const wxTreeItemId& item) const
{
    if (IsExpanded(item)) {
        wxTreeItemIdValue cookie;
        wxTreeItemId child = GetFirstChild(item, cookie);
        if (child.IsOk())
            return child;
    }
    for (wxTreeItemId at = item; at.IsOk(); at = GetItemParent(at)) {
        wxTreeItemId next = GetNextSibling(at);
        if (next.IsOk())
            return next;
    }
    return {};
}

void SiteTree::OnPaint(wxPaintEvent& event)
{
    event.Skip();  // the control draws once the labels are in
    if (!GetRootItem().IsOk())
        return;
    // The lines must be where they will be drawn; the full layout (scroll bars) still follows
    // when the control is next idle.
    if (m_dirty)
        CalculatePositions();
    const int height = GetClientSize().y;
    // The top line: the root when not scrolled, else the line under the window's top (a point on
    // the border between two lines hits neither, hence the next rows).
    int viewX = 0, viewY = 0;
    GetViewStart(&viewX, &viewY);
    wxTreeItemId line = viewY == 0 ? GetRootItem() : wxTreeItemId();
    for (int y = 0; y <= m_lineHeight + 4 && y < height && !line.IsOk(); ++y) {
        int flags = 0;
        line = HitTest(wxPoint(0, y), flags);
    }
    bool wider = widestUnknown && ShowWidestLabels();
    for (; line.IsOk(); line = NextLine(line)) {
        wider = ShowLabel(line) || wider;
        wxRect rect;
        wxTreeCtrl::GetBoundingRect(line, rect);
        if (rect.GetBottom() >= height)
            break;
    }
    // A label wider than the laid-out tree: lay it out again so that the scroll bar reaches it.
    if (wider)
        m_dirty = true;
}
#endif
