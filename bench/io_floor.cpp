// io_floor: what check_RT cannot do without. Reads the day's list the way
// check_RT does and opens, reads to the end and closes each record file of
// the day, parsing nothing.
#include "byte_reader.h"
#include "check_RT.h"
#include "synthetic_day.h"

#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

// False if the file could not be opened or read.
bool read_whole(const std::string& path)
{
    static char buffer[byte_reader::capacity];
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) {
    }
    ::close(fd);
    return n == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: io_floor DIR/\n");
        return 2;
    }
    const std::string dir = argv[1];
    byte_reader list(dir + "resultlist.txt");
    std::string path;
    bool ok = true;
    while (std::optional<byte_reader::run> entry = list.next_word(PATH_MAX)) {
        if (!carries_date(entry->kept, synthetic_date))
            continue;
        path.assign(dir).append(entry->kept).append(".recheck");
        if (!read_whole(path)) {
            std::perror(path.c_str());
            ok = false;
        }
    }
    return ok && !list.failed() ? 0 : 1;
}
