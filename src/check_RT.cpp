// check_RT: prints the day's recheck records that are not inside the
// acceptance window, ordered by standard deviation.
#include "check_RT.h"
#include "characters.h"
#include "check_RT_settings.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <new>
#include <unistd.h>

// Checked with the table the diagnostics escape by, so the two cannot drift apart.
static_assert(shown_as_it_is(CHECK_RT_DATA_DIR),
              "CHECK_RT_DATA_DIR cannot hold a byte that diagnostics escape, but the backslash: no control "
              "character and no character that breaks a line, reorders it or shows nothing, since the "
              "manual page and the package's description show the directory as it is");

namespace {

// A site rebuilds with its own directory and date; see README.md.
const scan_settings settings{CHECK_RT_DATA_DIR, CHECK_RT_TARGET_DATE, window_lower, window_upper};
const std::string list_file = CHECK_RT_DATA_DIR "resultlist.txt";

// The run takes no arguments and is the same with them; whoever tries
// "check_RT 20181220" or "check_RT --help" learns what this build reports.
void note_ignored_arguments(std::ostream& err)
{
    err << "check_RT: arguments are ignored: this build reports " << settings.target_date << " from "
        << printable(settings.data_directory) << '\n'
        << std::flush;
}

// Some file systems (NFS) report a lost write only when the file is closed.
std::string close_standard_output()
{
    if (::close(STDOUT_FILENO) != 0)
        return std::strerror(errno);
    return {};
}

}  // namespace

int main(int argc, char**)
{
    if (argc > 1)
        note_ignored_arguments(std::cerr);
    if (std::string failure = restore_ieee_arithmetic(); !failure.empty()) {
        std::cerr << "check_RT: " << failure << '\n' << std::flush;
        return 1;
    }
    std::vector<result_list> results;
    try {
        bool ok = scan_list(list_file, settings, results, std::cerr);
        std::string write_failure = print_report(std::cout, results);
        if (write_failure.empty())
            write_failure = close_standard_output();
        if (!write_failure.empty())
            std::cerr << "check_RT: write error: " << write_failure << '\n' << std::flush;
        return ok && write_failure.empty() ? 0 : 1;
    } catch (const std::bad_alloc&) {
        // The report grows with the records it holds; it is written only
        // once the scan is done, so nothing of it has come out yet.
        std::cerr << "check_RT: memory exhausted\n" << std::flush;
        return 1;
    }
}
