// Settings files as users, other programs and broken disks leave them.
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "tests/TestSupport.h"

using namespace testing_support;

namespace {

bool IsOwnKeyLine(const std::string& line)
{
    for (const CSettingsKey& item : kSettingsKeys) {
        if (line.rfind(std::string(item.key) + "=", 0) == 0)
            return true;
    }
    return false;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::string RandomBytes(size_t count)
{
    std::mt19937 generator(20261208);
    std::string bytes(count, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(generator() & 0xFF);
    return bytes;
}

struct CBadFile {
    const char* what;
    std::string text;
};

std::vector<CBadFile> BadFiles()
{
    std::string huge;
    for (int i = 0; huge.size() < (1 << 20); ++i)
        huge += "[Filler" + std::to_string(i) + "]\r\nkey=" + std::string(60, 'v') + "\r\n";
    return {
        {"values the platform reads its own way",
         "[Tolvanix]\r\nEndingDialog=2\r\nEndingDialogTopMost= 7 \r\nEndingIcon=-1\r\n"
         "EndingIconAnimation=yes\r\nHideBecky=\r\n"},
        {"keys repeated", "[Tolvanix]\r\nEndingIcon=0\r\nEndingIcon=1\r\nHideBecky=0\r\n"},
        {"the section twice",
         "[Tolvanix]\r\nEndingDialog=0\r\n[Other]\r\na=b\r\n[Tolvanix]\r\nHideBecky=0\r\n"},
        {"very long lines", "; " + std::string(70000, 'c') + "\r\n[Tolvanix]\r\nEndingIcon=" +
                                std::string(5000, '0') + "\r\nHideBecky=0" +
                                std::string(5000, ' ') + "\r\n"},
        {"a file of 1 MiB", huge + "[Tolvanix]\r\nEndingDialogTopMost=1\r\n"},
        {"random bytes", RandomBytes(4096)},
    };
}

}  // namespace

TEST(BadSettingsFile, SwitchesReadAsThePlatformReadsThem)
{
    CTempFolder temp;
    for (const CBadFile& bad : BadFiles()) {
        SCOPED_TRACE(bad.what);
        CEndingInfo info;
        info.FilePath = AsText(temp.Path("Tolvanix.ini"));
        WriteFileText(info.FilePath, bad.text);
        EXPECT_EQ(1, info.Load());
        for (const CSettingsKey& item : kSettingsKeys) {
            int platform = static_cast<int>(GetPrivateProfileIntA(
                "Tolvanix", item.key, item.defaultValue, info.FilePath.Chars()));
            EXPECT_EQ(platform, info.*item.member) << item.key;
        }
    }
}

TEST(BadSettingsFile, SaveWritesOnlyOneOrZeroAndKeepsTheOtherLines)
{
    CTempFolder temp;
    for (const CBadFile& bad : BadFiles()) {
        if (std::string(bad.what) == "random bytes")
            continue;  // no lines to keep
        SCOPED_TRACE(bad.what);
        CEndingInfo info;
        info.FilePath = AsText(temp.Path("Tolvanix.ini"));
        WriteFileText(info.FilePath, bad.text);
        info.Load();
        CEndingInfo loaded = info;
        EXPECT_EQ(1, info.Save());

        std::vector<std::string> before, after;
        for (const std::string& line : Lines(bad.text)) {
            if (!IsOwnKeyLine(line))
                before.push_back(line);
        }
        int ownKeys = 0;
        for (const std::string& line : Lines(ReadFileText(info.FilePath))) {
            if (!IsOwnKeyLine(line)) {
                after.push_back(line);
                continue;
            }
            ++ownKeys;
            std::string value = line.substr(line.find('=') + 1);
            EXPECT_TRUE(value == "1" || value == "0") << line.substr(0, 80);
        }
        EXPECT_GE(ownKeys, 5);
        EXPECT_EQ(before, after) << "every other line stays";
        for (const CSettingsKey& item : kSettingsKeys)
            EXPECT_EQ(loaded.*item.member, info.*item.member) << "the record keeps its values";
    }
}

TEST(BadSettingsFile, RandomBytesStillSaveTheFiveKeys)
{
    CTempFolder temp;
    CEndingInfo info;
    info.FilePath = AsText(temp.Path("Tolvanix.ini"));
    WriteFileText(info.FilePath, RandomBytes(4096));
    info.Load();
    info.Save();
    CEndingInfo reread;
    reread.FilePath = info.FilePath;
    reread.Load();
    for (const CSettingsKey& item : kSettingsKeys)
        EXPECT_EQ(info.*item.member != 0, reread.*item.member) << item.key;
}

TEST(UnwritableSettings, FileInTheWayOfTheFolderFailsQuietlyAndIsRetried)
{
    CTempFolder temp;
    WriteFileText(temp.Path("Plugins"), "not a folder");
    CEndingInfo info;
    info.FilePath = AsText(temp.Path("Plugins\\Tolvanix.ini"));
    info.EndingIcon = 0;
    EXPECT_EQ(1, info.Save());
    EXPECT_EQ(0, info.EndingIcon) << "the record keeps its values";
    EXPECT_EQ("not a folder", ReadFileText(temp.Path("Plugins")));
    DeleteFileA(temp.Path("Plugins").c_str());
    info.Save();
    EXPECT_NE(std::string::npos, ReadFileText(info.FilePath).find("EndingIcon=0"))
        << "a later save gets through";
}

TEST(UnwritableSettings, FileHeldByAnotherProgramFailsQuietly)
{
    CTempFolder temp;
    CEndingInfo info;
    info.FilePath = AsText(temp.Path("Tolvanix.ini"));
    const std::string original = "[Tolvanix]\r\nEndingIcon=1\r\n";
    WriteFileText(info.FilePath, original);
    HANDLE held = CreateFileA(info.FilePath.Chars(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    info.EndingIcon = 0;
    EXPECT_EQ(1, info.Save());
    EXPECT_EQ(0, info.EndingIcon);
    CloseHandle(held);
    EXPECT_EQ(original, ReadFileText(info.FilePath));
}
