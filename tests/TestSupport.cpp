#include "tests/TestSupport.h"

#include "resources/ResourceIds.h"
#include "standin/ThisProgram.h"

#include <algorithm>
#include <fstream>
#include <sstream>

std::ostream& operator<<(std::ostream& out, const CText& text)
{
    return out << '"' << text.Chars() << '"' << (text.Failed() ? " (failed)" : "");
}

bool operator==(const std::string& expected, const CText& actual)
{
    return expected == testing_support::AsString(actual);
}

namespace testing_support {

namespace {

void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = entry.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = folder + name;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path + "\\");
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

}  // namespace

CTempFolder::CTempFolder()
{
    char base[MAX_PATH];
    GetTempPathA(sizeof(base), base);
    static unsigned counter = 0;
    std::ostringstream name;
    name << base << "tolvanix-" << GetCurrentProcessId() << "-" << GetTickCount() << "-"
         << ++counter << "\\";
    m_path = name.str();
    MakeFolders(m_path);
}

CTempFolder::~CTempFolder()
{
    RemoveTree(m_path);
}

std::string CTempFolder::Path(const std::string& relative) const
{
    return m_path + relative;
}

const CSettingsKey kSettingsKeys[5] = {
    {"EndingDialog", 1, &CEndingInfo::EndingDialog, IDC_DIALOG_BOX},
    {"EndingDialogTopMost", 0, &CEndingInfo::EndingDialogTopMost, IDC_TOP_MOST_BOX},
    {"EndingIcon", 1, &CEndingInfo::EndingIcon, IDC_TASKTRAY_ICON_BOX},
    {"EndingIconAnimation", 1, &CEndingInfo::EndingIconAnimation, IDC_ANIMATION_BOX},
    {"HideBecky", 1, &CEndingInfo::HideBecky, IDC_HIDE_BECKY_BOX},
};

std::string SettingsFileText(const CSwitchValues& values)
{
    const int inOrder[] = {values.dialog, values.topMost, values.icon, values.animation,
                           values.hide};
    std::string text = "[Tolvanix]\r\n";
    for (int at = 0; at < 5; ++at)
        text += std::string(kSettingsKeys[at].key) + "=" + std::to_string(inOrder[at]) + "\r\n";
    return text;
}

bool PlaceHostFolder(const std::string& folder, const CSettingsFiles& files, bool withPlugin,
                     const std::string& title)
{
    MakeFolders(folder + "tools");
    const bool copied =
        !withPlugin ||
        CopyFileA(PluginDllPath().c_str(), (folder + "tools\\Tolvanix.dll").c_str(), FALSE);
    if (!files.earlier.empty())
        WriteFileText(folder + "tools\\" + title + ".ini", files.earlier);
    if (!files.current.empty()) {
        MakeFolders(folder + "data\\Plugins");
        WriteFileText(folder + "data\\Plugins\\" + title + ".ini", files.current);
    }
    return copied;
}

std::string ReadFileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFileText(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

std::vector<std::string> Entries(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

bool FolderExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {

// The ANSI call takes at most 248 characters (Wine 10 keeps that rule); the long form of the
// wide one makes the deep folders that a test of long paths needs.
void MakeFolder(const std::string& path)
{
    if (CreateDirectoryA(path.c_str(), nullptr) || path.size() < 3 || path[1] != ':')
        return;
    std::wstring wide(path.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()),
                                    &wide[0], static_cast<int>(wide.size())));
    CreateDirectoryW((L"\\\\?\\" + wide).c_str(), nullptr);
}

}  // namespace

void MakeFolders(const std::string& path)
{
    // By character: a two-byte character's second byte may be a backslash.
    for (const char* at = path.c_str() + 3; *at; at = CharNextA(at)) {
        if (*at == '\\')
            MakeFolder(path.substr(0, at - path.c_str()));
    }
    MakeFolder(path);
}

bool WaitFor(const std::function<bool()>& condition, DWORD limitMs)
{
    for (DWORD start = GetTickCount(); !condition();) {
        if (GetTickCount() - start > limitMs)
            return false;
        Sleep(10);
    }
    return true;
}

double NowMs()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER value;
        QueryPerformanceFrequency(&value);
        return value;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

HFONT FontHandleOf(HWND window)
{
    return reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
}

LOGFONTA FontOf(HWND window)
{
    LOGFONTA font = {};
    GetObjectA(FontHandleOf(window), sizeof(font), &font);
    return font;
}

bool IconIsAlive(HICON icon)
{
    ICONINFO info;
    if (!GetIconInfo(icon, &info))
        return false;
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return true;
}

namespace cp932 {
const char kTemplateFace[] = "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E";
const char kSetupCaption[] = "Tolvanix \x90\xDD\x92\xE8";
const char kTrayTip[] = "Becky! Ver.2 \x8F\x49\x97\xB9\x8F\x88\x97\x9D\x92\x86...";
const char kBackslashTrail[] = "\x95\x5C";
}  // namespace cp932

std::string PluginDllPath()
{
    return standin::ProgramFolder() + "Tolvanix.dll";
}

CKernelHandle StartChild(const std::string& program, const std::string& arguments,
                         DWORD* processId)
{
    std::string command = "\"" + standin::ProgramFolder() + program + "\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &child))
        return CKernelHandle();
    CloseHandle(child.hThread);
    if (processId)
        *processId = child.dwProcessId;
    return CKernelHandle(child.hProcess);
}

}  // namespace testing_support
