// Cutting the byte stream of a POP3 conversation into reply lines. Plain
// byte handling without platform calls, so that it builds and can be fuzzed
// anywhere; the socket (or TLS) side only hands over what each receive got.
#pragma once
#include <cstddef>

// Each receive asks for at most this many bytes.
const size_t kReplyLimit = 64;
// A reply is handed on as the first this many bytes of its line (the line
// end included when it fits): room for what a server says when it refuses.
const size_t kReplyTextLength = 255;
// The longest reply line RFC 1939 allows, CR LF included. A line that has not
// ended by then is not a POP3 reply.
const size_t kLongestReplyLine = 512;

struct Pop3Reply {
    char   text[kReplyTextLength + 1];   // always terminated
    size_t length;                       // bytes in text: a server may send a NUL
};

enum class LineState { incomplete, complete, tooLong };

// Keeps the bytes received past the end of one line for the next reply, so
// a server that sends a long line, a line in pieces, or two lines at once is
// still understood one reply at a time.
class ReplyFramer {
public:
    ReplyFramer() : keptLength_(0), lineLength_(0) {}

    // Starts the next reply with the bytes kept from earlier receives; it may
    // already be complete.
    LineState begin(Pop3Reply& reply);
    // Adds the bytes of one receive (at most kReplyLimit) to the reply begun.
    LineState add(Pop3Reply& reply, const char* bytes, size_t length);

private:
    LineState take(Pop3Reply& reply, const char* bytes, size_t length);

    char   kept_[kReplyLimit];
    size_t keptLength_;
    size_t lineLength_;   // bytes of the current line seen so far
};
