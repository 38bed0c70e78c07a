// The open tabs of the main window: their broadcast choices and marks, terminals that ended,
// connecting a tab again, the tab menu and its commands, closing tabs, and the sessions of an
// earlier run taken back or opened again.
#include "app/ShellyardFrame.h"

#include "app/LastSessions.h"
#include "app/SessionRecord.h"
#include "monitor/ShellyardMonOverviewPanel.h"
#include "resources/Pictures.h"
#include "session/PostLoginCommands.h"
#include "session/ProcessIdentity.h"
#include "session/ShellyardConnPanel.h"
#include "session/TerminalConnection.h"
#include "session/TerminalProcess.h"
#include "session/TerminalWindow.h"
#include "storage/SiteStore.h"

#include <algorithm>
#include <wx/app.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/weakref.h>

void ShellyardFrame::SetAllReceiveBroadcast(bool receive)
{
    for (size_t i = 0; i < notebook->GetPageCount(); ++i) {
        if (auto* page = dynamic_cast<ShellyardConnPanel*>(notebook->GetPage(i))) {
            page->SetReceivesBroadcast(receive);
            UpdateTabMark(page);
        }
    }
}

void ShellyardFrame::UpdateTabMark(ShellyardConnPanel* page)
{
    const int index = notebook->GetPageIndex(page);
    if (index == wxNOT_FOUND)
        return;
    const wxString caption = page->Site().hostname + (page->IsEnded() ? _(" (ended)") : wxString());
    if (notebook->GetPageText(index) != caption)
        notebook->SetPageText(index, caption);
    // Greyed: a broadcast passes this tab by.
    wxBitmap picture = PictureBitmap("tree2");
    if (!page->ReceivesBroadcast())
        picture = picture.ConvertToDisabled();
    notebook->SetPageBitmap(index, picture);
}

void ShellyardFrame::CheckEndedTerminals()
{
    for (size_t i = 0; notebook && i < notebook->GetPageCount(); ++i) {
        auto* page = dynamic_cast<ShellyardConnPanel*>(notebook->GetPage(i));
        if (!page || page->IsEnded() || !page->GetTerminalWindow() ||
            (page->GetConnection() && !page->GetConnection()->IsDone()))
            continue;
        if (!page->HasLiveTerminal()) {
            wxLogMessage("The session %s has ended", page->Site().hostname);
            page->MarkEnded();
            UpdateTabMark(page);
            if (page == notebook->GetCurrentPage())
                page->FocusTerminal();
        }
    }
}

bool ShellyardFrame::CurrentSiteOf(ShellyardConnPanel* page, SiteRecord& site)
{
    site = page->Site();
    if (site.rowid <= 0)
        return true;  // Quick Login: the login is looked up by host and name as it was
    std::unique_ptr<SiteRecord> stored = StoredSite(site.rowid);
    if (!stored) {
        wxLogMessage("The site %s cannot be connected again: it has been deleted", site.hostname);
        wxMessageBox(wxString::Format(_("The site %s has been deleted meanwhile: it cannot be connected again."),
                                      site.hostname),
                     "Shellyard", wxOK | wxICON_INFORMATION, this);
        return false;
    }
    site = *stored;
    return true;
}

std::unique_ptr<SiteRecord> ShellyardFrame::StoredSite(long long rowid)
{
    // The store answers a row it does not have with an empty record.
    std::unique_ptr<SiteRecord> stored = siteStore ? siteStore->FindSiteByRowid(rowid) : nullptr;
    if (!stored || stored->rowid != rowid)
        return nullptr;
    return stored;
}

void ShellyardFrame::ReconnectTab(ShellyardConnPanel* page)
{
    if (!page || notebook->GetPageIndex(page) == wxNOT_FOUND || IsConnecting())
        return;
    SiteRecord site;
    if (!CurrentSiteOf(page, site))
        return;
    wxLogMessage("Reconnecting %s in its tab", page->Site().hostname);
    if (page->GetTerminalProcess())
        SessionRecord::Get().Remove(page->GetTerminalProcess()->Pid());
    page->EndTerminal();
    UpdateTabMark(page);
    StartConnection(std::move(site), page);
    AdvanceConnections();
}

void ShellyardFrame::OnTabRightUp(wxAuiNotebookEvent& event)
{
    const int index = event.GetSelection();
    if (index < 0 || static_cast<size_t>(index) >= notebook->GetPageCount())
        return;
    wxWindow* page = notebook->GetPage(static_cast<size_t>(index));
    auto* terminal = dynamic_cast<ShellyardConnPanel*>(page);
    wxMenu menu;
    if (terminal) {
        menu.AppendCheckItem(ID_TAB_RECEIVE, _("Receive broadcast"));
        menu.Check(ID_TAB_RECEIVE, terminal->ReceivesBroadcast());
        menu.AppendSeparator();
        menu.Append(ID_TAB_RECONNECT, _("Reconnect"));
        menu.Append(ID_TAB_DUPLICATE, _("Duplicate Session"));
        menu.AppendSeparator();
    }
    menu.Append(ID_TAB_CLOSE, _("Close"));
    menu.Append(ID_TAB_CLOSE_OTHERS, _("Close Other Tabs"));
    menu.Enable(ID_TAB_CLOSE_OTHERS, notebook->GetPageCount() > 1);
    wxWeakRef<wxWindow> chosen(page);
    const int id = GetPopupMenuSelectionFromUser(menu);
    if (id != wxID_NONE && chosen)
        TabCommand(id, chosen);
}

