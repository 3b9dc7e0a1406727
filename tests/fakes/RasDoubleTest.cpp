// The rasapi32.dll double as the program meets it: loaded through the normal
// import, asked with the first-version records, steered by RasDoubleControl.
// Also the fake mail program, started the way the program starts a mailer.
#include "RasDoubleControl.h"
#include "checking/RasRecords.h"

#include <gtest/gtest.h>
#include <raserror.h>
#include <shellapi.h>
#include <set>
#include <string>

namespace {

struct Enumeration {
    DWORD result = 0;
    DWORD size = sizeof records;
    DWORD count = 0;
    RasConnV1 records[kRasConnections] = {};
};

Enumeration enumerate()
{
    Enumeration e;
    e.records[0].dwSize = sizeof(RasConnV1);
    e.result = RasEnumConnectionsA(reinterpret_cast<LPRASCONNA>(e.records), &e.size, &e.count);
    return e;
}

DWORD statusOf(HRASCONN connection, DWORD* state, DWORD size = sizeof(RasConnStatusV1))
{
    RASCONNSTATUSA status = {};   // the newest layout: room for every size
    status.dwSize = size;
    status.rasconnstate = static_cast<RASCONNSTATE>(0x7777);
    DWORD result = RasGetConnectStatusA(connection, &status);
    *state = status.rasconnstate;
    return result;
}

class RasDoubleTest : public testing::Test {
protected:
    void SetUp() override { ras.reset(); }
    RasDouble ras;
};

// Wine keeps the path of a DLL found beside the exe even when it loads its
// own instead; only the double lacks RasDialA.
TEST_F(RasDoubleTest, IsTheDllBesideTheProgram)
{
    HMODULE module = GetModuleHandleA("rasapi32.dll");
    char path[MAX_PATH] = {};
    GetModuleFileNameA(module, path, MAX_PATH);
    EXPECT_EQ(0, lstrcmpiA(path, (RasDouble::exeFolder() + "rasapi32.dll").c_str())) << path;
    EXPECT_EQ(nullptr, GetProcAddress(module, "RasDialA")) << "Wine's own rasapi32 is loaded";
}

TEST_F(RasDoubleTest, NoSettingsMeansNoConnection)
{
    Enumeration e = enumerate();
    EXPECT_EQ(0u, e.result);
    EXPECT_EQ(0u, e.count);
}

TEST_F(RasDoubleTest, OneConnected)
{
    ras.setConnections(1);
    Enumeration e = enumerate();
    ASSERT_EQ(0u, e.result);
    ASSERT_EQ(1u, e.count);
    EXPECT_EQ(sizeof(RasConnV1), e.size);
    EXPECT_NE(nullptr, e.records[0].hrasconn);
    EXPECT_STREQ("Test connection 1", e.records[0].szEntryName);

    DWORD state = 0;
    EXPECT_EQ(0u, statusOf(e.records[0].hrasconn, &state));
    EXPECT_EQ(static_cast<DWORD>(RASCS_Connected), state);
}

TEST_F(RasDoubleTest, OneStillDialling)
{
    ras.setConnections(1, RASCS_OpenPort);
    Enumeration e = enumerate();
    ASSERT_EQ(1u, e.count);
    DWORD state = 0x7777;
    EXPECT_EQ(0u, statusOf(e.records[0].hrasconn, &state));
    EXPECT_EQ(static_cast<DWORD>(RASCS_OpenPort), state);
}

TEST_F(RasDoubleTest, FiveConnectionsWithOwnHandlesAndStates)
{
    ras.setConnections(5, RASCS_Disconnected);
    ras.setState(4, RASCS_Connected);
    Enumeration e = enumerate();
    ASSERT_EQ(0u, e.result);
    ASSERT_EQ(5u, e.count);
    std::set<HRASCONN> handles;
    for (const RasConnV1& c : e.records) {
        handles.insert(c.hrasconn);
        DWORD state = 0;
        EXPECT_EQ(0u, statusOf(c.hrasconn, &state));
        EXPECT_EQ(static_cast<DWORD>(&c == &e.records[3] ? RASCS_Connected : RASCS_Disconnected),
                  state);
    }
    EXPECT_EQ(5u, handles.size());
    EXPECT_EQ(0u, handles.count(nullptr));
    EXPECT_EQ(1u, ras.enumCalls());
    EXPECT_EQ(5u, ras.statusCalls());
}

TEST_F(RasDoubleTest, SixConnectionsDoNotFit)
{
    ras.setConnections(6);
    Enumeration e = enumerate();
    EXPECT_EQ(static_cast<DWORD>(ERROR_BUFFER_TOO_SMALL), e.result);
    EXPECT_EQ(6 * sizeof(RasConnV1), e.size);
    EXPECT_EQ(6u, e.count);
}

TEST_F(RasDoubleTest, InjectedFailures)
{
    ras.setConnections(2);
    ras.setStatusResult(2, ERROR_DISCONNECTION);
    Enumeration e = enumerate();
    ASSERT_EQ(2u, e.count);
    DWORD state = 0;
    EXPECT_EQ(0u, statusOf(e.records[0].hrasconn, &state));
    EXPECT_EQ(static_cast<DWORD>(ERROR_DISCONNECTION), statusOf(e.records[1].hrasconn, &state));

    ras.setEnumResult(ERROR_CANNOT_OPEN_PHONEBOOK);
    EXPECT_EQ(static_cast<DWORD>(ERROR_CANNOT_OPEN_PHONEBOOK), enumerate().result);
    EXPECT_EQ(2u, ras.enumCalls());
}

TEST_F(RasDoubleTest, RecordSizesAreChecked)
{
    ras.setConnections(1);
    RASCONNA newest = {};
    newest.dwSize = sizeof newest;
    DWORD size = sizeof newest, count = 0;
    EXPECT_EQ(0u, RasEnumConnectionsA(&newest, &size, &count));
    newest.dwSize = 400;
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_SIZE), RasEnumConnectionsA(&newest, &size, &count));

    HRASCONN connection = enumerate().records[0].hrasconn;
    DWORD state = 0;
    EXPECT_EQ(0u, statusOf(connection, &state, sizeof(RASCONNSTATUSA)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_SIZE), statusOf(connection, &state, 100));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), statusOf(nullptr, &state));
}

