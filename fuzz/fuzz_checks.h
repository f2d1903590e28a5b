// What both fuzz targets hold the tool's answers to.
#ifndef CHECK_RT_FUZZ_CHECKS_H
#define CHECK_RT_FUZZ_CHECKS_H

#include "byte_reader.h"
#include "check_RT.h"

#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

// A broken property is a finding: libFuzzer keeps the input that did it.
inline void require(bool holds, const char* property)
{
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n", property);
        std::abort();
    }
}

// White space to put where other white space was: the i-th of a text in its
// variant, 0 a line feed every time, 1 a mix of every kind.
inline const char* other_white_space(std::size_t i, int variant)
{
    static const char* const mixed[] = {" ", "\t", "\r\n", "\v\f", "  \n\n", "\n\r \t"};
    return variant == 0 ? "\n" : mixed[i % (sizeof mixed / sizeof mixed[0])];
}

// Statistics a record may be reported with. The sum runs in file order in
// doubles, so the mean may stray from [minimum, maximum] by the rounding of 31
// additions: at most 31 * (DBL_EPSILON / 2) * 32 * M for the sum, where M is
// the largest magnitude, hence 15.5 * DBL_EPSILON * M for the mean (the
// division by 32 is exact). 32 readings of 0.1, for one, come to a mean 3 ulps
// above 0.1. The tolerance doubles that bound.
inline void check_statistics(const statistics& s)
{
    require(std::isfinite(s.minimum) && std::isfinite(s.maximum) && std::isfinite(s.mean) &&
                std::isfinite(s.std_dev),
            "reported statistics are finite");
    double tolerance = 32 * DBL_EPSILON * std::fmax(std::fabs(s.minimum), std::fabs(s.maximum));
    require(s.minimum <= s.maximum, "minimum <= maximum");
    require(s.minimum - tolerance <= s.mean && s.mean <= s.maximum + tolerance,
            "minimum <= mean <= maximum, to the rounding of the sum");
    require(s.std_dev >= 0, "standard deviation >= 0");
}

// The same numbers to the last bit.
inline bool same_statistics(const statistics& a, const statistics& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// A diagnostic holds no control byte that could act on a terminal, C0 or C1,
// raw or as a UTF-8 character, and each backslash begins an escape \xHH.
inline bool printable_line(std::string_view line)
{
    auto byte = [&](std::size_t i) { return i < line.size() ? static_cast<unsigned char>(line[i]) : 0; };
    for (std::size_t i = 0; i < line.size(); ++i) {
        unsigned char c = byte(i);
        if (c < 0x20 || c == 0x7f || (c == 0xc2 && byte(i + 1) >= 0x80 && byte(i + 1) <= 0x9f))
            return false;
        // A byte 0x80 to 0x9f can only continue a character begun by a lead byte.
        if (c >= 0x80 && c <= 0x9f && !(i > 0 && byte(i - 1) >= 0x80))
            return false;
        if (c == '\\' && !(byte(i + 1) == 'x' && std::isxdigit(byte(i + 2)) && std::isxdigit(byte(i + 3))))
            return false;
    }
    return true;
}

#endif
