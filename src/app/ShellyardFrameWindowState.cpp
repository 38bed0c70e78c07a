// The main window remembers itself: where it was, how big, whether maximized, how its panes were
// arranged and whether the sites list was shown, from one run to the next.
#include "app/ShellyardFrame.h"

#include "app/WindowState.h"

#include <wx/display.h>
#include <wx/log.h>

namespace {
std::vector<ScreenRect> Screens(wxRect& extent)
{
    std::vector<ScreenRect> screens;
    for (unsigned i = 0; i < wxDisplay::GetCount(); ++i) {
        wxRect screen = wxDisplay(i).GetGeometry();
        screens.push_back({screen.x, screen.y, screen.width, screen.height});
        extent = i == 0 ? screen : extent.Union(screen);
    }
    return screens;
}
}  // namespace

void ShellyardFrame::RestoreWindowState()
{
    Bind(wxEVT_SIZE, [this](wxSizeEvent& event) { FollowPlace(), event.Skip(); });
    Bind(wxEVT_MOVE, [this](wxMoveEvent& event) { FollowPlace(), event.Skip(); });
    // The manager has placed the window by the time it is active there; from then on the user does.
    Bind(wxEVT_ACTIVATE, [this](wxActivateEvent& event) {
        if (event.GetActive() && placeToTake && GetPosition() == *placeToTake)
            placeToTake.reset();
        event.Skip();
    });

    wxRect extent;
    const std::vector<ScreenRect> screens = Screens(extent);
    const WindowState state = WindowState::Read(extent.width, extent.height);
    const wxRect first = GetRect();  // the first start's: centred, 1156x805
    const wxSize size(state.width.value_or(first.width), state.height.value_or(first.height));
    if (state.x && state.y) {
        if (WindowState::Reachable({int(*state.x), int(*state.y), size.x, size.y}, screens))
            SetSize(int(*state.x), int(*state.y), size.x, size.y);
        else
            wxLogMessage("The window's saved place %ld,%ld lies off every screen: it starts centred at %dx%d",
                         *state.x, *state.y, first.width, first.height);
    } else if (size != first.GetSize()) {
        SetSize(size);
        Centre(wxBOTH);
    }
    normalRect = GetRect();
    if (state.maximized.value_or(false)) {
        Maximize();
        restoreWhenUnmaximized = true;
    } else {
        placeToTake = normalRect.GetPosition();
    }

    if (state.sitesListShown && !*state.sitesListShown) {
        sitesListShown = 0;
        menuBar->Check(ID_MENU_VIEW_SITES_LIST, false);
    }
    if (state.layout)
        RestoreLayout(*state.layout);
    auiManager.GetPane("SiteTree").Show(sitesListShown != 0);
    auiManager.Update();
}

// The saved layout tells where each pane is (its dock, row and place there, its size, or where it
// floats); what each pane is (caption, buttons, toolbar or not, shown or not) stays as built, and
// the notebook stays the centre.
void ShellyardFrame::RestoreLayout(const wxString& layout)
{
    wxAuiPaneInfoArray& panes = auiManager.GetAllPanes();
    std::vector<wxString> names;
    std::vector<wxAuiPaneInfo> built;
    for (size_t i = 0; i < panes.GetCount(); ++i) {
        names.push_back(panes[i].name);
        built.push_back(panes[i]);
    }
    wxString why;
    if (!WindowState::UsableLayout(layout, names, why)) {
        wxLogMessage("The saved layout of the window is ignored: %s", why);
        return;
    }
    auiManager.LoadPerspective(layout, false);
    wxRect extent;
    const std::vector<ScreenRect> screens = Screens(extent);
    for (const wxAuiPaneInfo& asBuilt : built) {
        wxAuiPaneInfo& pane = auiManager.GetPane(asBuilt.name);
        const wxAuiPaneInfo placed = pane;
        pane = asBuilt;
        if (asBuilt.dock_direction == wxAUI_DOCK_CENTER || placed.dock_direction == wxAUI_DOCK_CENTER)
            continue;
        pane.dock_direction = placed.dock_direction;
        pane.dock_layer = placed.dock_layer;
        pane.dock_row = placed.dock_row;
        pane.dock_pos = placed.dock_pos;
        pane.dock_proportion = placed.dock_proportion;
        if (!asBuilt.IsToolbar())  // a toolbar's size is its tools'
            pane.best_size = placed.best_size;
        pane.floating_pos = placed.floating_pos;
        pane.floating_size = placed.floating_size;
        const wxSize floatSize = placed.floating_size.IsFullySpecified() ? placed.floating_size : placed.best_size;
        if (placed.IsFloating() && asBuilt.IsFloatable() &&
            WindowState::Reachable({placed.floating_pos.x, placed.floating_pos.y, floatSize.x, floatSize.y}, screens))
            pane.Float();
        else
            pane.Dock();
    }
}

// Follows the window once shown: where the window manager puts it, and where the user does.
void ShellyardFrame::FollowPlace()
{
    if (!IsShownOnScreen() || IsIconized() || IsFullScreen() || !panesShown || placeRequestDue)
        return;
    if (IsMaximized()) {
        maximizedSeen = true;
        return;
    }
    // GTK shows a window at a token size first, while it learns the window manager's frame.
    const wxRect place = GetRect();
    if (place.width < WindowState::kMinWidth || place.height < WindowState::kMinHeight)
        return;
    // Some window managers (openbox) put a new window where they like rather than where it asked
    // to be; it asks again, twice at most (a tiling one never gives in).
    // The request waits for the event loop: made inside this size or move handler, it would send
    // the frame its move event within this one's dispatch, which the toolkit does not allow. What
    // comes meanwhile is not yet the answer to it.
    if (placeToTake && place.GetPosition() != *placeToTake) {
        if (placeRequests++ < 2) {
            const wxPoint wanted = *placeToTake;
            placeRequestDue = true;
            CallAfter([this, wanted] {
                placeRequestDue = false;
                Move(wanted);
            });
            return;
        }
        placeToTake.reset();
    }
    // A window shown maximized has never been seen by the manager at its normal place, and would
    // come back at its token size: the place it had last time is taken when it leaves maximized.
    if (restoreWhenUnmaximized && maximizedSeen) {
        restoreWhenUnmaximized = false;
        if (place != normalRect) {
            const wxRect wanted = normalRect;
            placeRequestDue = true;
            CallAfter([this, wanted] {
                placeRequestDue = false;
                SetSize(wanted);
            });
            return;
        }
    }
    normalRect = place;
}

void ShellyardFrame::SaveWindowState()
{
    WindowState state;
    const bool maximized = IsMaximized();
    const wxRect shown = GetRect();
    const bool normal = !maximized && !IsFullScreen() && panesShown && !IsIconized() &&
                        shown.width >= WindowState::kMinWidth && shown.height >= WindowState::kMinHeight;
    const wxRect place = normal ? shown : normalRect;
    state.x = place.x;
    state.y = place.y;
    state.width = place.width;
    state.height = place.height;
    state.maximized = maximized;
    state.sitesListShown = sitesListShown != 0;
    state.layout = panesShown ? auiManager.SavePerspective() : normalLayout;
    state.Write();
}
