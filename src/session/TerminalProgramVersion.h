#pragma once
// What a terminal program says it is: its name in lower case ("putty", "plink") and its release.
// On Unix it is what the program answers to --version (first line "PuTTY: Release 0.78"); on Windows,
// where PuTTY answers --version with a message box, its version resource. Learnt once per location
// and file: a different file put at the same location is asked anew. A program that cannot be asked
// or does not answer within a few seconds has an empty name and no release. GUI thread only.
#include <string>

struct TerminalProgramVersion {
    std::string name;  // lower case; empty when the program did not tell
    int major = -1;    // -1: no release number (a development build, or the program did not tell)
    int minor = -1;

    static TerminalProgramVersion Of(const std::string& location);
    // Reads the first line of a --version answer.
    static TerminalProgramVersion FromVersionText(const std::string& text);

    bool AtLeast(int wantedMajor, int wantedMinor) const
    {
        return major > wantedMajor || (major == wantedMajor && minor >= wantedMinor);
    }

private:
    static TerminalProgramVersion Ask(const std::string& location);  // the platform's part
};
