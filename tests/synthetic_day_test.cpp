#include "check_RT.h"
#include "synthetic_day.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

// The day's report the plain, slow way: formatted stream input throughout,
// the statistics and the order written out once more.
std::string stream_report(const std::string& dir)
{
    std::vector<result_list> lines;
    std::ifstream list(dir + "resultlist.txt");
    std::string entry;
    while (list >> entry) {
        if (entry.size() < 10 || entry.substr(2, 8) != synthetic_date)
            continue;
        std::ifstream record(dir + entry + ".recheck");
        std::string skipped;
        for (int line = 0; line < 33; ++line)
            std::getline(record, skipped);
        record >> skipped;
        double readings[32];
        for (double& reading : readings)
            record >> reading;
        EXPECT_TRUE(record) << entry;

        double sum = 0.0;
        double minimum = readings[0];
        double maximum = readings[0];
        for (double reading : readings) {
            sum = sum + reading;
            minimum = std::min(minimum, reading);
            maximum = std::max(maximum, reading);
        }
        if (minimum > window_lower && maximum < window_upper)
            continue;
        double mean = sum / 32.0;
        double acc = 0.0;
        for (double reading : readings)
            acc = acc + (reading - mean) * (reading - mean);
        lines.push_back({entry.substr(11, 23), minimum, maximum, mean, std::sqrt(acc / 31.0)});
    }
    std::stable_sort(lines.begin(), lines.end(),
                     [](const result_list& a, const result_list& b) { return a.std_dev < b.std_dev; });
    std::ostringstream out;
    for (const result_list& r : lines)
        out << r.label << ": " << r.minimum << ' ' << r.maximum << ' ' << r.mean << ' ' << r.std_dev << '\n';
    return out.str();
}

// However fast the tool reads, its answer must be the plain one, to the byte,
// readings written without white space between them included.
TEST(SyntheticDay, ReportEqualsTheStreamReport)
{
    temp_dir tmp;
    write_synthetic_day(tmp.dir(), 2000, 1, true);
    std::vector<result_list> results;
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_TRUE(scan_list(tmp.dir() + "resultlist.txt", {tmp.dir(), synthetic_date, window_lower, window_upper}, results, err));
    EXPECT_EQ(err.str(), "");
    ASSERT_EQ(print_report(out, results), "");

    std::string expected = stream_report(tmp.dir());
    // About 5% of the records are outside the window.
    EXPECT_GT(std::count(expected.begin(), expected.end(), '\n'), 60);
    EXPECT_EQ(out.str(), expected);
}

}  // namespace
