#include <winsock2.h>

#include "FakePop3Server.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

const int kBacklog = 4;
// A connection to our own queue that is not established within this time
// was dropped: the queue is full.
const DWORD kFillerWaitMs = 200;
const int kMaxFillers = 16;
const size_t kChunk = 64 * 1024;

}  // namespace

Pop3Step pop3DefaultStep(const std::string& verb)
{
    if (verb.empty())
        return pop3Reply("+OK fake POP3 server ready\r\n");
    if (verb == "USER")
        return pop3Reply("+OK\r\n");
    if (verb == "PASS")
        return pop3Reply("+OK logged in\r\n");
    if (verb == "STAT")
        return pop3Reply("+OK 0 0\r\n");
    if (verb == "QUIT")
        return pop3Reply("+OK bye\r\n");
    return pop3Reply("-ERR unknown command\r\n");
}

namespace {

std::string upperCase(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string firstWord(const std::string& line)
{
    return upperCase(line.substr(0, line.find(' ')));
}

bool toAddress(const char* text, u_short port, sockaddr_in& address)
{
    address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = inet_addr(text);
    return address.sin_addr.s_addr != INADDR_NONE;
}

bool connectsWithin(SOCKET s, DWORD ms)
{
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(s, &writable);
    FD_SET(s, &failed);
    timeval bound = {static_cast<long>(ms / 1000), static_cast<long>(ms % 1000) * 1000};
    return select(0, NULL, &writable, &failed, &bound) > 0 && FD_ISSET(s, &writable);
}

}  // namespace

Pop3Step pop3Reply(const char* reply)
{
    Pop3Step step;
    step.reply = reply;
    return step;
}

Pop3Step pop3Silent()
{
    Pop3Step step;
    step.silent = true;
    return step;
}

// One accepted connection: reads lines, answers them by the script, and
// notices when the client goes away.
class FakePop3Server::Conversation {
public:
    Conversation(FakePop3Server& server, SOCKET socket, int number)
        : server_(server), socket_(socket), number_(number), event_(WSACreateEvent())
    {
        // Replaces the accept event the socket inherited from the listener.
        WSAEventSelect(socket_, event_, FD_READ | FD_WRITE | FD_CLOSE);
        BOOL noDelay = TRUE;
        setsockopt(socket_, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<char*>(&noDelay),
                   sizeof noDelay);
    }

    ~Conversation()
    {
        closesocket(socket_);
        WSACloseEvent(event_);
    }

    void run()
    {
        answer(server_.stepFor("", chosen_));
        std::string pending;
        while (!stopped_) {
            char bytes[4096];
            int n = recv(socket_, bytes, sizeof bytes, 0);
            if (n > 0) {
                server_.record(bytes, n);
                pending.append(bytes, n);
                takeLines(pending);
                continue;
            }
            int error = n == 0 ? 0 : WSAGetLastError();
            if (error == WSAEWOULDBLOCK) {
                waitForNetwork();
                continue;
            }
            if (n == 0 || error == WSAECONNRESET || error == WSAECONNABORTED)
                server_.closedByClient(number_);
            return;
        }
    }

private:
    void takeLines(std::string& pending)
    {
        size_t end;
        while (!stopped_ && (end = pending.find("\r\n")) != std::string::npos) {
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 2);
            server_.recordCommand(line);
            if (!quiet_)
                answer(server_.stepFor(firstWord(line), chosen_));
        }
    }

    void answer(const Pop3Step& step)
    {
        if (step.silent) {
            quiet_ = true;
            return;
        }
        if (step.delayMs && !pause(step.delayMs))
            return;
        std::vector<size_t> cuts = step.splitAt;
        std::sort(cuts.begin(), cuts.end());
        size_t start = 0;
        for (size_t cut : cuts) {
            if (cut <= start || cut >= step.reply.size())
                continue;
            if (!sendAll(step.reply.data() + start, cut - start) || !pause(kSplitPauseMs))
                return;
            start = cut;
        }
        if (!sendAll(step.reply.data() + start, step.reply.size() - start))
            return;
        if (step.floodBytes) {
            std::string filler(std::min(step.floodBytes, kChunk), 'x');
            for (size_t left = step.floodBytes; left > 0;) {
                size_t piece = std::min(left, filler.size());
                if (!sendAll(filler.data(), piece))
                    return;
                left -= piece;
            }
        }
        if (step.closeAfter) {
            // Half-close: the client sees the end of the stream, and whatever
            // it still sends is recorded until it closes too.
            shutdown(socket_, SD_SEND);
            quiet_ = true;
        }
    }

