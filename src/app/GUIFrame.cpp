#include "app/GUIFrame.h"

#include "resources/Pictures.h"

#include <wx/intl.h>

GUIFrame::GUIFrame(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& pos,
                   const wxSize& size, long style)
    : wxFrame(parent, id, title, pos, size, style)
{
    menuBar = new wxMenuBar(0);

    fileMenu = new wxMenu();
    wxMenuItem* newConnection =
        new wxMenuItem(fileMenu, wxID_ANY, _("&New Connection") + "\tAlt+N", wxEmptyString, wxITEM_NORMAL);
    newConnection->SetBitmap(PictureBitmap("newconic"));
    fileMenu->Append(newConnection);
    fileMenu->Append(new wxMenuItem(fileMenu, ID_MENU_IMPORT, _("Import Sites..."),
                                    _("Sites from the OpenSSH configuration or PuTTY's saved sessions"), wxITEM_NORMAL));
    fileMenu->AppendSeparator();
    wxMenuItem* quit = new wxMenuItem(fileMenu, ID_MENU_QUIT, _("&Quit") + "\tAlt+F4",
                                      _("Quit the application"), wxITEM_NORMAL);
    fileMenu->Append(quit);
    menuBar->Append(fileMenu, _("&File"));

    viewMenu = new wxMenu();
    wxMenuItem* sitesList = new wxMenuItem(viewMenu, ID_MENU_VIEW_SITES_LIST, _("View Sites List"),
                                           wxEmptyString, wxITEM_CHECK);
    viewMenu->Append(sitesList);
    sitesList->Check(true);
    wxMenuItem* fullScreen =
        new wxMenuItem(viewMenu, wxID_ANY, _("&Full Screen") + "\tAlt+F", wxEmptyString, wxITEM_CHECK);
#ifndef __WXGTK__
    // GTK check items cannot carry a picture (they draw their check mark instead).
    fullScreen->SetBitmaps(PictureBitmap("fullscic"), PictureBitmap("fullscic"));
#endif
    viewMenu->Append(fullScreen);
    wxMenuItem* monitorOverview =
        new wxMenuItem(viewMenu, wxID_ANY, _("Monitor Overview"), wxEmptyString, wxITEM_NORMAL);
    viewMenu->Append(monitorOverview);
    menuBar->Append(viewMenu, _("&View"));

    toolMenu = new wxMenu();
    wxMenuItem* puttyConfiguration = new wxMenuItem(toolMenu, wxID_ANY, _("Putty Configuration"),
                                                    wxEmptyString, wxITEM_NORMAL);
    puttyConfiguration->SetBitmap(PictureBitmap("putic"));
    toolMenu->Append(puttyConfiguration);
    toolMenu->AppendSeparator();
    wxMenuItem* options = new wxMenuItem(toolMenu, wxID_ANY, _("Options"), wxEmptyString, wxITEM_NORMAL);
    toolMenu->Append(options);
    menuBar->Append(toolMenu, _("&Tool"));

    helpMenu = new wxMenu();
    wxMenuItem* shortcuts = new wxMenuItem(helpMenu, wxID_ANY, _("Keyboard Shortcuts"),
                                           _("The keys that switch tabs while a terminal has the keyboard"),
                                           wxITEM_NORMAL);
    helpMenu->Append(shortcuts);
    keyboardShortcutsId = shortcuts->GetId();
    wxMenuItem* about = new wxMenuItem(helpMenu, ID_MENU_ABOUT, _("&About") + "\tF1",
                                       _("Show info about this application"), wxITEM_NORMAL);
    helpMenu->Append(about);
    menuBar->Append(helpMenu, _("&Help"));

    SetMenuBar(menuBar);
    statusBar = CreateStatusBar(2, wxST_SIZEGRIP, wxID_ANY);
    Centre(wxBOTH);

    newConnectionId = newConnection->GetId();
    fullScreenId = fullScreen->GetId();
    puttyConfigurationId = puttyConfiguration->GetId();
    optionsId = options->GetId();
    monitorOverviewId = monitorOverview->GetId();

    Connect(wxEVT_CLOSE_WINDOW, wxCloseEventHandler(GUIFrame::OnClose));
    Connect(wxEVT_SIZE, wxSizeEventHandler(GUIFrame::OnSize));
    Connect(wxEVT_UPDATE_UI, wxUpdateUIEventHandler(GUIFrame::OnUpdateUI));
    Connect(newConnectionId, wxEVT_COMMAND_MENU_SELECTED, wxCommandEventHandler(GUIFrame::OnNewConnection));
    Connect(ID_MENU_QUIT, wxEVT_COMMAND_MENU_SELECTED, wxCommandEventHandler(GUIFrame::OnQuit));
    Connect(ID_MENU_IMPORT, wxEVT_COMMAND_MENU_SELECTED, wxCommandEventHandler(GUIFrame::OnImportSites));
    Connect(ID_MENU_VIEW_SITES_LIST, wxEVT_COMMAND_MENU_SELECTED, wxCommandEventHandler(GUIFrame::OnViewSitesList));
    Connect(fullScreenId, wxEVT_COMMAND_MENU_SELECTED, wxCommandEventHandler(GUIFrame::OnFullScreen));
    Connect(monitorOverviewId, wxEVT_COMMAND_MENU_SELECTED, wxCommandEventHandler(GUIFrame::OnMonitorOverview));
    Connect(puttyConfigurationId, wxEVT_COMMAND_MENU_SELECTED,
            wxCommandEventHandler(GUIFrame::OnPuttyConfiguration));
    Connect(optionsId, wxEVT_COMMAND_MENU_SELECTED, wxCommandEventHandler(GUIFrame::OnOptions));
    Connect(ID_MENU_ABOUT, wxEVT_COMMAND_MENU_SELECTED, wxCommandEventHandler(GUIFrame::OnAbout));
    Connect(keyboardShortcutsId, wxEVT_COMMAND_MENU_SELECTED, wxCommandEventHandler(GUIFrame::OnKeyboardShortcuts));
}

