#pragma once
// A fixture that creates the real main window in private program and working directories, with a
// site database (holding the site table) already in place, so start-up shows no database notice.
#include "support/FrameProbe.h"
#include "support/GuiTest.h"

#include <string>
#include <vector>
#include <wx/weakref.h>

class FrameFixture : public TempDirsTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates "Shellyard.db" in the program directory with the site table and these rows
    // (each row: hostpasswd, hostuser, hosttype, hostip, hostname, hostport, postcommand, comments).
    void CreateDatabase(const std::vector<std::vector<std::string>>& rows = {});
    // Creates and shows the frame; dialogs expected before this call answer start-up's messages.
    ShellyardFrame* CreateFrame();
    // Destroys the frame (if still alive) and lets the toolkit delete it.
    void DestroyFrame();
    // Handles events until every connection the frame runs has ended and been told to the user
    // (connecting never holds up the event loop: the outcome comes later).
    bool ConnectionsDone(std::chrono::milliseconds deadline = std::chrono::seconds(20));

    std::string DatabasePath() const { return programDir + "/Shellyard.db"; }

    wxWeakRef<ShellyardFrame> frame;
};
