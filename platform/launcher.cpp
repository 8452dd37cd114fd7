// The program the player starts: sets the allocator up for the game and
// starts the game program beside it in place (same process, same arguments).
// It links nothing but the C and C++ runtimes, so this step costs a fraction of
// the game loading its libraries twice.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/win32/large_pages.h"

int main(int, char** argv) {
    char self[4096];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::string game = "orvalis-game";
    if (length > 0) {
        const std::string path(self, static_cast<size_t>(length));
        game = path.substr(0, path.rfind('/') + 1) + game;
    }
    const std::string tunables = orv::WithLargeHeapPages(std::getenv("GLIBC_TUNABLES"));
    ::setenv("GLIBC_TUNABLES", tunables.c_str(), 1);
    ::execv(game.c_str(), argv);
    std::fprintf(stderr, "orvalis: cannot start %s: %s\n", game.c_str(), std::strerror(errno));
    return 127;
}
