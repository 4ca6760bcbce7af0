#pragma once

#include <windows.h>

#include <memory>

// One owner per handle: released exactly once, when the owner goes or is given another.
template <typename Handle, BOOL(WINAPI* Release)(Handle)>
struct CHandleRelease {
    using pointer = Handle;
    void operator()(Handle handle) const
    {
        if (handle)
            Release(handle);
    }
};

template <typename Handle, BOOL(WINAPI* Release)(Handle)>
using COwnedHandle = std::unique_ptr<typename std::remove_pointer<Handle>::type,
                                     CHandleRelease<Handle, Release>>;

using CKernelHandle = COwnedHandle<HANDLE, CloseHandle>;
using COwnedIcon = COwnedHandle<HICON, DestroyIcon>;
