#include "monitor/LoopRecovery.h"

bool LoopRecovery::Retries(const wxString& reason)
{
    // PLink's words for a refusal in batch mode: "Configured password was not accepted", "Cannot
    // confirm a host key in batch mode", "No supported authentication methods available", "Cannot
    // answer interactive prompts in batch mode"; and ours for a PLink that cannot be started.
    static const char* const refusals[] = {"password", "host key", "authentication", "interactive prompts",
                                           "Cannot start PLink"};
    wxString lower = reason.Lower();
    for (const char* refusal : refusals) {
        if (lower.Contains(wxString(refusal).Lower()))
            return false;
    }
    return true;
}

std::chrono::seconds LoopRecovery::NextPause()
{
    static const int pauses[] = {5, 10, 20, 40, 60};
    const int last = static_cast<int>(sizeof pauses / sizeof pauses[0]) - 1;
    int pause = pauses[attempts < last ? attempts : last];
    ++attempts;
    return std::chrono::seconds(pause);
}