    // False when the connection failed or the server is stopping; a failed
    // connection answers nothing more, but its end is still read.
    bool sendAll(const char* bytes, size_t length)
    {
        while (length > 0 && !stopped_) {
            int n = send(socket_, bytes, static_cast<int>(std::min(length, kChunk)), 0);
            if (n > 0) {
                bytes += n;
                length -= n;
            } else if (WSAGetLastError() == WSAEWOULDBLOCK) {
                waitForNetwork();
            } else {
                quiet_ = true;
                return false;
            }
        }
        return !stopped_;
    }

    bool pause(DWORD ms)
    {
        if (WaitForSingleObject(server_.stopEvent_, ms) != WAIT_TIMEOUT)
            stopped_ = true;
        return !stopped_;
    }

    // Each receive or send that would block re-arms its notification, so a
    // wait after one cannot miss the event it waits for.
    void waitForNetwork()
    {
        HANDLE handles[2] = {event_, server_.stopEvent_};
        if (WaitForMultipleObjects(2, handles, FALSE, INFINITE) != WAIT_OBJECT_0) {
            stopped_ = true;
            return;
        }
        WSANETWORKEVENTS events;
        WSAEnumNetworkEvents(socket_, event_, &events);
    }

    FakePop3Server& server_;
    SOCKET socket_;
    int number_;
    WSAEVENT event_;
    bool quiet_ = false;
    bool stopped_ = false;
    std::map<std::string, size_t> chosen_;  // the step index each verb got here
};

FakePop3Server::FakePop3Server()
{
    start();
    char address[16];
    for (int subnet = 0; subnet < 4 && !listening(); ++subnet) {
        for (int host = subnet == 0 ? 20 : 1; host < 255 && !listening(); ++host) {
            snprintf(address, sizeof address, "127.0.%d.%d", subnet, host);
            listenOn(address);
        }
    }
    if (listening())
        acceptThread_ = std::thread(&FakePop3Server::acceptLoop, this);
}

FakePop3Server::FakePop3Server(const char* address, u_short port) : port_(port)
{
    start();
    if (listenOn(address))
        acceptThread_ = std::thread(&FakePop3Server::acceptLoop, this);
}

void FakePop3Server::start()
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    stopEvent_ = CreateEventA(NULL, TRUE, FALSE, NULL);
    acceptEvent_ = WSACreateEvent();
    pauseRequest_ = CreateEventA(NULL, FALSE, FALSE, NULL);
    pauseDone_ = CreateEventA(NULL, FALSE, FALSE, NULL);
}

FakePop3Server::~FakePop3Server()
{
    SetEvent(stopEvent_);
    if (acceptThread_.joinable())
        acceptThread_.join();
    std::vector<std::thread> workers;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        workers.swap(workers_);
    }
    for (std::thread& worker : workers)
        worker.join();
    for (UINT_PTR filler : fillers_)
        closesocket(filler);
    if (listening())
        closesocket(listener_);
    CloseHandle(stopEvent_);
    WSACloseEvent(acceptEvent_);
    CloseHandle(pauseRequest_);
    CloseHandle(pauseDone_);
    if (log_)
        fclose(log_);
    WSACleanup();
}

// No SO_REUSEADDR: an address still held by an earlier run is skipped
// rather than shared.
bool FakePop3Server::listenOn(const char* address)
{
    sockaddr_in local;
    if (!toAddress(address, port_, local))
        return false;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        return false;
    if (bind(s, reinterpret_cast<sockaddr*>(&local), sizeof local) == SOCKET_ERROR ||
        listen(s, kBacklog) == SOCKET_ERROR ||
        WSAEventSelect(s, acceptEvent_, FD_ACCEPT) == SOCKET_ERROR) {
        closesocket(s);
        return false;
    }
    listener_ = s;
    snprintf(address_, sizeof address_, "%s", address);
    return true;
}

void FakePop3Server::acceptLoop()
{
    HANDLE handles[3] = {stopEvent_, pauseRequest_, acceptEvent_};
    bool accepting = true;
    for (;;) {
        DWORD woke = WaitForMultipleObjects(accepting ? 3 : 2, handles, FALSE, INFINITE);
        if (woke == WAIT_OBJECT_0 + 1) {
            if (accepting)
                pauseWorked_ = fillQueue();
            accepting = false;
            SetEvent(pauseDone_);
            continue;
        }
        if (woke != WAIT_OBJECT_0 + 2)
            return;
        WSANETWORKEVENTS events;
        WSAEnumNetworkEvents(listener_, acceptEvent_, &events);
        joinFinishedWorkers();
        for (;;) {
            SOCKET s = accept(listener_, NULL, NULL);
            if (s == INVALID_SOCKET)
                break;
            std::lock_guard<std::mutex> lock(mutex_);
            int number = static_cast<int>(closedByClient_.size());
            closedByClient_.push_back(false);
            workers_.emplace_back(&FakePop3Server::serve, this, s, number);
            changed_.notify_all();
        }
    }
}

