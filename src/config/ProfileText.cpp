// The INI file's text: its values found, encoded and decoded, and its encoding told.
#include "config/ProfileText.h"
#include "base/AsciiCase.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

const char kAccountSectionPrefix[] = "USERDATA-NO";

bool equalIgnoringCase(const char* a, size_t aLength, const char* b)
{
    size_t bLength = strlen(b);
    if (aLength != bLength)
        return false;
    for (size_t i = 0; i < aLength; ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    }
    return true;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

unsigned hexByteAt(const char* text, size_t index)
{
    return static_cast<unsigned>(hexDigit(text[2 * index]) << 4 | hexDigit(text[2 * index + 1]));
}

// The length of the UTF-8 sequence starting at bytes[i], or 0 when none
// starts there (overlong forms, surrogates and numbers beyond U+10FFFF are
// none, as for the platform's converter).
size_t utf8SequenceAt(const unsigned char* bytes, size_t i, size_t length)
{
    const unsigned c = bytes[i];
    if (c < 0x80)
        return 1;
    size_t n;
    unsigned low = 0x80, high = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        low = c == 0xE0 ? 0xA0 : 0x80;
        high = c == 0xED ? 0x9F : 0xBF;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        low = c == 0xF0 ? 0x90 : 0x80;
        high = c == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (length - i < n || bytes[i + 1] < low || bytes[i + 1] > high)
        return 0;
    for (size_t k = 2; k < n; ++k) {
        if (bytes[i + k] < 0x80 || bytes[i + k] > 0xBF)
            return 0;
    }
    return n;
}

// One line of the text, blanks at both ends and the carriage return left out.
struct Line {
    const char* text;
    size_t length;
};

bool nextLine(const HeapArray<char>& all, size_t& position, Line& line)
{
    const char* text = all.begin();
    const size_t size = all.size();
    if (position >= size)
        return false;
    const char* newline = static_cast<const char*>(memchr(text + position, '\n', size - position));
    size_t end = newline ? static_cast<size_t>(newline - text) : size;
    size_t begin = position;
    position = end + 1;
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && (isBlank(text[end - 1]) || text[end - 1] == '\r'))
        --end;
    line.text = text + begin;
    line.length = end - begin;
    return true;
}

// The name of a section header line, blanks left out.
bool sectionNameOf(const Line& line, const char*& name, size_t& length)
{
    if (line.length == 0 || line.text[0] != '[')
        return false;
    const char* close = static_cast<const char*>(memchr(line.text, ']', line.length));
    size_t begin = 1, end = close ? static_cast<size_t>(close - line.text) : line.length;
    while (begin < end && isBlank(line.text[begin]))
        ++begin;
    while (end > begin && isBlank(line.text[end - 1]))
        --end;
    name = line.text + begin;
    length = end - begin;
    return true;
}

// The text line by line, each line with the section it stands in: a header
// line starts its section and is a line of its own.
class SectionWalk {
public:
    explicit SectionWalk(const HeapArray<char>& text) : text_(text), position_(0), name_(""), nameLength_(0) {}

    bool next()
    {
        if (!nextLine(text_, position_, line_))
            return false;
        atHeader_ = sectionNameOf(line_, name_, nameLength_);
        return true;
    }
    bool atHeader() const { return atHeader_; }
    const Line& line() const { return line_; }
    const char* sectionName() const { return name_; }
    size_t sectionNameLength() const { return nameLength_; }

private:
    const HeapArray<char>& text_;
    size_t position_;
    Line line_;
    bool atHeader_ = false;
    const char* name_;
    size_t nameLength_;
};

// The value when the line is one for key.
bool valueOf(const Line& line, const char* key, const char*& value, size_t& length)
{
    const char* equals = static_cast<const char*>(memchr(line.text, '=', line.length));
    if (!equals)
        return false;
    size_t keyEnd = equals - line.text;
    while (keyEnd > 0 && isBlank(line.text[keyEnd - 1]))
        --keyEnd;
    if (!equalIgnoringCase(line.text, keyEnd, key))
        return false;
    value = equals + 1;
    while (value < line.text + line.length && isBlank(*value))
        ++value;
    length = line.text + line.length - value;
    return true;
}

// The account number of a section name "USERDATA-NO<n>" as the program
// formats it (decimal, no leading zero, n >= 1); 0 for any other section.
int accountNumberOfName(const char* name, size_t length)
{
    const size_t prefixLength = sizeof kAccountSectionPrefix - 1;
    if (length <= prefixLength || !equalIgnoringCase(name, prefixLength, kAccountSectionPrefix))
        return 0;
    // "USERDATA-NO01" is not the section the program reads for account 1.
    if (name[prefixLength] < '1' || name[prefixLength] > '9')
        return 0;
    long long number = 0;
    for (size_t i = prefixLength; i < length; ++i) {
        if (name[i] < '0' || name[i] > '9')
            return 0;
        number = number * 10 + (name[i] - '0');
        if (number > INT_MAX)
            return 0;
    }
    return static_cast<int>(number);
}

// An account section as it appears in the file, the order it appears in
// kept, so that the first of a number can be told from a later one.
struct AccountSection {
    int number;
    size_t order;
    bool hasValue;
};

