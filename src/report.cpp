#include "check_RT.h"

#include <algorithm>
#include <cstdio>

bool result_sort(const result_list& a, const result_list& b)
{
    return a.std_dev < b.std_dev;
}

bool print_report(std::ostream& out, std::vector<result_list>& results)
{
    std::stable_sort(results.begin(), results.end(), result_sort);
    for (const result_list& r : results) {
        // A label is part of a file name, which may hold control bytes; they
        // must not act on the terminal the report goes to.
        out << printable(r.label) << ": " << r.minimum << ' ' << r.maximum << ' ' << r.mean << ' '
            << r.std_dev << '\n';
        if (!out.flush())
            return false;
    }
    return true;
}

std::string printable(std::string_view text)
{
    std::string shown;
    shown.reserve(text.size());
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            shown += escape;
        } else {
            shown += c;
        }
    }
    return shown;
}

void diagnose(std::ostream& err, std::string_view what, std::string_view reason)
{
    std::string line = "check_RT: " + printable(what) + ": ";
    line.append(reason).append("\n");
    err.write(line.data(), static_cast<std::streamsize>(line.size()));
    err.flush();
}
