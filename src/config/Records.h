// The two records of the settings file, byte for byte as they are stored.
// No windows.h here: the layouts are plain data and build anywhere.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

struct SettingsRecord {
    uint8_t reportOnTop;        // report boxes are made topmost
    uint8_t reportUnread;       // report every non-empty mailbox, not only changes
    uint8_t reportPerUser;      // go on to the next account after a report
    uint8_t lanMode;            // check without a dial-up connection
    uint8_t endRoundOnLaunch;   // end the round once the mail program was accepted
    uint8_t alignment[3];       // always zero in the file
    int32_t intervalMinutes;    // minutes between timed rounds, 0 = none
    int32_t accountCount;       // accounts are numbered 1..accountCount
};
static_assert(sizeof(SettingsRecord) == 16, "stored settings layout");

struct AccountRecord {
    char    userName[64];       // shown in the list and in reports
    char    account[32];        // sent with USER
    char    password[32];       // sent with PASS
    char    server[64];         // POP3 host, resolved by name
    uint8_t launchMailer;       // offer to start the mail program
    char    mailerPath[260];
};
static_assert(sizeof(AccountRecord) == 453, "stored account layout");

// Accounts 1 to this many are listed and checked; records with higher
// numbers (from a hand-edited file) stay in the file untouched.
const int kMaxAccounts = 15;

// Logins and passwords can be longer than the record's fields: whole mail
// addresses, passwords made by a password manager. The whole text, up to
// 255 bytes in Shift_JIS, is kept beside the record.
const unsigned kLongTextSize = 256;

// Shift_JIS: a byte in these ranges starts a character of two bytes.
inline bool isShiftJisLeadByte(char c)
{
    const unsigned char b = static_cast<unsigned char>(c);
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The length of the longest start of text, at most limit bytes, that ends
// on a character boundary.
inline size_t shiftJisFit(const char* text, size_t limit)
{
    size_t length = 0;
    while (text[length]) {
        size_t next = length + (isShiftJisLeadByte(text[length]) && text[length + 1] ? 2 : 1);
        if (next > limit)
            break;
        length = next;
    }
    return length;
}

// As much of text as fits in field beside its terminator, never half a
// character; the rest of the field zero.
template <unsigned N>
inline void fitText(char (&field)[N], const char* text)
{
    size_t length = shiftJisFit(text, N - 1);
    memmove(field, text, length);
    memset(field + length, 0, N - length);
}

// The file can be edited by hand, so a field may arrive without its
// terminator. Cut every text field inside its own width.
template <unsigned N>
inline void terminateField(char (&field)[N]) { field[N - 1] = '\0'; }

inline void terminateTextFields(AccountRecord& record)
{
    terminateField(record.userName);
    terminateField(record.account);
    terminateField(record.password);
    terminateField(record.server);
    terminateField(record.mailerPath);
}

// Bytes after a text's terminator mean nothing, but they would carry
// whatever the buffer held before (another account's password among it) into
// the file. Records are stored with zeros there, and in the alignment.
template <unsigned N>
inline void clearAfterTerminator(char (&field)[N])
{
    bool ended = false;
    for (unsigned i = 0; i < N; ++i) {
        ended = ended || field[i] == '\0';
        if (ended)
            field[i] = '\0';
    }
}

inline void clearUnusedBytes(AccountRecord& record)
{
    clearAfterTerminator(record.userName);
    clearAfterTerminator(record.account);
    clearAfterTerminator(record.password);
    clearAfterTerminator(record.server);
    clearAfterTerminator(record.mailerPath);
}

inline void clearUnusedBytes(SettingsRecord& settings)
{
    for (uint8_t& byte : settings.alignment)
        byte = 0;
}

// The interval's arrows stop at 0 and 99; a value from a hand-edited file is
// brought into the same range.
const int32_t kIntervalMaximum = 99;

inline int32_t intervalInRange(int32_t minutes)
{
    return minutes < 0 ? 0 : minutes > kIntervalMaximum ? kIntervalMaximum : minutes;
}
