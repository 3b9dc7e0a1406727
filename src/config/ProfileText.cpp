#include "config/ProfileText.h"

#include <climits>
#include <cstring>

namespace {

const char kAccountSectionPrefix[] = "USERDATA-NO";

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

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

// The profile functions keep a file in the encoding they found it in. Our
// values are plain ASCII, so UTF-16 text is looked at one character per byte.
bool ProfileText::take(const char* text, size_t length)
{
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    size_t skip = length >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF ? 3 : 0;
    bool littleEndian = length >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE;
    bool bigEndian = length >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF;
    if (!littleEndian && !bigEndian) {
        if (!text_.resize(length - skip))
            return false;
        memcpy(text_.data(), text + skip, length - skip);
        return true;
    }
    if (!text_.resize(length / 2))
        return false;
    size_t units = 0;
    for (size_t i = 2; i + 1 < length; i += 2) {
        unsigned unit = littleEndian ? bytes[i] | bytes[i + 1] << 8 : bytes[i] << 8 | bytes[i + 1];
        text_[units++] = unit < 0x80 ? static_cast<char>(unit) : '?';
    }
    return text_.resize(units);
}

bool ProfileText::holds(const char* section, const char* key, const char* value) const
{
    const char* text = text_.begin();
    const size_t size = text_.size();
    bool sectionFound = false, inSection = false;
    size_t lineStart = 0;
    while (lineStart < size) {
        const char* newline = static_cast<const char*>(memchr(text + lineStart, '\n', size - lineStart));
        size_t lineEnd = newline ? static_cast<size_t>(newline - text) : size;
        size_t begin = lineStart, end = lineEnd;
        lineStart = lineEnd + 1;
        while (begin < end && isBlank(text[begin]))
            ++begin;
        while (end > begin && (isBlank(text[end - 1]) || text[end - 1] == '\r'))
            --end;
        const char* line = text + begin;
        size_t lineLength = end - begin;

        if (lineLength > 0 && line[0] == '[') {
            // Only the first section of a name counts: the profile functions
            // read and write that one.
            const char* close = static_cast<const char*>(memchr(line, ']', lineLength));
            size_t nameBegin = 1, nameEnd = close ? close - line : lineLength;
            while (nameBegin < nameEnd && isBlank(line[nameBegin]))
                ++nameBegin;
            while (nameEnd > nameBegin && isBlank(line[nameEnd - 1]))
                --nameEnd;
            bool named = equalIgnoringCase(line + nameBegin, nameEnd - nameBegin, section);
            inSection = named && !sectionFound;
            sectionFound = sectionFound || named;
            continue;
        }
        if (!inSection)
            continue;
        const char* equals = static_cast<const char*>(memchr(line, '=', lineLength));
        if (!equals)
            continue;
        size_t keyEnd = equals - line;
        while (keyEnd > 0 && isBlank(line[keyEnd - 1]))
            --keyEnd;
        if (!equalIgnoringCase(line, keyEnd, key))
            continue;
        const char* found = equals + 1;
        while (found < line + lineLength && isBlank(*found))
            ++found;
        size_t foundLength = line + lineLength - found;
        return !value || (foundLength == strlen(value) && memcmp(found, value, foundLength) == 0);
    }
    return false;
}

int accountNumberOfSection(const char* section)
{
    const size_t prefixLength = sizeof kAccountSectionPrefix - 1;
    if (strlen(section) <= prefixLength || !equalIgnoringCase(section, prefixLength, kAccountSectionPrefix))
        return 0;
    const char* digits = section + prefixLength;
    // "USERDATA-NO01" is not the section the program reads for account 1.
    if (*digits < '1' || *digits > '9')
        return 0;
    long long number = 0;
    for (const char* p = digits; *p; ++p) {
        if (*p < '0' || *p > '9')
            return 0;
        number = number * 10 + (*p - '0');
        if (number > INT_MAX)
            return 0;
    }
    return static_cast<int>(number);
}
