#pragma once
// What tells one run of a program from another. The system hands a process identifier out again
// once its process has ended, so a process that must be recognised later (a terminal left running
// by a Shellyard that crashed) is known by its identifier together with a mark of its start.
// ProcessIdentityUnix.cpp (/proc) and ProcessIdentityWin32.cpp implement it.
#include <string>

namespace ProcessIdentity {

// Text that stays the same for the whole life of process pid and differs for every other process
// that has or will have the same identifier; empty when no such process runs (a zombie has ended).
std::string StartMark(long pid);

// The full path of the program that process pid runs; empty when unknown.
std::string ProgramOf(long pid);

// True when process pid runs as the user this program runs as.
bool IsOurUsers(long pid);

}  // namespace ProcessIdentity
