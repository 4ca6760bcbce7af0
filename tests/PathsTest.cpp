#include <gtest/gtest.h>

#include "settings/Paths.h"
#include "tests/TestSupport.h"

using testing_support::AsText;
using testing_support::CTempFolder;
using testing_support::FolderExists;
using testing_support::WriteFileText;

namespace {

void ExpectParts(const std::string& path, const char* drive, const char* folder,
                 const char* title, const char* extension)
{
    CPathParts parts = SplitPath(AsText(path));
    EXPECT_EQ(drive, parts.drive) << "drive of " << path;
    EXPECT_EQ(folder, parts.folder) << "folder of " << path;
    EXPECT_EQ(title, parts.title) << "title of " << path;
    EXPECT_EQ(extension, parts.extension) << "extension of " << path;
}

}  // namespace

TEST(SplitPath, GivesDriveFolderTitleAndExtension)
{
    ExpectParts("D:\\Tools\\Tolvanix.dll", "D:", "\\Tools\\", "Tolvanix", ".dll");
    ExpectParts("D:\\Tools\\Tolvanix", "D:", "\\Tools\\", "Tolvanix", "");
    ExpectParts("C:\\a.b\\name", "C:", "\\a.b\\", "name", "");
    ExpectParts("C:/mail/box.tar.gz", "C:", "/mail/", "box.tar", ".gz");
    ExpectParts("name.ini", "", "", "name", ".ini");
    ExpectParts("", "", "", "", "");
}

TEST(SplitPath, CutsLongPartsTo255Bytes)
{
    std::string longTitle(300, 'x');
    CPathParts parts = SplitPath(AsText("C:\\" + longTitle + ".ext"));
    EXPECT_EQ(255u, parts.title.Length());
    EXPECT_EQ(".ext", parts.extension);
}

TEST(SplitPathCodePage932, TrailByteBackslashDoesNotSplit)
{
    if (GetACP() != 932)
        GTEST_SKIP() << "needs the ANSI code page 932";
    const std::string kanji = testing_support::cp932::kBackslashTrail;
    ExpectParts("C:\\" + kanji + "\\a" + kanji + ".txt", "C:", ("\\" + kanji + "\\").c_str(),
                ("a" + kanji).c_str(), ".txt");
    ExpectParts("C:\\dir\\" + kanji, "C:", "\\dir\\", kanji.c_str(), "");
}

TEST(FileExists, IsTrueForFilesOnly)
{
    CTempFolder temp;
    WriteFileText(temp.Path("file.txt"), "x");
    EXPECT_TRUE(FileExists(AsText(temp.Path("file.txt"))));
    EXPECT_FALSE(FileExists(AsText(temp.Path()))) << "a folder is not a file";
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists(AsText(temp.Path("missing.txt"))));
}

TEST(CreateFolderChain, CreatesMissingLevels)
{
    CTempFolder temp;
    EXPECT_TRUE(CreateFolderChain(AsText(temp.Path("one\\two\\"))));
    EXPECT_TRUE(FolderExists(temp.Path("one\\two")));
}

TEST(CreateFolderChain, AcceptsWhatIsAlreadyThere)
{
    CTempFolder temp;
    EXPECT_TRUE(CreateFolderChain(AsText(temp.Path())));
    WriteFileText(temp.Path("taken"), "x");
    EXPECT_TRUE(CreateFolderChain(AsText(temp.Path("taken")))) << "a file of that name counts";
    EXPECT_FALSE(FolderExists(temp.Path("taken")));
}

TEST(CreateFolderChain, FailsWithoutEndlessRecursion)
{
    CTempFolder temp;
    EXPECT_FALSE(CreateFolderChain("Q:\\no\\such\\drive\\"));
    EXPECT_FALSE(CreateFolderChain(AsText(temp.Path("a/b/")))) << "a text ending in a slash";
    EXPECT_FALSE(CreateFolderChain(""));
}
