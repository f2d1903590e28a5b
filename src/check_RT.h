#ifndef CHECK_RT_H
#define CHECK_RT_H

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

// One reported record: a line of the report.
struct result_list {
    std::string label;
    double minimum = 0.0;
    double maximum = 0.0;
    double mean = 0.0;
    double std_dev = 0.0;
};

// The report's order: smallest standard deviation first.
bool result_sort(const result_list& a, const result_list& b);

// The acceptance window: a record is inside when every reading is strictly
// between these.
constexpr double window_lower = 315.0;
constexpr double window_upper = 340.0;

struct statistics {
    double minimum;
    double maximum;
    double mean;
    double std_dev;
};

// What becomes of a record: passed over, reported, or left out of the report
// with a reason, because it cannot be read in full or its readings overflow
// the statistics.
enum class verdict { inside, outside, left_out };

// What one record file comes to. stats is set for outside, reason for left_out.
struct analysis {
    verdict outcome;
    statistics stats;
    std::string reason;
};

// Reads the record file at path: 33 header lines, a tag word, 32 readings.
analysis analyse_record(const std::string& path, double lower, double upper);

// Puts the processor's floating-point environment back to IEEE's defaults,
// round to nearest with numbers below 2^-1022 kept, before the analysis
// runs: start-up code linked in by -ffast-math or -Ofast flushes them to
// zero, however the analysis was compiled. Answers why the environment is
// still otherwise, or "".
std::string restore_ieee_arithmetic();

struct scan_settings {
    std::string data_directory;  // ends in a slash
    std::string target_date;     // eight digits
    double lower;
    double upper;
};

// Whether the entry's characters 2 to 9 are date.
bool carries_date(std::string_view entry, std::string_view date);

// Reads the list file at list_path and appends a result_list for every record
// of the target date that is not inside the window. Each file it cannot read
// in full gets one line on err; the answer is false if there was any.
bool scan_list(const std::string& list_path, const scan_settings& settings,
               std::vector<result_list>& results, std::ostream& err);

// Sorts the results with result_sort (stable, so ties keep list order) and
// writes one line each, labels as stored. Answers why a write failed, or "".
std::string print_report(std::ostream& out, std::vector<result_list>& results);

// The name of a file that a diagnostic is about. It may hold any byte, so it
// is shown made printable; being a type of its own, it cannot be passed for
// the reason, which is written as it is.
struct file_name {
    std::string_view bytes;
};

// Writes "check_RT: file: reason" as one line.
void diagnose(std::ostream& err, file_name file, std::string_view reason);

// text with each byte that could act on a terminal or mislead the reader
// written as \xHH, so that what is shown is what text holds, byte for byte.
std::string printable(std::string_view text);

#endif
