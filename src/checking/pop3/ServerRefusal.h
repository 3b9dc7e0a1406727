// Reading what a POP3 server says when it will not go on: whether a reply is
// positive, the reply code of RFC 2449 in brackets after "-ERR", whether the
// server refuses to take a login over a connection without encryption, and
// its words as they can be shown. Plain text functions without platform
// calls, so that they build and are tested anywhere.
#pragma once
#include <cstddef>

// A reply that goes on: it begins with "+OK". The greeting and the answer to
// USER must be such a reply before the next command is sent.
bool isPositiveReply(const char* reply);
// A refusal: it begins with "-ERR".
bool isNegativeReply(const char* reply);

enum class RefusalCode {
    none,         // no code, or one with nothing to tell the user
    inUse,        // [IN-USE]: the mailbox is locked, by another mail program
    loginDelay,   // [LOGIN-DELAY]: logged in again too soon
    temporary,    // [SYS/TEMP]: the server cannot serve for the moment
};
RefusalCode refusalCodeOf(const char* reply);

// Whether the reply says that the server takes a login only over an
// encrypted connection: its [AUTH] code with "plaintext", "SSL" or "TLS" in
// the text, or the texts real servers send for it.
bool refusesPlainText(const char* reply);

// The longest text of the server's shown in a box, in characters.
const size_t kServerWordsLength = 200;

// The server's words: the reply line of length bytes, without its line end
// and without a leading "-ERR" and one blank; printable ASCII only, every
// other byte a '?'; at most kServerWordsLength characters. Answers whether
// it was cut.
bool serverWordsOf(const char* reply, size_t length, char (&words)[kServerWordsLength + 1]);
