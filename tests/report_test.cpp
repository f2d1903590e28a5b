#include "check_RT.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace {

std::string report_of(std::vector<result_list> results)
{
    std::ostringstream out;
    EXPECT_EQ(print_report(out, results), "");
    return out.str();
}

TEST(PrintReport, FormatsNumbersLikeTheDefaultStream)
{
    struct row {
        result_list record;
        const char* line;
    };
    const std::vector<row> rows = {
        {{"x", 0, 31, 15.5, 9.38083151964686}, "x: 0 31 15.5 9.38083\n"},
        {{"", 320, 327.53125, 50000, 0}, ": 320 327.531 50000 0\n"},
        {{"big", 2.5e6, 999999.5, 1e6, 1e-5}, "big: 2.5e+06 1e+06 1e+06 1e-05\n"},
        {{"neg", -0.0, -1234567, 0.0001, 123456.4}, "neg: -0 -1.23457e+06 0.0001 123456\n"},
        {{"\x1b[2J\r\x7f", 1, 2, 3, 4}, "\x1b[2J\r\x7f: 1 2 3 4\n"},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.line);
        EXPECT_EQ(report_of({r.record}), r.line);
    }
}

TEST(PrintReport, OrdersByStandardDeviationKeepingTies)
{
    EXPECT_EQ(report_of({{"a", 0, 0, 0, 2.5}, {"b", 0, 0, 0, 0.7}, {"c", 0, 0, 0, 1.1}}),
              "b: 0 0 0 0.7\nc: 0 0 0 1.1\na: 0 0 0 2.5\n");
    std::vector<result_list> ties;
    std::string expected;
    for (char label = 'a'; label <= 'z'; ++label) {
        ties.push_back({std::string(1, label), 0, 0, 0, label % 2 ? 1.0 : 2.0});
        if (label % 2)
            expected += std::string(1, label) + ": 0 0 0 1\n";
    }
    for (char label = 'b'; label <= 'z'; label += 2)
        expected += std::string(1, label) + ": 0 0 0 2\n";
    EXPECT_EQ(report_of(ties), expected);
    EXPECT_EQ(report_of({}), "");
}

