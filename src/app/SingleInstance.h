#pragma once
// One Shellyard per data folder, as desktop programs are: the first start claims the folder, and a
// later start that names the same folder asks it to bring its window to the front instead of
// opening a second window on the same database. The claim is the system's own lock, which goes
// with its process, so a run that crashed never blocks the next start. SingleInstanceUnix.cpp and
// SingleInstanceWin32.cpp implement it.
#include <chrono>
#include <functional>
#include <string>

class SingleInstance {
public:
    enum class Claim {
        Ours,           // no other Shellyard holds the folder: this one does now
        AnotherShown,   // another holds it and has been asked to come to the front, and said so
        AnotherSilent   // another holds it but did not answer within the deadline
    };
    // Claims folder for this process. While it holds the claim, each later start calls
    // onLaterStart, which must be safe to call from another thread (on Unix it comes from the event
    // loop, on Windows from a pool thread): it should only queue the work for the event loop. A
    // later start waits up to deadline for the holder to answer (it may be starting itself).
    // A folder where no claim can be made (read-only) counts as Ours.
    static Claim ClaimFolder(const std::string& folder, std::function<void()> onLaterStart,
                             std::chrono::milliseconds deadline);
    // Gives the claim up (the process's end does it too).
    static void Release();
};
