#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "standin/Imports.h"

namespace testing_support {

// Points a module's export at a stand-in, so that every module loaded from now on binds its
// import of it there (the modules loaded before keep the real function). The function the
// export named before, or null when it could not be replaced.
void* ReplaceExport(HMODULE module, const char* name, void* standIn);

// Whether the code at the address belongs to a module loaded from the folder (a path that
// ends with its backslash).
bool IsCodeFromFolder(void* address, const char* folder);

// A stand-in for one platform call: it keeps the original, answers as the behaviour set for it
// says (for the modules of one folder only, when one is named), and forwards otherwise. It
// stands in the system module's export, for every module loaded once it is installed, or in
// the import slot of a module loaded already. The tag tells apart the stand-ins of calls of one
// signature.
template <typename Tag, typename Signature>
class CCallStandIn;

template <typename Tag, typename R, typename... A>
class CCallStandIn<Tag, R(WINAPI*)(A...)> {
public:
    using Behaviour = std::function<R(A...)>;

    // Once, before the modules it is for load; false when the export could not be replaced.
    static bool Install(const char* dll, const char* name)
    {
        if (!s_original)
            s_original = reinterpret_cast<Original>(
                ReplaceExport(LoadLibraryA(dll), name, reinterpret_cast<void*>(&Answer)));
        return s_original != nullptr;
    }
    // The module's import, if it has one, forwarding to whatever its slot held (a recorder,
    // say); false when it has none.
    static bool InstallInImports(HMODULE module, const char* dll, const char* name)
    {
        void* before =
            standin::ReplaceImport(module, dll, name, reinterpret_cast<void*>(&Answer));
        if (before)
            s_original = reinterpret_cast<Original>(before);
        return before != nullptr;
    }
    static void Set(Behaviour behaviour, const std::string& onlyForFolder = std::string())
    {
        s_folder = onlyForFolder;
        s_behaviour = std::move(behaviour);
    }
    static void Clear() { s_behaviour = nullptr; }
    static R Forward(A... arguments) { return s_original(arguments...); }

private:
    using Original = R(WINAPI*)(A...);

    static R WINAPI Answer(A... arguments)
    {
        const bool applies = s_behaviour && (s_folder.empty() ||
                                             IsCodeFromFolder(__builtin_return_address(0),
                                                              s_folder.c_str()));
        return applies ? s_behaviour(arguments...) : s_original(arguments...);
    }

    static Original s_original;
    static Behaviour s_behaviour;
    static std::string s_folder;
};

template <typename Tag, typename R, typename... A>
typename CCallStandIn<Tag, R(WINAPI*)(A...)>::Original
    CCallStandIn<Tag, R(WINAPI*)(A...)>::s_original = nullptr;
template <typename Tag, typename R, typename... A>
typename CCallStandIn<Tag, R(WINAPI*)(A...)>::Behaviour
    CCallStandIn<Tag, R(WINAPI*)(A...)>::s_behaviour;
template <typename Tag, typename R, typename... A>
std::string CCallStandIn<Tag, R(WINAPI*)(A...)>::s_folder;

}  // namespace testing_support