TEST(Diagnostics, ControlBytesAndBackslashesAreEscaped)
{
    struct row {
        std::string text;
        const char* shown;
    };
    const std::vector<row> rows = {
        {"/srv/qa-robot/ab20181219_x.recheck", "/srv/qa-robot/ab20181219_x.recheck"},
        {"\x1b[2J\x1b]0;t\a", "\\x1b[2J\\x1b]0;t\\x07"},
        {"a\rb\nc\td", "a\\x0db\\x0ac\\x09d"},
        {std::string("\0\x01\x1f\x7f", 4), "\\x00\\x01\\x1f\\x7f"},
        {"\\x1b \\", "\\x5cx1b \\x5c"},
        {"\x9b\x80 \xc2\x9b \xc2\x85", "\\x9b\\x80 \\xc2\\x9b \\xc2\\x85"},
        {"Pr\xc3\xbc" "fstand-\xc2\xb5 \xb5 \xe2\x82\xac \xc3", "Pr\xc3\xbc" "fstand-\xc2\xb5 \xb5 \xe2\x82\xac \xc3"},
        {"\xe2\x82 \xed\xa0\x80 \xc0\x9b", "\xe2\\x82 \xed\xa0\\x80 \xc0\\x9b"},
        // The edges of each lead byte's range, then their invalid neighbours.
        {"\xf0\x9f\x98\x80 \xf4\x8f\xbf\xbf \xef\xbf\xbf \xef\x80\x80 \xe1\x80\x80 \xc2\xa0",
         "\xf0\x9f\x98\x80 \xf4\x8f\xbf\xbf \xef\xbf\xbf \xef\x80\x80 \xe1\x80\x80 \xc2\xa0"},
        {"\xf4\x90\x80\x80 \xf0\x8f\xbf\xbf \xe0\x9f\xbf \xe1\x80\xc0 \xe1\xc0\x80 \xf5\x80\x80\x80 "
         "\xc2\x9f \xf0\x9f\x98",
         "\xf4\\x90\\x80\\x80 \xf0\\x8f\xbf\xbf \xe0\\x9f\xbf \xe1\\x80\xc0 \xe1\xc0\\x80 \xf5\\x80\\x80\\x80 "
         "\\xc2\\x9f \xf0\\x9f\\x98"},
        // U+202E, U+2066, U+2069, U+061C, U+200E, U+200F, U+2028, U+202A, U+206A,
        // U+200D, U+2065 (unassigned); then U+061B, U+2027, U+202F, which stay.
        {"a\xe2\x80\xae" "b \xe2\x81\xa6\xe2\x81\xa9 \xd8\x9c \xe2\x80\x8e\xe2\x80\x8f \xe2\x80\xa8\xe2\x80\xaa "
         "\xe2\x81\xaa\xe2\x80\x8d \xe2\x81\xa5\xd8\x9b\xe2\x80\xa7\xe2\x80\xaf",
         "a\\xe2\\x80\\xaeb \\xe2\\x81\\xa6\\xe2\\x81\\xa9 \\xd8\\x9c \\xe2\\x80\\x8e\\xe2\\x80\\x8f "
         "\\xe2\\x80\\xa8\\xe2\\x80\\xaa \\xe2\\x81\\xaa\\xe2\\x80\\x8d \\xe2\\x81\\xa5\xd8\x9b\xe2\x80\xa7\xe2\x80\xaf"},
        // Format characters, which show nothing: a byte order mark before a
        // reading, U+200B, U+00AD, U+2060, U+2064, U+180E, U+FFF9, U+0600,
        // U+06DD; then U+E0001, the tag U+E0041, U+E007F, U+13430, U+13439,
        // U+110BD, U+1D173.
        {"\xef\xbb\xbf" "320 \xe2\x80\x8b \xc2\xad \xe2\x81\xa0\xe2\x81\xa4 \xe1\xa0\x8e "
         "\xef\xbf\xb9 \xd8\x80\xdb\x9d",
         "\\xef\\xbb\\xbf320 \\xe2\\x80\\x8b \\xc2\\xad \\xe2\\x81\\xa0\\xe2\\x81\\xa4 \\xe1\\xa0\\x8e "
         "\\xef\\xbf\\xb9 \\xd8\\x80\\xdb\\x9d"},
        {"\xf3\xa0\x80\x81\xf3\xa0\x81\x81\xf3\xa0\x81\xbf \xf0\x93\x90\xb0\xf0\x93\x90\xb9 "
         "\xf0\x91\x82\xbd \xf0\x9d\x85\xb3",
         "\\xf3\\xa0\\x80\\x81\\xf3\\xa0\\x81\\x81\\xf3\\xa0\\x81\\xbf \\xf0\\x93\\x90\\xb0\\xf0\\x93\\x90\\xb9 "
         "\\xf0\\x91\\x82\\xbd \\xf0\\x9d\\x85\\xb3"},
        // The other default-ignorable characters, which show nothing too: a
        // variation selector before a reading, U+FE00, U+E0100, U+E01EF, the
        // fillers U+115F, U+3164, U+FFA0, U+034F, U+17B4, U+180B, U+180F; and
        // U+FFF0, U+FFF8, U+E0000, U+E0080, U+E0FFF, which Unicode keeps
        // unassigned for characters that will show nothing.
        {"\xef\xb8\x8f" "320 \xef\xb8\x80\xf3\xa0\x84\x80\xf3\xa0\x87\xaf \xe1\x85\x9f\xe3\x85\xa4\xef\xbe\xa0 "
         "\xcd\x8f\xe1\x9e\xb4\xe1\xa0\x8b\xe1\xa0\x8f \xef\xbf\xb0\xef\xbf\xb8 "
         "\xf3\xa0\x80\x80\xf3\xa0\x82\x80\xf3\xa0\xbf\xbf",
         "\\xef\\xb8\\x8f320 \\xef\\xb8\\x80\\xf3\\xa0\\x84\\x80\\xf3\\xa0\\x87\\xaf "
         "\\xe1\\x85\\x9f\\xe3\\x85\\xa4\\xef\\xbe\\xa0 \\xcd\\x8f\\xe1\\x9e\\xb4\\xe1\\xa0\\x8b\\xe1\\xa0\\x8f "
         "\\xef\\xbf\\xb0\\xef\\xbf\\xb8 \\xf3\\xa0\\x80\\x80\\xf3\\xa0\\x82\\x80\\xf3\\xa0\\xbf\\xbf"},
        // Their neighbours, which show and stay: U+00AC and U+0606 (maths),
        // U+00AE, U+06DE and U+FFFC (symbols), U+2070 (a digit), U+13440,
        // U+1D17B and U+17B6 (combining marks), U+FE10 (a comma), the letters
        // U+1161, U+3165 and U+1810 (a digit), and U+FEFE and U+E1000, which
        // Unicode leaves unassigned.
        {"\xc2\xac\xc2\xae\xd8\x86\xdb\x9e \xe2\x81\xb0\xef\xbb\xbe\xef\xbf\xbc \xf3\xa1\x80\x80 "
         "\xf0\x93\x91\x80\xf0\x9d\x85\xbb\xe1\x9e\xb6 \xef\xb8\x90\xe1\x85\xa1\xe3\x85\xa5\xe1\xa0\x90",
         "\xc2\xac\xc2\xae\xd8\x86\xdb\x9e \xe2\x81\xb0\xef\xbb\xbe\xef\xbf\xbc \xf3\xa1\x80\x80 "
         "\xf0\x93\x91\x80\xf0\x9d\x85\xbb\xe1\x9e\xb6 \xef\xb8\x90\xe1\x85\xa1\xe3\x85\xa5\xe1\xa0\x90"},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.shown);
        EXPECT_EQ(printable(r.text), r.shown);
        std::ostringstream err;
        // What lies past the end must not count: a shown reading is cut from a longer one.
        std::string followed = r.text + "\x80\x80\x80";
        diagnose(err, file_name{std::string_view(followed).substr(0, r.text.size())}, "reason");
        EXPECT_EQ(err.str(), std::string("check_RT: ") + r.shown + ": reason\n");
    }
}

}  // namespace
