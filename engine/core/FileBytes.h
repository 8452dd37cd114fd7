// File contents in a buffer that is not zero-filled before the file is read
// into it.
#pragma once
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/win32/win32.h"

namespace Quorvex {

// An allocator whose resize leaves new elements default-initialised, so a
// buffer about to be filled is not cleared first.
template <class T>
struct UninitializedAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = UninitializedAllocator<U>;
    };
    UninitializedAllocator() = default;
    template <class U>
    UninitializedAllocator(const UninitializedAllocator<U>&) noexcept {}
    template <class U>
    void construct(U* p) noexcept(std::is_nothrow_default_constructible_v<U>) {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

using FileBytes = std::vector<BYTE, UninitializedAllocator<BYTE>>;

// The file ReadWholeFile (Utility.h) reads for the path: the redirected one
// when the redirection is on and that file exists, else the path itself.
std::wstring ResolveReadPath(const wchar_t* path);
// ReadWholeFile (Utility.h) into such a buffer.
int ReadWholeFile(const wchar_t* path, FileBytes& buffer, DWORD* size = nullptr);
// The same for exactly the path given, whatever the redirection says.
int ReadFileAsIs(const wchar_t* path, FileBytes& buffer, DWORD* size = nullptr);

}  // namespace Quorvex
