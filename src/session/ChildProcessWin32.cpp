// Command-line programs on Windows: CreateProcess with a command line quoted so that the program's
// own parser gets back exactly our arguments, standard output and error into anonymous pipes that
// are peeked before they are read, no console window, and a job object that ends the program's
// whole process tree with it.
#include "session/ChildProcess.h"

#include "session/WideTextWin32.h"

#include <windows.h>

#include <algorithm>

struct ChildProcess::Native {
    HANDLE process = nullptr;
    HANDLE job = nullptr;
    HANDLE pipes[2] = {nullptr, nullptr};  // read ends of standard output and standard error
    DWORD pid = 0;
    bool exited = false;
    int status = 0;

    ~Native()
    {
        for (HANDLE& pipe : pipes) {
            if (pipe)
                CloseHandle(pipe);
            pipe = nullptr;
        }
        if (job)
            CloseHandle(job);  // kills what is left in the job
        if (process)
            CloseHandle(process);
    }
};

namespace {
int Index(ChildProcess::Stream stream)
{
    return stream == ChildProcess::Stream::Output ? 0 : 1;
}


// Quotes one argument the way the C runtime's command-line parser reads it back: backslashes are
// literal except before a quote, where they are doubled, and the quote itself is escaped.
void AppendQuoted(std::wstring& line, const std::wstring& argument)
{
    if (!line.empty())
        line += L' ';
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        line += argument;
        return;
    }
    line += L'"';
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"')
            line.append(backslashes * 2 + 1, L'\\');
        else
            line.append(backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, L'\\');
    line += L'"';
}

std::string LastError()
{
    char text[256] = {0};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, GetLastError(), 0, text,
                   sizeof text, nullptr);
    return text;
}
}  // namespace

ChildProcess::ChildProcess(std::unique_ptr<Native> n) : native(std::move(n)) {}

std::unique_ptr<ChildProcess> ChildProcess::StartWith(const std::vector<std::string>& arguments, std::string* error,
                                                      const std::vector<int>&)
{
    if (arguments.empty() || arguments.front().empty()) {
        if (error)
            *error = "no program given";
        return nullptr;
    }
    std::wstring line;
    for (const std::string& argument : arguments)
        AppendQuoted(line, WideText(argument));

    auto native = std::make_unique<Native>();
    SECURITY_ATTRIBUTES inheritable = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE writeEnds[2] = {nullptr, nullptr};
    for (int i = 0; i < 2; ++i) {
        if (!CreatePipe(&native->pipes[i], &writeEnds[i], &inheritable, 0)) {
            if (error)
                *error = LastError();
            if (writeEnds[0])
                CloseHandle(writeEnds[0]);
            return nullptr;
        }
        SetHandleInformation(native->pipes[i], HANDLE_FLAG_INHERIT, 0);  // our ends stay ours
    }
    HANDLE nul = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, OPEN_EXISTING,
                             0, nullptr);

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nul;
    startup.hStdOutput = writeEnds[0];
    startup.hStdError = writeEnds[1];
    PROCESS_INFORMATION info = {};
    std::vector<wchar_t> commandLine(line.begin(), line.end());
    commandLine.push_back(L'\0');
    BOOL started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                                  CREATE_NO_WINDOW | CREATE_SUSPENDED | CREATE_UNICODE_ENVIRONMENT, nullptr,
                                  nullptr, &startup, &info);
    std::string reason = started ? std::string() : LastError();
    CloseHandle(writeEnds[0]);
    CloseHandle(writeEnds[1]);
    if (nul != INVALID_HANDLE_VALUE)
        CloseHandle(nul);
    if (!started) {
        if (error)
            *error = reason;
        return nullptr;
    }
    // In a job that kills its processes when its last handle closes: nothing it started outlives it.
    native->job = CreateJobObjectW(nullptr, nullptr);
    if (native->job) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(native->job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
        AssignProcessToJobObject(native->job, info.hProcess);
    }
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    native->process = info.hProcess;
    native->pid = info.dwProcessId;
    return std::unique_ptr<ChildProcess>(new ChildProcess(std::move(native)));
}

ChildProcess::~ChildProcess()
{
    if (!native->exited)
        Kill();
}

long ChildProcess::Pid() const
{
    return static_cast<long>(native->pid);
}

size_t ChildProcess::Read(Stream stream, std::string& text)
{
    HANDLE& pipe = native->pipes[Index(stream)];
    size_t total = 0;
    while (pipe) {
        DWORD available = 0;
        if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) {
            CloseHandle(pipe);  // broken pipe: the program closed its end
            pipe = nullptr;
            break;
        }
        if (available == 0)
            break;
        char buffer[4096];
        DWORD got = 0;
        if (!ReadFile(pipe, buffer, std::min<DWORD>(available, sizeof buffer), &got, nullptr) || got == 0)
            break;
        text.append(buffer, got);
        total += got;
    }
    return total;
}

bool ChildProcess::AtEnd(Stream stream) const
{
    return native->pipes[Index(stream)] == nullptr;
}

void ChildProcess::WaitForOutput(std::chrono::milliseconds timeout)
{
    // Anonymous pipes cannot be waited on: look every few milliseconds.
    auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        for (HANDLE pipe : native->pipes) {
            DWORD available = 0;
            if (pipe && (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) || available > 0))
                return;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return;
        Sleep(2);
    }
}

bool ChildProcess::HasExited()
{
    if (native->exited)
        return true;
    if (WaitForSingleObject(native->process, 0) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(native->process, &code);
        native->exited = true;
        native->status = static_cast<int>(code);
    }
    return native->exited;
}

int ChildProcess::ExitStatus() const
{
    return native->status;
}

void ChildProcess::Kill()
{
    if (native->exited)
        return;
    if (native->job)
        TerminateJobObject(native->job, 1);
    else
        TerminateProcess(native->process, 1);
    WaitForSingleObject(native->process, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(native->process, &code);
    native->exited = true;
    native->status = static_cast<int>(code);
}
