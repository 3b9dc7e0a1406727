// Where a Shift_JIS text may be cut. No windows.h: a plain decision on bytes.
#pragma once
#include <cstddef>

// The length in bytes of the longest start of text, at most limit bytes,
// that ends on a character boundary: a lead byte (0x81-0x9F, 0xE0-0xFC)
// and the byte after it are one character.
size_t shiftJisFit(const char* text, size_t limit);
