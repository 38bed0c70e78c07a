#pragma once
// Support for tests that drive real windows under Xvfb: event pumping with deadlines, a scripted
// answer for every modal dialog, and a private program directory and working directory per test.
#include "support/TempDirs.h"

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <functional>
#include <string>
#include <wx/dialog.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>

// Dispatches pending GUI events once (idle handlers included).
void PumpEvents();
// Dispatches events until condition() holds or the deadline passes; returns condition().
bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds deadline = std::chrono::seconds(10));

// One expected modal dialog and how to answer it.
struct ExpectedDialog {
    std::string description;                    // for failure messages
    std::function<int(wxDialog*)> answer;       // checks the dialog and returns its result
};

// Answers modal dialogs in the order they were expected. A dialog that nobody expected fails the
// running test and is answered with wxID_CANCEL, so a test never hangs on a modal loop.
class ModalScript : public wxModalDialogHook {
public:
    static ModalScript& Get();

    // A message box with exactly this text and caption; style must hold the bits of styleBits
    // (buttons and icon, e.g. wxYES_NO or wxOK | wxICON_INFORMATION). Answered with answerId.
    void ExpectMessage(const wxString& message, const wxString& caption, long styleBits, int answerId);
    // Any dialog of type T; handler inspects (and may fill) it and returns the result.
    template <class T>
    void ExpectDialog(const std::string& description, std::function<int(T*)> handler)
    {
        pending.push_back({description, [description, handler](wxDialog* dialog) -> int {
                               T* typed = dynamic_cast<T*>(dialog);
                               if (!typed) {
                                   ADD_FAILURE() << "expected " << description << ", got another dialog";
                                   return wxID_CANCEL;
                               }
                               return handler(typed);
                           }});
    }
    // Fails the test if expected dialogs were not shown; clears the script.
    void Verify();
    bool AllShown() const { return pending.empty(); }
    int ShownCount() const { return shown; }

protected:
    int Enter(wxDialog* dialog) override;
    void Exit(wxDialog* dialog) override {}

private:
    std::deque<ExpectedDialog> pending;
    int shown = 0;
};
