#include "support/FrameFixture.h"

#include <filesystem>
#include <sqlite3.h>

void FrameFixture::SetUp()
{
    TempDirsTest::SetUp();
}

void FrameFixture::TearDown()
{
    DestroyFrame();
    ModalScript::Get().Verify();
    TempDirsTest::TearDown();
}

void FrameFixture::CreateDatabase(const std::vector<std::vector<std::string>>& rows)
{
    std::filesystem::create_directories(programDir);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(DatabasePath().c_str(), &db), SQLITE_OK);
    const char* schema =
        "create table if not exists tbl_hostsite(hostpasswd text, hostuser text, hosttype text, hostip text, "
        "hostname text, hostport text, hostpostcommand text, hostcomments text);";
    ASSERT_EQ(sqlite3_exec(db, schema, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_exec(db, "begin;", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "insert into tbl_hostsite values (?,?,?,?,?,?,?,?);", -1, &insert, nullptr),
              SQLITE_OK);
    for (const auto& row : rows) {
        for (int i = 0; i < 8; ++i) {
            const std::string value = i < static_cast<int>(row.size()) ? row[i] : std::string();
            sqlite3_bind_text(insert, i + 1, value.c_str(), -1, SQLITE_TRANSIENT);
        }
        EXPECT_EQ(sqlite3_step(insert), SQLITE_DONE);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "commit;", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

ShellyardFrame* FrameFixture::CreateFrame()
{
    frame = new ShellyardFrame(nullptr);
    frame->Show();
    ModalScript::Get().Verify();
    WaitFor([this] { return frame && frame->IsShownOnScreen(); }, std::chrono::seconds(5));
    return frame;
}

void FrameFixture::DestroyFrame()
{
    if (frame) {
        frame->Destroy();
        WaitFor([this] { return !frame; }, std::chrono::seconds(5));
    }
}

bool FrameFixture::ConnectionsDone(std::chrono::milliseconds deadline)
{
    return WaitFor([this] { return !frame || !frame->IsConnecting(); }, deadline);
}
