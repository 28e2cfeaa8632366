// Preloaded into the program by the close-box test: every fsync and
// fdatasync waits VITREL_SLOW_SYNC_MS milliseconds first, as on a machine
// whose disk is busy with a build.
#include <cstdlib>

#include <dlfcn.h>
#include <unistd.h>

namespace {

void Wait()
{
    const char* value = std::getenv("VITREL_SLOW_SYNC_MS");
    if (value != nullptr)
        usleep(static_cast<useconds_t>(std::atoi(value)) * 1000);
}

}  // namespace

extern "C" int fsync(int fd)
{
    static auto real = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fsync"));
    Wait();
    return real(fd);
}

extern "C" int fdatasync(int fd)
{
    static auto real = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fdatasync"));
    Wait();
    return real(fd);
}
