#pragma once
// Plain text as a keystroke script: the characters with a meaning of their own are written with
// their key names, so the text arrives as it stands.
#include <string>

inline std::string AsScript(const std::string& text)
{
    std::string script;
    for (char c : text) {
        switch (c) {
        case '+': script += "{PLUS}"; break;
        case '^': script += "{CARET}"; break;
        case '%': script += "{PERCENT}"; break;
        case '@': script += "{AT}"; break;
        case '(': script += "{LEFTPAREN}"; break;
        case ')': script += "{RIGHTPAREN}"; break;
        case '~': script += "{TILDE}"; break;
        case '{': script += "{LEFTBRACE}"; break;
        case '}': script += "{RIGHTBRACE}"; break;
        default: script += c;
        }
    }
    return script;
}
