// The program the player starts: sets the allocator up for the game and
// starts the game program beside it in place (same process, same arguments).
// It is linked statically and loads no library, so this step takes a few
// milliseconds; the game's own libraries are loaded once, by the game.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
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
    orv::SetLargeHeapPagesForNextProgram();
    ::execv(game.c_str(), argv);
    std::fprintf(stderr, "orvalis: cannot start %s: %s\n", game.c_str(), std::strerror(errno));
    return 127;
}
