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

// A call's signature, and the entry of a stand-in for it in the call's own calling convention:
// the system's and the C runtime's differ on i686 only.
template <typename Signature>
struct CCall;

template <typename R, typename... A>
struct CCall<R(WINAPI*)(A...)> {
    using Function = R(A...);
    template <typename StandIn>
    static R WINAPI Entry(A... a) { return StandIn::Answer(__builtin_return_address(0), a...); }
};

#ifndef _WIN64
template <typename R, typename... A>
struct CCall<R(__cdecl*)(A...)> : CCall<R(WINAPI*)(A...)> {
    template <typename StandIn>
    static R __cdecl Entry(A... a) { return StandIn::Answer(__builtin_return_address(0), a...); }
};
#endif

// A stand-in for one platform call: it keeps the original, answers as the behaviour set for it
// says (for the modules of one folder only, when one is named), and forwards otherwise. It
// stands in the system module's export, for every module loaded once it is installed, or in
// the import slot of a module loaded already. The tag tells apart the stand-ins of calls of one
// signature.
template <typename Tag, typename Signature>
class CCallStandIn {
public:
    using Behaviour = std::function<typename CCall<Signature>::Function>;

    // Once, before the modules it is for load; false when the export could not be replaced.
    static bool Install(const char* dll, const char* name)
    {
        if (!s_original)
            s_original =
                reinterpret_cast<Signature>(ReplaceExport(LoadLibraryA(dll), name, Entry()));
        return s_original != nullptr;
    }
    // The module's import, if it has one, forwarding to whatever its slot held (a recorder,
    // say); false when it has none.
    static bool InstallInImports(HMODULE module, const char* dll, const char* name)
    {
        void* before = standin::ReplaceImport(module, dll, name, Entry());
        if (before)
            s_original = reinterpret_cast<Signature>(before);
        return before != nullptr;
    }
    static void Set(Behaviour behaviour, const std::string& onlyForFolder = std::string())
    {
        s_folder = onlyForFolder;
        s_behaviour = std::move(behaviour);
    }
    static void Clear() { s_behaviour = nullptr; }
    template <typename... A>
    static auto Forward(A... arguments)
    {
        return s_original(arguments...);
    }

private:
    friend struct CCall<Signature>;

    static void* Entry()
    {
        return reinterpret_cast<void*>(&CCall<Signature>::template Entry<CCallStandIn>);
    }
    template <typename... A>
    static auto Answer(void* caller, A... arguments)
    {
        const bool applies =
            s_behaviour && (s_folder.empty() || IsCodeFromFolder(caller, s_folder.c_str()));
        return applies ? s_behaviour(arguments...) : s_original(arguments...);
    }

    inline static Signature s_original = nullptr;
    inline static Behaviour s_behaviour;
    inline static std::string s_folder;
};

}  // namespace testing_support
