#include "session/ShellPromptWatch.h"

namespace {
// A line longer than this is no prompt; only its end matters.
const size_t kLongestLine = 2048;
}

void ShellPromptWatch::Feed(const std::string& bytes)
{
    for (unsigned char c : bytes) {
        switch (state) {
        case State::Text:
            if (c == 0x1b) {
                state = State::Escape;
            } else if (c == '\n' || c == '\r') {
                // A carriage return starts the line anew: what follows overwrites it (a shell
                // redrawing its prompt, PuTTY's line ends).
                line.clear();
            } else if (c == '\b') {
                if (!line.empty())
                    line.pop_back();
            } else if (c >= 0x20 && c != 0x7f) {
                if (line.size() < kLongestLine)
                    line.push_back(static_cast<char>(c));
                else
                    line.erase(0, line.size() / 2);
            }
            break;
        case State::Escape:
            if (c == '[')
                state = State::Csi;
            else if (c == ']' || c == 'P' || c == 'X' || c == '^' || c == '_')
                state = State::String;  // OSC, DCS and their kin run to BEL or ESC backslash
            else if (c >= 0x20 && c <= 0x2f)
                state = State::EscapeIntermediate;  // ESC ( B and the like: one more byte
            else
                state = State::Text;
            break;
        case State::EscapeIntermediate:
            if (c < 0x20 || c > 0x2f)
                state = State::Text;
            break;
        case State::Csi:
            if (c >= 0x40 && c <= 0x7e)
                state = State::Text;
            break;
        case State::String:
            if (c == 0x07)
                state = State::Text;
            else if (c == 0x1b)
                state = State::StringEscape;
            break;
        case State::StringEscape:
            state = c == '\\' ? State::Text : State::String;
            break;
        }
    }
}

bool ShellPromptWatch::AtPrompt() const
{
    size_t end = line.find_last_not_of(' ');
    if (end == std::string::npos)
        return false;
    const char last = line[end];
    if (last == '$' || last == '#' || last == '>' || last == '%')
        return true;
    static const std::string arrow = "\xe2\x9d\xaf";  // ❯
    return end + 1 >= arrow.size() && line.compare(end + 1 - arrow.size(), arrow.size(), arrow) == 0;
}