GUIFrame::~GUIFrame()
{
    Disconnect(wxEVT_CLOSE_WINDOW, wxCloseEventHandler(GUIFrame::OnClose));
    Disconnect(wxEVT_SIZE, wxSizeEventHandler(GUIFrame::OnSize));
    Disconnect(wxEVT_UPDATE_UI, wxUpdateUIEventHandler(GUIFrame::OnUpdateUI));
    Disconnect(newConnectionId, wxEVT_COMMAND_MENU_SELECTED, wxCommandEventHandler(GUIFrame::OnNewConnection));
    Disconnect(ID_MENU_QUIT, wxEVT_COMMAND_MENU_SELECTED, wxCommandEventHandler(GUIFrame::OnQuit));
    Disconnect(ID_MENU_IMPORT, wxEVT_COMMAND_MENU_SELECTED, wxCommandEventHandler(GUIFrame::OnImportSites));
    Disconnect(ID_MENU_VIEW_SITES_LIST, wxEVT_COMMAND_MENU_SELECTED,
               wxCommandEventHandler(GUIFrame::OnViewSitesList));
    Disconnect(fullScreenId, wxEVT_COMMAND_MENU_SELECTED, wxCommandEventHandler(GUIFrame::OnFullScreen));
    Disconnect(monitorOverviewId, wxEVT_COMMAND_MENU_SELECTED, wxCommandEventHandler(GUIFrame::OnMonitorOverview));
    Disconnect(puttyConfigurationId, wxEVT_COMMAND_MENU_SELECTED,
               wxCommandEventHandler(GUIFrame::OnPuttyConfiguration));
    Disconnect(optionsId, wxEVT_COMMAND_MENU_SELECTED, wxCommandEventHandler(GUIFrame::OnOptions));
    Disconnect(ID_MENU_ABOUT, wxEVT_COMMAND_MENU_SELECTED, wxCommandEventHandler(GUIFrame::OnAbout));
    Disconnect(keyboardShortcutsId, wxEVT_COMMAND_MENU_SELECTED,
               wxCommandEventHandler(GUIFrame::OnKeyboardShortcuts));
}
