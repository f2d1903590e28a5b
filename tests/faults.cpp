// Preloaded (LD_PRELOAD) into a run of a built program, to give it a machine
// that fails as no test can make a real one fail. fesetenv does nothing, so
// that the floating-point environment cannot be set back; CHECK_RT_FAULT
// adds "upward" (rounding upward from the start) or "close" (closing
// standard output fails, as on a file system that reports a lost write only
// then).
#include <cerrno>
#include <cfenv>
#include <cstdlib>
#include <cstring>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

bool fault_is(const char* name)
{
    const char* fault = std::getenv("CHECK_RT_FAULT");
    return fault != nullptr && std::strcmp(fault, name) == 0;
}

__attribute__((constructor)) void round_upward()
{
    if (fault_is("upward"))
        std::fesetround(FE_UPWARD);
}

}  // namespace

// noexcept, as the C library declares it.
extern "C" int fesetenv(const fenv_t*) noexcept
{
    return 0;
}

extern "C" int close(int fd)
{
    if (fd == STDOUT_FILENO && fault_is("close")) {
        errno = EIO;
        return -1;
    }
    return static_cast<int>(syscall(SYS_close, fd));
}
