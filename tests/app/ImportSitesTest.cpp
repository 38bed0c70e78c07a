// Import of other programs' site lists into the real frame: an OpenSSH client configuration with a
// dozen hosts, an Include (and an Include loop), wildcards, a Match block and hostile lines, and
// PuTTY saved sessions in PuTTY's own file format; the preview is answered as a user would, and the
// outcome is checked row by row in the database file.
#include "support/FrameFixture.h"
#include "support/FrameProbe.h"

#include "app/ShellyardSitesPanel.h"
#include "dialogs/ImportPreviewDialog.h"
#include "storage/SiteStore.h"
#include "storage/import/PuttySessionReader.h"
#include "storage/import/SshConfigReader.h"

#include <fstream>
#include <map>
#include <sys/stat.h>
#include <wx/listctrl.h>

namespace {
void Write(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

class ImportSitesTest : public FrameFixture {
protected:
    void TearDown() override
    {
        DestroyFrame();
        FrameFixture::TearDown();
    }
    // name -> "host|port|protocol|user|key|session|folder name" of every stored site.
    std::map<std::string, std::string> StoredSites()
    {
        SiteStore store;
        store.Open(wxString::FromUTF8(DatabasePath().c_str()));
        std::map<long long, std::string> folders;
        for (const SiteFolder& folder : store.ListFolders())
            folders[folder.id] = folder.name.utf8_string();
        std::map<std::string, std::string> sites;
        std::unique_ptr<SiteList> list = store.ListSites();
        for (size_t i = 0; list && i < list->GetCount(); ++i) {
            const SiteRecord& s = list->Item(i);
            sites[s.hostname.utf8_string()] = (s.hostip + "|" + s.hostport + "|" + s.hosttype + "|" + s.hostuser + "|" +
                                               s.keyfile + "|" + s.puttysession + "|")
                                                  .utf8_string() +
                                              folders[s.folder];
        }
        return sites;
    }
};
}  // namespace

TEST_F(ImportSitesTest, SshConfigAndPuttySessionsArriveRowByRowInAFolderOfTheirOwn)
{
    const std::string home = root + "/home";
    ASSERT_EQ(mkdir(home.c_str(), 0700), 0);
    ASSERT_EQ(mkdir((home + "/.ssh").c_str(), 0700), 0);
    std::string config =
        "# a dozen hosts\n"
        "Host web1 web2\n    HostName 10.0.0.1\n    User deploy\n    Port 2201\n"
        "Host db\n  HostName=db.example.org\n  User = postgres\n  IdentityFile ~/.ssh/id_db\n"
        "  User ignored-second-value\n"
        "Host *.internal !bad ?x\n  User wildcard\n"
        "Host jump\n  HostName 192.0.2.7\n  ProxyCommand ssh -W %h:%p bastion\n"
        "Match host foo exec \"touch /tmp/never\"\n  User matched\n"
        "Host plain\n"
        "Host \"quoted name\"\n  HostName q.example.org\n"
        "Host ünïcode\n  HostName u.example.org\n"
        "Host latin\xe9\n  HostName l.example.org\n"
        "Host binary\n\x01\x02junk\x7f\n  HostName b.example.org\n"
        "UnknownKeyword yes\n"
        "Host long\n  HostName " + std::string(1024 * 1024, 'x') + "\n"
        "Host stored\n  HostName 10.9.9.9\n  User root\n"
        "Include extra.conf\n"
        "Host last\n  HostName 10.0.0.99\n";
    Write(home + "/.ssh/config", config);
    Write(home + "/.ssh/extra.conf", "Host inc1 inc2\n  HostName 172.16.0.1\nInclude ~/.ssh/extra.conf\n");

    CreateDatabase({{"pw", "root", "ssh", "10.9.9.9", "stored", "22", "", ""}});
    CreateFrame();
    ASSERT_TRUE(frame);
    ShellyardSitesPanel* panel = FrameProbe::Sites(frame);

    SshConfigReader reader(home);
    ImportedSites found = reader.ReadFile(home + "/.ssh/config");
    // Wildcards (3) and the Match block are skipped; the 1 MB line, the binary line and the loop
    // are unreadable.
    EXPECT_EQ(found.skipped, 4);
    EXPECT_EQ(found.unreadable, 3);
    // What is no configuration is never read: a pipe (it would wait for ever), a device without
    // end, a folder; and a pattern that names 300 files is read up to the bound of 256 files.
    const std::string many = home + "/many";
    ASSERT_EQ(mkdir(many.c_str(), 0700), 0);
    for (int i = 0; i < 300; ++i)
        Write(many + "/" + std::to_string(1000 + i), "Host m" + std::to_string(i) + "\n");
    ASSERT_EQ(mkfifo((home + "/pipe").c_str(), 0600), 0);
    Write(home + "/.ssh/hostile", "Include " + home + "/pipe /dev/zero " + home + "\nInclude " + many + "/*\n");
    ImportedSites hostile = SshConfigReader(home).ReadFile(home + "/.ssh/hostile");
    EXPECT_EQ(hostile.sites.size(), 253u);
    EXPECT_EQ(hostile.unreadable, 3 + 47);

    // The preview: the stored site is marked and unchecked; the user also leaves out web2.
    ModalScript::Get().ExpectDialog<ImportPreviewDialog>("the preview", [&](ImportPreviewDialog* preview) {
        const auto& rows = preview->Rows();
        EXPECT_EQ(preview->List()->GetItemCount(), static_cast<int>(rows.size()));
        for (size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].name == "stored") {
                EXPECT_TRUE(rows[i].stored);
                EXPECT_FALSE(rows[i].checked);
                EXPECT_EQ(rows[i].note, "already stored");
                preview->SetChecked(i, true);
                EXPECT_FALSE(preview->Rows()[i].checked) << "a stored site cannot be checked";
            }
            if (rows[i].name == "jump") {
                EXPECT_EQ(rows[i].note, "needs its own PuTTY settings");
            }
            if (rows[i].name == "web2")
                preview->SetChecked(i, false);
        }
        return wxID_OK;
    });
    wxString summary;
    ModalScript::Get().ExpectDialog<wxMessageDialog>("the summary", [&](wxMessageDialog* box) {
        summary = box->GetMessage();
        return wxID_OK;
    });
    panel->ImportSitesFrom(found, "ssh config");
    ModalScript::Get().Verify();
    EXPECT_NE(summary.find("12 sites added, 6 skipped, 3 unreadable."), wxString::npos) << summary;
    EXPECT_NE(summary.find("ProxyCommand"), wxString::npos) << summary;

    const std::string key = home + "/.ssh/id_db";
    std::map<std::string, std::string> expected = {
        {"stored", "10.9.9.9|22|ssh|root|||"},
        {"web1", "10.0.0.1|2201|ssh|deploy|||ssh config"},
        {"db", "db.example.org|22|ssh|postgres|" + key + "||ssh config"},
        {"jump", "192.0.2.7|22|ssh||||ssh config"},
        {"plain", "plain|22|ssh||||ssh config"},
        {"quoted name", "q.example.org|22|ssh||||ssh config"},
        {"ünïcode", "u.example.org|22|ssh||||ssh config"},
        {"latin\xc3\xa9", "l.example.org|22|ssh||||ssh config"},
        {"binary", "b.example.org|22|ssh||||ssh config"},
        {"long", "long|22|ssh||||ssh config"},
        {"inc1", "172.16.0.1|22|ssh||||ssh config"},
        {"inc2", "172.16.0.1|22|ssh||||ssh config"},
        {"last", "10.0.0.99|22|ssh||||ssh config"},
    };
    EXPECT_EQ(StoredSites(), expected);
    // Nothing in the configuration was run.
    struct stat status {};
    EXPECT_NE(stat("/tmp/never", &status), 0);

    // PuTTY's sessions, in its own format; escaped names, Default Settings and a raw session skipped.
    const std::string sessions = root + "/sessions";
    ASSERT_EQ(mkdir(sessions.c_str(), 0700), 0);
    Write(sessions + "/Office%20db%2Fprod", "HostName=10.1.1.1\\\nPortNumber=2222\\\nProtocol=ssh\\\n"
                                           "UserName=admin\\\nPublicKeyFile=/keys/office.ppk\\\nColours=x\\\n");
    Write(sessions + "/switch", "HostName=10.1.1.2\\\nPortNumber=23\\\nProtocol=telnet\\\n");
    Write(sessions + "/Default%20Settings", "HostName=\\\n");
    Write(sessions + "/serial", "HostName=/dev/ttyS0\\\nProtocol=serial\\\n");
    Write(sessions + "/junk", std::string("HostName=x\0\xff", 12));
    ImportedSites putty = PuttySessionReader::ReadFolder(sessions);
    ModalScript::Get().ExpectDialog<ImportPreviewDialog>("the preview", [](ImportPreviewDialog*) { return wxID_OK; });
    ModalScript::Get().ExpectDialog<wxMessageDialog>("the summary", [&](wxMessageDialog* box) {
        summary = box->GetMessage();
        return wxID_OK;
    });
    panel->ImportSitesFrom(putty, "PuTTY sessions");
    ModalScript::Get().Verify();
    EXPECT_EQ(summary, "2 sites added, 2 skipped, 1 unreadable.");
    std::map<std::string, std::string> all = StoredSites();
    EXPECT_EQ(all["Office db/prod"], "10.1.1.1|2222|ssh|admin|/keys/office.ppk|Office db/prod|PuTTY sessions");
    EXPECT_EQ(all["switch"], "10.1.1.2|23|telnet|||switch|PuTTY sessions");
    EXPECT_EQ(all.size(), expected.size() + 2);
}
