// The main window's side of the sites: the sites pane, its menu commands, monitoring a site and the
// new-site flow.
#include "app/ShellyardFrame.h"

#include "app/ShellyardSitesPanel.h"
#include "monitor/ShellyardMonPanel.h"
#include "resources/Pictures.h"
#include "storage/SiteStore.h"

#include "app/AppConfig.h"
#include "app/PrivateFile.h"
#include "session/KeyConversion.h"
#include "session/KeyFile.h"
#include "session/PendingEvents.h"

#include <wx/filename.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/textdlg.h>
#include <wx/utils.h>
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
    site.keyfile = stored ? stored->keyfile : wxString();
    site.puttysession = stored ? stored->puttysession : wxString();
}

void ShellyardFrame::StartMonitor(SiteRecord site)
{
    TakeStoredLogin(site);
    // PLink logs in with the password, the key file or the agent; without a user it cannot.
    if (site.hosttype == "ssh" && !site.hostuser.empty()) {
        wxString problem = UnsafeSiteValues(site.hostname, site.hosttype, site.hostip, site.hostport, site.hostuser,
                                            site.hostpasswd, site.keyfile, site.puttysession);
        if (problem.empty())
            problem = PrepareKeyFile(site);
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
    page->SetMonitorTarget(plinkPath, site.hostip, site.hostuser, site.hostpasswd, "vmstat 5", site.hostport,
                           site.keyfile);
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

void ShellyardFrame::OnImportSites(wxCommandEvent& event)
{
    if (sitesPanel)
        sitesPanel->ImportSites();
}

void ShellyardFrame::OnNewConnection(wxCommandEvent& event)
{
    // A newly saved site is connected at once; one that could not be stored is not shown at all.
    std::optional<SiteRecord> site = sitesPanel ? sitesPanel->AddNewSite() : std::nullopt;
    if (site)
        ConnectSite(*site);
}

namespace {
std::string Utf8Text(const wxString& text)
{
    return std::string(text.utf8_str());
}

// puttygen comes with PLink: beside it, else on PATH.
wxString PuttygenBeside(const wxString& plink)
{
    wxFileName beside(plink);
    beside.SetName("puttygen");
    if (beside.FileExists())
        return beside.GetFullPath();
    wxPathList path;
    path.AddEnvList("PATH");
    const wxString found = path.FindAbsoluteValidPath("puttygen");
    return found.empty() ? wxString("puttygen") : found;
}
}  // namespace

wxString ShellyardFrame::PrepareKeyFile(SiteRecord& site)
{
    if (site.keyfile.empty() || site.hosttype != "ssh")
        return wxString();
    const KeyFile key = KeyFile::Of(Utf8Text(site.keyfile));
    wxString reason;
    switch (key.kind) {
    case KeyFile::Kind::Putty:
        return wxString();
    case KeyFile::Kind::Missing:
        reason = wxString::Format(_("its key file %s is not there"), site.keyfile);
        break;
    case KeyFile::Kind::Unreadable:
        reason = wxString::Format(_("its key file %s cannot be read"), site.keyfile);
        break;
    case KeyFile::Kind::Unknown:
        reason = wxString::Format(_("its key file %s is neither a PuTTY nor an OpenSSH private key"), site.keyfile);
        break;
    case KeyFile::Kind::OpenSsh:
        break;
    }
    if (!reason.empty()) {
        wxLogMessage("Site %s not started: its key file %s is not usable", site.hostname, site.keyfile);
        return wxString::Format(_("The site %s cannot be started: %s."), site.hostname, reason);
    }

    // PuTTY reads only its own key format: a converted copy is made once, in our private folder,
    // and the site uses it from then on.
    const wxString folder = AppConfig::ProgramFile("keys");
    wxFileName target(folder, wxFileName(site.keyfile).GetName() + wxString::Format("-%lld", site.rowid), "ppk");
    const wxString question = wxString::Format(
        _("The key file %s of %s is an OpenSSH key, which PuTTY cannot read. Convert it into a PuTTY key, kept as %s?"),
        site.keyfile, site.hostname, target.GetFullPath());
    if (wxMessageBox(question, "Shellyard", wxYES_NO, this) != wxYES)
        return wxString::Format(_("The site %s cannot be started: %s."), site.hostname,
                                _("its OpenSSH key was not converted"));
    wxString passphrase;
    if (key.passphrase) {
        wxPasswordEntryDialog ask(this, wxString::Format(_("The passphrase of %s:"), site.keyfile), "Shellyard");
        if (ask.ShowModal() != wxID_OK)
            return wxString::Format(_("The site %s cannot be started: %s."), site.hostname,
                                    _("its OpenSSH key was not converted"));
        passphrase = ask.GetValue();
    }
    if (!wxFileName::DirExists(folder))
        wxFileName::Mkdir(folder, 0700, wxPATH_MKDIR_FULL);
    PrivateFile::Tighten(folder);
    // The passphrase stays on the new key, which PuTTY then asks for.
    std::string error;
    if (!KeyConversion::ToPutty(Utf8Text(PuttygenBeside(plinkPath)), Utf8Text(site.keyfile),
                                Utf8Text(target.GetFullPath()), Utf8Text(passphrase), &error,
                                [] { HandlePendingEvents(wxEVT_CATEGORY_UI); })) {
        wxLogMessage("puttygen could not convert %s (%s)", site.keyfile, wxString::FromUTF8(error.c_str()));
        return wxString::Format(_("The site %s cannot be started: %s."), site.hostname,
                                wxString::Format(_("puttygen could not convert its key file %s"), site.keyfile));
    }
    PrivateFile::Tighten(target.GetFullPath());
    wxLogMessage("The OpenSSH key %s of %s converted into %s", site.keyfile, site.hostname, target.GetFullPath());
    site.keyfile = target.GetFullPath();
    if (site.rowid > 0 && siteStore && siteStore->UpdateSite(site) <= 0)
        wxLogMessage("The converted key of %s could not be stored; it is used this time", site.hostname);
    return wxString();
}
