#pragma once

#include <windows.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "base/OwnedHandle.h"
#include "base/Text.h"
#include "settings/EndingInfo.h"

// The plug-in's texts in the tests' checks and messages (found beside the class).
std::ostream& operator<<(std::ostream& out, const CText& text);
bool operator==(const std::string& expected, const CText& actual);
inline bool operator==(const CText& actual, const std::string& expected)
{
    return expected == actual;
}
inline bool operator==(const char* expected, const CText& actual)
{
    return std::string(expected) == actual;
}

namespace testing_support {

// The plug-in's texts beside the tests' own.
inline CText AsText(const std::string& text)
{
    return CText(text.data(), text.size());
}
inline std::string AsString(const CText& text)
{
    return std::string(text.Chars(), text.Length());
}

// A fresh folder under the temporary folder, removed with everything in it at the end.
class CTempFolder {
public:
    CTempFolder();
    ~CTempFolder();
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    // The folder's path with a trailing backslash, joined with a relative name.
    std::string Path(const std::string& relative = std::string()) const;

private:
    std::string m_path;
};

// The five switches as a user finds them, in the settings file's order: the key, its default,
// the settings record's member and the setup dialog's box.
struct CSettingsKey {
    const char* key;
    int defaultValue;
    int CEndingInfo::*member;
    int box;
};
extern const CSettingsKey kSettingsKeys[5];

// The five switches as a settings file holds them, in the file's order.
struct CSwitchValues {
    int dialog, topMost, icon, animation, hide;
};
const CSwitchValues kDefaultSwitches = {1, 0, 1, 1, 1};
// A settings file's text as a first save writes it: section "Tolvanix", the five keys in order.
std::string SettingsFileText(const CSwitchValues& values = kDefaultSwitches);

// The settings files a host starts with: the current one in data\Plugins\ and the earlier one
// beside the module in tools\; empty: no such file.
struct CSettingsFiles {
    std::string current;
    std::string earlier;
};
// A host's folder (a path that ends with its separator): tools\, with the plug-in copied in when
// asked, and the files of the module's title; data\Plugins\ is made for a current file. False
// when the plug-in could not be copied.
bool PlaceHostFolder(const std::string& folder, const CSettingsFiles& files, bool withPlugin,
                     const std::string& title = "Tolvanix");

// A start of the plug-in as the files before it decide it: the title of the module in tools\,
// the files, and the switches the start reads. The tests run each at two levels: the start
// linked into the test and the loaded module.
struct CStartUpCase {
    const char* name;
    std::string title;
    CSettingsFiles before;
    CSwitchValues read;

    // A current file stays as it was; else the values read are written, as one or zero.
    std::string CurrentTextAfter() const
    {
        const CSwitchValues& r = read;
        return !before.current.empty() ? before.current
                                       : SettingsFileText({!!r.dialog, !!r.topMost, !!r.icon,
                                                           !!r.animation, !!r.hide});
    }
    // The earlier file is carried over and deleted unless a current file was there.
    bool EarlierFileStays() const { return !before.earlier.empty() && !before.current.empty(); }
};
inline const CStartUpCase kStartUpCases[] = {
    {"FirstStartWritesTheDefaults", "Tolvanix", {}, kDefaultSwitches},
    // Keys the earlier file lacks take their defaults.
    {"CarryOverKeepsTheOldValuesAndDeletesTheOldFile", "Tolvanix",
     {"", "[Tolvanix]\r\nEndingDialog=0\r\nEndingDialogTopMost=2\r\nHideBecky=0\r\n"},
     {0, 2, 1, 1, 0}},
    {"CurrentFileWinsAndTheOldOneIsLeftAlone", "Tolvanix",
     {"[Tolvanix]\r\nEndingIcon=0\r\nHideBecky=yes\r\n", "[Tolvanix]\r\nEndingDialog=0\r\n"},
     {1, 0, 0, 1, 0}},
    // The file takes the module's name, the section stays the plug-in's.
    {"ModuleOfAnotherNameKeepsTheSection", "Other", {}, kDefaultSwitches},
};

std::string ReadFileText(const std::string& path);
void WriteFileText(const std::string& path, const std::string& text);
inline std::string ReadFileText(const CText& path)
{
    return ReadFileText(AsString(path));
}
inline void WriteFileText(const CText& path, const std::string& text)
{
    WriteFileText(AsString(path), text);
}
bool FolderExists(const std::string& path);
// The names in a folder (a path that ends with its separator), sorted.
std::vector<std::string> Entries(const std::string& folder);
bool IsFile(const std::string& path);
void MakeFolders(const std::string& path);

// Polls until the condition holds or the time is up; whether it held. Things that take some
// frames to happen, however slow the machine.
bool WaitFor(const std::function<bool()>& condition, DWORD limitMs = 5000);

// The performance counter in milliseconds, for the time between two readings.
double NowMs();

// The font a window reports (WM_GETFONT), as a handle and as a record (all zero when it has
// none).
HFONT FontHandleOf(HWND window);
LOGFONTA FontOf(HWND window);
// Whether the handle still names an icon: a destroyed one names none.
bool IconIsAlive(HICON icon);

// The plug-in's Japanese texts as a system with code page 932 reports them, and a two-byte
// character whose second byte is a backslash.
namespace cp932 {
extern const char kTemplateFace[];  // "ＭＳ Ｐゴシック"
extern const char kSetupCaption[];  // "Tolvanix 設定"
extern const char kTrayTip[];       // "Becky! Ver.2 終了処理中..."
extern const char kBackslashTrail[];
}  // namespace cp932

// The plug-in DLL built beside the test programs.
std::string PluginDllPath();

// A child host: a program built beside the test programs, started with the arguments; its
// process, and its number, or none (the reason in GetLastError).
CKernelHandle StartChild(const std::string& program, const std::string& arguments,
                         DWORD* processId = nullptr);

}  // namespace testing_support
