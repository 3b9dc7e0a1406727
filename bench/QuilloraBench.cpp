// Figures for the program's speed and sturdiness, printed as a table; nothing
// here passes or fails. script/bench starts Dovecot and runs this under Wine.
//
//   quillora_bench probe|tls|rounds|silent|slow|answer|soak|size [DOVECOT_ADDRESS]
#include "AppDriver.h"
#include "AppFixture.h"
#include "BareTlsClient.h"
#include "BoxResponder.h"
#include "FakePop3Server.h"
#include "Soak.h"
#include "TestSettings.h"
#include "app/MailCheckerApp.h"
#include "checking/ProbeWorker.h"
#include "checking/pop3/Pop3Connection.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

using namespace testsettings;

namespace {

const char kDovecotUser[] = "empty";      // its mailbox stays empty: no boxes
const char kDovecotPassword[] = "secret";

double elapsedMs(const LARGE_INTEGER& start)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * (now.QuadPart - start.QuadPart) / frequency.QuadPart;
}

LARGE_INTEGER now()
{
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t;
}

void row(const char* measure, const std::string& value, const char* note)
{
    printf("| %-44s | %-34s | %-30s |\n", measure, value.c_str(), note);
    fflush(stdout);
}

std::string format(const char* pattern, double value)
{
    char text[64];
    snprintf(text, sizeof text, pattern, value);
    return text;
}

// One probe of the program, outside a round: the account read, its worker,
// the message that says it has ended. What it shows is left out: an empty
// mailbox shows nothing.
void probeOnce(int accountNumber)
{
    SettingsStore& store = theApp.store;
    store.readAccountRecord(accountNumber);
    ProbeWorker* worker = startProbe(store.workRecord().server, store.workAccount(), store.workPassword(),
                                     theApp.mainWindow, WM_PROBE_ENDED, 0);
    if (!worker)
        return;
    MSG done;
    while (!PeekMessageW(&done, theApp.mainWindow, WM_PROBE_ENDED, WM_PROBE_ENDED, PM_REMOVE))
        MsgWaitForMultipleObjects(0, NULL, FALSE, INFINITE, QS_POSTMESSAGE);
    Pop3Reply statReply;
    finishProbe(worker, statReply);
}

// The least a POP3 check can do: connect, then one receive for the greeting
// and for each of USER, PASS, STAT and QUIT.
void bareProbe(const char* server)
{
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_port = htons(110);
    to.sin_addr.s_addr = inet_addr(server);
    connect(s, reinterpret_cast<sockaddr*>(&to), sizeof to);
    char reply[65];
    recv(s, reply, 64, 0);
    const std::string commands[] = {std::string("USER ") + kDovecotUser + "\r\n",
                                    std::string("PASS ") + kDovecotPassword + "\r\n", "STAT\r\n", "QUIT\r\n"};
    for (const std::string& command : commands) {
        send(s, command.data(), static_cast<int>(command.size()), 0);
        recv(s, reply, 64, 0);
    }
    closesocket(s);
}

void writeDovecotAccounts(const char* server, int count)
{
    writeSettings(ownIniPath(), makeSettings(count, 0));
    for (int n = 1; n <= count; ++n)
        writeAccount(ownIniPath(), n, makeAccount("bench", kDovecotUser, kDovecotPassword, server));
}

void probeAgainstBareClient(const char* server)
{
    const int rounds = 200;
    startProgramInProcess(server, false);
    writeDovecotAccounts(server, 1);
    WSADATA data;
    WSAStartup(MAKEWORD(1, 1), &data);
    bareProbe(server);            // warm both up
    probeOnce(1);
    double program = 0, bare = 0;
    for (int i = 0; i < rounds; ++i) {
        LARGE_INTEGER start = now();
        probeOnce(1);
        program += elapsedMs(start);
        start = now();
        bareProbe(server);
        bare += elapsedMs(start);
    }
    WSACleanup();
    row("probe against Dovecot, program (200, interleaved)", format("%.2f ms per probe", program / rounds), "");
    row("probe against Dovecot, bare client", format("%.2f ms per probe", bare / rounds), "");
    row("ratio program / bare", format("%.2f", program / bare), "goal: at most 1.1");
}

