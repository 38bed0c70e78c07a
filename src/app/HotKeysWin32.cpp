#include "app/HotKeys.h"

#include <windows.h>

namespace {
const wchar_t* const kWindowClass = L"ShellyardHotKeys";

// The combinations are registered on a message-only window of our own, and only while our frame
// is the active window: registered hot keys are system-wide, and other programs must keep theirs.
class HotKeysWin32 : public HotKeys {
public:
    explicit HotKeysWin32(std::function<void(int)> onKey) : onKey(std::move(onKey))
    {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = &HotKeysWin32::Procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kWindowClass;
        RegisterClassW(&windowClass);
        window = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 windowClass.hInstance, nullptr);
        if (window)
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~HotKeysWin32() override
    {
        SetActive(false);
        if (window)
            DestroyWindow(window);
    }

    bool Attach(NativeWindow) override { return window != nullptr; }

    void SetActive(bool active) override
    {
        if (!window || active == registered)
            return;
        registered = active;
        for (int id = 0; id < kCount; ++id) {
            if (!active) {
                UnregisterHotKey(window, id + 1);
                continue;
            }
            UINT modifiers = MOD_NOREPEAT;
            UINT key = 0;
            if (id == 0) {
                modifiers |= MOD_CONTROL;
                key = VK_TAB;
            } else if (id == 1) {
                modifiers |= MOD_CONTROL | MOD_SHIFT;
                key = VK_TAB;
            } else {
                modifiers |= MOD_ALT;
                key = '1' + (id - 2);
            }
            RegisterHotKey(window, id + 1, modifiers, key);
        }
    }

    void TakeEscape(bool take) override
    {
        if (!window || take == escapeTaken)
            return;
        escapeTaken = take;
        if (take)
            RegisterHotKey(window, kEscapeId, MOD_NOREPEAT, VK_ESCAPE);
        else
            UnregisterHotKey(window, kEscapeId);
    }

    // WM_HOTKEY reaches the window through the toolkit's own message loop.
    void Poll() override {}

private:
    static constexpr int kCount = 11;  // Ctrl+Tab, Ctrl+Shift+Tab, Alt+1..9
    static constexpr int kEscapeId = 100;

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_HOTKEY) {
            auto* self = reinterpret_cast<HotKeysWin32*>(GetWindowLongPtrW(window, GWLP_USERDATA));
            const int id = static_cast<int>(wParam) - 1;
            if (self && static_cast<int>(wParam) == kEscapeId)
                self->onKey(Escape);
            else if (self && id >= 0 && id < kCount)
                self->onKey(id == 0 ? NextTab : id == 1 ? PreviousTab : id - 2);
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    std::function<void(int)> onKey;
    HWND window = nullptr;
    bool registered = false;
    bool escapeTaken = false;
};
}  // namespace

std::unique_ptr<HotKeys> HotKeys::Create(std::function<void(int)> onKey)
{
    return std::make_unique<HotKeysWin32>(std::move(onKey));
}
