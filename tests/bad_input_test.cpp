// Damaged lists and records through the whole path: the scan, the report,
// the diagnostics and the exit status, with a good record beside each.
#include "byte_reader.h"
#include "check_RT.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <sstream>
#include <vector>

namespace {

const std::string good = "good: 0 31 15.5 9.38083\n";
const std::string r300 = "r: 300 331 315.5 9.38083\n";
const std::string both = "ab20181219_good ab20181219_r\n";
// Files that are no regular file, in place of a list's or record's bytes.
const std::string fifo = "<a FIFO>";
const std::string unix_socket = "<a socket>";
const std::string link_to = "<a link to ";
const std::string dev_zero = link_to + "/dev/zero>";

struct row {
    const char* damage;
    std::optional<std::string> list;    // resultlist.txt; none: a directory
    std::string entry;                  // the record besides ab20181219_good
    std::optional<std::string> record;  // its bytes; none: a directory
    std::string report;
    std::string err;  // lines "PATH: reason" with PATH inside the data directory
};

std::string replace_all(std::string text, char from, std::string_view to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, 1, to);
    return text;
}

// A socket's file stays when the socket is closed.
void make_socket(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof address.sun_path) << "too long for a socket: " << path;
    path.copy(address.sun_path, path.size());
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    close(fd);
}

void make_file(const temp_dir& tmp, const std::string& name, const std::optional<std::string>& content)
{
    std::string path = tmp.dir() + name;
    if (!content)
        std::filesystem::create_directory(path);
    else if (*content == fifo)
        ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    else if (*content == unix_socket)
        make_socket(path);
    else if (content->rfind(link_to, 0) == 0)
        std::filesystem::create_symlink(content->substr(link_to.size(), content->size() - link_to.size() - 1), path);
    else
        tmp.write(name, *content);
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
        {"empty record", both, "ab20181219_r", "", good, r + "fewer than 33 header lines"},
        {"only NUL bytes", both, "ab20181219_r", std::string(5000, '\0'), good, r + "fewer than 33 header lines"},
        {"NUL bytes in the header", both, "ab20181219_r", replace_all(counting, 'q', std::string(1, '\0')),
         good + r300, ""},
        {"NUL byte in a reading", both, "ab20181219_r", record_text(with_reading(std::string("3\0", 2), 1)), good,
         r + "reading 2 is not a number: '\\x00' in '3\\x00'"},
        {"lone CR line ends", both, "ab20181219_r", replace_all(counting, '\n', "\r"), good,
         r + "fewer than 33 header lines"},
        {"CRLF line ends", both, "ab20181219_r", replace_all(counting, '\n', "\r\n"), good + r300, ""},
        {"no tag", both, "ab20181219_r", header, good, r + "no tag after the header"},
        {"a tag and no readings", both, "ab20181219_r", record_text(""), good, r + "only 0 of 32 readings"},
        {"31 readings", both, "ab20181219_r", record_text(repeated_readings(31, "320")), good,
         r + "only 31 of 32 readings"},
        {"sum overflows", both, "ab20181219_r", record_text(repeated_readings(32, "1e308")), good,
         r + "readings too large for the statistics"},
        {"binary after the 32nd reading", both, "ab20181219_r", counting + std::string("\0\xff\x1b", 3), good + r300,
         ""},
        {"a directory as record", both, "ab20181219_r", std::nullopt, good, r + "Is a directory"},
        {"a FIFO as record", both, "ab20181219_r", fifo, good, r + "is a FIFO, not a regular file"},
        {"a socket as record", both, "ab20181219_r", unix_socket, good, r + "is a socket, not a regular file"},
        {"/dev/zero as record", both, "ab20181219_r", dev_zero, good, r + "is a character device, not a regular file"},
        {"/dev/tty as record", both, "ab20181219_r", link_to + "/dev/tty>", good,
         r + "is a character device, not a regular file"},
        {"/dev/urandom as record", both, "ab20181219_r", link_to + "/dev/urandom>", good,
         r + "is a character device, not a regular file"},
        {"a FIFO as list", fifo, "ab20181219_r", counting, "", "resultlist.txt: is a FIFO, not a regular file"},
        {"/dev/zero as list", dev_zero, "ab20181219_r", counting, "",
         "resultlist.txt: is a character device, not a regular file"},
        {"missing record", "ab20181219_good ab20181219_gone", "ab20181219_r", counting, good,
         "ab20181219_gone.recheck: No such file or directory"},
        {"a directory as list", std::nullopt, "ab20181219_r", counting, "", "resultlist.txt: Is a directory"},
        {"entries of 0 to 11 characters", "a ab ab2 ab20 ab201 ab2018 ab20181 ab201812 ab2018121\n\n"
                                          "ab20181219 ab20181219_ ab20181219_good",
         "ab20181219_r", counting, good,
         "ab20181219.recheck: No such file or directory\nab20181219_.recheck: No such file or directory"},
        {"NUL byte in an entry", std::string("ab20181219_good ab20181219_\0r", 29), "ab20181219_r", counting, good,
         "ab20181219_\\x00r.recheck: file name holds a NUL byte"},
        {"entries joined by NUL bytes", std::string("ab20181219_good\0ab20181219_r", 28), "ab20181219_r", counting,
         "", "ab20181219_good\\x00ab20181219_r.recheck: file name holds a NUL byte"},
        {"entry longer than a path, across the reader's buffer end",
         std::string(byte_reader::capacity - 20, '\n') + "ab20181219_" + std::string(30, 'y') + std::string(5000, 'z') +
             " " + both,
         "ab20181219_r", counting, good + r300,
         "ab20181219_" + std::string(30, 'y') + std::string(23, 'z') + "...: File name too long"},
        {"entry of the longest path", "ab20181219_" + std::string(4084, 'z') + " " + both, "ab20181219_r", counting,
         good + r300, "ab20181219_" + std::string(4084, 'z') + ".recheck: File name too long"},
        {"entry one byte longer", "ab20181219_" + std::string(4085, 'z') + " " + both, "ab20181219_r", counting,
         good + r300, "ab20181219_" + std::string(53, 'z') + "...: File name too long"},
        {"non-ASCII bytes in a label", "ab20181219_good ab20181219_Pr\xc3\xbc" "fstand-\xb5",
         "ab20181219_Pr\xc3\xbc" "fstand-\xb5", counting, good + "Pr\xc3\xbc" "fstand-\xb5: 300 331 315.5 9.38083\n",
         ""},
        {"control bytes in a label", "ab20181219_good ab20181219_\x1b[2J\x7f", "ab20181219_\x1b[2J\x7f", counting,
         good + "\x1b[2J\x7f: 300 331 315.5 9.38083\n", ""},
        {"byte order mark before the list", "\xef\xbb\xbf" + both, "ab20181219_r", counting, good + r300, ""},
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
        EXPECT_EQ(ok, c.err.empty());
    }
}

}  // namespace