// Over TLS against the same Dovecot, interleaved with a bare SChannel client,
// and the plain probe in the same run for comparison. The first probe of a
// process pays for Wine's loading of the trusted roots, once.
void tlsProbeAgainstBareClient(const char* plainServer)
{
    const char* tlsServer = "pop.quillora.test:995";
    const char* tlsHost = "pop.quillora.test";
    const int rounds = 200;
    startProgramInProcess(tlsServer, false);
    writeDovecotAccounts(tlsServer, 1);
    writeAccount(ownIniPath(), 2, makeAccount("bench", kDovecotUser, kDovecotPassword, plainServer));
    WSADATA data;
    WSAStartup(MAKEWORD(1, 1), &data);
    LARGE_INTEGER start = now();
    probeOnce(1);
    double first = elapsedMs(start);
    bool bareWorks = bareTlsProbe(tlsHost, kDovecotUser, kDovecotPassword);
    double program = 0, bare = 0, plain = 0;
    for (int i = 0; i < rounds; ++i) {
        start = now();
        probeOnce(1);
        program += elapsedMs(start);
        start = now();
        bareTlsProbe(tlsHost, kDovecotUser, kDovecotPassword);
        bare += elapsedMs(start);
        start = now();
        probeOnce(2);
        plain += elapsedMs(start);
    }
    WSACleanup();
    row("TLS probe against Dovecot, program (200)", format("%.2f ms per probe", program / rounds), "");
    row("TLS probe, bare SChannel client", bareWorks ? format("%.2f ms per probe", bare / rounds) : "failed", "");
    row("ratio program / bare (TLS)", format("%.2f", program / bare), "goal: at most 1.1");
    row("plain probe, program, same run", format("%.2f ms per probe", plain / rounds), "");
    row("first TLS probe in a process", format("%.1f ms", first),
        format("one-time cost about %.0f ms", first - program / rounds).c_str());
}

void roundsOverAccounts(const char* server)
{
    startProgramInProcess(server, false);
    for (int accounts : {1, 15}) {
        writeDovecotAccounts(server, accounts);
        ProfileText text;
        FileNotes notes;
        theApp.store.readFile(text, notes);
        const int rounds = 20;
        LARGE_INTEGER start = now();
        for (int i = 0; i < rounds; ++i)
            runRound();
        double perAccount = elapsedMs(start) / (rounds * accounts);
        row(accounts == 1 ? "round over 1 account" : "round over 15 accounts",
            format("%.2f ms per account", perAccount), "");
    }
}

// How long the probe holds on to a server that does not play along, and
// which box it ends with.
void timeAHoldingServer(FakePop3Server& server, const char* measure, const char* bound)
{
    startProgramInProcess(server.address(), false);
    BoxResponder boxes;
    LARGE_INTEGER start = now();
    runRound();
    double seconds = elapsedMs(start) / 1000;
    row(measure, format("gave up after %.1f s", seconds), bound);
    row("  box shown then", boxes.count() ? boxes.boxes()[0].caption : "(none)", "");
}

void silentServer()
{
    FakePop3Server server;
    server.greeting(pop3Silent());
    timeAHoldingServer(server, "server that accepts and never answers",
                       format("bound: %.0f s per reply", kReplyTimeoutSeconds).c_str());
}

// Every reply just inside the reply bound: only the conversation bound ends it.
void slowServer()
{
    FakePop3Server server;
    Pop3Step late = pop3Reply("+OK\r\n");
    late.delayMs = (kReplyTimeoutSeconds - 5) * 1000;
    for (const char* verb : {"USER", "PASS", "STAT"})
        server.on(verb, late);
    server.greeting(late);
    timeAHoldingServer(server, "server that answers each reply after 25 s",
                       format("bound: %.0f s per conversation", kConversationTimeoutSeconds).c_str());
}

