#include "CYolRand.h"

#include "CYolClock.h"

#include <sys/random.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>

namespace {

// Our own state, so that nothing else in the process calling srand/rand can
// disturb or predict the sequence through the C library's shared one.
std::once_flag g_seedOnce;
std::mutex g_stateLock;
uint32_t g_state = 0;

bool ReadUrandom(unsigned char* out, size_t n)
{
    int fd = ::open("/dev/urandom", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    while (n > 0) {
        ssize_t got = ::read(fd, out, n);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            ::close(fd);
            return false;
        }
        out += got;
        n -= static_cast<size_t>(got);
    }
    ::close(fd);
    return true;
}

} // namespace

unsigned int CYolRand::Rand()
{
    std::call_once(g_seedOnce, [] {
        const uint32_t seed = CYolClock::Current().TickCount();
        std::lock_guard<std::mutex> lock(g_stateLock);
        g_state = seed;
    });
    std::lock_guard<std::mutex> lock(g_stateLock);
    g_state = g_state * 214013u + 2531011u;
    return (g_state >> 16) & Max;
}

void CYolRand::Secure(void* out, size_t n)
{
    auto* p = static_cast<unsigned char*>(out);
    while (n > 0) {
        ssize_t got = ::getrandom(p, n, 0);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            // getrandom missing (old kernel) or filtered by a sandbox.
            if (ReadUrandom(p, n))
                return;
            // Handing out guessable cookies would be worse than stopping.
            std::fputs("YolCommon: no source of secure random bytes\n", stderr);
            std::abort();
        }
        p += got;
        n -= static_cast<size_t>(got);
    }
}

uint32_t CYolRand::Secure32()
{
    uint32_t value;
    Secure(&value, sizeof value);
    return value;
}
