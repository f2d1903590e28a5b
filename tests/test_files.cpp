#include "test_files.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

temp_dir::temp_dir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "check_RT-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot make a temporary directory");
    dir_ = pattern + "/";
}

temp_dir::~temp_dir()
{
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

std::string temp_dir::write(std::string_view name, std::string_view content) const
{
    std::string path = dir_ + std::string(name);
    std::ofstream(path, std::ios::binary).write(content.data(), static_cast<std::streamsize>(content.size()));
    return path;
}

std::string record_text(std::string_view body)
{
    std::string text;
    for (int line = 1; line <= 33; ++line)
        text += "header line " + std::to_string(line) + ": operator=qa lot=4711\n";
    return text + "RECHECK\n" + std::string(body) + "\n";
}

std::string counting_readings(int first)
{
    std::string body;
    for (int i = 0; i < 32; ++i)
        body += std::to_string(first + i) + (i < 31 ? " " : "");
    return body;
}

std::string repeated_readings(int n, std::string_view reading)
{
    std::string body;
    for (int i = 0; i < n; ++i)
        body += std::string(reading) + (i + 1 < n ? " " : "");
    return body;
}

std::string with_reading(std::string_view reading, int position)
{
    std::string before = repeated_readings(position - 1, "320");
    std::string after = repeated_readings(32 - position, "320");
    return before + (before.empty() ? "" : " ") + std::string(reading) + (after.empty() ? "" : " ") + after;
}

std::string read_file(const std::string& path)
{
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}
