#pragma once
// Read access to the main window's parts for the GUI tests (ShellyardFrame names this struct its
// friend). Only the tests include this header.
#include "app/ShellyardFrame.h"
#include "dialogs/ShellyardAboutDialog.h"
#include "session/ShellyardLoginPanel.h"
#include "session/ShellyardMCSPanel.h"

#include <vector>
#include <wx/toolbar.h>

struct FrameProbe {
    static wxAuiManager& Aui(ShellyardFrame* f) { return f->auiManager; }
    static wxAuiNotebook* Notebook(ShellyardFrame* f) { return f->notebook; }
    static wxToolBar* ToolBar(ShellyardFrame* f) { return f->toolBar; }
    static wxTreeCtrl* Tree(ShellyardFrame* f) { return f->siteTree; }
    static SiteStore* Store(ShellyardFrame* f) { return f->siteStore; }
    static const wxString& PuttyPath(ShellyardFrame* f) { return f->puttyPath; }
    static const wxString& PlinkPath(ShellyardFrame* f) { return f->plinkPath; }
    static ShellyardLoginPanel* LoginPanel(ShellyardFrame* f) { return f->loginPanel; }
    static wxComboBox* HostField(ShellyardFrame* f) { return f->loginPanel->hostText; }
    static wxChoice* ProtocolChoice(ShellyardFrame* f) { return f->loginPanel->protocolChoice; }
    static wxWindow* LoginButton(ShellyardFrame* f) { return f->loginPanel->loginButton; }
    static ShellyardMCSPanel* MCSPanel(ShellyardFrame* f) { return f->mcsPanel; }
    static KeySender& Keys(ShellyardFrame* f) { return f->keySender; }
    static wxTreeItemId& MenuItem(ShellyardFrame* f) { return f->menuItem; }

    struct Site {
        wxString name, host, protocol, user, password, port;
    };
    static Site CurrentSite(ShellyardFrame* f)
    {
        return {f->siteName, f->siteHost, f->siteProtocol, f->siteUser, f->sitePassword, f->sitePort};
    }
    static void SetCurrentSite(ShellyardFrame* f, const Site& s)
    {
        f->siteName = s.name;
        f->siteHost = s.host;
        f->siteProtocol = s.protocol;
        f->siteUser = s.user;
        f->sitePassword = s.password;
        f->sitePort = s.port;
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
