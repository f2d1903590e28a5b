// This file defines pread, which the C library's fortified headers define
// inline: some compilers take the two for a redefinition.
#undef _FORTIFY_SOURCE
#include "byte_reader.h"
#include "check_RT.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <sys/uio.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

// Reads that start past the first byte and before this offset fail, as on a
// disk that went bad once the record was read: the first read, from offset 0,
// takes all of a small record.
off_t reads_fail_before = 0;

}  // namespace

// The test program's own pread comes before the C library's, so the reader of
// the record files gets this one. preadv reads as pread does.
extern "C" ssize_t pread(int fd, void* bytes, std::size_t count, off_t offset)
{
    if (offset > 0 && offset < reads_fail_before) {
        errno = EIO;
        return -1;
    }
    iovec buffer{bytes, count};
    return preadv(fd, &buffer, 1, offset);
}

namespace {

struct good_case {
    const char* name;
    std::string text;
    verdict outcome;
    statistics stats;  // checked when outside
};

std::string one_per_line(std::string body, const char* line_end)
{
    for (std::size_t at = body.find(' '); at != std::string::npos; at = body.find(' ', at))
        body.replace(at, 1, line_end);
    return body;
}

TEST(AnalyseRecord, WellFormedRecords)
{
    const statistics counting{0, 31, 15.5, std::sqrt(88.0)};
    std::string header_249(249, 'h');
    std::string long_header(300000, 'h');
    std::string counting_text = record_text(counting_readings(0));
    std::string on_tag_line = counting_text;
    on_tag_line.replace(on_tag_line.find("RECHECK\n"), 8, "RECHECK ");
    // The tag's first byte is the first after the header.
    std::string one_character_tag = counting_text;
    one_character_tag.replace(one_character_tag.find("RECHECK\n"), 8, "T ");
    // Headers of mostly line feeds, which the reader counts a block at a time.
    const std::string tag_and_readings = counting_text.substr(counting_text.find("RECHECK"));
    const std::string empty_among_header_lines = "# recheck record\n" + std::string(31, '\n') + "# end of header\n";
    const std::vector<good_case> cases = {
        {"0 to 31", counting_text, verdict::outside, counting},
        {"one to a line", record_text(one_per_line(counting_readings(0), "\n")), verdict::outside, counting},
        {"crlf", record_text(one_per_line(counting_readings(0), "\r\n")), verdict::outside, counting},
        {"seven white space bytes apart", record_text(one_per_line(counting_readings(0), "\t\v\f\r\n\t\t")),
         verdict::outside, counting},
        {"on the tag's line", on_tag_line, verdict::outside, counting},
        {"text after the 32nd", record_text(counting_readings(0) + " 99999 junk\nmore"), verdict::outside, counting},
        {"no line break at the end", counting_text.substr(0, counting_text.size() - 1), verdict::outside, counting},
        {"249-character header line", header_249 + "\n" + counting_text.substr(counting_text.find('\n') + 1),
         verdict::outside, counting},
        {"very long header line", long_header + "\n" + counting_text.substr(counting_text.find('\n') + 1),
         verdict::outside, counting},
        {"33 empty header lines", std::string(33, '\n') + tag_and_readings, verdict::outside, counting},
        {"empty lines among header lines", empty_among_header_lines + tag_and_readings, verdict::outside, counting},
        {"CRLF empty header lines, a one-character tag",
         one_per_line(std::string(33, ' ') + "T " + counting_readings(0), "\r\n"), verdict::outside, counting},
        {"a one-character tag at the start of its line", one_character_tag, verdict::outside, counting},
        {"all inside", record_text(repeated_readings(32, "320")), verdict::inside, {}},
        {"a reading of 4096 bytes", record_text(with_reading(std::string(4093, '0') + "320")), verdict::inside, {}},
        {"just inside", record_text(repeated_readings(16, "315.0001") + " " + repeated_readings(16, "339.9999")),
         verdict::inside, {}},
        {"one at 315", record_text(with_reading("315")), verdict::outside, {315, 320, 319.84375, 0.8838834764831844}},
        {"one at 340", record_text(with_reading("340")), verdict::outside, {320, 340, 320.625, 3.5355339059327378}},
        {"all 60000, above 50000", record_text(repeated_readings(32, "60000")), verdict::outside, {60000, 60000, 60000, 0}},
        {"all negative", record_text(repeated_readings(32, "-2.5")), verdict::outside, {-2.5, -2.5, -2.5, 0}},
        {"notations", record_text(repeated_readings(28, "3.2e2") + " +320 320. .32e3 1e-999"), verdict::outside,
         {0, 320, 310, 56.568542494923804}},
    };
    for (const good_case& c : cases) {
        SCOPED_TRACE(c.name);
        temp_dir tmp;
        analysis a = analyse_record(tmp.write("r.recheck", c.text), window_lower, window_upper);
        EXPECT_EQ(a.outcome, c.outcome) << a.reason;
        if (a.outcome != c.outcome || c.outcome != verdict::outside)
            continue;
        EXPECT_EQ(a.stats.minimum, c.stats.minimum);
        EXPECT_EQ(a.stats.maximum, c.stats.maximum);
        EXPECT_EQ(a.stats.mean, c.stats.mean);
        EXPECT_DOUBLE_EQ(a.stats.std_dev, c.stats.std_dev);
    }
}

TEST(AnalyseRecord, DamagedRecordsAreNamed)
{
    std::string header = record_text("");
    header.resize(header.find("RECHECK"));
    // The reader's first buffer ends right before the x.
    std::string word_across_the_buffer_end = record_text("320-320x1 " + repeated_readings(29, "320"));
    word_across_the_buffer_end.insert(0, byte_reader::capacity - word_across_the_buffer_end.find('x'), 'h');
    // The word before the bad reading is longer than a step of reading it again.
    std::string long_word = record_text("320." + std::string(600, '0') + "x1 " + repeated_readings(30, "320"));
    struct row {
        std::string text;
        std::string reason;
        off_t reads_fail_before = 0;
    };
    const std::vector<row> cases = {
        {header.substr(0, header.size() - 1), "fewer than 33 header lines"},
        {header + " \r\n\t", "no tag after the header"},
        {record_text("3\x1b[2J " + repeated_readings(31, "320")), "reading 2 is not a number: '\\x1b[2J' in '3\\x1b[2J'"},
        // 40 bytes are shown; the cut may fall inside a character (the euro sign).
        {record_text(with_reading(std::string(37, 'x') + "\xe2\x82\xac")),
         "reading 32 is not a number: 'xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\xe2\x82\xac'"},
        {record_text(with_reading(std::string(38, 'x') + "\xe2\x82\xac")),
         "reading 32 is not a number: 'xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\xe2\\x82...'"},
        {record_text(with_reading("e" + std::string(5000, '1'))),
         "reading 32 is not a number: 'e111111111111111111111111111111111111111...'"},
        {record_text(with_reading(std::string(4097, '1'))),
         "reading 32 is too long: '1111111111111111111111111111111111111111...'"},
        {record_text("320.0000000001-320.0000000001-320.00000000x1 " + repeated_readings(29, "320")),
         "reading 4 is not a number: 'x1' in '320.0000000001-320.0000000001-320.000000...'"},
        {word_across_the_buffer_end, "reading 3 is not a number: 'x1' in '320-320x1'"},
        {long_word, "reading 2 is not a number: 'x1' in '320.000000000000000000000000000000000000...'"},
        // Its start cannot be read again: no part of it is shown.
        {long_word, "reading 2 is not a number: 'x1'", static_cast<off_t>(long_word.find("320."))},
        {record_text("1e200 " + repeated_readings(31, "-1e200")), "readings too large for the statistics"},
    };
    for (const row& r : cases) {
        SCOPED_TRACE(r.reason);
        temp_dir tmp;
        std::string path = tmp.write("r.recheck", r.text);
        reads_fail_before = r.reads_fail_before;
        analysis a = analyse_record(path, window_lower, window_upper);
        reads_fail_before = 0;
        EXPECT_EQ(a.outcome, verdict::left_out);
        EXPECT_EQ(a.reason, r.reason);
    }
}

// A reading ends where the classic stream's extraction ends, white space or
// not; but the 32nd must end its word. Each text goes in the middle of a
// record and last: "=" and readings written apart that it must equal, or
// the damage named as "reading N ...".
TEST(AnalyseRecord, ReadingsEndWhereTheStreamEndsThem)
{
    struct row {
        const char* text;
        const char* middle;
        const char* last;
    };
    const std::vector<row> rows = {
        {"320.5-12.25", "=320.5 -12.25", "32 is not a number: '320.5-12.25'"},
        {"1.2.3", "=1.2 .3", "32 is not a number: '1.2.3'"},
        {"1e5-3", "=1e5 -3", "32 is not a number: '1e5-3'"},
        {"1e2.5", "=1e2 .5", "32 is not a number: '1e2.5'"},
        {"0x155", "31 is not a number: 'x155' in '0x155'", "32 is not a number: '0x155'"},
        {"12abc", "31 is not a number: 'abc' in '12abc'", "32 is not a number: '12abc'"},
        {"331.2;", "31 is not a number: ';' in '331.2;'", "32 is not a number: '331.2;'"},
        {"5e", "30 is not a number: '5e'", "32 is not a number: '5e'"},
        {"+-3", "30 is not a number: '+-3'", "32 is not a number: '+-3'"},
        {".e5", "30 is not a number: '.e5'", "32 is not a number: '.e5'"},
        {"-", "30 is not a number: '-'", "32 is not a number: '-'"},
        {".", "30 is not a number: '.'", "32 is not a number: '.'"},
        {"1e999", "30 is out of range: '1e999'", "32 is out of range: '1e999'"},
        {"1e99999999999999999999", "30 is out of range: '1e99999999999999999999'",
         "32 is out of range: '1e99999999999999999999'"},
        {"341,5", "31 is not a number: ',5' in '341,5'", "32 is not a number: '341,5'"},
        {"nan", "30 is not a number: 'nan'", "32 is not a number: 'nan'"},
        {"-inf", "30 is not a number: '-inf'", "32 is not a number: '-inf'"},
    };
    // An empty window: every record that is read is outside, with its statistics.
    auto analyse = [](const temp_dir& tmp, const std::string& readings) {
        return analyse_record(tmp.write("r.recheck", record_text(readings)), 0.0, 0.0);
    };
    for (const row& r : rows) {
        for (bool last : {false, true}) {
            SCOPED_TRACE(std::string(r.text) + (last ? " last" : " in the middle"));
            std::string before = repeated_readings(last ? 31 : 29, "320") + " ";
            std::string after = last ? "" : " 330";
            std::string expected = last ? r.last : r.middle;
            temp_dir tmp;
            analysis a = analyse(tmp, before + r.text + after);
            if (expected[0] != '=') {
                EXPECT_EQ(a.outcome, verdict::left_out);
                EXPECT_EQ(a.reason, "reading " + expected);
                continue;
            }
            analysis apart = analyse(tmp, before + expected.substr(1) + after);
            ASSERT_EQ(apart.outcome, verdict::outside) << apart.reason;
            ASSERT_EQ(a.outcome, verdict::outside) << a.reason;
            EXPECT_EQ(a.stats.minimum, apart.stats.minimum);
            EXPECT_EQ(a.stats.maximum, apart.stats.maximum);
            EXPECT_EQ(a.stats.mean, apart.stats.mean);
            EXPECT_EQ(a.stats.std_dev, apart.stats.std_dev);
        }
    }
}

// Every reading must come out as the correctly rounded double, however it is
// written and wherever it lies in the file. strtod rounds correctly.
TEST(AnalyseRecord, ReadingsAreCorrectlyRounded)
{
    const std::vector<std::string> words = {
        "327.52", "+327.52", "-327.52", "0327.520", "3.2752e2", "3.2752E+02", "327520e-3", "5.", ".5",
        "-0", "+0.0e0", "0.1", "123456789012345", "1234567890123456", "9007199254740993", "0.000000000000001",
        "1e22", "1e23", "1e-22", "1e-23", "123456789012345e-22", "8.9255e-18", "1e0001", "1e-0001", "-0e0000",
        "2.2250738585072011e-308", "4.9e-324", "1e-400", "3e-99999999999999999999", "0e99999", "7.0e+100",
        // Rounded twice, first to an integer or power of ten that is no
        // exact double and then again, these come out one bit off.
        "911031307246966.3", "657784910.27943236", "3e23", "2e-23",
        // Digits and an exponent that a count of 64 bits would wrap round to 1 and -1.
        "18446744073709551617", "1e-18446744073709551617",
        // Four exponent digits keep these from the quick path. Rounded twice,
        // to 64 bits and then to a double, as a library built for the x87 unit
        // does, they come out one bit off.
        "98844e0022", "451189e0021", "7777897e0018", "4845975e0018"};
    for (const std::string& word : words) {
        SCOPED_TRACE(word);
        double expected = std::strtod(word.c_str(), nullptr);
        temp_dir tmp;
        // An empty window: every record is outside, so its statistics are kept.
        analysis a = analyse_record(tmp.write("r.recheck", record_text(repeated_readings(32, word))), 0.0, 0.0);
        ASSERT_EQ(a.outcome, verdict::outside) << a.reason;
        EXPECT_EQ(a.stats.minimum, expected);
        EXPECT_EQ(a.stats.maximum, expected);
        EXPECT_EQ(std::signbit(a.stats.minimum), std::signbit(expected));
    }
}

// A reading cut by the end of the reader's buffer must be read whole all the same.
TEST(AnalyseRecord, ReadingsAcrossTheBufferEnd)
{
    const std::string text = record_text(repeated_readings(32, "341.5e0"));
    const std::size_t first_reading = text.find("341");
    for (std::size_t cut = 0; cut < 10; ++cut) {
        SCOPED_TRACE(cut);
        std::string padding(byte_reader::capacity - first_reading - 8 * 5 - cut, 'h');
        temp_dir tmp;
        analysis a = analyse_record(tmp.write("r.recheck", padding + text), window_lower, window_upper);
        ASSERT_EQ(a.outcome, verdict::outside) << a.reason;
        EXPECT_EQ(a.stats.minimum, 341.5);
        EXPECT_EQ(a.stats.maximum, 341.5);
    }
}

}  // namespace
