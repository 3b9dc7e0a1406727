// What a POP3 server's refusal says, and its words as a box shows them.
#include "checking/pop3/ServerRefusal.h"
#include "base/AsciiCase.h"

#include <cstring>

namespace {

bool startsWith(const char* text, const char* start)
{
    return strncmp(text, start, strlen(start)) == 0;
}

// marker in lower case.
bool containsIgnoringCase(const char* text, const char* marker)
{
    const size_t length = strlen(marker);
    for (; *text; ++text) {
        size_t i = 0;
        while (i < length && lowerAscii(text[i]) == marker[i])
            ++i;
        if (i == length)
            return true;
    }
    return false;
}

// The reply's code: what stands in brackets right after "-ERR ", in lower
// case; empty when there is none.
void replyCodeOf(const char* reply, char (&code)[32])
{
    code[0] = '\0';
    if (!startsWith(reply, "-ERR ["))
        return;
    const char* begin = reply + 6;
    const char* end = strchr(begin, ']');
    if (!end || static_cast<size_t>(end - begin) >= sizeof code)
        return;
    size_t i = 0;
    for (; begin + i < end; ++i)
        code[i] = lowerAscii(begin[i]);
    code[i] = '\0';
}

}  // namespace

bool isPositiveReply(const char* reply)
{
    return startsWith(reply, "+OK");
}

bool isNegativeReply(const char* reply)
{
    return startsWith(reply, "-ERR");
}

RefusalCode refusalCodeOf(const char* reply)
{
    char code[32];
    replyCodeOf(reply, code);
    if (strcmp(code, "in-use") == 0)
        return RefusalCode::inUse;
    if (strcmp(code, "login-delay") == 0)
        return RefusalCode::loginDelay;
    // "SYS/TEMP" and any finer code under it.
    if (strcmp(code, "sys/temp") == 0 || startsWith(code, "sys/temp/"))
        return RefusalCode::temporary;
    return RefusalCode::none;
}

bool refusesPlainText(const char* reply)
{
    char code[32];
    replyCodeOf(reply, code);
    if (strcmp(code, "auth") == 0 &&
        (containsIgnoringCase(reply, "plaintext") || containsIgnoringCase(reply, "plain text") ||
         containsIgnoringCase(reply, "ssl") || containsIgnoringCase(reply, "tls")))
        return true;
    // Servers that give no code say so in words: "Plaintext authentication
    // disallowed" (Dovecot), "Must issue a STARTTLS command first",
    // "USER command only available under a layer", "Encryption required".
    static const char* const kWords[] = {
        "plaintext authentication disallowed", "plaintext authentication disabled",
        "starttls", "stls", "under a layer", "encryption required", "requires encryption",
        "ssl required", "tls required", "secure connection required",
    };
    if (!isNegativeReply(reply))
        return false;
    for (const char* words : kWords) {
        if (containsIgnoringCase(reply, words))
            return true;
    }
    return false;
}

bool serverWordsOf(const char* reply, size_t length, char (&words)[kServerWordsLength + 1])
{
    if (length > 0 && reply[length - 1] == '\n')
        --length;
    if (length > 0 && reply[length - 1] == '\r')
        --length;
    const char* text = reply;
    if (length >= 4 && startsWith(text, "-ERR")) {
        size_t skip = length > 4 && text[4] == ' ' ? 5 : 4;
        text += skip;
        length -= skip;
    }
    bool cut = length > kServerWordsLength;
    if (cut)
        length = kServerWordsLength;
    for (size_t i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        words[i] = c >= 0x20 && c <= 0x7E ? static_cast<char>(c) : '?';
    }
    words[length] = '\0';
    return cut;
}
