// make_day: writes a synthetic day for the benchmark.
#include "synthetic_day.h"

#include <exception>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3 || argv[1][0] == '\0') {
        std::cerr << "usage: make_day DIR[/] [RECORDS]\n";
        return 2;
    }
    // The day's files are named by appending to the directory.
    std::string dir = argv[1];
    if (dir.back() != '/')
        dir += '/';
    try {
        write_synthetic_day(dir, argc == 3 ? std::stoi(argv[2]) : 100000, 20181219);
    } catch (const std::exception& e) {
        std::cerr << "make_day: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
