#include "check_RT.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

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

bool print_report(std::ostream& out, std::vector<result_list>& results)
{
    std::stable_sort(results.begin(), results.end(), result_sort);
    std::string line;
    for (const result_list& r : results) {
        line.assign(r.label).append(":");
        for (double number : {r.minimum, r.maximum, r.mean, r.std_dev}) {
            line += ' ';
            append_number(line, number);
        }
        line += '\n';
        if (!out.write(line.data(), static_cast<std::streamsize>(line.size())).flush())
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
