#include "byte_reader.h"
#include "check_RT.h"

#include <algorithm>
#include <cfenv>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <locale>
#include <sstream>
#include <string>
#include <system_error>

// Every sum, product and quotient here, and the single rounding that scaled
// relies on, must be rounded once, straight to a double.
// Where the compiler evaluates in a wider format (the x87 unit), it is not.
static_assert(FLT_EVAL_METHOD == 0, "doubles must be evaluated as doubles (on 32-bit x86: -msse2 -mfpmath=sse)");
// Where the compiler says that it may round otherwise (g++ for fast-math and
// each of its parts, clang++ for some), the analysis does not compile.
// __FINITE_MATH_ONLY__ is tested for its value: compilers define it as 0
// when finite math is off, so defined() would refuse every build.
#if defined(__FAST_MATH__) || __FINITE_MATH_ONLY__ || defined(__ASSOCIATIVE_MATH__) || \
    defined(__RECIPROCAL_MATH__) || defined(__NO_SIGNED_ZEROS__)
#error "fast-math style flags let the compiler round otherwise than IEEE doubles do: build without -ffast-math, -Ofast or any of their parts"
#endif

namespace {

constexpr int header_lines = 33;
constexpr int readings_per_record = 32;
// No decimal number a person or instrument writes comes near this.
constexpr std::size_t longest_reading = 4096;
// How much of a bad reading a diagnostic shows.
constexpr std::size_t shown_reading = 40;

// The record is left out of the report for reason; but a file that cannot be
// read, or is no regular file, is named for that, whatever its bytes looked
// like.
analysis left_out(byte_reader& in, std::string reason)
{
    if (std::string failure = in.failure(); !failure.empty())
        reason = std::move(failure);
    return {verdict::left_out, {}, std::move(reason)};
}

std::string quoted(std::string_view word)
{
    std::string text = "'" + printable(word.substr(0, shown_reading));
    return text + (word.size() > shown_reading ? "...'" : "'");
}

// The bytes of the white-space-delimited word that stand before offset at,
// none of them before from, as many as a diagnostic shows: the readings
// written against a bad one. They are read from the file again, since the
// reader's buffer may have moved past them; if that fails, there is no word,
// since part of one would show a word that the file does not hold.
std::string word_before(const byte_reader& in, off_t from, off_t at)
{
    off_t start = at;
    char before[512];
    while (start > from) {
        auto count = static_cast<std::size_t>(std::min<off_t>(sizeof before, start - from));
        if (in.reread(start - static_cast<off_t>(count), before, count) != count)
            return {};
        std::size_t kept = count;
        while (kept > 0 && !is_space(before[kept - 1]))
            --kept;
        start -= static_cast<off_t>(count - kept);
        if (kept > 0)
            break;
    }
    std::string word(static_cast<std::size_t>(std::min<off_t>(at - start, shown_reading + 1)), '\0');
    if (in.reread(start, word.data(), word.size()) != word.size())
        return {};
    return word;
}

// What a diagnostic shows of a bad reading that starts at offset at: its
// text, and the whole word if readings stand against it, since the word is
// what the file shows.
std::string shown(const byte_reader& in, off_t from, off_t at, std::string_view text)
{
    std::string word = word_before(in, from, at);
    if (word.empty())
        return quoted(text);
    return quoted(text) + " in " + quoted(word.append(text.substr(0, shown_reading + 1)));
}

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

// Accepts, byte by byte, what the classic stream's extraction of a double
// takes: an optional sign, digits with at most one decimal point, then, once
// a digit has been seen, e or E with an optional sign and digits. The run
// ends at the first byte that cannot go on with it, white space or not, so
// that numbers written without a blank between them (320.5-12.25) are two.
class number_run {
public:
    bool operator()(char c)
    {
        bool sign_allowed = at_start_ || after_exponent_mark_;
        at_start_ = after_exponent_mark_ = false;
        if (is_digit(c))
            return digit_ = true;
        if (c == '+' || c == '-')
            return sign_allowed;
        if (c == '.' && !point_ && !exponent_)
            return point_ = true;
        if ((c == 'e' || c == 'E') && digit_ && !exponent_)
            return exponent_ = after_exponent_mark_ = true;
        return false;
    }

private:
    bool at_start_ = true;
    bool after_exponent_mark_ = false;
    bool digit_ = false;
    bool point_ = false;
    bool exponent_ = false;
};

// The powers of ten that doubles hold exactly.
constexpr double exact_powers_of_ten[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                          1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                          1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int largest_exact_power = 22;
constexpr std::uint64_t largest_exact_integer = std::uint64_t{1} << 53;
// Fewer than 10^19 < 2^64: every such integer fits the digits' 64 bits.
constexpr int most_exact_digits = 19;

// digits * 10^power for digits of at most 2^53 and power within 22 of 0: both
// are exact doubles, so one multiplication or division rounds the decimal
// once, correctly.
double scaled(std::uint64_t digits, std::ptrdiff_t power, bool negative)
{
    double magnitude = static_cast<double>(digits);
    magnitude = power < 0 ? magnitude / exact_powers_of_ten[-power] : magnitude * exact_powers_of_ten[power];
    return negative ? -magnitude : magnitude;
}

// Reads [p, last) itself when it is a number as a whole of at most 19
// significant digits that make at most 2^53, times 10^-22 to 10^22: those
// from_chars works out in floating point, the rest in integers. A library
// built for the x87 unit (libstdc++ on 32-bit x86) rounds them twice, to the
// unit's 64 bits and then to a double. Answers false to leave the run to
// from_chars.
bool exact_reading(const char* p, const char* last, double& value)
{
    bool negative = p != last && *p == '-';
    p += negative;
    std::uint64_t digits = 0;
    int significant_digits = 0;
    bool any_digit = false;
    bool point = false;
    std::int64_t power = 0;  // as many fraction digits as the run holds, on every build
    for (; p != last && (is_digit(*p) || *p == '.'); ++p) {
        if (*p == '.') {
            point = true;
            continue;
        }
        any_digit = true;
        if (point)
            --power;
        if (digits == 0 && *p == '0')
            continue;
        if (++significant_digits > most_exact_digits)
            return false;
        digits = digits * 10 + static_cast<std::uint64_t>(*p - '0');
    }
    if (!any_digit || digits > largest_exact_integer)
        return false;
    if (p != last && (*p == 'e' || *p == 'E')) {
        ++p;
        bool negative_exponent = p != last && *p == '-';
        if (p != last && (*p == '-' || *p == '+'))
            ++p;
        if (p == last)
            return false;
        // Leading zeros add nothing; once the exponent is past the largest
        // that can bring the power within range, the run is left to from_chars.
        std::int64_t largest_exponent = negative_exponent ? largest_exact_power + power : largest_exact_power - power;
        std::int64_t exponent = 0;
        for (; p != last && is_digit(*p); ++p) {
            exponent = exponent * 10 + (*p - '0');
            if (exponent > largest_exponent)
                return false;
        }
        power += negative_exponent ? -exponent : exponent;
    }
    if (p != last || power < -largest_exact_power || power > largest_exact_power)
        return false;
    value = scaled(digits, static_cast<std::ptrdiff_t>(power), negative);
    return true;
}

// A number_run must make a number as a whole: "5e", "-" or "." do not.
// from_chars takes no '+'; a run holds no "inf" or "nan". Answers std::errc()
// for a number, or else why not, as from_chars does.
std::errc parse_reading(std::string_view run, double& value)
{
    const char* first = run.data() + (!run.empty() && run[0] == '+');
    const char* last = run.data() + run.size();
    if (exact_reading(first, last, value))
        return std::errc();
    auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() && ec != std::errc::result_out_of_range)
        return ec;
    if (end != last)
        return std::errc::invalid_argument;
    if (ec == std::errc::result_out_of_range) {
        // Too small to represent rounds to zero, as the decimal says; too
        // large has no value at all. The classic stream tells which, whatever
        // the process's locale.
        std::istringstream exact(std::string(first, last));
        exact.imbue(std::locale::classic());
        if (!(exact >> value))
            return ec;
    }
    return std::errc();
}

// What a diagnostic says of a reading that from_chars refused.
std::string why_refused(std::errc ec)
{
    if (ec == std::errc::invalid_argument)
        return " is not a number: ";
    if (ec == std::errc::result_out_of_range)
        return " is out of range: ";
    return " cannot be converted (" + std::make_error_code(ec).message() + "): ";
}

// Below 2^53, so that every integer of this many digits is an exact double.
constexpr int most_plain_digits = 15;
constexpr int most_plain_exponent_digits = 3;

// Parses a reading straight out of the buffer, in the same pass that finds it,
// when it is of the common kind: white space, an optional sign, at most 15
// digits with an optional point, an optional exponent of at most 3 digits, and
// white space after it in text. Its digits then make an exact integer and its
// scale an exact power of ten, so that one multiplication or division rounds
// the decimal once, correctly: the very double parse_reading gives. Answers
// the bytes taken up to the reading's end, or 0 to leave the reading to
// number_run and parse_reading. text must be followed by three NUL bytes
// (byte_reader::unread is): every loop stops at the first.
std::size_t plain_reading_bytes(std::string_view text, double& value)
{
    const char* p = text.data();
    // Separators are one to three bytes long, in no order: looking at three
    // bytes together costs less than a branch that mispredicts so often.
    bool first = is_space(p[0]);
    bool second = first & is_space(p[1]);
    bool third = second & is_space(p[2]);
    p += first + second + third;
    while (is_space(*p))
        ++p;
    bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;

    std::uint64_t digits = 0;
    const char* first_digit = p;
    for (; is_digit(*p); ++p)
        digits = digits * 10 + static_cast<std::uint64_t>(*p - '0');
    std::ptrdiff_t digit_count = p - first_digit;
    std::ptrdiff_t fraction_digits = 0;
    if (*p == '.') {
        const char* first_fraction = ++p;
        for (; is_digit(*p); ++p)
            digits = digits * 10 + static_cast<std::uint64_t>(*p - '0');
        fraction_digits = p - first_fraction;
        digit_count += fraction_digits;
    }
    if (digit_count == 0 || digit_count > most_plain_digits)
        return 0;

    std::ptrdiff_t exponent = 0;
    if (*p == 'e' || *p == 'E') {
        ++p;
        bool negative_exponent = *p == '-';
        if (*p == '-' || *p == '+')
            ++p;
        const char* first_exponent_digit = p;
        while (is_digit(*p))
            ++p;
        std::ptrdiff_t exponent_digits = p - first_exponent_digit;
        if (exponent_digits == 0 || exponent_digits > most_plain_exponent_digits)
            return 0;
        for (const char* digit = first_exponent_digit; digit != p; ++digit)
            exponent = exponent * 10 + (*digit - '0');
        if (negative_exponent)
            exponent = -exponent;
    }
    if (!is_space(*p))
        return 0;

    std::ptrdiff_t power = exponent - fraction_digits;
    if (power < -largest_exact_power || power > largest_exact_power)
        return 0;
    value = scaled(digits, power, negative);
    return static_cast<std::size_t>(p - text.data());
}

// The verdict on a record read in full, with its statistics when it is
// outside. It is inside the window only if every reading is strictly inside;
// only then are the mean and deviation not needed.
analysis verdict_on(const double (&readings)[readings_per_record], double lower, double upper)
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

