// fake_pop3.exe: the fake POP3 server as a program of its own, for the system
// tests, the demo and the benchmarks. Runs until its standard input closes
// (or, with --until-killed, until it is ended).
#include "FakePop3Server.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

const char kUsage[] =
    "usage: fake_pop3 [options]\n"
    "  --address 127.0.0.N      listen there (default: the first free from 127.0.0.20)\n"
    "  --messages N             STAT answers \"+OK N <N*1024>\"\n"
    "  --greeting|--user|--pass|--stat|--quit TEXT\n"
    "                           the reply to that step; \\r \\n \\\\ \\xHH are understood,\n"
    "                           CRLF is added unless TEXT ends in a line feed\n"
    "  --delay VERB MS          wait before answering VERB (GREETING for the greeting)\n"
    "  --silent-on VERB         never answer VERB nor anything after it\n"
    "  --silent-after VERB      answer VERB, then nothing after it\n"
    "  --log FILE               append every received byte to FILE\n"
    "  --ready-file FILE        write the address to FILE once listening\n"
    "  --stop-accepting         accept nothing: connection attempts stay pending\n"
    "  --until-killed           ignore standard input and run until ended\n";

// The conversation in the order the program under test goes through it.
const char* const kOrder[] = {"GREETING", "USER", "PASS", "STAT", "QUIT"};

std::string unescape(const char* text)
{
    std::string out;
    for (const char* p = text; *p; ++p) {
        if (*p != '\\' || !p[1]) {
            out += *p;
            continue;
        }
        ++p;
        if (*p == 'r')
            out += '\r';
        else if (*p == 'n')
            out += '\n';
        else if (*p == 'x' && isxdigit(static_cast<unsigned char>(p[1])) &&
                 isxdigit(static_cast<unsigned char>(p[2]))) {
            char hex[3] = {p[1], p[2], 0};
            out += static_cast<char>(strtoul(hex, NULL, 16));
            p += 2;
        } else
            out += *p;
    }
    if (out.empty() || out.back() != '\n')
        out += "\r\n";
    return out;
}

class Options {
public:
    std::string address, log, readyFile;
    std::map<std::string, Pop3Step> steps;  // by verb; GREETING for the greeting
    bool untilKilled = false;
    bool stopAccepting = false;

    bool parse(int argc, char** argv)
    {
        for (int i = 1; i < argc; ++i) {
            std::string option = argv[i];
            const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
            if (option == "--until-killed" || option == "--stop-accepting") {
                (option == "--until-killed" ? untilKilled : stopAccepting) = true;
                continue;
            }
            if (!value)
                return false;
            ++i;
            if (option == "--address")
                address = value;
            else if (option == "--log")
                log = value;
            else if (option == "--ready-file")
                readyFile = value;
            else if (option == "--messages") {
                unsigned long count = strtoul(value, NULL, 10);
                char reply[64];
                snprintf(reply, sizeof reply, "+OK %lu %lu\r\n", count, count * 1024);
                steps["STAT"].reply = reply;
            } else if (option == "--delay" && i + 1 < argc)
                steps[verb(value)].delayMs = strtoul(argv[++i], NULL, 10);
            else if (option == "--silent-on" || option == "--silent-after") {
                if (!silenceFrom(verb(value), option == "--silent-on" ? 0 : 1))
                    return false;
            }
            else if (isReplyOption(option))
                steps[verb(option.c_str() + 2)].reply = unescape(value);
            else
                return false;
        }
        return true;
    }

private:
    static std::string verb(const char* text)
    {
        std::string upper = text;
        for (char& c : upper)
            c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
        return upper;
    }

    static bool isReplyOption(const std::string& option)
    {
        for (const char* known : kOrder)
            if (option.size() > 2 && verb(option.c_str() + 2) == known)
                return true;
        return false;
    }

    bool silenceFrom(const std::string& from, int skip)
    {
        bool reached = false;
        for (const char* known : kOrder) {
            if (from == known)
                reached = true;
            else if (reached && skip > 0)
                skip = 0;
            if (reached && skip == 0)
                steps[known].silent = true;
        }
        return reached;
    }
};

// Written under another name first, so that a reader never sees half of it.
bool writeReadyFile(const std::string& path, const char* address)
{
    std::string partial = path + ".part";
    FILE* file = fopen(partial.c_str(), "wb");
    if (!file)
        return false;
    fprintf(file, "%s\n", address);
    fclose(file);
    return MoveFileExA(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

// A step given only in part keeps the server's default reply.
void applyStep(FakePop3Server& server, const std::string& verb, Pop3Step step)
{
    std::string scripted = verb == "GREETING" ? "" : verb;
    if (step.reply.empty())
        step.reply = pop3DefaultStep(scripted).reply;
    if (scripted.empty())
        server.greeting(step);
    else
        server.on(scripted.c_str(), step);
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!options.parse(argc, argv)) {
        fputs(kUsage, stderr);
        return 2;
    }
    std::unique_ptr<FakePop3Server> server =
        options.address.empty() ? std::make_unique<FakePop3Server>()
                                : std::make_unique<FakePop3Server>(options.address.c_str());
    if (!server->listening()) {
        fprintf(stderr, "fake_pop3: cannot listen on %s:110\n",
                options.address.empty() ? "any 127.0.0.N" : options.address.c_str());
        return 1;
    }
    for (auto& entry : options.steps)
        applyStep(*server, entry.first, entry.second);
    if (!options.log.empty() && !server->logTo(options.log.c_str())) {
        fprintf(stderr, "fake_pop3: cannot open %s\n", options.log.c_str());
        return 1;
    }
    if (options.stopAccepting && !server->stopAccepting()) {
        fputs("fake_pop3: the listening queue would not fill\n", stderr);
        return 1;
    }
    if (!options.readyFile.empty() && !writeReadyFile(options.readyFile, server->address())) {
        fprintf(stderr, "fake_pop3: cannot write %s\n", options.readyFile.c_str());
        return 1;
    }
    printf("listening on %s:110\n", server->address());
    fflush(stdout);

    if (options.untilKilled)
        Sleep(INFINITE);
    while (getchar() != EOF) {
    }
    return 0;
}
