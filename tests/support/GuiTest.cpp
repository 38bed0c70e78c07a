#include "support/GuiTest.h"

#include <thread>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/utils.h>

void PumpEvents()
{
    wxEventLoopBase* loop = wxEventLoopBase::GetActive();
    if (loop) {
        while (loop->Pending())
            loop->Dispatch();
    }
    if (wxTheApp) {
        wxTheApp->ProcessPendingEvents();
        wxTheApp->ProcessIdle();
    }
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds deadline)
{
    auto end = std::chrono::steady_clock::now() + deadline;
    for (;;) {
        PumpEvents();
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

ModalScript& ModalScript::Get()
{
    static ModalScript* script = [] {
        auto* s = new ModalScript();
        s->Register();
        return s;
    }();
    return *script;
}

void ModalScript::ExpectMessage(const wxString& message, const wxString& caption, long styleBits, int answerId)
{
    std::string description = "message box \"" + message.ToStdString() + "\"";
    pending.push_back({description, [=](wxDialog* dialog) -> int {
                           auto* box = dynamic_cast<wxMessageDialog*>(dialog);
                           if (!box) {
                               ADD_FAILURE() << "expected " << description << ", got a dialog titled \""
                                             << dialog->GetTitle() << "\"";
                               return wxID_CANCEL;
                           }
                           EXPECT_EQ(box->GetMessage().ToStdString(), message.ToStdString());
                           EXPECT_EQ(box->GetCaption().ToStdString(), caption.ToStdString());
                           long style = box->GetMessageDialogStyle();
                           EXPECT_EQ(style & styleBits, styleBits)
                               << "style of " << description << " is 0x" << std::hex << style;
                           return answerId;
                       }});
}

void ModalScript::Verify()
{
    for (const ExpectedDialog& expected : pending)
        ADD_FAILURE() << "expected " << expected.description << " was not shown";
    pending.clear();
}

int ModalScript::Enter(wxDialog* dialog)
{
    ++shown;
    if (pending.empty()) {
        wxString text = dialog->GetTitle();
        if (auto* box = dynamic_cast<wxMessageDialog*>(dialog))
            text = box->GetMessage();
        ADD_FAILURE() << "unexpected modal dialog: \"" << text << "\"";
        return wxID_CANCEL;
    }
    ExpectedDialog expected = pending.front();
    pending.pop_front();
    return expected.answer(dialog);
}
