#pragma once
// Read access to the main window's parts for the GUI tests (ShellyardFrame names this struct its
// friend). Only the tests include this header.
#include "app/ShellyardFrame.h"
#include "app/ShellyardSitesPanel.h"
#include "app/SiteTreeItemData.h"
#include "storage/SiteStore.h"
#include "dialogs/ShellyardAboutDialog.h"
#include "session/ShellyardLoginPanel.h"
#include "session/ShellyardMCSPanel.h"

#include <vector>
#include <wx/toolbar.h>

struct FrameProbe {
    static wxAuiManager& Aui(ShellyardFrame* f) { return f->auiManager; }
    static wxAuiNotebook* Notebook(ShellyardFrame* f) { return f->notebook; }
    static wxToolBar* ToolBar(ShellyardFrame* f) { return f->toolBar; }
    static ShellyardSitesPanel* Sites(ShellyardFrame* f) { return f->sitesPanel; }
    static wxTreeCtrl* Tree(ShellyardFrame* f) { return f->sitesPanel->siteTree; }
    static wxTreeCtrl* FindTree(ShellyardFrame* f) { return f->sitesPanel->findTree; }
    static wxTextCtrl* FindField(ShellyardFrame* f) { return f->sitesPanel->findText; }
    static SiteStore* Store(ShellyardFrame* f) { return f->siteStore; }
    static const wxString& PuttyPath(ShellyardFrame* f) { return f->puttyPath; }
    static const wxString& PlinkPath(ShellyardFrame* f) { return f->plinkPath; }
    static ShellyardLoginPanel* LoginPanel(ShellyardFrame* f) { return f->loginPanel; }
    static wxComboBox* HostField(ShellyardFrame* f) { return f->loginPanel->hostText; }
    static wxChoice* ProtocolChoice(ShellyardFrame* f) { return f->loginPanel->protocolChoice; }
    static wxWindow* LoginButton(ShellyardFrame* f) { return f->loginPanel->loginButton; }
    static ShellyardMCSPanel* MCSPanel(ShellyardFrame* f) { return f->mcsPanel; }
    static wxTextCtrl* MCSCommand(ShellyardFrame* f) { return f->mcsPanel->commandText; }
    static KeySender& Keys(ShellyardFrame* f) { return f->keySender; }
    // A command of a tab's menu, as if chosen there.
    static void TabCommand(ShellyardFrame* f, int id, wxWindow* page) { f->TabCommand(id, page); }
    static wxTreeItemId& MenuItem(ShellyardFrame* f) { return f->sitesPanel->menuItem; }

    struct Site {
        wxString name, host, protocol, user, password, port;
    };
    // A site as the caller gives it, without a stored row (as Quick Login makes one).
    static SiteRecord Record(const Site& s)
    {
        SiteRecord record;
        record.hostname = s.name;
        record.hostip = s.host;
        record.hosttype = s.protocol;
        record.hostuser = s.user;
        record.hostpasswd = s.password;
        record.hostport = s.port;
        return record;
    }
    // The site the sites pane's menu acts on (as read from the store when the menu opened).
    static Site CurrentSite(ShellyardFrame* f)
    {
        const SiteRecord& s = f->sitesPanel->menuSite;
        return {s.hostname, s.hostip, s.hosttype, s.hostuser, s.hostpasswd, s.hostport};
    }
    // Points the sites pane's menu at the first stored site of this name and host, as a right click
    // on its node would; with no such site the menu points nowhere.
    static void SetCurrentSite(ShellyardFrame* f, const Site& s)
    {
        ShellyardSitesPanel* panel = f->sitesPanel;
        panel->menuTree = panel->siteTree;
        panel->menuItem = wxTreeItemId();
        panel->menuSite = Record(s);
        for (const auto& node : panel->siteNodes) {
            const SiteCatalog::Site* site = panel->catalog.FindSite(node.first);
            if (!site || site->name != s.name || site->host != s.host ||
                (panel->menuItem.IsOk() && panel->RowidOf(panel->siteTree, panel->menuItem) < node.first))
                continue;
            panel->menuItem = node.second;
            std::unique_ptr<SiteRecord> stored = f->siteStore->FindSiteByRowid(node.first);
            if (stored)
                panel->menuSite = *stored;
        }
    }

    // "Connect all sites" from the root's menu.
    static void ConnectAllSites(ShellyardFrame* f)
    {
        f->sitesPanel->menuTree = f->sitesPanel->siteTree;
        f->sitesPanel->menuItem = f->sitesPanel->siteTree->GetRootItem();
        Command(f, ID_SITES_CONNECT_ALL);
    }

    // Sends a menu or tool command to the frame as a click would.
    static void Command(ShellyardFrame* f, int id)
    {
        wxCommandEvent event(wxEVT_COMMAND_MENU_SELECTED, id);
        event.SetEventObject(f);
        f->GetEventHandler()->ProcessEvent(event);
    }
    static int NewConnectionId(ShellyardFrame* f) { return f->newConnectionId; }
    static int FullScreenId(ShellyardFrame* f) { return f->fullScreenId; }
    static int PuttyConfigurationId(ShellyardFrame* f) { return f->puttyConfigurationId; }
    static int OptionsId(ShellyardFrame* f) { return f->optionsId; }
    static int MonitorOverviewId(ShellyardFrame* f) { return f->monitorOverviewId; }

    static wxStaticBitmap* AboutPicture(ShellyardAboutDialog* d) { return d->pictureBitmap; }
    static wxStaticBitmap* AboutBanner(ShellyardAboutDialog* d) { return d->bannerBitmap; }
    static wxString AboutVersion(ShellyardAboutDialog* d) { return d->versionLabel->GetLabel(); }
    static wxWindow* AboutVersionLabel(ShellyardAboutDialog* d) { return d->versionLabel; }
    static wxWindow* AboutHomeLink(ShellyardAboutDialog* d) { return d->homeLink; }
    static std::vector<wxHyperlinkCtrl*> AboutLinks(ShellyardAboutDialog* d)
    {
        return {d->weiboLink, d->twitterLink, d->homeLink};
    }
};
