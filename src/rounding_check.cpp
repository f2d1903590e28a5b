// Run by the build before anything uses the record analysis. A compiler flag
// that lets the compiler round otherwise than IEEE doubles do (fast-math or
// one of its parts, flush to zero) builds without a word and then prints wrong
// reports; so this analyses records whose answers such a build gets wrong,
// with the tool's own code and flags, and fails the build if any is wrong.
// Usage: rounding_check DIR (where it writes its records)
#include "check_RT.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

// A way of computing the statistics otherwise than they are written, and
// the flags that let a compiler take it.
struct transformation {
    const char* what;
    const char* flags;
};

constexpr transformation overflow_assumed_away{
    "overflow to infinity is assumed away", "-ffinite-math-only or -fno-honor-infinities"};
constexpr transformation flush_to_zero{
    "numbers below 2^-1022 are flushed to zero",
    "-ffast-math, -Ofast or -mdaz-ftz when linking, which set the processor's flush-to-zero mode"};
// clang++ shows -fassociative-math, -freciprocal-math and -fno-signed-zeros
// in no macro, so where configure cannot see them this is their only guard.
constexpr transformation signed_zero_ignored{"the sign of zero is ignored", "-fno-signed-zeros"};
constexpr transformation readings_reassociated{
    "the readings are summed in another order",
    "-fassociative-math, which clang++ applies only together with -fno-signed-zeros and -fno-trapping-math"};
constexpr transformation squares_reassociated{"the squared deviations are summed in another order",
                                              readings_reassociated.flags};
constexpr transformation reciprocal_of_power{
    "a reading's division by a power of ten becomes a multiplication by its reciprocal", "-freciprocal-math"};

struct hard_case {
    const char* name;
    const transformation& caught;
    std::string readings;
    analysis expected;
    const transformation* also_caught = nullptr;
};

std::string repeated(int n, const std::string& reading)
{
    std::string text;
    for (int i = 0; i < n; ++i)
        text += reading + "\n";
    return text;
}

std::string record(const std::string& readings)
{
    return repeated(33, "header") + "TAG\n" + readings;
}

// The same answer to the last bit, the sign of a zero included.
bool same(const analysis& a, const analysis& b)
{
    return a.outcome == b.outcome && a.reason == b.reason &&
           (a.outcome != verdict::outside || std::memcmp(&a.stats, &b.stats, sizeof a.stats) == 0);
}

// Built from its bits: a build that ignores the sign of zero may drop it
// from a literal -0.0 as it may from a reading.
double negative_zero()
{
    const std::uint64_t sign = std::uint64_t{1} << 63;
    double zero;
    std::memcpy(&zero, &sign, sizeof zero);
    return zero;
}

void print(const char* what, const analysis& a)
{
    const statistics& s = a.stats;
    if (a.outcome == verdict::outside)
        std::fprintf(stderr, "  %s %a %a %a %a\n", what, s.minimum, s.maximum, s.mean, s.std_dev);
    else
        std::fprintf(stderr, "  %s %s\n", what, a.outcome == verdict::inside ? "inside" : a.reason.c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: rounding_check DIR\n");
        return 2;
    }
    // A fault that makes the analysis loop must fail the build, not hang it.
    alarm(60);
    const std::string tiny = "1e-310";
    const double tiny_value = 0x0.012688b70e62bp-1022;
    const double deviation_first = 0x1.c41fc37004afep+5;
    const double deviation_middle = 0x1.c41fc37004afcp+5;
    const hard_case cases[] = {
        {"32 readings of 1e308", overflow_assumed_away, repeated(32, "1e308"),
         {verdict::left_out, {}, "readings too large for the statistics"}},
        {"32 readings of 1e-310", flush_to_zero, repeated(32, tiny),
         {verdict::outside, {tiny_value, tiny_value, tiny_value, 0.0}, {}}},
        {"31 readings of 1e-05, one of 1.0000000000000001e-05", readings_reassociated,
         repeated(31, "1e-05") + "1.0000000000000001e-05",
         {verdict::outside, {0x1.4f8b588e368f1p-17, 0x1.4f8b588e368f1p-17, 0x1.4f8b588e368f4p-17, 0x1.8624f6c0a4dbbp-68}, {}}},
        {"0.3 first, 31 readings of 320", squares_reassociated, "0.3\n" + repeated(31, "320"),
         {verdict::outside, {0.3, 320.0, 0x1.3602666666666p+8, deviation_first}, {}}, &reciprocal_of_power},
        {"0.3 in the middle of 320s", squares_reassociated, repeated(16, "320") + "0.3\n" + repeated(15, "320"),
         {verdict::outside, {0.3, 320.0, 0x1.3602666666666p+8, deviation_middle}, {}}, &reciprocal_of_power},
        {"32 readings of 0.3", readings_reassociated, repeated(32, "0.3"),
         {verdict::outside, {0.3, 0.3, 0x1.3333333333334p-2, 0x1.0418a4806de7dp-54}, {}}, &reciprocal_of_power},
        {"32 readings of -0", signed_zero_ignored, repeated(32, "-0"),
         {verdict::outside, {negative_zero(), negative_zero(), 0.0, 0.0}, {}}},
    };
    bool ok = true;
    const std::string path = std::string(argv[1]) + "/hard-case.recheck";
    for (const hard_case& c : cases) {
        if (!(std::ofstream(path) << record(c.readings))) {
            std::fprintf(stderr, "rounding_check: cannot write %s\n", path.c_str());
            return 2;
        }
        analysis got = analyse_record(path, window_lower, window_upper);
        if (same(got, c.expected))
            continue;
        std::fprintf(stderr, "rounding_check: %s: wrong, as when %s (%s)", c.name, c.caught.what, c.caught.flags);
        if (c.also_caught)
            std::fprintf(stderr, " or when %s (%s)", c.also_caught->what, c.also_caught->flags);
        std::fprintf(stderr, "\n");
        print("got ", got);
        print("want", c.expected);
        ok = false;
    }
    std::remove(path.c_str());
    if (!ok)
        std::fprintf(stderr,
                     "rounding_check: this build does not round as IEEE doubles do, so check_RT would print "
                     "wrong numbers. Take the flags named above out of wherever they reach the compiler or "
                     "the linker (CMAKE_CXX_FLAGS and the other flag variables, a response file, a compiler "
                     "or linker launcher, a parent project's compile options, CCC_OVERRIDE_OPTIONS), then "
                     "build again.\n");
    return ok ? 0 : 1;
}
