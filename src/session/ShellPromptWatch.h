#pragma once
// Reads what a terminal shows, as its session log holds it (escape sequences and all), and tells
// whether the last line looks like the prompt of a shell that waits for a command: it ends in $,
// #, >, % or ❯ (blanks after it allowed), as the prompts of sh, bash, zsh, fish and most others
// do. Login prompts ("login as: ", "password: ") and lines of output do not. Windowless.
#include <cstddef>
#include <string>

class ShellPromptWatch {
public:
    // Takes more of the terminal's output.
    void Feed(const std::string& bytes);
    bool AtPrompt() const;
    // The last line as shown, escape sequences taken out (UTF-8).
    const std::string& LastLine() const { return line; }

private:
    enum class State { Text, Escape, EscapeIntermediate, Csi, String, StringEscape };
    State state = State::Text;
    std::string line;
};
