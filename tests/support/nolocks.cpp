// Preloaded into a copy of the program (LD_PRELOAD) to stand for a file
// system that keeps no locks of the open-file kind, as some network shares:
// such a lock is refused with ENOLCK; every other call goes through.

#include <cerrno>
#include <cstdarg>
#include <dlfcn.h>
#include <fcntl.h>

namespace {

using Fcntl = int (*)(int, int, ...);

bool refused(int cmd) {
    return cmd == F_OFD_SETLK || cmd == F_OFD_SETLKW || cmd == F_OFD_GETLK;
}

int call(const char* name, int fd, int cmd, void* arg) {
    if (refused(cmd)) {
        errno = ENOLCK;
        return -1;
    }
    const auto real = reinterpret_cast<Fcntl>(dlsym(RTLD_NEXT, name));
    return real(fd, cmd, arg);
}

} // namespace

extern "C" {

int fcntl(int fd, int cmd, ...) {
    va_list ap;
    va_start(ap, cmd);
    void* arg = va_arg(ap, void*);
    va_end(ap);
    return call("fcntl", fd, cmd, arg);
}

int fcntl64(int fd, int cmd, ...) {
    va_list ap;
    va_start(ap, cmd);
    void* arg = va_arg(ap, void*);
    va_end(ap);
    return call("fcntl64", fd, cmd, arg);
}
}
