#ifndef CHECK_RT_TEST_FILES_H
#define CHECK_RT_TEST_FILES_H

#include <string>
#include <string_view>

// A fresh directory of one test's own, removed with it.
class temp_dir {
public:
    temp_dir();
    ~temp_dir();
    temp_dir(const temp_dir&) = delete;
    temp_dir& operator=(const temp_dir&) = delete;

    // The directory, ending in a slash.
    const std::string& dir() const { return dir_; }
    // Writes name in the directory and answers its path.
    std::string write(std::string_view name, std::string_view content) const;

private:
    std::string dir_;
};

// A record file: 33 header lines, a tag, then body (the readings).
std::string record_text(std::string_view body);

// The readings first, first + 1, ..., one blank between them.
std::string counting_readings(int first);

// n copies of reading, one blank between them.
std::string repeated_readings(int n, std::string_view reading);

// 32 readings of 320, one blank between them, with reading in place of the
// one at position (1 to 32).
std::string with_reading(std::string_view reading, int position = 32);

// A whole file's bytes.
std::string read_file(const std::string& path);

#endif
