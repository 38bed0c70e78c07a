#pragma once
// What the GUI benchmarks share: an application object that only lets the toolkit start, times in
// milliseconds, medians, and a site database of SSH sites on the test server.
#include <algorithm>
#include <chrono>
#include <sqlite3.h>
#include <string>
#include <vector>
#include <wx/app.h>

using Clock = std::chrono::steady_clock;

class BenchApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

inline double Milliseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// sites SSH sites "site-0", "site-1", ... on 127.0.0.1 at port, with this login.
inline void CreateSshSites(const std::string& path, int sites, const std::string& port, const std::string& user,
                           const std::string& password)
{
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db,
                 "create table tbl_hostsite(hostpasswd text, hostuser text, hosttype text, hostip text, "
                 "hostname text, hostport text, hostpostcommand text, hostcomments text);",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "insert into tbl_hostsite values (?,?,'ssh','127.0.0.1',?,?,'','');", -1, &insert, nullptr);
    for (int i = 0; i < sites; ++i) {
        std::string name = "site-" + std::to_string(i);
        sqlite3_bind_text(insert, 1, password.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, user.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 4, port.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_close(db);
}
