// Other programs' site lists as an import reads them: the input is an OpenSSH client configuration
// (without its Include lines, see below) and, cut at its first line end, a PuTTY session's file
// name and content. Besides the sanitizers' findings it checks
// that every site read has a name, a host and a port, and that nothing read is counted twice.
#include "fuzz/FuzzCheck.h"
#include "storage/import/PuttySessionReader.h"
#include "storage/import/SshConfigReader.h"

#include <string>
#include <strings.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    // Include lines would read whatever files of this machine the input names by chance (a pattern
    // like "/*/*/*" reaches thousands): the fuzzer meets them as an unknown keyword instead, so that
    // each input reads the same every time. Includes are tested with files of their own.
    std::string configText = text;
    for (size_t at = 0; at + 7 <= configText.size(); ++at)
        if (strncasecmp(configText.c_str() + at, "include", 7) == 0)
            configText[at] = 'x';
    SshConfigReader reader("/nonexistent-home");
    ImportedSites config = reader.ReadText(configText);
    for (const ImportedSite& site : config.sites) {
        FUZZ_CHECK(!site.name.empty());
        FUZZ_CHECK(!site.host.empty());
        FUZZ_CHECK(!site.port.empty());
    }
    FUZZ_CHECK(config.skipped >= 0 && config.unreadable >= 0);

    const size_t cut = text.find('\n');
    ImportedSites sessions;
    const bool read = PuttySessionReader::ReadSession(text.substr(0, cut), cut == std::string::npos ? std::string()
                                                                                                    : text.substr(cut + 1),
                                                      sessions);
    FUZZ_CHECK(sessions.sites.size() + sessions.skipped + sessions.unreadable == 1);
    FUZZ_CHECK(read == (sessions.sites.size() == 1));
    if (read)
        FUZZ_CHECK(sessions.sites[0].session == sessions.sites[0].name && !sessions.sites[0].host.empty());
    return 0;
}