int byNumberThenOrder(const void* a, const void* b)
{
    const AccountSection& x = *static_cast<const AccountSection*>(a);
    const AccountSection& y = *static_cast<const AccountSection*>(b);
    if (x.number != y.number)
        return x.number < y.number ? -1 : 1;
    return x.order < y.order ? -1 : x.order > y.order ? 1 : 0;
}

}  // namespace

void encodeProfileValue(const void* record, size_t size, char* text)
{
    static const char digits[] = "0123456789ABCDEF";
    const unsigned char* bytes = static_cast<const unsigned char*>(record);
    unsigned sum = 0;
    for (size_t i = 0; i < size; ++i) {
        *text++ = digits[bytes[i] >> 4];
        *text++ = digits[bytes[i] & 0x0F];
        sum += bytes[i];
    }
    *text++ = digits[(sum >> 4) & 0x0F];
    *text++ = digits[sum & 0x0F];
    *text = '\0';
}

bool decodeProfileValue(const char* text, size_t length, void* dest, size_t size)
{
    if (length != 2 * size + 2)
        return false;
    for (size_t i = 0; i < length; ++i) {
        if (hexDigit(text[i]) < 0)
            return false;
    }
    unsigned sum = 0;
    for (size_t i = 0; i < size; ++i)
        sum += hexByteAt(text, i);
    if (hexByteAt(text, size) != (sum & 0xFF))
        return false;
    unsigned char* bytes = static_cast<unsigned char*>(dest);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<unsigned char>(hexByteAt(text, i));
    return true;
}

TextEncoding encodingOf(const char* text, size_t length)
{
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    if (length >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
        return TextEncoding::utf8WithBom;
    if (length >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE)
        return TextEncoding::utf16le;
    if (length >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF)
        return TextEncoding::utf16be;
    bool beyondAscii = false;
    for (size_t i = 0; i < length;) {
        size_t n = utf8SequenceAt(bytes, i, length);
        if (n == 0)
            return TextEncoding::ansi;
        beyondAscii = beyondAscii || n > 1;
        i += n;
    }
    return beyondAscii ? TextEncoding::utf8 : TextEncoding::ansi;
}

// Our values are plain ASCII, so UTF-16 text is looked at one character per
// byte, and the bytes of other text are left as they are.
bool ProfileText::take(const char* text, size_t length)
{
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    TextEncoding encoding = encodingOf(text, length);
    if (encoding != TextEncoding::utf16le && encoding != TextEncoding::utf16be) {
        size_t skip = encoding == TextEncoding::utf8WithBom ? 3 : 0;
        if (!text_.resize(length - skip))
            return false;
        if (length > skip)
            memcpy(text_.data(), text + skip, length - skip);
        return true;
    }
    if (!text_.resize(length / 2))
        return false;
    size_t units = 0;
    for (size_t i = 2; i + 1 < length; i += 2) {
        unsigned unit = encoding == TextEncoding::utf16le ? bytes[i] | bytes[i + 1] << 8 : bytes[i] << 8 | bytes[i + 1];
        text_[units++] = unit < 0x80 ? static_cast<char>(unit) : '?';
    }
    return text_.resize(units);
}

bool ProfileText::find(const char* section, const char* key, const char*& value, size_t& length) const
{
    bool inSection = false;
    for (SectionWalk walk(text_); walk.next();) {
        if (walk.atHeader()) {
            // Past the first section of the name: a later one does not count.
            if (inSection)
                return false;
            inSection = equalIgnoringCase(walk.sectionName(), walk.sectionNameLength(), section);
            continue;
        }
        if (inSection && valueOf(walk.line(), key, value, length))
            return true;
    }
    return false;
}

bool ProfileText::holds(const char* section, const char* key, const char* value) const
{
    const char* found;
    size_t length;
    if (!find(section, key, found, length))
        return false;
    return !value || (length == strlen(value) && memcmp(found, value, length) == 0);
}

bool ProfileText::readRecord(const char* section, const char* key, void* dest, size_t size) const
{
    const char* value;
    size_t length;
    return find(section, key, value, length) && decodeProfileValue(value, length, dest, size);
}

int ProfileText::highestAccountSection(const char* key, int32_t limit) const
{
    HeapArray<AccountSection> sections;
    AccountSection* current = nullptr;
    bool keySeen = false;
    for (SectionWalk walk(text_); walk.next();) {
        if (walk.atHeader()) {
            current = nullptr;
            int number = accountNumberOfName(walk.sectionName(), walk.sectionNameLength());
            if (number > 0) {
                AccountSection found = {number, sections.size(), false};
                if (!sections.push(found))
                    return 0;
                current = &sections[sections.size() - 1];
                keySeen = false;
            }
            continue;
        }
        const char* value;
        size_t length;
        if (current && !keySeen && valueOf(walk.line(), key, value, length)) {
            keySeen = true;
            current->hasValue = length > 0;
        }
    }
    if (sections.size() > 1)
        qsort(sections.data(), sections.size(), sizeof(AccountSection), byNumberThenOrder);
    int highest = 0;
    for (size_t i = 0; i < sections.size(); ++i) {
        const AccountSection& section = sections[i];
        bool first = i == 0 || sections[i - 1].number != section.number;
        if (first && section.hasValue && section.number <= limit)
            highest = section.number;
    }
    return highest;
}
