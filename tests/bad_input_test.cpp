// Damaged lists and records through the whole path: the scan, the report,
// the diagnostics and the exit status, with a good record beside each.
#include "check_RT.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <sstream>
#include <vector>

namespace {

const std::string good = "good: 0 31 15.5 9.38083\n";
const std::string r300 = "r: 300 331 315.5 9.38083\n";
const std::string r_low = "r: 300 320 319.375 3.53553\n";
const std::string both = "ab20181219_good ab20181219_r\n";
// Files that are no regular file, in place of a list's or record's bytes.
const std::string fifo = "<a FIFO>";
const std::string dev_zero = "<a link to /dev/zero>";
const std::string dev_tty = "<a link to /dev/tty>";

struct row {
    const char* damage;
    std::optional<std::string> list;    // resultlist.txt; none: a directory
    std::string entry;                  // the record besides ab20181219_good
    std::optional<std::string> record;  // its bytes; none: a directory
    std::string report;
    std::string err;  // lines "PATH: reason" with PATH inside the data directory
    bool ok;
};

std::string replace_all(std::string text, char from, std::string_view to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, 1, to);
    return text;
}

std::string last_reading(std::string_view reading)
{
    return record_text(repeated_readings(31, "320") + " " + std::string(reading));
}

void make_file(const temp_dir& tmp, const std::string& name, const std::optional<std::string>& content)
{
    std::string path = tmp.dir() + name;
    if (!content)
        std::filesystem::create_directory(path);
    else if (*content == fifo)
        ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    else if (*content == dev_zero || *content == dev_tty)
        std::filesystem::create_symlink(*content == dev_zero ? "/dev/zero" : "/dev/tty", path);
    else
        tmp.write(name, *content);
}

std::string first_reading(std::string_view reading)
{
    return record_text(std::string(reading) + " " + repeated_readings(31, "320"));
}

std::string diagnostics(const std::string& dir, const std::string& lines)
{
    std::string text;
    std::istringstream in(lines);
    for (std::string line; std::getline(in, line);)
        text += "check_RT: " + dir + line + "\n";
    return text;
}

