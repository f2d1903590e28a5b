#include "check_RT.h"
#include "check_RT_settings.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <langinfo.h>
#include <locale.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

// AddressSanitizer reserves terabytes of address space before main.
#if defined(__SANITIZE_ADDRESS__)
#define UNDER_ADDRESS_SANITIZER
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define UNDER_ADDRESS_SANITIZER
#endif
#endif

namespace {

// text as one word for the shell, whatever bytes it holds.
std::string shell_word(std::string_view text)
{
    std::string word = "'";
    for (char c : text)
        word += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return word + "'";
}

const std::string demo = shell_word(DEMO_EXE);
const std::string e2e = shell_word(E2E_EXE);

struct run_result {
    int status;
    std::string out;
    std::string err;
};

// Runs command with standard error caught in tmp, and standard output too
// unless out_to sends it elsewhere (a shell redirection target such as /dev/full).
run_result run(const std::string& command, const temp_dir& tmp, const std::string& out_to = "")
{
    std::string out = out_to.empty() ? shell_word(tmp.dir() + "out") : out_to;
    int status = std::system((command + " >" + out + " 2>" + shell_word(tmp.dir() + "err")).c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out_to.empty() ? read_file(tmp.dir() + "out") : "",
            read_file(tmp.dir() + "err")};
}

// A locale whose decimal separator is a comma, or "" when the machine has none.
std::string decimal_comma_locale()
{
    const char* name = "de_DE.UTF-8";
    locale_t locale = newlocale(LC_ALL_MASK, name, nullptr);
    if (locale == nullptr)
        return "";
    bool comma = std::strcmp(nl_langinfo_l(RADIXCHAR, locale), ",") == 0;
    freelocale(locale);
    return comma ? name : "";
}

// The sample day's report as the demo prints it, and as README.md and the
// manual page show it.
TEST(EndToEnd, SampleDay)
{
    const std::string report = read_file(SOURCE_DIR "examples/expected-report.txt");
    const std::string readme = SOURCE_DIR "README.md";
    const std::string manual = SOURCE_DIR "man/check_RT.1.in";
    // The day's 20 record files take more descriptors than 8, unless each is
    // closed once read; the read buffers do not fit on a stack of 128 KiB.
    // README.md shows the report indented after "It prints"; the manual page
    // in its EXAMPLES, its hyphens escaped.
    for (const std::string& command :
         {demo, "(ulimit -n 8; " + demo + ")", "(ulimit -s 128; " + demo + ")",
          R"(awk '/^It prints/ {on = 1} on && /^    / {print substr($0, 5); shown = 1; next} shown {exit}' )" +
              shell_word(readme),
          R"(sed -n '/^\.SH EXAMPLES/,/^\.SH /{/^\.EX/,/^\.EE/{/^\.E[XE]/!{s/\\-/-/g;p}}}' )" + shell_word(manual)}) {
        SCOPED_TRACE(command);
        temp_dir tmp;
        run_result r = run(command, tmp);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out, report);
    }
}

// What the machine gets wrong is a failure, never a wrong report: an output
// that cannot be written or closed, a processor that rounds otherwise and
// cannot be set back (the preloaded faults), or start-up code that flushes
// tiny numbers to zero, which check_RT sets right and rounding_check sees.
TEST(EndToEnd, MachineFaultsAreFailures)
{
    std::filesystem::create_directories(FTZ_DIR);
    std::ofstream(FTZ_DIR "resultlist.txt") << "ab20181219_sub\n";
    std::ofstream(FTZ_DIR "ab20181219_sub.recheck") << record_text(with_reading("1e-310", 1));
    // AddressSanitizer wants its runtime loaded first, before a preload.
    const std::string faults = "ASAN_OPTIONS=verify_asan_link_order=0 LD_PRELOAD=" + shell_word(FAULTS);
    const std::string ftz = shell_word(FTZ_EXE);
    struct row {
        std::string command;
        std::string out_to;
        int status;
        std::string out;
        std::string err;  // its beginning
    };
    const std::vector<row> rows = {
        {demo, "/dev/full", 1, "", "check_RT: write error: No space left on device\n"},
        // "&-" makes the redirection ">&-": standard output closed.
        {demo, "&-", 1, "", "check_RT: write error: Bad file descriptor\n"},
        {"CHECK_RT_FAULT=close " + faults + " " + demo, "", 1, read_file(SOURCE_DIR "examples/expected-report.txt"),
         "check_RT: write error: Input/output error\n"},
        {"CHECK_RT_FAULT=upward " + faults + " " + demo, "", 1, "",
         "check_RT: the processor does not round to nearest and cannot be set to: the report would be wrong\n"},
        {ftz, "", 0, "sub: 1e-310 320 310 56.5685\n", ""},
        {faults + " " + ftz, "", 1, "", "check_RT: the processor flushes numbers below 2^-1022 to zero"},
        {shell_word(ROUNDING_CHECK_FTZ_EXE) + " " + shell_word(FTZ_DIR), "", 1, "",
         "rounding_check: 32 readings of 1e-310: wrong, as when numbers below 2^-1022 are flushed to zero"},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.command + " >" + r.out_to);
        temp_dir tmp;
        run_result got = run(r.command, tmp, r.out_to);
        EXPECT_EQ(got.status, r.status);
        EXPECT_EQ(got.out, r.out);
        EXPECT_EQ(got.err.substr(0, r.err.size()), r.err);
        EXPECT_EQ(got.err.empty(), r.err.empty());
    }
}

