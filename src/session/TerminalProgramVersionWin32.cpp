// PuTTY answers --version with a message box on Windows: what a program is comes from its version
// resource instead, its name from the InternalName string ("PuTTY", "Plink"), its release from the
// file version (PuTTY numbers its releases 0.NN: file version 0.NN).
#include "session/TerminalProgramVersion.h"

#include "session/WideTextWin32.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>

TerminalProgramVersion TerminalProgramVersion::Ask(const std::string& location)
{
    TerminalProgramVersion version;
    std::wstring path = WideText(location);
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0)
        return version;
    std::string data(size, '\0');
    if (!GetFileVersionInfoW(path.c_str(), 0, size, &data[0]))
        return version;

    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (VerQueryValueW(&data[0], L"\\", reinterpret_cast<void**>(&info), &length) && info) {
        version.major = HIWORD(info->dwFileVersionMS);
        version.minor = LOWORD(info->dwFileVersionMS);
    }

    // The strings are kept per language and code page; the first pair listed is the program's own.
    struct Translation {
        WORD language, codePage;
    }* translation = nullptr;
    if (!VerQueryValueW(&data[0], L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                        &length) ||
        !translation || length < sizeof(Translation))
        return version;
    wchar_t query[64];
    wsprintfW(query, L"\\StringFileInfo\\%04x%04x\\InternalName", translation->language, translation->codePage);
    wchar_t* name = nullptr;
    if (!VerQueryValueW(&data[0], query, reinterpret_cast<void**>(&name), &length) || !name)
        return version;
    for (const wchar_t* c = name; *c; ++c)
        version.name += *c < 128 ? static_cast<char>(std::towlower(*c)) : '?';
    return version;
}
