// The fake POP3 server seen from a plain client that reads each reply with
// one receive of at most 64 bytes, as the program does.
#include <winsock2.h>

#include "FakePop3Server.h"
#include "checking/Pop3Connection.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <cstring>

namespace {

const char kTimedOut[] = "<timed out>";

struct Winsock {
    Winsock()
    {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~Winsock() { WSACleanup(); }
} winsock;

sockaddr_in pop3Address(const char* address)
{
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_port = htons(110);
    to.sin_addr.s_addr = inet_addr(address);
    return to;
}

class Client {
public:
    explicit Client(const char* address) : socket_(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP))
    {
        sockaddr_in to = pop3Address(address);
        connected_ = connect(socket_, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0;
    }
    ~Client() { close(); }

    bool connected() const { return connected_; }
    void send(const char* text) { ::send(socket_, text, static_cast<int>(strlen(text)), 0); }
    void close()
    {
        if (socket_ != INVALID_SOCKET)
            closesocket(socket_);
        socket_ = INVALID_SOCKET;
    }

    // One receive of at most 64 bytes; empty when the server closed.
    std::string receive(DWORD timeoutMs = 5000)
    {
        if (!readable(timeoutMs))
            return kTimedOut;
        char bytes[64];
        int n = recv(socket_, bytes, sizeof bytes, 0);
        return std::string(bytes, n > 0 ? n : 0);
    }

    size_t drain(size_t atMost)
    {
        size_t total = 0;
        char bytes[16384];
        while (total < atMost && readable(5000)) {
            int n = recv(socket_, bytes, sizeof bytes, 0);
            if (n <= 0)
                break;
            total += n;
        }
        return total;
    }

private:
    bool readable(DWORD timeoutMs)
    {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(socket_, &set);
        timeval bound = {static_cast<long>(timeoutMs / 1000),
                         static_cast<long>(timeoutMs % 1000) * 1000};
        return select(0, &set, NULL, NULL, &bound) > 0;
    }

    SOCKET socket_;
    bool connected_;
};

long long millisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now() - start)
        .count();
}

TEST(FakePop3Server, DefaultConversationIsRecordedByteForByte)
{
    FakePop3Server server;
    ASSERT_TRUE(server.listening());
    Client client(server.address());
    ASSERT_TRUE(client.connected());
    EXPECT_EQ("+OK fake POP3 server ready\r\n", client.receive());
    client.send("USER alice\r\n");
    EXPECT_EQ("+OK\r\n", client.receive());
    client.send("PASS secret\r\n");
    EXPECT_EQ("+OK logged in\r\n", client.receive());
    client.send("STAT\r\n");
    EXPECT_EQ("+OK 0 0\r\n", client.receive());
    client.send("NOOP\r\n");
    EXPECT_EQ("-ERR unknown command\r\n", client.receive());
    client.send("QUIT\r\n");
    EXPECT_EQ("+OK bye\r\n", client.receive());
    client.close();

    EXPECT_TRUE(server.waitForClientClose(5000));
    EXPECT_EQ("USER alice\r\nPASS secret\r\nSTAT\r\nNOOP\r\nQUIT\r\n", server.received());
    EXPECT_EQ((std::vector<std::string>{"USER alice", "PASS secret", "STAT", "NOOP", "QUIT"}),
              server.commands());
    EXPECT_EQ(1, server.connections());
}

// The program's own connection class against the fake: one receive per reply.
TEST(FakePop3Server, AnswersTheProgramsConnection)
{
    FakePop3Server server;
    server.on("STAT", pop3Reply("+OK 3 512\r\n"));
    in_addr address;
    address.s_addr = inet_addr(server.address());
    Pop3Connection pop3;
    ASSERT_TRUE(pop3.open());
    ASSERT_EQ(Pop3Connection::ConnectResult::connected, pop3.connectTo(address, 110));
    Pop3Reply reply;
    ASSERT_TRUE(pop3.receive(reply));
    pop3.send("STAT\r\n");
    ASSERT_TRUE(pop3.receive(reply));
    EXPECT_STREQ("+OK 3 512\r\n", reply.text);
    pop3.close();
    EXPECT_TRUE(server.waitForClientClose(5000));
}

TEST(FakePop3Server, ScriptedStepsAdvanceOncePerConnection)
{
    FakePop3Server server;
    server.on("stat", {pop3Reply("+OK 1 10\r\n"), pop3Reply("+OK 2 20\r\n")});
    const char* expected[] = {"+OK 1 10\r\n", "+OK 2 20\r\n", "+OK 2 20\r\n"};
    for (const char* reply : expected) {
        Client client(server.address());
        client.receive();
        client.send("stat\r\n");
        EXPECT_EQ(reply, client.receive());
        client.send("STAT\r\n");
        EXPECT_EQ(reply, client.receive()) << "the step is kept within one connection";
    }
    EXPECT_EQ(3, server.connections());
}

TEST(FakePop3Server, RepliesAndCommandsTravelInPieces)
{
    FakePop3Server server;
    Pop3Step split = pop3Reply("+OK 3 300\r\n");
    split.splitAt = {4, 7};
    server.on("STAT", split);
    Client client(server.address());
    client.receive();
    client.send("ST");
    EXPECT_EQ(kTimedOut, client.receive(300)) << "half a command is not answered";
    client.send("AT\r\n");
    EXPECT_EQ("+OK ", client.receive());
    EXPECT_EQ("3 3", client.receive());
    EXPECT_EQ("00\r\n", client.receive());
    EXPECT_EQ(std::vector<std::string>{"STAT"}, server.commands());
}

