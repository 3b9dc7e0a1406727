#include "config/ShiftJisCut.h"

namespace {

bool isLeadByte(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

}  // namespace

size_t shiftJisFit(const char* text, size_t limit)
{
    size_t end = 0;
    while (text[end] != '\0') {
        size_t width = isLeadByte(static_cast<unsigned char>(text[end])) && text[end + 1] != '\0' ? 2 : 1;
        if (end + width > limit)
            break;
        end += width;
    }
    return end;
}