void ShellyardFrame::TabCommand(int id, wxWindow* page)
{
    const int index = notebook->GetPageIndex(page);
    if (index == wxNOT_FOUND)
        return;
    auto* terminal = dynamic_cast<ShellyardConnPanel*>(page);
    switch (id) {
    case ID_TAB_RECEIVE:
        if (terminal) {
            terminal->SetReceivesBroadcast(!terminal->ReceivesBroadcast());
            UpdateTabMark(terminal);
        }
        break;
    case ID_TAB_RECONNECT:
        ReconnectTab(terminal);
        break;
    case ID_TAB_DUPLICATE:
        if (terminal && !IsConnecting()) {
            SiteRecord site;
            if (CurrentSiteOf(terminal, site))
                ConnectSite(std::move(site));
        }
        break;
    case ID_TAB_CLOSE:
        // The overview only shows what the other pages hold: it closes without a question.
        if (dynamic_cast<ShellyardMonOverviewPanel*>(page) ||
            wxMessageBox(_("Are you sure you want to stop loggin and close this site?"), "Shellyard", wxYES_NO,
                         this) == wxYES)
            notebook->DeletePage(static_cast<size_t>(index));
        break;
    case ID_TAB_CLOSE_OTHERS: {
        std::vector<wxWeakRef<wxWindow>> others;
        int asking = 0;
        for (size_t i = 0; i < notebook->GetPageCount(); ++i) {
            wxWindow* other = notebook->GetPage(i);
            if (other == page)
                continue;
            others.emplace_back(other);
            asking += dynamic_cast<ShellyardMonOverviewPanel*>(other) ? 0 : 1;
        }
        if (others.empty())
            break;
        if (asking > 0 &&
            wxMessageBox(wxString::Format(_("Are you sure you want to stop loggin and close the %d other sites?"),
                                          asking),
                         "Shellyard", wxYES_NO, this) != wxYES)
            break;
        notebook->Freeze();
        for (const wxWeakRef<wxWindow>& other : others) {
            const int at = other ? notebook->GetPageIndex(other) : wxNOT_FOUND;
            if (at != wxNOT_FOUND)
                notebook->DeletePage(static_cast<size_t>(at));
        }
        notebook->Thaw();
        break;
    }
    default:
        break;
    }
}

std::vector<wxWindow*> ShellyardFrame::PagesInTabOrder()
{
    std::vector<wxAuiTabCtrl*> rows;
    for (wxWindow* child : notebook->GetChildren()) {
        if (auto* tabs = dynamic_cast<wxAuiTabCtrl*>(child))
            rows.push_back(tabs);
    }
    std::stable_sort(rows.begin(), rows.end(), [](wxAuiTabCtrl* a, wxAuiTabCtrl* b) {
        const wxPoint pa = a->GetPosition(), pb = b->GetPosition();
        return pa.y != pb.y ? pa.y < pb.y : pa.x < pb.x;
    });
    std::vector<wxWindow*> pages;
    auto add = [&](wxWindow* page) {
        if (notebook->GetPageIndex(page) != wxNOT_FOUND && std::find(pages.begin(), pages.end(), page) == pages.end())
            pages.push_back(page);
    };
    for (wxAuiTabCtrl* tabs : rows) {
        for (size_t i = 0; i < tabs->GetPageCount(); ++i)
            add(tabs->GetPage(i).window);
    }
    // A page that no row shows yet comes after, in the notebook's order.
    for (size_t i = 0; i < notebook->GetPageCount(); ++i)
        add(notebook->GetPage(i));
    return pages;
}

void ShellyardFrame::OnPageClose(wxAuiNotebookEvent& event)
{
    // The overview only shows what the other pages hold: it closes without a question.
    if (event.GetSelection() >= 0 &&
        dynamic_cast<ShellyardMonOverviewPanel*>(notebook->GetPage(static_cast<size_t>(event.GetSelection()))))
        return;
    if (wxMessageBox(_("Are you sure you want to stop loggin and close this site?"), "Shellyard", wxYES_NO,
                     this) != wxYES)
        event.Veto();
}

