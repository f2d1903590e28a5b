// check_RT: prints the day's recheck records that are not inside the
// acceptance window, ordered by standard deviation.
#include "check_RT.h"

#include <cerrno>
#include <cstring>
#include <iostream>

namespace {

// A site rebuilds with its own directory and date; see README.md.
const scan_settings settings{CHECK_RT_DATA_DIR, CHECK_RT_TARGET_DATE, 315.0, 340.0};
const std::string list_file = CHECK_RT_DATA_DIR "resultlist.txt";

}  // namespace

int main()
{
    std::vector<result_list> results;
    bool ok = scan_list(list_file, settings, results, std::cerr);
    if (!print_report(std::cout, results)) {
        diagnose(std::cerr, "write error", std::strerror(errno));
        ok = false;
    }
    return ok ? 0 : 1;
}
