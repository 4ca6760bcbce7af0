// What the module's C++ needs of a runtime, without one: objects are made with
// new (std::nothrow) on the C runtime's heap, a failure being a null result, and nothing is
// ever thrown. Only the shipped DLL has these; test programs link the runtime's own.
#include <stdlib.h>

#include <new>

void* operator new(size_t size, const std::nothrow_t&) noexcept
{
    return malloc(size ? size : 1);
}

void operator delete(void* block) noexcept
{
    free(block);
}

void operator delete(void* block, size_t) noexcept
{
    free(block);
}

// The entry of an abstract class's table; no object of one is ever called through it.
extern "C" void __cxa_pure_virtual()
{
    __builtin_trap();
}
