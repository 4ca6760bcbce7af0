#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>

#include "base/AnsiText.h"
#include "tests/TestSupport.h"

using testing_support::AsText;

namespace {

const std::string kKanji = testing_support::cp932::kBackslashTrail;

}  // namespace

TEST(AnsiTextCodePage932, NoCutSplitsATwoByteCharacterWhereverItStands)
{
    if (GetACP() != 932)
        GTEST_SKIP() << "needs the ANSI code page 932";
    const size_t textBytes = 12;
    for (size_t at = 0; at + kKanji.size() <= textBytes; ++at) {
        const std::string text = std::string(at, 'a') + kKanji + std::string(textBytes - at - 2, 'b');
        for (size_t limit = 0; limit <= textBytes + 1; ++limit) {
            // Up to the character, every byte fits; a limit inside it stops before it.
            const size_t expected = limit == at + 1 ? at : std::min(limit, textBytes);
            EXPECT_EQ(expected, FittingLength(AsText(text), limit))
                << "character at " << at << ", limit " << limit;
        }
    }
}

TEST(AnsiTextCodePage932, ALeadByteAtTheEndIsOneByteAlone)
{
    if (GetACP() != 932)
        GTEST_SKIP() << "needs the ANSI code page 932";
    const std::string text = "abc\x95";
    for (size_t limit = 0; limit <= 5; ++limit)
        EXPECT_EQ(std::min<size_t>(limit, 4), FittingLength(AsText(text), limit))
            << "limit " << limit;
    EXPECT_EQ(1u, CharacterBytes(AsText(text), 3));
    EXPECT_EQ(2u, CharacterBytes(AsText(kKanji + "x"), 0));
}

TEST(AnsiText, SingleByteTextsAreCutAtTheLimit)
{
    EXPECT_EQ(63u, FittingLength(AsText(std::string(200, 'x')), 63));
    EXPECT_EQ(5u, FittingLength("short", 63));
    EXPECT_EQ(0u, FittingLength("", 63));
}
