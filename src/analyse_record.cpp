#include "byte_reader.h"
#include "check_RT.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

namespace {

constexpr int header_lines = 33;
constexpr int readings_per_record = 32;
// No decimal number a person or instrument writes comes near this.
constexpr std::size_t longest_reading = 4096;
// How much of a bad reading a diagnostic shows.
constexpr std::size_t shown_reading = 40;

analysis unreadable(const byte_reader& in, std::string reason)
{
    if (in.error() != 0)
        reason = std::strerror(in.error());
    return {verdict::unreadable, {}, std::move(reason)};
}

std::string quoted(std::string_view word)
{
    std::string text = "'" + printable(word.substr(0, shown_reading));
    return text + (word.size() > shown_reading ? "...'" : "'");
}

enum class parse_result { ok, not_a_number, out_of_range };

// Accepts what the classic stream reads as a whole number word: an optional
// sign, digits with an optional point, an optional exponent. from_chars takes
// no '+', and takes "inf" and "nan", which are no readings.
parse_result parse_reading(std::string_view word, double& value)
{
    bool signed_word = word[0] == '+' || word[0] == '-';
    if (word.size() == std::size_t{signed_word} ||
        !(std::isdigit(static_cast<unsigned char>(word[signed_word])) || word[signed_word] == '.'))
        return parse_result::not_a_number;
    const char* first = word.data() + (word[0] == '+');
    const char* last = word.data() + word.size();
    auto [end, ec] = std::from_chars(first, last, value);
    if (end != last)
        return parse_result::not_a_number;
    if (ec == std::errc::result_out_of_range) {
        // Too small to represent rounds to zero, as the decimal says;
        // too large has no value at all. strtod tells which it is.
        double rounded = std::strtod(std::string(first, last).c_str(), nullptr);
        if (std::isinf(rounded))
            return parse_result::out_of_range;
        value = rounded;
    }
    return parse_result::ok;
}

// The record is inside the window only if every reading is strictly inside;
// only then are the mean and deviation not needed.
analysis statistics_of(const double (&readings)[readings_per_record], double lower, double upper)
{
    double sum = 0.0;
    double minimum = readings[0];
    double maximum = readings[0];
    for (double reading : readings) {
        sum = sum + reading;
        if (reading < minimum)
            minimum = reading;
        if (reading > maximum)
            maximum = reading;
    }
    if (minimum > lower && maximum < upper)
        return {verdict::inside, {}, {}};

    double mean = sum / 32.0;
    double acc = 0.0;
    for (double reading : readings) {
        double d = reading - mean;
        acc = acc + d * d;
    }
    double std_dev = std::sqrt(acc / 31.0);
    if (!std::isfinite(mean) || !std::isfinite(std_dev))
        return {verdict::unreadable, {}, "readings too large for the statistics"};
    return {verdict::outside, {minimum, maximum, mean, std_dev}, {}};
}

analysis read_record(byte_reader& in, double lower, double upper)
{
    std::size_t length = 0;
    if (!in.skip_lines(header_lines))
        return unreadable(in, "fewer than 33 header lines");
    in.next_word(0, length);
    if (length == 0)
        return unreadable(in, "no tag after the header");

    double readings[readings_per_record];
    for (int i = 0; i < readings_per_record; ++i) {
        std::string_view word = in.next_word(longest_reading, length);
        auto bad = [&](const char* what) {
            return unreadable(in, "reading " + std::to_string(i + 1) + what + quoted(word));
        };
        if (length == 0)
            return unreadable(in, "only " + std::to_string(i) + " of 32 readings");
        if (length > longest_reading)
            return bad(" is too long: ");
        switch (parse_reading(word, readings[i])) {
        case parse_result::ok:
            break;
        case parse_result::not_a_number:
            return bad(" is not a number: ");
        case parse_result::out_of_range:
            return bad(" is out of range: ");
        }
    }
    if (in.error() != 0)
        return unreadable(in, {});
    return statistics_of(readings, lower, upper);
}

}  // namespace

analysis analyse_record(const std::string& path, double lower, double upper)
{
    if (path.find('\0') != std::string::npos)
        return {verdict::unreadable, {}, "file name holds a NUL byte"};
    byte_reader in(path);
    if (in.error() != 0)
        return unreadable(in, {});
    return read_record(in, lower, upper);
}
