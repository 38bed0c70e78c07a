// The main window's side of the sites: the sites pane, its menu commands, monitoring a site and the
// new-site flow.
#include "app/ShellyardFrame.h"

#include "app/ShellyardSitesPanel.h"
#include "monitor/ShellyardMonPanel.h"
#include "resources/Pictures.h"
#include "storage/SiteStore.h"

#include <wx/msgdlg.h>
#include <wx/weakref.h>

void ShellyardFrame::BuildSitesPane()
{
    sitesPanel = new ShellyardSitesPanel(this, siteStore);
    auiManager.AddPane(sitesPanel, wxAuiPaneInfo().Name("SiteTree").Caption("Sites List").Left()
                                       .BestSize(wxSize(200, 200)).CloseButton(false).PinButton(true));
    sitesPanel->Fill();
}

void ShellyardFrame::OnSiteMenu(wxCommandEvent& event)
{
    if (sitesPanel)
        sitesPanel->OnSiteMenu(event);
}

void ShellyardFrame::TakeStoredLogin(SiteRecord& site)
{
    if (site.rowid > 0)
        return;
    std::unique_ptr<SiteRecord> stored = siteStore ? siteStore->FindSite(site.hostip, site.hostname) : nullptr;
    site.hostuser = stored ? stored->hostuser : wxString();
    site.hostpasswd = stored ? stored->hostpasswd : wxString();
    site.hostpostcommand = stored ? stored->hostpostcommand : wxString();
}

void ShellyardFrame::StartMonitor(SiteRecord site)
{
    TakeStoredLogin(site);
    if (site.hosttype == "ssh" && !site.hostuser.empty() && !site.hostpasswd.empty()) {
        wxString problem = UnsafeSiteValues(site.hostname, site.hosttype, site.hostip, site.hostport, site.hostuser,
                                            site.hostpasswd);
        if (problem.empty())
            OpenMonitorPage(site);
        else
            wxMessageBox(problem, "Shellyard", wxOK | wxICON_WARNING, this);
        return;
    }
    wxMessageBox(_("Warnning: Only SSH protocol site with auto-login enabled can be monitored."), "Warning",
                 wxOK | wxICON_INFORMATION, nullptr);
}

// The monitor tab for an SSH site with user and password, shown at once; what PLink brings fills it
// as it comes.
void ShellyardFrame::OpenMonitorPage(const SiteRecord& site)
{
    ShellyardMonPanel* page = new ShellyardMonPanel(notebook);
    LocateTerminalPrograms();
    page->SetMonitorTarget(plinkPath, site.hostip, site.hostuser, site.hostpasswd, "vmstat 5", site.hostport);
    notebook->AddPage(page, site.hostname, true, PictureBitmap("montab"));
    page->StartMonitoring();
    auiManager.Update();
}

void ShellyardFrame::ConnectSites(std::vector<SiteRecord> sites)
{
    std::vector<QueuedSite> queued;
    for (SiteRecord& site : sites)
        queued.push_back({std::move(site), true});
    QueueSites(std::move(queued));
}

void ShellyardFrame::QueueSites(std::vector<QueuedSite> sites)
{
    // Several connect at a time, their tabs and messages in this order; the status bar counts them.
    for (QueuedSite& site : sites)
        sitesToConnect.push_back(std::move(site));
    connectingTotal += static_cast<int>(sites.size());
    AdvanceConnections(true);
}

void ShellyardFrame::OnNewConnection(wxCommandEvent& event)
{
    // A newly saved site is connected at once; one that could not be stored is not shown at all.
    std::optional<SiteRecord> site = sitesPanel ? sitesPanel->AddNewSite() : std::nullopt;
    if (site)
        ConnectSite(*site);
}
