// exact_report: a day's report with each statistic written to the last bit,
// as %a writes a double, so that two builds can be compared byte for byte
// where the report's six digits would hide a difference.
// Usage: exact_report DIR/ DATE
#include "check_RT.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: exact_report DIR/ DATE\n";
        return 2;
    }
    const scan_settings settings{argv[1], argv[2], window_lower, window_upper};
    std::vector<result_list> results;
    bool ok = scan_list(settings.data_directory + "resultlist.txt", settings, results, std::cerr);
    std::stable_sort(results.begin(), results.end(), result_sort);
    for (const result_list& r : results) {
        std::fwrite(r.label.data(), 1, r.label.size(), stdout);
        std::printf(": %a %a %a %a\n", r.minimum, r.maximum, r.mean, r.std_dev);
    }
    return ok && std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}