// The longest the main window takes to answer a message while a round
// waits on a server that never answers its greeting: a click on the icon, a
// menu, the session ending all wait as long. Measured from outside, on the
// real program, for 8 s from the moment the server has the connection.
void answerDuringAStalledRound()
{
    FakePop3Server server;
    server.greeting(pop3Silent());
    AppDriver app;
    SettingsRecord settings = makeSettings(1);
    settings.lanMode = 1;
    writeSettings(app.iniPath(), settings);
    writeAccount(app.iniPath(), 1, makeAccount("bench", "a", "b", server.address()));
    const DWORD kAnswerBoundMs = 10000;
    double longest = -1;
    int tries = 0, unanswered = 0;
    std::thread measure([&] {
        if (!server.waitForConnections(1, 15000))
            return;
        HWND window = FindWindowA("#32770", "Quillora V2.10");
        longest = 0;
        for (DWORD end = GetTickCount() + 8000; GetTickCount() < end; Sleep(50)) {
            LARGE_INTEGER start = now();
            DWORD_PTR answer = 0;
            ++tries;
            if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerBoundMs, &answer))
                ++unanswered;
            double took = elapsedMs(start);
            longest = took > longest ? took : longest;
        }
    });
    app.start();
    measure.join();
    if (longest < 0) {
        row("main window's longest answer, stalled round", "the round did not start", "goal: under 100 ms");
        return;
    }
    row("main window's longest answer, stalled round", format("%.1f ms", longest), "goal: under 100 ms");
    row("  messages unanswered within 10 s", std::to_string(unanswered) + " of " + std::to_string(tries), "");
}

void soak()
{
    FakePop3Server server;
    server.on("STAT", pop3Reply("+OK 1 100\r\n"));
    server.keepNoRecords();
    startProgramInProcess(server.address(), true);
    BoxResponder boxes;
    const DWORD threadsAtRest = currentUsage().threads;
    probeRepeatedly(20);          // settle caches and lazily made objects
    openTrayMenuRepeatedly(20);
    ResourceUsage before = usageAtRest(threadsAtRest);
    LARGE_INTEGER start = now();
    probeRepeatedly(10000);
    double probeMs = elapsedMs(start);
    openTrayMenuRepeatedly(1000);
    ResourceUsage after = usageAtRest(threadsAtRest);
    row("soak: 10,000 probes with a report each", format("%.2f ms per probe", probeMs / 10000), "");
    row("soak: reports answered", std::to_string(boxes.count()), "");
    row("soak: 1,000 tray menu openings", "done", "");
    row("  before", describe(before), "");
    row("  after", describe(after), "");
}

void exeSize()
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    GetFileAttributesExA(QUILLORA_EXE, GetFileExInfoStandard, &data);
    row("size of Quillora.exe (test build, not stripped)", format("%.0f bytes", data.nFileSizeLow),
        "release: script/package");
}

}  // namespace

int main(int argc, char** argv)
{
    const char* what = argc > 1 ? argv[1] : "";
    const char* dovecot = argc > 2 ? argv[2] : "127.0.0.1";
    if (!strcmp(what, "probe"))
        probeAgainstBareClient(dovecot);
    else if (!strcmp(what, "tls"))
        tlsProbeAgainstBareClient(dovecot);
    else if (!strcmp(what, "rounds"))
        roundsOverAccounts(dovecot);
    else if (!strcmp(what, "silent"))
        silentServer();
    else if (!strcmp(what, "slow"))
        slowServer();
    else if (!strcmp(what, "soak"))
        soak();
    else if (!strcmp(what, "answer"))
        answerDuringAStalledRound();
    else if (!strcmp(what, "size"))
        exeSize();
    else {
        fprintf(stderr, "usage: quillora_bench probe|tls|rounds|silent|slow|answer|soak|size [DOVECOT_ADDRESS]\n");
        return 2;
    }
    return 0;
}
