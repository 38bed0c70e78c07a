// Site store speed on a full tree's worth of sites: fills a new store with 32,767 sites, then
// times ListSites() and FindSite() on the last row. Targets: ListSites < 100 ms, FindSite < 1 ms.
#include "storage/SiteStore.h"
#include "storage/dblayer/PreparedStatement.h"
#include "storage/dblayer/SqliteDatabaseLayer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>
#include <vector>
#include <wx/init.h>

namespace {
const int kSites = 32767;

double Milliseconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// f runs once and returns the time that counts.
template <typename F>
std::vector<double> Time(int runs, F f)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        times.push_back(Milliseconds(f()));
    }
    std::sort(times.begin(), times.end());
    return times;
}

void Report(const char* what, const std::vector<double>& times, double target)
{
    const double median = times[times.size() / 2];
    std::printf("%-28s median %8.3f ms  min %8.3f ms  max %8.3f ms  (%zu runs, target < %g ms: %s)\n", what, median,
                times.front(), times.back(), times.size(), target, median < target ? "met" : "MISSED");
}
}  // namespace

int main()
{
    wxInitializer toolkit;
    char pattern[] = "/tmp/shellyard-bench-XXXXXX";
    if (!mkdtemp(pattern))
        return 1;
    const std::string dir = pattern;
    const wxString path = dir + "/Shellyard.db";
    int status = 0;
    {
        // The store makes the file with its table; the rows go in through the layer in one
        // transaction, as sites added one by one would take minutes of disk syncs.
        SiteStore store(nullptr);
        if (store.Open(path) != 1)
            return 1;
        {
            SqliteDatabaseLayer layer;
            layer.Open(path);
            const auto start = std::chrono::steady_clock::now();
            layer.BeginTransaction();
            PreparedStatement* insert = layer.PrepareStatement(
                "insert into tbl_hostsite(hostpasswd, hostuser, hosttype, hostip, hostname, hostport, "
                "hostpostcommand, hostcomments) values (?, ?, ?, ?, ?, ?, ?, ?);");
            for (int i = 0; i < kSites; ++i) {
                insert->SetParamString(1, wxString::Format("password%05d", i));
                insert->SetParamString(2, "admin");
                insert->SetParamString(3, i % 2 ? "ssh" : "telnet");
                insert->SetParamString(4, wxString::Format("10.%d.%d.%d", i / 65536, (i / 256) % 256, i % 256));
                insert->SetParamString(5, wxString::Format("server %05d", i));
                insert->SetParamString(6, i % 2 ? "22" : "23");
                insert->SetParamString(7, "");
                insert->SetParamString(8, "");
                insert->RunQuery();
            }
            layer.Commit();
            std::printf("filled %d sites in %.1f ms\n", kSites, Milliseconds(std::chrono::steady_clock::now() - start));
        }

        // Each list is freed outside the timed part: freeing belongs to the caller.
        std::size_t listed = 0;
        std::unique_ptr<SiteList> list;
        Report("ListSites (32,767 sites)", Time(20, [&] {
                   list.reset();
                   const auto start = std::chrono::steady_clock::now();
                   list = store.ListSites();
                   listed = list->GetCount();
                   return std::chrono::steady_clock::now() - start;
               }), 100);
        if (listed != kSites) {
            std::printf("ListSites returned %zu sites\n", listed);
            status = 1;
        }
        const int last = kSites - 1;
        const wxString ip = wxString::Format("10.%d.%d.%d", last / 65536, (last / 256) % 256, last % 256);
        const wxString name = wxString::Format("server %05d", last);
        wxString found;
        Report("FindSite (last row)", Time(2000, [&] {
                   const auto start = std::chrono::steady_clock::now();
                   found = store.FindSite(ip, name)->hostpasswd;
                   return std::chrono::steady_clock::now() - start;
               }), 1);
        if (found != wxString::Format("password%05d", last)) {
            std::printf("FindSite returned the wrong row\n");
            status = 1;
        }
    }
    std::filesystem::remove_all(dir);
    return status;
}
