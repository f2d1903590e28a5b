#include "check_RT.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>

bool result_sort(const result_list& a, const result_list& b)
{
    return a.std_dev < b.std_dev;
}

namespace {

// What the stream writes for a double in its default notation (printf's %g,
// 6 significant digits), without the stream's locale machinery, which costs
// more than the rest of the line together.
void append_number(std::string& line, double value)
{
    char text[32];
    auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6);
    line.append(text, result.ptr);
}

}  // namespace

std::string print_report(std::ostream& out, std::vector<result_list>& results)
{
    std::stable_sort(results.begin(), results.end(), result_sort);
    // Room for the longest line before the first is written, so that running
    // out of memory cannot cut the report short.
    std::string line;
    line.reserve(128);
    for (const result_list& r : results) {
        line.assign(r.label).append(":");
        for (double number : {r.minimum, r.maximum, r.mean, r.std_dev}) {
            line += ' ';
            append_number(line, number);
        }
        line += '\n';
        // A stream need not say why it failed: errno is the system's word
        // only if the failed write set it.
        errno = 0;
        if (!out.write(line.data(), static_cast<std::streamsize>(line.size())).flush())
            return errno != 0 ? std::strerror(errno) : "the output stream failed";
    }
    return {};
}
