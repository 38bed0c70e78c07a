#pragma once
// UTF-8 text, as the program keeps it, in the UTF-16 form the Windows functions take. Included by
// the Win32 layers only.
#include <windows.h>

#include <string>

inline std::wstring WideText(const std::string& utf8)
{
    if (utf8.empty())
        return std::wstring();
    int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], size);
    return wide;
}