TEST(BadInput, EveryDamageIsNamedAndGoodRecordsStay)
{
    const std::string counting = record_text(counting_readings(300));
    const std::string header = record_text("").substr(0, record_text("").find("RECHECK"));
    const std::string r = "ab20181219_r.recheck: ";
    const std::vector<row> rows = {
        {"empty record", both, "ab20181219_r", "", good, r + "fewer than 33 header lines", false},
        {"only NUL bytes", both, "ab20181219_r", std::string(5000, '\0'), good, r + "fewer than 33 header lines",
         false},
        {"NUL bytes in the header", both, "ab20181219_r", replace_all(counting, 'q', std::string(1, '\0')),
         good + r300, "", true},
        {"NUL byte in a reading", both, "ab20181219_r", first_reading(std::string("3\0", 2)), good,
         r + "reading 2 is not a number: '\\x00' in '3\\x00'", false},
        {"lone CR line ends", both, "ab20181219_r", replace_all(counting, '\n', "\r"), good,
         r + "fewer than 33 header lines", false},
        {"CRLF line ends", both, "ab20181219_r", replace_all(counting, '\n', "\r\n"), good + r300, "", true},
        {"no tag", both, "ab20181219_r", header, good, r + "no tag after the header", false},
        {"a tag and no readings", both, "ab20181219_r", record_text(""), good, r + "only 0 of 32 readings", false},
        {"31 readings", both, "ab20181219_r", record_text(repeated_readings(31, "320")), good,
         r + "only 31 of 32 readings", false},
        {"leading '+'", both, "ab20181219_r", last_reading("+300"), r_low + good, "", true},
        {"'.5'", both, "ab20181219_r", last_reading(".5"), good + "r: 0.5 320 310.016 56.4802\n", "", true},
        {"'5.'", both, "ab20181219_r", last_reading("300."), r_low + good, "", true},
        {"'1e'", both, "ab20181219_r", last_reading("1e"), good, r + "reading 32 is not a number: '1e'", false},
        {"'--1'", both, "ab20181219_r", last_reading("--1"), good, r + "reading 32 is not a number: '--1'", false},
        {"'0x10'", both, "ab20181219_r", first_reading("0x10"), good, r + "reading 2 is not a number: 'x10' in '0x10'", false},
        {"'1,5'", both, "ab20181219_r", first_reading("1,5"), good, r + "reading 2 is not a number: ',5' in '1,5'", false},
        {"'inf'", both, "ab20181219_r", last_reading("inf"), good, r + "reading 32 is not a number: 'inf'", false},
        {"huge exponent", both, "ab20181219_r", last_reading("1e99999999999999999999"), good,
         r + "reading 32 is out of range: '1e99999999999999999999'", false},
        {"huge negative exponent", both, "ab20181219_r", last_reading("3e-99999999999999999999"), good + "r: 0 320 310 56.5685\n", "", true},
        {"zero with a huge exponent", both, "ab20181219_r", last_reading("0e99999"), good + "r: 0 320 310 56.5685\n",
         "", true},
        {"sum overflows", both, "ab20181219_r", record_text(repeated_readings(32, "1e308")), good,
         r + "readings too large for the statistics", false},
        {"binary after the 32nd reading", both, "ab20181219_r", counting + std::string("\0\xff\x1b", 3), good + r300,
         "", true},
        {"a directory as record", both, "ab20181219_r", std::nullopt, good, r + "Is a directory", false},
        {"a FIFO as record", both, "ab20181219_r", fifo, good, r + "is a FIFO, not a regular file", false},
        {"/dev/zero as record", both, "ab20181219_r", dev_zero, good,
         r + "is a character device, not a regular file", false},
        {"/dev/tty as record", both, "ab20181219_r", dev_tty, good,
         r + "is a character device, not a regular file", false},
        {"a FIFO as list", fifo, "ab20181219_r", counting, "", "resultlist.txt: is a FIFO, not a regular file", false},
        {"/dev/zero as list", dev_zero, "ab20181219_r", counting, "",
         "resultlist.txt: is a character device, not a regular file", false},
        {"missing record", "ab20181219_good ab20181219_gone", "ab20181219_r", counting, good,
         "ab20181219_gone.recheck: No such file or directory", false},
        {"a directory as list", std::nullopt, "ab20181219_r", counting, "", "resultlist.txt: Is a directory", false},
        {"empty list", "", "ab20181219_r", counting, "", "", true},
        {"entries of 0 to 11 characters", "a ab ab2 ab20 ab201 ab2018 ab20181 ab201812 ab2018121\n\n"
                                          "ab20181219 ab20181219_ ab20181219_good",
         "ab20181219_r", counting, good,
         "ab20181219.recheck: No such file or directory\nab20181219_.recheck: No such file or directory", false},
        {"NUL byte in an entry", std::string("ab20181219_good ab20181219_\0r", 29), "ab20181219_r", counting, good,
         "ab20181219_\\x00r.recheck: file name holds a NUL byte", false},
        {"entries joined by NUL bytes", std::string("ab20181219_good\0ab20181219_r", 28), "ab20181219_r", counting,
         "", "ab20181219_good\\x00ab20181219_r.recheck: file name holds a NUL byte", false},
        {"entry longer than a path", "ab20181219_" + std::string(5000, 'z') + " " + both, "ab20181219_r", counting,
         good + r300, "ab20181219_" + std::string(53, 'z') + "...: File name too long", false},
        {"entry of the longest path", "ab20181219_" + std::string(4084, 'z') + " " + both, "ab20181219_r", counting,
         good + r300, "ab20181219_" + std::string(4084, 'z') + ".recheck: File name too long", false},
        {"entry one byte longer", "ab20181219_" + std::string(4085, 'z') + " " + both, "ab20181219_r", counting,
         good + r300, "ab20181219_" + std::string(53, 'z') + "...: File name too long", false},
        {"CR between entries", "ab20181219_good\rab20181219_r\r", "ab20181219_r", counting, good + r300, "", true},
        {"non-ASCII bytes in a label", "ab20181219_good ab20181219_Pr\xc3\xbc" "fstand-\xb5",
         "ab20181219_Pr\xc3\xbc" "fstand-\xb5", counting, good + "Pr\xc3\xbc" "fstand-\xb5: 300 331 315.5 9.38083\n",
         "", true},
        {"control bytes in a label", "ab20181219_good ab20181219_\x1b[2J\x7f", "ab20181219_\x1b[2J\x7f", counting,
         good + "\x1b[2J\x7f: 300 331 315.5 9.38083\n", "", true},
        {"byte order mark before the list", "\xef\xbb\xbf" + both, "ab20181219_r", counting, good + r300, "", true},
    };
    for (const row& c : rows) {
        SCOPED_TRACE(c.damage);
        temp_dir tmp;
        tmp.write("ab20181219_good.recheck", record_text(counting_readings(0)));
        make_file(tmp, c.entry + ".recheck", c.record);
        make_file(tmp, "resultlist.txt", c.list);

        std::vector<result_list> results;
        std::ostringstream out;
        std::ostringstream err;
        // A file that blocks or never ends must not hang the run: nor this test.
        alarm(10);
        bool ok = scan_list(tmp.dir() + "resultlist.txt", {tmp.dir(), "20181219", window_lower, window_upper},
                            results, err);
        alarm(0);
        EXPECT_EQ(print_report(out, results), "");
        EXPECT_EQ(out.str(), c.report);
        EXPECT_EQ(err.str(), diagnostics(tmp.dir(), c.err));
        EXPECT_EQ(ok, c.ok);
    }
}

}  // namespace
