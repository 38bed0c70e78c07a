// Typing speed of the keystroke engine: a 1,000-character mixed text (letters, digits, punctuation,
// blanks) typed with both delays 0 into a window of ours, timed until the last character has
// arrived, and checked for lost or reordered characters. Run it under X, e.g.
//   tests/support/with-xvfb.sh build/bench/bench_keys
#include "session/keys/ScriptText.h"
#include "session/keys/KeySender.h"
#include "session/keys/KeyRecorder.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

namespace {
std::string MixedText(size_t length)
{
    const std::string letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    const std::string digits = "0123456789";
    std::string punctuation;
    for (char c = 0x21; c <= 0x7E; ++c)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            punctuation += c;
    std::mt19937 random(42);
    std::string text;
    while (text.size() < length) {
        unsigned pick = random() % 10;
        const std::string& pool = pick < 5 ? letters : pick < 7 ? digits : pick < 9 ? punctuation : std::string(" ");
        text += pool[random() % pool.size()];
    }
    return text;
}

}  // namespace

int main()
{
    if (!std::getenv("DISPLAY")) {
        std::fprintf(stderr, "bench_keys needs an X display (run it through tests/support/with-xvfb.sh)\n");
        return 2;
    }
    auto platform = CreateSystemKeyPlatform();
    KeySender sender(platform.get());
    KeyRecorder recorder("Shellyard typing benchmark");
    ActivateWindow(*platform, recorder.window);

    const std::string text = MixedText(1000);
    const std::string script = AsScript(text);
    const int rounds = 7;
    std::vector<double> rates;
    int failures = 0;
    for (int round = 0; round < rounds; ++round) {
        recorder.Clear();
        auto start = std::chrono::steady_clock::now();
        sender.SendKeys(script, false);
        bool complete = recorder.WaitForText(text, std::chrono::seconds(30));
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!complete || recorder.text != text) {
            ++failures;
            size_t same = 0;
            while (same < std::min(text.size(), recorder.text.size()) && text[same] == recorder.text[same])
                ++same;
            std::printf("round %d: %zu of %zu characters arrived, first difference at %zu\n", round + 1,
                        recorder.text.size(), text.size(), same);
        }
        rates.push_back(double(text.size()) / seconds);
    }
    // The Multi Command Sender's pattern: one short run per terminal, each activating it first.
    const int sessions = 200;
    recorder.Clear();
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < sessions; ++i) {
        ActivateWindow(*platform, recorder.window);
        sender.SendKeys("uptime{ENTER}", false);
    }
    bool allArrived = recorder.WaitFor([&] { return recorder.text.size() >= sessions * 7u; }, std::chrono::seconds(30));
    double perRun = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / sessions;
    if (!allArrived || recorder.text.size() != sessions * 7u)
        ++failures;

    std::sort(rates.begin(), rates.end());
    std::printf("typed %zu characters (%zu-byte script) %d times\n", text.size(), script.size(), rounds);
    std::printf("characters per second: median %.0f, slowest %.0f, fastest %.0f (target >= 1000)\n",
                rates[rates.size() / 2], rates.front(), rates.back());
    std::printf("activate + \"uptime{ENTER}\": %.2f ms per terminal (%d runs)\n", perRun, sessions);
    std::printf("rounds with lost or reordered characters: %d\n", failures);
    return failures == 0 && rates[rates.size() / 2] >= 1000 ? 0 : 1;
}
