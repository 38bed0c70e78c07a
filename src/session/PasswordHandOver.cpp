// The platform-neutral part of PasswordHandOver: which programs can take a password privately, and
// the one notice for those that cannot.
#include "session/PasswordHandOver.h"

#include "session/TerminalProgramVersion.h"

#include <map>
#include <utility>

namespace {
bool FirstNoticeFor(const std::string& location)
{
    static std::map<std::string, bool> noticed;
    return !std::exchange(noticed[location], true);
}
}  // namespace

bool PasswordHandOver::ReadsPasswordFile(const std::string& location)
{
    return TerminalProgramVersion::Of(location).AtLeast(0, 77);
}

std::unique_ptr<PasswordHandOver> PasswordHandOver::Take(TerminalArguments& arguments, std::string* notice)
{
    if (!arguments.HasPassword() || arguments.Items().empty())
        return nullptr;
    if (!ReadsPasswordFile(arguments.Items().front())) {
        if (notice && FirstNoticeFor(arguments.Items().front()))
            *notice = arguments.Items().front() + " is too old to read its password from a file (-pwfile, PuTTY 0.77 "
                      "and later): its password is passed as an argument, visible to other local users";
        return nullptr;
    }
    std::string name;
    std::unique_ptr<PasswordHandOver> handOver = Open(kChildDescriptor, &name);
    if (handOver)
        handOver->Hold(arguments.MovePasswordToFile(name) + "\n");
    return handOver;
}

std::unique_ptr<PasswordHandOver> PasswordHandOver::ForText(const std::string& text, int childDescriptor,
                                                            std::string* name)
{
    std::unique_ptr<PasswordHandOver> handOver = Open(childDescriptor, name);
    if (handOver)
        handOver->Hold(text + "\n");
    return handOver;
}
