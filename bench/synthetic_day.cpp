#include "synthetic_day.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <random>
#include <stdexcept>

namespace {

// Raw engine output only: the distributions of the standard library differ
// between implementations, and the day must not.
class dice {
public:
    explicit dice(std::uint64_t seed) : engine_(seed) {}
    int below(int n) { return static_cast<int>(engine_() % static_cast<std::uint64_t>(n)); }
    int between(int low, int high) { return low + below(high - low + 1); }
    bool one_in(int n) { return below(n) == 0; }

private:
    std::mt19937_64 engine_;
};

const std::array<const char*, 33> header_keys = {
    "# recheck record", "record_id", "format_version", "site", "line", "instrument", "firmware",
    "probe", "probe_serial", "calibration", "operator", "shift", "lot", "batch", "sample_position",
    "started", "finished", "timezone", "quantity", "units", "reading_count", "interval_s",
    "ambient_C", "humidity_pct", "pressure_hPa", "method", "reference", "resolution", "filter",
    "comment", "software", "checksum", "# end of header"};

std::string header(const std::string& entry, int index, const char* line_end)
{
    std::string text;
    for (const char* key : header_keys) {
        std::string line = key;
        if (line[0] != '#') {
            line.resize(16, ' ');
            line += "= " + entry + " #" + std::to_string(index);
        }
        // Long enough that a record comes to about 2 KB.
        line.resize(std::max<std::size_t>(line.size(), 52), '.');
        text += line + line_end;
    }
    return text;
}

// A reading of thousandths / 1000 kelvin, written in one of the notations
// both readers take: 327.52, 327.520, +327.52, 0327.52, 327, 3.2752e2,
// 3.2752E+02, 327520e-3.
std::string notation(int thousandths, dice& d)
{
    std::string digits = std::to_string(thousandths);
    std::string whole = digits.substr(0, digits.size() - 3);
    std::string fraction = digits.substr(digits.size() - 3);
    std::string trimmed = fraction;
    while (!trimmed.empty() && trimmed.back() == '0')
        trimmed.pop_back();
    std::string fixed = whole + (trimmed.empty() ? "" : "." + trimmed);
    std::string mantissa = whole.substr(0, 1) + "." + whole.substr(1) + fraction;
    std::string exponent = std::to_string(whole.size() - 1);
    switch (d.below(8)) {
    case 0: return whole + "." + fraction;
    case 1: return "+" + fixed;
    case 2: return "0" + fixed;
    case 3: return mantissa + "e" + exponent;
    case 4: return mantissa + "E+0" + exponent;
    case 5: return digits + "e-3";
    default: return fixed;
    }
}

std::array<int, 32> readings(bool outside, dice& d)
{
    std::array<int, 32> r;
    for (int& reading : r)
        reading = d.between(318000, 337000);
    if (outside) {
        int count = d.between(1, 4);
        for (int i = 0; i < count; ++i) {
            int& reading = r[static_cast<std::size_t>(d.below(32))];
            switch (d.below(4)) {
            case 0: reading = d.between(290000, 315000); break;
            case 1: reading = d.between(340000, 360000); break;
            case 2: reading = 315000; break;
            default: reading = 340000; break;
            }
        }
    }
    return r;
}

// With abutting, a reading written with its '+' now and then follows the one
// before it without white space; the dice are thrown in the same order as
// without, so that the rest of the day stays the same.
std::string body(const std::array<int, 32>& r, const char* line_end, bool abutting, dice& d)
{
    static const std::array<const char*, 5> separators = {" ", "  ", "\t", " \t ", "   "};
    std::string text;
    int on_line = 0;
    int per_line = d.between(3, 10);
    for (int reading : r) {
        const char* separator = "";
        if (on_line == per_line) {
            text += line_end;
            on_line = 0;
        } else if (on_line > 0) {
            separator = separators[static_cast<std::size_t>(d.below(5))];
        }
        std::string written = notation(reading, d);
        if (abutting && *separator != '\0' && written[0] == '+' && d.one_in(2))
            separator = "";
        text += separator + written;
        ++on_line;
    }
    return text + line_end;
}

void write_file(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out.flush())
        throw std::runtime_error("cannot write " + path);
}

std::string entry_name(int index, dice& d)
{
    static const std::array<const char*, 4> prefixes = {"QA", "QC", "PX", "RT"};
    static const std::array<const char*, 4> lines = {"lineA-", "lineB-", "lineC-", "retest-lineD-night-"};
    return prefixes[static_cast<std::size_t>(d.below(4))] + synthetic_date + "_" +
           lines[static_cast<std::size_t>(d.below(4))] + std::to_string(index);
}

}  // namespace

void write_synthetic_day(const std::string& dir, int records, std::uint64_t seed, bool abutting)
{
    dice d(seed);
    std::string list;
    std::array<int, 32> last_outside{};
    for (int index = 0; index < records; ++index) {
        std::string entry = entry_name(index, d);
        const char* line_end = d.one_in(4) ? "\r\n" : "\n";
        bool outside = d.one_in(20);
        std::array<int, 32> r = readings(outside, d);
        // Now and then the very readings of an earlier record, so that the
        // report has ties for its stable order to keep.
        if (outside && last_outside[0] != 0 && d.one_in(4))
            r = last_outside;
        if (outside)
            last_outside = r;
        std::string trailer = d.one_in(10) ? std::string("# end of record") + line_end : "";
        write_file(dir + entry + ".recheck",
                   header(entry, index, line_end) + "RECHECK" + line_end + body(r, line_end, abutting, d) + trailer);

        while (d.one_in(5)) {
            std::string other = entry_name(index, d);
            other.replace(2, 8, d.one_in(2) ? "20181218" : "20181220");
            list += other + " ";
        }
        list += entry + (d.one_in(3) ? "\n" : d.one_in(2) ? " \t" : " ");
    }
    write_file(dir + "resultlist.txt", list);
}
