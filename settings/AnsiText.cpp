#include "settings/AnsiText.h"

#include <windows.h>

size_t CharacterBytes(const std::string& text, size_t at)
{
    return IsDBCSLeadByte(static_cast<BYTE>(text[at])) && at + 1 < text.size() ? 2 : 1;
}

size_t FittingLength(const std::string& text, size_t limit)
{
    size_t length = 0;
    while (length < text.size()) {
        const size_t next = length + CharacterBytes(text, length);
        if (next > limit)
            break;
        length = next;
    }
    return length;
}
