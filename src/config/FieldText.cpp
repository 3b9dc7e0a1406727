// Record fields in Shift_JIS to wide text and back.
#include "config/FieldText.h"
#include "base/HeapArray.h"
#include "config/Records.h"

void fieldToWide(const char* field, wchar_t* wide, int capacity)
{
    if (capacity <= 0)
        return;
    int written = MultiByteToWideChar(kShiftJis, 0, field, -1, wide, capacity);
    if (written == 0) {
        // Too long for the buffer: as much as fits.
        written = MultiByteToWideChar(kShiftJis, 0, field, static_cast<int>(shiftJisFit(field, capacity - 1)),
                                      wide, capacity - 1);
        wide[written] = L'\0';
    }
}

FieldFit wideToField(const wchar_t* wide, char* field, unsigned size)
{
    field[0] = '\0';
    // Best-fit mappings would store another character than the one typed
    // ("ë" as "e"); without them usedDefault tells of any character that
    // Shift_JIS cannot hold.
    BOOL usedDefault = FALSE;
    int needed = WideCharToMultiByte(kShiftJis, WC_NO_BEST_FIT_CHARS, wide, -1, NULL, 0, NULL, &usedDefault);
    if (needed <= 0 || usedDefault)
        return FieldFit::notShiftJis;
    HeapArray<char> whole;
    if (!whole.resize(static_cast<size_t>(needed)))
        return FieldFit::notShiftJis;
    WideCharToMultiByte(kShiftJis, WC_NO_BEST_FIT_CHARS, wide, -1, whole.data(), needed, NULL, NULL);
    size_t length = static_cast<size_t>(needed) - 1;
    size_t kept = shiftJisFit(whole.data(), size - 1);
    memcpy(field, whole.data(), kept);
    field[kept] = '\0';
    return kept == length ? FieldFit::whole : FieldFit::cut;
}