void ShellyardFrame::OfferToTakeBackSessionsOnceShown()
{
    // The question comes once a window manager has placed and shown the window; after a few
    // seconds it comes anyway. The timer goes with its last tick, or with the window.
    auto* waiting = new wxTimer();
    wxWeakRef<ShellyardFrame> self(this);
    auto since = std::chrono::steady_clock::now();
    waiting->Bind(wxEVT_TIMER, [self, waiting, since](wxTimerEvent&) {
        if (self && !TerminalWindow::IsOnScreen(TerminalWindow::FromToolkitHandle(self->GetHandle())) &&
            std::chrono::steady_clock::now() - since < std::chrono::seconds(5))
            return;
        waiting->Stop();
        wxTheApp->CallAfter([waiting] { delete waiting; });
        if (self)
            self->OfferToTakeBackSessions();
        if (self)
            self->OfferToReopenSessions();
    });
    waiting->Start(20);
}

void ShellyardFrame::OfferToTakeBackSessions()
{
    SessionRecord& record = SessionRecord::Get();
    // Only what this user's Shellyard started and left: the same process (its start mark), still the
    // program it was, the user's own, and with its terminal window at the top level.
    std::vector<RecordedSession> alive;
    std::vector<long> pids;
    for (const RecordedSession& session : record.LeftOver()) {
        if (ProcessIdentity::IsOurUsers(session.pid) && ProcessIdentity::StartMark(session.pid) == session.startMark &&
            !session.program.empty() && ProcessIdentity::ProgramOf(session.pid) == session.program &&
            TerminalWindow::Find(session.pid)) {
            alive.push_back(session);
            pids.push_back(session.pid);
        }
    }
    if (alive.empty()) {
        record.KeepLeftOver({});
        return;
    }
    const wxString question = wxString::Format(
        _("%d PuTTY sessions from the last run are still open. Take them back into tabs?"), int(alive.size()));
    if (wxMessageBox(question, "Shellyard", wxYES_NO, this) != wxYES) {
        wxLogMessage("%d PuTTY sessions of the last run left as they are", int(alive.size()));
        record.KeepLeftOver({});
        return;
    }
    // Until each is in its tab (or could not be taken) the record keeps it, should we end again.
    record.KeepLeftOver(pids);
    for (const RecordedSession& session : alive) {
        std::unique_ptr<TerminalProcess> process = TerminalProcess::TakeOver(session.pid, session.startMark);
        if (!process) {
            record.Remove(session.pid);
            continue;
        }
        wxLogMessage("Taking back the session %s of the last run (PuTTY process %ld)", session.name, session.pid);
        StartedConnection started;
        started.id = ++lastConnectionId;
        started.name = session.name;
        started.site.hostname = session.name;
        started.site.hostip = session.host;
        started.site.hosttype = session.protocol;
        started.site.hostport = session.port;
        started.site.hostuser = session.user;
        started.site.rowid = session.rowid;
        started.takenBack = true;
        OpenTerminalTab(started, std::move(process), nullptr);
    }
    AdvanceConnections();
}

void ShellyardFrame::RememberSessions()
{
    std::vector<LastSession> sessions;
    for (wxWindow* window : PagesInTabOrder()) {
        auto* page = dynamic_cast<ShellyardConnPanel*>(window);
        if (!page || page->Site().hostip.empty())
            continue;
        const SiteRecord& site = page->Site();
        sessions.push_back({site.rowid, page->ReceivesBroadcast(), site.hosttype, site.hostip});
    }
    LastSessions::Save(sessions);
}

void ShellyardFrame::OfferToReopenSessions()
{
    std::optional<std::vector<LastSession>> last = LastSessions::Load();
    // Once offered, the list is gone: a run that ends without quitting leaves nothing to reopen
    // twice (its PuTTYs are taken back instead).
    LastSessions::Forget();
    if (!last || last->empty())
        return;
    const LastSessions::Reopen mode = LastSessions::Mode();
    if (mode == LastSessions::Reopen::Never)
        return;
    if (mode == LastSessions::Reopen::Ask &&
        wxMessageBox(wxString::Format(_("Reopen the %d sessions of last time?"), int(last->size())), "Shellyard",
                     wxYES_NO, this) != wxYES)
        return;
    std::vector<QueuedSite> sites;
    int deleted = 0;
    for (const LastSession& session : *last) {
        QueuedSite queued;
        queued.receive = session.receive;
        if (session.rowid > 0) {
            std::unique_ptr<SiteRecord> stored = StoredSite(session.rowid);
            if (!stored) {
                ++deleted;
                continue;
            }
            queued.site = *stored;
        } else {
            // Quick Login: by host and protocol, as it was typed.
            queued.site.hostip = queued.site.hostname = session.host;
            queued.site.hosttype = session.protocol;
            queued.site.hostport = session.protocol == "telnet" ? "23" : "22";
        }
        sites.push_back(std::move(queued));
    }
    if (deleted > 0)
        wxLogMessage("%d sessions of last time not reopened: their sites have been deleted", deleted);
    wxLogMessage("Reopening %d sessions of last time", int(sites.size()));
    QueueSites(std::move(sites));
}
