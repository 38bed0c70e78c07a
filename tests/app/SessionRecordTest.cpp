// The record of open sessions as a file: what is written is read back the same, whatever a site's
// name holds, and a damaged file costs only its damaged lines.
#include "app/SessionRecord.h"
#include "support/TempDirs.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {
class SessionRecordTest : public TempDirsTest {};
}  // namespace

TEST_F(SessionRecordTest, WhatIsWrittenIsReadBackAndDamagedLinesArePassedOver)
{
    RecordedSession web;
    web.pid = 4242;
    web.startMark = "boot-id:123456";
    web.program = "/opt/put ty/putty";
    web.rowid = 7;
    web.protocol = "ssh";
    web.host = "10.0.0.1";
    web.port = "2222";
    web.user = "r\too\\t";
    web.name = wxString::FromUTF8("web\t01\nzwei \\ drei é");
    RecordedSession quick = web;
    quick.pid = 99;
    quick.rowid = 0;
    quick.name = "";

    const std::string path = programDir + "/shellyard.sessions";
    fs::create_directories(programDir);
    SessionRecord& record = SessionRecord::Get();
    record.Open(path);
    EXPECT_TRUE(record.LeftOver().empty());
    record.Add(web);
    record.Add(quick);
    record.Remove(99);
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_FALSE(fs::exists(path + ".new"));

    // A later run finds it left over; lines that are not a session are passed over.
    WriteFile(path, ReadFile(path) + "not a session\n12\tmark\n0\tmark\tprog\t1\tssh\th\t22\tu\tn\n" +
                        SessionRecord::Format({quick}).substr(SessionRecord::Format({}).size()));
    record.Open(path);
    ASSERT_EQ(record.LeftOver().size(), 2u);
    const RecordedSession& back = record.LeftOver()[0];
    EXPECT_EQ(back.pid, 4242);
    EXPECT_EQ(back.startMark, web.startMark);
    EXPECT_EQ(back.program, web.program);
    EXPECT_EQ(back.rowid, 7);
    EXPECT_EQ(back.protocol, "ssh");
    EXPECT_EQ(back.host, "10.0.0.1");
    EXPECT_EQ(back.port, "2222");
    EXPECT_EQ(back.user, web.user);
    EXPECT_EQ(back.name, web.name);
    EXPECT_EQ(record.LeftOver()[1].name, "");

    // Kept until the run decides; then only what it keeps, beside its own sessions.
    record.Add(quick);
    record.KeepLeftOver({});
    std::vector<RecordedSession> now = SessionRecord::Parse(ReadFile(path));
    ASSERT_EQ(now.size(), 1u);
    EXPECT_EQ(now[0].pid, 99);
}
