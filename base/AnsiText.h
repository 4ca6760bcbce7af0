#pragma once

#include "base/Text.h"

// Texts in the system's ANSI code page, where a lead byte and the byte after it make one
// character (code page 932, say). A lead byte at the very end of a text is one byte alone.

// The bytes of the character that starts at the given place: 2 or 1.
size_t CharacterBytes(const CText& text, size_t at);

// The length of the longest start of the text that fits in the given number of bytes without
// splitting a character.
size_t FittingLength(const CText& text, size_t limit);