// A listening queue of length zero still holds one connection on Linux;
// once it holds that, new connection requests are dropped without an answer
// and the client keeps retrying.
bool FakePop3Server::fillQueue()
{
    sockaddr_in own;
    toAddress(address_, port_, own);
    if (listen(listener_, 0) == SOCKET_ERROR)
        return false;
    for (int i = 0; i < kMaxFillers; ++i) {
        SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (s == INVALID_SOCKET)
            return false;
        fillers_.push_back(s);
        u_long nonBlocking = 1;
        ioctlsocket(s, FIONBIO, &nonBlocking);
        connect(s, reinterpret_cast<sockaddr*>(&own), sizeof own);
        if (!connectsWithin(s, kFillerWaitMs))
            return true;
    }
    return false;
}

bool FakePop3Server::stopAccepting()
{
    if (!listening())
        return false;
    SetEvent(pauseRequest_);
    return WaitForSingleObject(pauseDone_, 10000) == WAIT_OBJECT_0 && pauseWorked_;
}

void FakePop3Server::serve(UINT_PTR socket, int number)
{
    {
        Conversation conversation(*this, socket, number);
        conversation.run();
    }
    std::lock_guard<std::mutex> lock(mutex_);
    finished_.push_back(std::this_thread::get_id());
}

// Joins the threads of conversations that are over, so that a server used
// for thousands of connections holds no more threads than are talking.
void FakePop3Server::joinFinishedWorkers()
{
    std::vector<std::thread> done;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto it = workers_.begin(); it != workers_.end();) {
            bool finished = std::find(finished_.begin(), finished_.end(), it->get_id()) != finished_.end();
            if (finished) {
                finished_.erase(std::find(finished_.begin(), finished_.end(), it->get_id()));
                done.push_back(std::move(*it));
                it = workers_.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (std::thread& worker : done)
        worker.join();
}

void FakePop3Server::script(const std::string& verb, std::vector<Pop3Step> steps)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Script& script = scripts_[verb];
    script.steps = std::move(steps);
    script.used = 0;
}

void FakePop3Server::greeting(Pop3Step step) { script("", {std::move(step)}); }

void FakePop3Server::greeting(std::vector<Pop3Step> steps) { script("", std::move(steps)); }

void FakePop3Server::on(const char* verb, Pop3Step step)
{
    script(upperCase(verb), {std::move(step)});
}

void FakePop3Server::on(const char* verb, std::vector<Pop3Step> steps)
{
    script(upperCase(verb), std::move(steps));
}

Pop3Step FakePop3Server::stepFor(const std::string& verb, std::map<std::string, size_t>& chosen)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = scripts_.find(verb);
    if (found == scripts_.end() || found->second.steps.empty())
        return pop3DefaultStep(verb);
    Script& script = found->second;
    auto earlier = chosen.find(verb);
    size_t index = earlier != chosen.end() ? earlier->second : (chosen[verb] = script.used++);
    return script.steps[std::min(index, script.steps.size() - 1)];
}

bool FakePop3Server::logTo(const char* path)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (log_)
        fclose(log_);
    log_ = fopen(path, "ab");
    return log_ != nullptr;
}

void FakePop3Server::record(const char* bytes, size_t length)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (keepRecords_)
        received_.append(bytes, length);
    if (log_) {
        fwrite(bytes, 1, length, log_);
        fflush(log_);
    }
    changed_.notify_all();
}

void FakePop3Server::recordCommand(const std::string& line)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (keepRecords_)
        commands_.push_back(line);
    changed_.notify_all();
}

void FakePop3Server::keepNoRecords()
{
    std::lock_guard<std::mutex> lock(mutex_);
    keepRecords_ = false;
}

void FakePop3Server::closedByClient(int number)
{
    std::lock_guard<std::mutex> lock(mutex_);
    closedByClient_[number] = true;
    changed_.notify_all();
}

std::string FakePop3Server::received() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
}

std::vector<std::string> FakePop3Server::commands() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return commands_;
}

int FakePop3Server::connections() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(closedByClient_.size());
}

bool FakePop3Server::waitForClientClose(DWORD timeoutMs)
{
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] {
        return !closedByClient_.empty() && closedByClient_.back();
    });
}

bool FakePop3Server::waitForConnections(int count, DWORD timeoutMs)
{
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this, count] {
        return static_cast<int>(closedByClient_.size()) >= count;
    });
}