    double mean = sum / readings_per_record;
    double sum_of_squares = 0.0;
    for (double reading : readings) {
        double d = reading - mean;
        sum_of_squares = sum_of_squares + d * d;
    }
    double std_dev = std::sqrt(sum_of_squares / (readings_per_record - 1));
    if (!std::isfinite(mean) || !std::isfinite(std_dev))
        return {verdict::left_out, {}, "readings too large for the statistics"};
    return {verdict::outside, {minimum, maximum, mean, std_dev}, {}};
}

analysis read_record(byte_reader& in, double lower, double upper)
{
    if (!in.skip_lines(header_lines))
        return left_out(in, "fewer than " + std::to_string(header_lines) + " header lines");
    if (!in.next_word(0))
        return left_out(in, "no tag after the header");
    off_t readings_start = in.tell();

    double readings[readings_per_record];
    for (int i = 0; i < readings_per_record; ++i) {
        if (std::size_t taken = plain_reading_bytes(in.unread(), readings[i])) {
            in.take(taken);
            continue;
        }
        if (!in.skip_space())
            return left_out(in, "only " + std::to_string(i) + " of " + std::to_string(readings_per_record) +
                                    " readings");
        off_t at = in.tell();
        auto bad_reading = [&](const std::string& what, std::string_view text) {
            return left_out(in, "reading " + std::to_string(i + 1) + what + shown(in, readings_start, at, text));
        };
        byte_reader::run number = in.take_run(longest_reading, number_run{});
        if (number.length > longest_reading)
            return bad_reading(" is too long: ", number.kept);
        std::errc parsed = parse_reading(number.kept, readings[i]);
        if (parsed == std::errc() && i + 1 < readings_per_record)
            continue;
        // Show the text where the number was expected, up to white space.
        std::string text(number.kept);
        byte_reader::run rest = in.take_run(shown_reading + 1, [](char c) { return !is_space(c); });
        // No reading comes after the last to find what is glued to it: its word must end with it.
        if (parsed == std::errc() && rest.length == 0)
            continue;
        text += rest.kept;
        return bad_reading(parsed == std::errc() ? " is not a number: " : why_refused(parsed), text);
    }
    if (in.failed())
        return left_out(in, {});
    return verdict_on(readings, lower, upper);
}

}  // namespace

analysis analyse_record(const std::string& path, double lower, double upper)
{
    if (path.find('\0') != std::string::npos)
        return {verdict::left_out, {}, "file name holds a NUL byte"};
    byte_reader in(path);
    if (in.failed())
        return left_out(in, {});
    return read_record(in, lower, upper);
}

std::string restore_ieee_arithmetic()
{
    std::fesetenv(FE_DFL_ENV);
    // Read at run time, so that the compiler cannot work the tests out.
    volatile double smallest_normal = DBL_MIN;
    volatile double one = 1.0;
    // Half the smallest normal number, scaled back up: zero where results
    // below it are flushed, or where such numbers are read as zero.
    if (smallest_normal / 2 * 0x1p1000 != 0x1p-23)
        return "the processor flushes numbers below 2^-1022 to zero (as a link with -ffast-math, -Ofast or "
               "-mdaz-ftz makes it do) and cannot be set back: the report would be wrong";
    // Three quarters of the last place, on either side of zero, round away
    // from it only when rounding to nearest.
    if (one + 0x1.8p-53 != 1 + 0x1p-52 || -one - 0x1.8p-53 != -1 - 0x1p-52)
        return "the processor does not round to nearest and cannot be set to: the report would be wrong";
    return {};
}
