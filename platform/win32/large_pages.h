// The allocator settings the game runs with. Start-up fills a few hundred
// megabytes of fresh memory (the renderer's textures and targets, the sound
// buffers), and every page of it costs a fault when first touched: glibc is
// asked for 2 MB pages on its large blocks, and to serve blocks below 32 MB
// from its heaps (kept on large pages too) rather than from maps of their own.
// glibc reads GLIBC_TUNABLES only when a program starts, so whatever starts
// the game sets it first (the launcher, the benchmarks).
#pragma once
#include <cstdlib>
#include <cstring>
#include <string>

namespace orv {

// GLIBC_TUNABLES with the game's settings after `current` (which may be null);
// `current` as it is when it already says anything of large pages, as a user
// who sets that means it.
inline std::string WithLargeHeapPages(const char* current) {
    if (current && std::strstr(current, "glibc.malloc.hugetlb")) return current;
    std::string value = current && *current ? std::string(current) + ":" : std::string();
    return value + "glibc.malloc.hugetlb=1:glibc.malloc.mmap_threshold=33554432";
}

// Puts the game's settings into this process's environment, for the program
// it is about to start.
inline void SetLargeHeapPagesForNextProgram() {
    ::setenv("GLIBC_TUNABLES", WithLargeHeapPages(std::getenv("GLIBC_TUNABLES")).c_str(), 1);
}

}  // namespace orv