TEST(EndToEnd, SameBytesInADecimalCommaLocale)
{
    std::string locale = decimal_comma_locale();
    if (locale.empty())
        GTEST_SKIP() << "no de_DE.UTF-8 locale with a decimal comma here (Debian: locales, then locale-gen); "
                        "the locale is not checked";
    temp_dir tmp;
    std::string in_locale = "LC_ALL=" + locale + " " + demo;
    run_result r = run(in_locale, tmp);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, read_file(SOURCE_DIR "examples/expected-report.txt"));
    run_result full = run(in_locale, tmp, "/dev/full");
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.err, "check_RT: write error: No space left on device\n");
}

// The one test that owns the executable's compiled-in directory.
TEST(EndToEnd, FailuresAreReportedAndNothingIsLost)
{
    temp_dir tmp;
    const std::string day = CHECK_RT_DATA_DIR;
    const std::string in_day = "check_RT: " + printable(day);
    std::filesystem::remove_all(day);
    run_result missing = run(e2e, tmp);
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, in_day + "resultlist.txt: No such file or directory\n");

    std::filesystem::create_directories(day);
    auto write = [&](const std::string& name, const std::string& text) {
        std::ofstream(day + name, std::ios::binary) << text;
    };
    write("resultlist.txt", "ab20181219_wide ab20181219_gone\nab20181219_short ab20181219_x");
    write("ab20181219_wide.recheck", record_text(counting_readings(300)));
    write("ab20181219_short.recheck", record_text("1 2 3"));
    write("ab20181219_x.recheck", record_text(counting_readings(0)));
    // Arguments change nothing but a line in front that says what the build reports.
    const std::string ignored = "check_RT: arguments are ignored: this build reports 20181219 from " +
                                printable(day) + "\n";
    for (const auto& [arguments, first_line] :
         {std::pair<std::string, std::string>{"", ""}, {" 20181220 --help", ignored}}) {
        SCOPED_TRACE(arguments);
        run_result damaged = run(e2e + arguments, tmp);
        EXPECT_EQ(damaged.status, 1);
        EXPECT_EQ(damaged.out, "wide: 300 331 315.5 9.38083\nx: 0 31 15.5 9.38083\n");
        EXPECT_EQ(damaged.err, first_line + in_day + "ab20181219_gone.recheck: No such file or directory\n" +
                                   in_day + "ab20181219_short.recheck: only 3 of 32 readings\n");
    }

    // A hostile list cannot act on the terminal through standard error; the report keeps its label as it is.
    write("resultlist.txt", "ab20181219_\x1b]0;owned\a ab20181219_\x1b[1mbold\x7f ab20181219_\x1b[8m");
    write("ab20181219_\x1b[1mbold\x7f.recheck", record_text(counting_readings(0)));
    write("ab20181219_\x1b[8m.recheck", record_text("3\x1b[2J " + counting_readings(0)));
    run_result hostile = run(e2e, tmp);
    EXPECT_EQ(hostile.status, 1);
    EXPECT_EQ(hostile.out, "\x1b[1mbold\x7f: 0 31 15.5 9.38083\n");
    EXPECT_EQ(hostile.err,
              in_day + "ab20181219_\\x1b]0;owned\\x07.recheck: No such file or directory\n" +
                  in_day + "ab20181219_\\x1b[8m.recheck: reading 2 is not a number: '\\x1b[2J' in '3\\x1b[2J'\n");

    // With standard input closed, the list is opened as descriptor 0.
    std::filesystem::remove(day + "resultlist.txt");
    ASSERT_EQ(mkfifo((day + "resultlist.txt").c_str(), 0600), 0);
    run_result fifo = run(e2e + " <&-", tmp);
    EXPECT_EQ(fifo.status, 1);
    EXPECT_EQ(fifo.out, "");
    EXPECT_EQ(fifo.err, in_day + "resultlist.txt: is a FIFO, not a regular file\n");
    std::filesystem::remove(day + "resultlist.txt");

    write("resultlist.txt", "ab20181219_x\n");
    for (const auto& [arguments, err] : {std::pair<std::string, std::string>{"", ""}, {" -", ignored}}) {
        SCOPED_TRACE(arguments);
        run_result clean = run(e2e + arguments, tmp);
        EXPECT_EQ(clean.status, 0);
        EXPECT_EQ(clean.out, "x: 0 31 15.5 9.38083\n");
        EXPECT_EQ(clean.err, err);
    }

    // Reported records are held until the report is written, about 100 bytes
    // each: 100000 of them and the program do not fit in 16 MiB. The plain
    // build checks it; under AddressSanitizer, which cannot run under
    // ulimit -v, the rest of this test still runs and counts.
#ifndef UNDER_ADDRESS_SANITIZER
    const std::string entry = "ab20181219_twenty-three-characters";
    write(entry + ".recheck", record_text(counting_readings(0)));
    write("resultlist.txt", repeated_readings(100000, entry));
    run_result exhausted = run("(ulimit -v 16384; " + e2e + ")", tmp);
    EXPECT_EQ(exhausted.status, 1);
    EXPECT_EQ(exhausted.out, "");
    EXPECT_EQ(exhausted.err, "check_RT: memory exhausted\n");
#endif
}

}  // namespace
