// A scriptable POP3 server on 127.0.0.N:110 (or another port) for the tests,
// run in-process on its own threads. It answers each command with a scripted
// step (or a default reply) and records every byte the client sent.
#pragma once
#include <windows.h>

#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// The server's answer to one command, or the greeting.
struct Pop3Step {
    std::string reply;            // bytes to send, e.g. "+OK 3 512\r\n"
    DWORD delayMs = 0;            // wait before answering
    bool silent = false;          // never answer again; keep the connection until the client closes it
    bool closeAfter = false;      // close the connection after answering
    size_t floodBytes = 0;        // then send this many filler bytes
    std::vector<size_t> splitAt;  // send the reply in pieces cut at these offsets, pausing between
};

// Shorthands for the common steps.
Pop3Step pop3Reply(const char* reply);
Pop3Step pop3Silent();
// What the server answers to an unscripted verb ("" is the greeting).
Pop3Step pop3DefaultStep(const std::string& verb);

class FakePop3Server {
public:
    // Pause between the pieces of a split reply, long enough for the client
    // to see each piece in a receive of its own.
    static const DWORD kSplitPauseMs = 150;

    // Listens on the first free address of 127.0.0.20 upwards.
    FakePop3Server();
    // Listens on this address and port only; listening() tells whether that
    // worked.
    explicit FakePop3Server(const char* address, unsigned short port = 110);
    // Stops and joins every thread; connections still open are closed.
    ~FakePop3Server();
    FakePop3Server(const FakePop3Server&) = delete;
    FakePop3Server& operator=(const FakePop3Server&) = delete;

    bool listening() const { return listener_ != kNoSocket; }
    const char* address() const { return address_; }

    void greeting(Pop3Step step);
    void greeting(std::vector<Pop3Step> steps);
    // Verbs match the first word of a line, in any case. With several steps
    // the n-th connection that sends the verb gets the n-th step; the last
    // one repeats.
    void on(const char* verb, Pop3Step step);
    void on(const char* verb, std::vector<Pop3Step> steps);

    // Appends every received byte to this file as well.
    bool logTo(const char* path);
    // Keeps neither bytes nor commands from now on (connections are still
    // counted), so that a soak of thousands of probes measures the client.
    void keepNoRecords();

    std::string received() const;              // all connections, in arrival order
    std::vector<std::string> commands() const; // complete lines without CRLF
    int connections() const;
    // True once the latest connection has been closed by the client.
    bool waitForClientClose(DWORD timeoutMs);
    // True once this many connections have been accepted.
    bool waitForConnections(int count, DWORD timeoutMs);

    // Stops accepting and fills the listening queue with connections of its
    // own, so that the system drops further connection attempts and a
    // client's connect stays pending. False when the queue would not fill.
    bool stopAccepting();

private:
    static const UINT_PTR kNoSocket = ~static_cast<UINT_PTR>(0);

    struct Script {
        std::vector<Pop3Step> steps;
        size_t used = 0;  // connections that have asked for this verb
    };
    class Conversation;
    friend class Conversation;

    bool listenOn(const char* address);
    void start();
    void acceptLoop();
    bool fillQueue();
    void serve(UINT_PTR socket, int number);
    void script(const std::string& verb, std::vector<Pop3Step> steps);
    Pop3Step stepFor(const std::string& verb, std::map<std::string, size_t>& chosen);
    void record(const char* bytes, size_t length);
    void recordCommand(const std::string& line);
    void closedByClient(int number);
    void joinFinishedWorkers();

    char address_[16] = {};
    unsigned short port_ = 110;
    UINT_PTR listener_ = kNoSocket;
    HANDLE stopEvent_ = NULL;
    HANDLE acceptEvent_ = NULL;
    HANDLE pauseRequest_ = NULL;
    HANDLE pauseDone_ = NULL;
    bool pauseWorked_ = false;
    std::vector<UINT_PTR> fillers_;
    std::thread acceptThread_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::string, Script> scripts_;  // by upper-case verb; "" is the greeting
    std::vector<std::thread> workers_;
    std::vector<std::thread::id> finished_;  // conversations over, threads not yet joined
    bool keepRecords_ = true;
    std::string received_;
    std::vector<std::string> commands_;
    std::vector<bool> closedByClient_;       // one per accepted connection
    FILE* log_ = nullptr;
};
