#pragma once
// The large site databases the tree benchmarks start from: sites "server-N" on 10.x.y.z (every
// second with a login, every fifth Telnet, every hundredth with a note), at the top level or in
// 300 folders (30 customers with 10 roles each) held in the program's own folder tables.
#include <sqlite3.h>
#include <string>

inline void MakeSiteDatabase(const std::string& path, int sites, bool folders)
{
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db,
                 "create table tbl_hostsite(hostpasswd text, hostuser text, hosttype text, hostip text, "
                 "hostname text, hostport text, hostpostcommand text, hostcomments text);"
                 "begin;",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "insert into tbl_hostsite values (?,?,?,?,?,?,'',?);", -1, &insert, nullptr);
    for (int i = 0; i < sites; ++i) {
        std::string host = "10." + std::to_string(i / 65536) + "." + std::to_string(i / 256 % 256) + "." +
                           std::to_string(i % 256);
        std::string name = "server-" + std::to_string(i);
        std::string note = i % 100 == 0 ? "rack " + std::to_string(i / 100) + ", ask the night shift" : "";
        sqlite3_bind_text(insert, 1, i % 2 ? "secret" : "", -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, i % 2 ? "admin" : "", -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, i % 5 ? "ssh" : "telnet", -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 4, host.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 5, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 6, i % 5 ? "22" : "23", -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 7, note.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    if (folders) {
        sqlite3_exec(db,
                     "create table shellyard_folder(id integer primary key, parent integer not null default 0, "
                     "name text not null);"
                     "create table shellyard_site_folder(site integer primary key, folder integer not null);",
                     nullptr, nullptr, nullptr);
        for (int c = 0; c < 30; ++c) {
            std::string customer = std::to_string(c + 1);
            sqlite3_exec(db, ("insert into shellyard_folder values(" + customer + ", 0, 'customer " + customer + "');").c_str(),
                         nullptr, nullptr, nullptr);
            for (int r = 0; r < 10; ++r)
                sqlite3_exec(db, ("insert into shellyard_folder values(" + std::to_string(100 + c * 10 + r) + ", " +
                                  customer + ", 'role " + std::to_string(r) + "');")
                                     .c_str(),
                             nullptr, nullptr, nullptr);
        }
        sqlite3_exec(db, "insert into shellyard_site_folder select rowid, 100 + (rowid % 300) from tbl_hostsite;",
                     nullptr, nullptr, nullptr);
    }
    sqlite3_exec(db, "commit;", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}
