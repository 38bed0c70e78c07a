// Import of a large OpenSSH client configuration (target: 5,000 hosts under 1 s): the file read
// into sites, then stored into a fresh database in one folder, one transaction. Windowless:
//   build/bench/bench_import [hosts] [rounds]
#include "storage/SiteStore.h"
#include "storage/import/SshConfigReader.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <wx/init.h>

int main(int argc, char** argv)
{
    wxInitializer toolkit;
    const int hosts = argc > 1 ? atoi(argv[1]) : 5000;
    const int rounds = argc > 2 ? atoi(argv[2]) : 5;
    char folder[] = "/tmp/bench-import.XXXXXX";
    if (!mkdtemp(folder))
        return 1;
    const std::string config = std::string(folder) + "/config";
    {
        std::ofstream out(config);
        out << "Host *\n  ServerAliveInterval 30\n";
        for (int i = 0; i < hosts; ++i)
            out << "Host server-" << i << "\n  HostName 10." << i / 65536 << "." << (i / 256) % 256 << "." << i % 256
                << "\n  Port " << 2000 + i % 1000 << "\n  User admin" << i % 7 << "\n  IdentityFile ~/.ssh/id_" << i % 3
                << "\n";
    }
    double best = 1e9, bestRead = 0, bestStore = 0;
    for (int round = 0; round < rounds; ++round) {
        const std::string db = std::string(folder) + "/Shellyard-" + std::to_string(round) + ".db";
        SiteStore store;
        store.Open(wxString::FromUTF8(db.c_str()));
        const auto start = std::chrono::steady_clock::now();
        SshConfigReader reader(folder);
        ImportedSites found = reader.ReadFile(config);
        std::vector<SiteRecord> records;
        records.reserve(found.sites.size());
        for (const ImportedSite& site : found.sites) {
            SiteRecord record;
            record.hostname = wxString::FromUTF8(site.name.c_str());
            record.hostip = wxString::FromUTF8(site.host.c_str());
            record.hostport = wxString::FromUTF8(site.port.c_str());
            record.hosttype = "ssh";
            record.hostuser = wxString::FromUTF8(site.user.c_str());
            record.keyfile = wxString::FromUTF8(site.keyFile.c_str());
            records.push_back(std::move(record));
        }
        const auto read = std::chrono::steady_clock::now();
        if (store.ImportSites("ssh config", records) <= 0 || store.CountSites() != hosts) {
            fprintf(stderr, "import failed: %s\n", static_cast<const char*>(store.LastError().utf8_str()));
            return 1;
        }
        const auto end = std::chrono::steady_clock::now();
        const double total = std::chrono::duration<double, std::milli>(end - start).count();
        if (total < best) {
            best = total;
            bestRead = std::chrono::duration<double, std::milli>(read - start).count();
            bestStore = std::chrono::duration<double, std::milli>(end - read).count();
        }
        store.Close();
        unlink(db.c_str());
    }
    printf("import of %d hosts: best of %d rounds %.1f ms (reading %.1f ms, storing %.1f ms); target under 1000 ms\n",
           hosts, rounds, best, bestRead, bestStore);
    unlink(config.c_str());
    rmdir(folder);
    return best < 1000 ? 0 : 1;
}
