// Analyses records whose answers a compiler rounding otherwise than IEEE
// doubles do gets wrong (fast-math or one of its parts, fused multiply-adds,
// flush to zero), or a C++ library that reads decimals otherwise, with the
// tool's own code as it was compiled. The build runs it before anything links
// the analysis, wherever it can run what it builds; elsewhere it is run on the
// target. The flags may reach the compiler where no build file shows them: a
// launcher, CCC_OVERRIDE_OPTIONS, a parent project.
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
// the flags that let a compiler take it, or the library that takes it.
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
constexpr transformation reciprocal_of_31{"the division by 31 becomes a multiplication by 1/31",
                                          "-freciprocal-math"};
constexpr transformation reciprocal_of_power{
    "a reading's division by a power of ten becomes a multiplication by its reciprocal", "-freciprocal-math"};
constexpr transformation fused_squares{
    "each squared deviation is fused into the sum, rounded once (a fused multiply-add)",
    "-ffp-contract=fast or =on (clang++'s -ffp-model=precise sets =on) with an FMA unit (-mfma, "
    "-march=...), given after the project's -ffp-contract=off; or a build without that flag for a "
    "processor with FMA (arm64, where g++ fuses by default)"};
// check_RT reads itself the readings that std::from_chars works out in
// floating point, which a library built for the x87 unit rounds twice.
constexpr transformation decimal_rounded_twice{
    "a decimal reading is rounded twice, to 64 bits and then to a double",
    "no flag: a C++ library whose std::from_chars computes in the x87 unit of 32-bit x86"};

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
    const double huge_reading = 0x1.2c639486d50b5p+86;
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
        // Each of these goes wrong in its own way of rounding and in none of the
        // others, so that the message names the way this build took.
        {"2 readings of 344.226, 30 of 329.096", readings_reassociated, repeated(2, "344.226") + repeated(30, "329.096"),
         {verdict::outside, {0x1.49189374bc6a8p+8, 0x1.5839db22d0e56p+8, 0x1.4a0aa7ef9db1ep+8, 0x1.dc4975e1ad66p+1}, {}}},
        {"344.1, 31 readings of 317.25", squares_reassociated, "344.1\n" + repeated(31, "317.25"),
         {verdict::outside, {0x1.3d4p+8, 0x1.581999999999ap+8, 0x1.3e16ccccccccdp+8, 0x1.2fc5e82005b61p+2}, {}}},
        {"342.937, 31 readings of 324.607", reciprocal_of_31, "342.937\n" + repeated(31, "324.607"),
         {verdict::outside, {0x1.449b645a1cac1p+8, 0x1.56efdf3b645a2p+8, 0x1.452e083126e98p+8, 0x1.9ec2b3a391f34p+1}, {}}},
        {"314.977, 31 readings of 323.393", reciprocal_of_power, "314.977\n" + repeated(31, "323.393"),
         {verdict::outside, {0x1.3afa1cac08312p+8, 0x1.43649ba5e353fp+8, 0x1.432147ae147aep+8, 0x1.7cdd5bdbf3196p+0}, {}}},
        // The squares whose fusing shows stand at both ends, so that a build
        // that fuses only the first two or more, or only the last two or more,
        // is caught as well.
        {"336.663 and 314.38 at each end, 28 readings of 331.875 between", fused_squares,
         "336.663\n314.38\n" + repeated(28, "331.875") + "314.38\n336.663\n",
         {verdict::outside, {0x1.3a6147ae147aep+8, 0x1.50a9ba5e353f8p+8, 0x1.4b14b020c49bap+8, 0x1.224ccaadb2a8fp+2}, {}}},
        // Rounded twice, the first reading comes out one bit above its double
        // and the second as 340, outside. The first, by its four exponent
        // digits and the missing line break, is read past the common
        // readings' quick path; the second, by its 20 digits, is left to
        // std::from_chars. Neither answer depends on the order of the sums or
        // on fused squares, so that only a reading rounded otherwise fails.
        {"32 readings of 90787e0021, the last without a line break", decimal_rounded_twice,
         repeated(31, "90787e0021") + "90787e0021",
         {verdict::outside, {huge_reading, huge_reading, huge_reading, 0.0}, {}}},
        {"32 readings of 339.99999999999997157", decimal_rounded_twice, repeated(32, "339.99999999999997157"),
         {verdict::inside, {}, {}}},
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
                     "wrong numbers. The causes named above are the usual ones, not the only ones: take "
                     "every flag that changes floating-point arithmetic out of wherever it reaches the "
                     "compiler or the linker (CMAKE_CXX_FLAGS and the other flag variables, a response "
                     "file, a compiler or linker launcher, a parent project's options, "
                     "CCC_OVERRIDE_OPTIONS), or build with a C++ library that reads decimals as the "
                     "nearest double; then build again.\n");
    return ok ? 0 : 1;
}
