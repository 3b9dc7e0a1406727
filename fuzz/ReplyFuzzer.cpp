// Feeds arbitrary server bytes to the reply framing and the reply parsing and
// checks both against small references written a different way (std::string,
// find and strtoll).
#include "checking/pop3/ReplyFramer.h"
#include "checking/pop3/ServerRefusal.h"
#include "checking/pop3/StatReply.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

const size_t kReceiveLength = 64;   // one recv() into a 65-byte zeroed buffer

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

std::string referenceWord(const std::string& reply, int n)
{
    size_t pos = 0;
    for (int i = 1; i <= n; ++i) {
        pos = reply.find_first_not_of(' ', pos);
        if (pos == std::string::npos)
            return std::string();
        size_t end = reply.find(' ', pos);
        if (end == std::string::npos)
            end = reply.size();
        if (i == n)
            return reply.substr(pos, end - pos);
        pos = end;
    }
    return std::string();
}

int referenceCount(const std::string& word)
{
    errno = 0;
    long long value = std::strtoll(word.c_str(), nullptr, 10);
    if (errno == ERANGE || value < 0 || value > INT_MAX)
        return 0;
    return static_cast<int>(value);
}

StatCount referenceStatCount(const std::string& reply)
{
    int count = referenceCount(referenceWord(reply, 2));
    if (count != 0)
        return StatCount{CountSource::secondWord, count};
    if (reply.find("message") != std::string::npos
        && reply.find(" 0 message") == std::string::npos) {
        count = referenceCount(referenceWord(reply, 4));
        if (count > 0)
            return StatCount{CountSource::fourthWord, count};
    }
    return StatCount{CountSource::none, 0};
}

// A heap copy cut to exactly its terminator, so that any read past it is
// caught by AddressSanitizer.
std::unique_ptr<char[]> exactCopy(const char* text)
{
    size_t length = std::strlen(text);
    std::unique_ptr<char[]> copy(new char[length + 1]);
    std::memcpy(copy.get(), text, length + 1);
    return copy;
}

void checkReply(const char* received, const char* previous)
{
    std::unique_ptr<char[]> reply = exactCopy(received);
    const std::string text(reply.get());

    check(isLoginAccepted(reply.get()) == (text.find("+OK") != std::string::npos));
    check(isLoginRefused(reply.get()) == (text.find("-ERR") != std::string::npos));

    int parsed = parseMessageCount(reply.get());
    check(parsed >= 0);
    check(parsed == referenceCount(referenceWord(text, 2)));

    StatCount got = countFromStatReply(reply.get());
    StatCount want = referenceStatCount(text);
    check(got.count >= 0);
    check((got.source == CountSource::none) == (got.count == 0));
    check(got.source == want.source && got.count == want.count);

    // The slot starts out holding the previous reply, as it would in the program.
    const size_t compared = kStatusSlotLength - 1;
    // Its last byte is left unterminated to see that storing terminates it.
    char slot[kStatusSlotLength];
    std::memset(slot, 'z', sizeof slot);
    std::strncpy(slot, previous, compared);
    bool same = std::strncmp(previous, reply.get(), compared) == 0;
    check(isUnchangedStatus(slot, reply.get()) == same);
    check(same || slot[compared] == '\0');
    check(text.compare(0, compared, slot, strnlen(slot, compared)) == 0);
    char stored[kStatusSlotLength];
    std::memcpy(stored, slot, sizeof slot);
    check(isUnchangedStatus(slot, reply.get()));
    check(std::memcmp(stored, slot, sizeof slot) == 0);
}

// What a box may show of a reply: printable ASCII, never more than its
// limit, and nothing that could break the line.
void checkServerWords(const Pop3Reply& reply)
{
    char words[kServerWordsLength + 1];
    serverWordsOf(reply.text, reply.length, words);
    for (const char* c = words; *c; ++c)
        check(*c >= 0x20 && *c <= 0x7E && c - words < static_cast<ptrdiff_t>(kServerWordsLength));
    refusalCodeOf(reply.text);
    refusesPlainText(reply.text);
}

// The stream read reply by reply, in receives of one size, as the connection
// does; each reply must be what a plain search for the line end gives.
void checkFraming(const std::string& stream, size_t receiveLength)
{
    ReplyFramer framer;
    size_t received = 0;   // bytes handed to the framer
    size_t lineStart = 0;  // where the current reply starts in the stream
    for (;;) {
        Pop3Reply reply;
        std::memset(reply.text, 'z', sizeof reply.text);
        LineState state = framer.begin(reply);
        while (state == LineState::incomplete && received < stream.size()) {
            size_t length = std::min(receiveLength, stream.size() - received);
            state = framer.add(reply, stream.data() + received, length);
            received += length;
        }
        check(reply.text[kReplyTextLength] == '\0');
        checkServerWords(reply);

        size_t end = stream.find('\n', lineStart);
        size_t lineLength = end == std::string::npos ? stream.size() - lineStart : end - lineStart + 1;
        if (end != std::string::npos && lineLength <= kLongestReplyLine) {
            check(state == LineState::complete);
        } else if (stream.size() - lineStart >= kLongestReplyLine) {
            check(state == LineState::tooLong);
            lineLength = kLongestReplyLine;
        } else {
            check(state == LineState::incomplete);
        }
        std::string want = stream.substr(lineStart, std::min(lineLength, kReplyTextLength));
        check(std::memcmp(reply.text, want.data(), want.size()) == 0);
        check(std::strlen(reply.text) == strnlen(want.c_str(), want.size()));
        check(reply.length == want.size());
        check(received <= lineStart + lineLength + receiveLength);
        if (state != LineState::complete)
            return;
        lineStart += lineLength;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    char received[kReceiveLength + 1] = {};
    std::memcpy(received, data, size < kReceiveLength ? size : kReceiveLength);
    std::string whole(reinterpret_cast<const char*>(data), size);

    checkReply(received, whole.c_str());
    checkReply(whole.c_str(), received);
    if (size > 0)
        checkFraming(std::string(reinterpret_cast<const char*>(data) + 1, size - 1),
                     1 + data[0] % kReplyLimit);
    return 0;
}
