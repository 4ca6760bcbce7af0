#include "base/AnsiText.h"

#include <windows.h>

size_t CharacterBytes(const CText& text, size_t at)
{
    return IsDBCSLeadByte(static_cast<BYTE>(text.At(at))) && at + 1 < text.Length() ? 2 : 1;
}

size_t FittingLength(const CText& text, size_t limit)
{
    size_t length = 0;
    while (length < text.Length()) {
        const size_t next = length + CharacterBytes(text, length);
        if (next > limit)
            break;
        length = next;
    }
    return length;
}
