#pragma once
// Handlers registered under a token, called in the order they came. A handler may add or remove
// handlers while it runs: each call goes through the handlers as they were when it started.
#include <functional>
#include <map>
#include <vector>

class CallbackList {
public:
    int Add(std::function<void()> handler)
    {
        handlers[++lastToken] = std::move(handler);
        return lastToken;
    }
    void Remove(int token) { handlers.erase(token); }
    bool Empty() const { return handlers.empty(); }
    void CallAll() const
    {
        std::vector<std::function<void()>> now;
        for (const auto& entry : handlers)
            now.push_back(entry.second);
        for (const auto& handler : now)
            handler();
    }

private:
    std::map<int, std::function<void()>> handlers;
    int lastToken = 0;
};
