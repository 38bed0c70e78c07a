#pragma once
// A terminal tab: holds one embedded PuTTY window, keeps it sized to the tab and gives it the
// keyboard focus while the tab is shown. The tab also holds PuTTY's process: when the tab goes, so
// does the process (its window is handed back first, and PuTTY is ended).
#include "session/ConnPanel.h"
#include "session/TerminalWindow.h"
#include "session/keys/KeyPlatform.h"
#include "storage/SiteRecord.h"

#include <functional>
#include <memory>
#include <wx/timer.h>

class PostLoginCommands;
class TerminalConnection;
class TerminalProcess;
class wxActivateEvent;
class wxChildFocusEvent;
class wxShowEvent;

class ShellyardConnPanel : public ConnPanel {
public:
    explicit ShellyardConnPanel(wxWindow* parent);
    ~ShellyardConnPanel() override;

    void SetTerminalWindow(NativeWindow window) { terminalWindow = window; }
    NativeWindow GetTerminalWindow() const { return terminalWindow; }

    // The tab takes over the process (may be null), and ends it when it goes.
    void SetTerminalProcess(std::unique_ptr<TerminalProcess> process);
    TerminalProcess* GetTerminalProcess() const { return terminalProcess.get(); }

    // The site the tab connects, as it was connected (the password is dropped here: the tab never
    // holds it). The tab's tooltip tells of it: name, user@host:port and protocol.
    void SetSite(const SiteRecord& site);
    const SiteRecord& Site() const { return site; }
    const wxString& SiteToolTip() const { return siteToolTip; }

    // Whether a broadcast command is typed into this tab (new tabs receive).
    void SetReceivesBroadcast(bool receive) { receivesBroadcast = receive; }
    bool ReceivesBroadcast() const { return receivesBroadcast; }

    // The terminal's PuTTY has ended (or its window went): the tab says so over its empty area, and
    // Enter in it calls onReconnect.
    void MarkEnded();
    bool IsEnded() const { return ended; }
    void SetReconnectAction(std::function<void()> action) { onReconnect = std::move(action); }
    // Lets go of the terminal before a new one is connected into this tab: its window is handed
    // back and its PuTTY ended at once, anything still to be typed into it forgotten.
    void EndTerminal();

    // Starts connecting: the process's window is looked for and embedded here, and listener hears
    // the outcome (see TerminalConnection). The tab owns the connection.
    void Connect(wxEvtHandler* listener, long id);
    TerminalConnection* GetConnection() const { return connection.get(); }

    // The site's post-login commands, typed into this tab's terminal once it has logged in; they
    // go with the tab, so nothing is typed into a tab that was closed.
    void SetPostLoginCommands(std::unique_ptr<PostLoginCommands> commands);
    PostLoginCommands* GetPostLoginCommands() const { return postLoginCommands.get(); }

    // Makes window (withdrawn already) a child of this tab and sizes it to the tab's client area.
    TerminalWindow::EmbedResult AdoptTerminal(NativeWindow window);
    // Gives the keyboard focus to the embedded window, if the tab is shown.
    void FocusTerminal();
    // False once the terminal's program has exited or its window is gone.
    bool HasLiveTerminal() const;
    // Waits (at most a second, keeping the screen painted) until the embedded window is on screen,
    // as it must be to take the keyboard focus; call after bringing the tab to the front.
    bool WaitUntilTerminalShown();
    // The tab's client area in physical pixels: the size of the embedded window.
    wxSize TerminalSize() const;

private:
    void OnSize(wxSizeEvent& event) override;
    void FocusTerminalUnlessBusyElsewhere();
    void OnShown(wxShowEvent& event);
    void OnFrameActivate(wxActivateEvent& event);
    void OnFrameChildFocus(wxChildFocusEvent& event);
    void OnSizeSettled(wxTimerEvent& event);
    void OnWindowManagerFocus();
    void OnPaint(wxPaintEvent& event);
    // Hands back the terminal's window and ends its PuTTY (at once, or given time to end by itself).
    void ReleaseTerminal(bool atOnce);
    void OnKeyDown(wxKeyEvent& event);
    void OnFrameKey(wxKeyEvent& event);

    NativeWindow terminalWindow = 0;
    SiteRecord site;
    wxString siteToolTip;
    bool receivesBroadcast = true;
    bool ended = false;
    std::function<void()> onReconnect;
    std::unique_ptr<PostLoginCommands> postLoginCommands;
    std::unique_ptr<TerminalConnection> connection;  // goes before the process
    std::unique_ptr<TerminalProcess> terminalProcess;
    wxWindow* frame = nullptr;  // our top-level window, whose focus events we follow
    wxTimer sizeSettleTimer;
    int focusWatch = 0;
};