std::string readFile(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    char buffer[4096];
    DWORD got = 0;
    ReadFile(file, buffer, sizeof buffer, &got, nullptr);
    CloseHandle(file);
    return std::string(buffer, got);
}

// The mailer quits at once; its note is complete once the line ends.
std::string waitForLine(const std::string& path, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    std::string text;
    while ((text = readFile(path)).find('\n') == std::string::npos &&
           GetTickCount() - start < timeoutMs)
        Sleep(50);
    return text;
}

TEST(FakeMailer, NotesItsStartBesideItself)
{
    std::string folder = RasDouble::exeFolder();
    std::string mailer = folder + "fake_mailer.exe";
    ASSERT_TRUE(CopyFileA(FAKE_MAILER_PATH, mailer.c_str(), FALSE)) << FAKE_MAILER_PATH;
    DeleteFileA((folder + "mailer-ran.txt").c_str());

    HINSTANCE started = ShellExecuteA(nullptr, "open", mailer.c_str(), "/inbox",
                                      folder.c_str(), SW_SHOWNORMAL);
    ASSERT_GT(reinterpret_cast<INT_PTR>(started), 32);

    std::string line = waitForLine(folder + "mailer-ran.txt", 10000);
    ASSERT_NE(std::string::npos, line.find('\t')) << line;
    EXPECT_EQ(0, lstrcmpiA(line.substr(0, line.find('\t')).c_str(), mailer.c_str())) << line;
    EXPECT_NE(std::string::npos, line.find("/inbox")) << line;
}

} // namespace