TEST(FakePop3Server, SilentStepDoesNotHoldUpOtherConnections)
{
    FakePop3Server server;
    server.on("PASS", pop3Silent());
    Client silent(server.address());
    silent.receive();
    silent.send("PASS x\r\n");
    EXPECT_EQ(kTimedOut, silent.receive(1000));

    Client next(server.address());
    EXPECT_EQ("+OK fake POP3 server ready\r\n", next.receive());
    next.close();

    silent.send("QUIT\r\n");
    EXPECT_EQ(kTimedOut, silent.receive(300)) << "silent for the rest of the connection";
    silent.close();
    EXPECT_TRUE(server.waitForClientClose(5000));
    EXPECT_EQ("PASS x\r\nQUIT\r\n", server.received());
}

TEST(FakePop3Server, DelayedGreetingThenClose)
{
    FakePop3Server server;
    Pop3Step step = pop3Reply("-ERR busy\r\n");
    step.delayMs = 400;
    step.closeAfter = true;
    server.greeting(step);
    auto start = std::chrono::steady_clock::now();
    Client client(server.address());
    EXPECT_EQ("-ERR busy\r\n", client.receive());
    EXPECT_GE(millisecondsSince(start), 390);
    EXPECT_EQ("", client.receive()) << "the server closed its side";
}

TEST(FakePop3Server, FloodFollowsTheReply)
{
    FakePop3Server server;
    Pop3Step flood = pop3Reply("+OK 1 1\r\n");
    flood.floodBytes = 1 << 20;
    server.on("STAT", flood);
    Client client(server.address());
    client.receive();
    client.send("STAT\r\n");
    const size_t expected = 9 + (1 << 20);
    EXPECT_EQ(expected, client.drain(expected));
    EXPECT_EQ(kTimedOut, client.receive(200));
}

TEST(FakePop3Server, StopsWhileAClientHoldsAConnection)
{
    auto server = std::make_unique<FakePop3Server>();
    Pop3Step flood = pop3Reply("+OK 1 1\r\n");
    flood.floodBytes = 8 << 20;
    server->on("STAT", flood);
    Client client(server->address());
    client.receive();
    client.send("STAT\r\n");
    client.receive();
    auto start = std::chrono::steady_clock::now();
    server.reset();
    EXPECT_LT(millisecondsSince(start), 2000);
    EXPECT_LT(client.drain(16 << 20), size_t(8 << 20)) << "the flood ends with the server";
}

TEST(FakePop3Server, EachServerHasAnAddressOfItsOwn)
{
    FakePop3Server first, second;
    ASSERT_TRUE(first.listening());
    ASSERT_TRUE(second.listening());
    EXPECT_STRNE(first.address(), second.address());
    FakePop3Server taken(first.address());
    EXPECT_FALSE(taken.listening());
}

// The connect timeout of the program needs a server whose connection
// attempts neither succeed nor fail.
TEST(FakePop3Server, ConnectStaysPendingOnceAcceptingStops)
{
    FakePop3Server server;
    ASSERT_TRUE(server.stopAccepting());
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    u_long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    sockaddr_in to = pop3Address(server.address());
    EXPECT_EQ(SOCKET_ERROR, connect(s, reinterpret_cast<sockaddr*>(&to), sizeof to));
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(s, &writable);
    FD_SET(s, &failed);
    timeval bound = {3, 0};
    EXPECT_EQ(0, select(0, NULL, &writable, &failed, &bound));
    closesocket(s);
    EXPECT_EQ(0, server.connections());
}

// The program version: prints its address once listening, answers as told
// and ends when its standard input closes.
TEST(FakePop3Program, ServesUntilItsInputCloses)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
    HANDLE inputRead, inputWrite, outputRead, outputWrite;
    ASSERT_TRUE(CreatePipe(&inputRead, &inputWrite, &inherit, 0));
    ASSERT_TRUE(CreatePipe(&outputRead, &outputWrite, &inherit, 0));
    SetHandleInformation(inputWrite, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(outputRead, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inputRead;
    startup.hStdOutput = outputWrite;
    startup.hStdError = outputWrite;
    char commandLine[] = "\"" FAKE_POP3_PATH "\" --messages 2 --quit \"+OK see you\"";
    PROCESS_INFORMATION process;
    ASSERT_TRUE(CreateProcessA(NULL, commandLine, NULL, NULL, TRUE, 0, NULL, NULL, &startup,
                               &process));
    CloseHandle(inputRead);
    CloseHandle(outputWrite);

    std::string output;
    char c;
    DWORD got;
    while (output.find('\n') == std::string::npos && ReadFile(outputRead, &c, 1, &got, NULL) && got)
        output += c;
    char address[16] = {};
    ASSERT_EQ(1, sscanf(output.c_str(), "listening on %15[0-9.]:110", address)) << output;

    Client client(address);
    client.receive();
    client.send("STAT\r\n");
    EXPECT_EQ("+OK 2 2048\r\n", client.receive());
    client.send("QUIT\r\n");
    EXPECT_EQ("+OK see you\r\n", client.receive());
    client.close();

    CloseHandle(inputWrite);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 10000));
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    EXPECT_EQ(0u, exitCode);
    CloseHandle(outputRead);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
}

}  // namespace
