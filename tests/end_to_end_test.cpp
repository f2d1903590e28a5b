#include "test_files.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

struct run_result {
    int status;
    std::string out;
    std::string err;
};

run_result run(const std::string& exe, const temp_dir& tmp)
{
    std::string command = exe + " >" + tmp.dir() + "out 2>" + tmp.dir() + "err";
    int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_file(tmp.dir() + "out"),
            read_file(tmp.dir() + "err")};
}

TEST(EndToEnd, SampleDay)
{
    temp_dir tmp;
    run_result r = run(DEMO_EXE, tmp);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, read_file(EXAMPLES_DIR "expected-report.txt"));
}

// The one test that owns the executable's compiled-in directory.
TEST(EndToEnd, FailuresAreReportedAndNothingIsLost)
{
    temp_dir tmp;
    const std::string day = E2E_DIR;
    std::filesystem::remove_all(day);
    run_result missing = run(E2E_EXE, tmp);
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, "check_RT: " + day + "resultlist.txt: No such file or directory\n");

    std::filesystem::create_directories(day);
    auto write = [&](const std::string& name, const std::string& text) {
        std::ofstream(day + name, std::ios::binary) << text;
    };
    write("resultlist.txt", "ab20181219_wide ab20181219_gone\nab20181219_short ab20181219_x");
    write("ab20181219_wide.recheck", record_text(counting_readings(300)));
    write("ab20181219_short.recheck", record_text("1 2 3"));
    write("ab20181219_x.recheck", record_text(counting_readings(0)));
    run_result damaged = run(E2E_EXE, tmp);
    EXPECT_EQ(damaged.status, 1);
    EXPECT_EQ(damaged.out, "wide: 300 331 315.5 9.38083\nx: 0 31 15.5 9.38083\n");
    EXPECT_EQ(damaged.err, "check_RT: " + day + "ab20181219_gone.recheck: No such file or directory\n" +
                               "check_RT: " + day + "ab20181219_short.recheck: only 3 of 32 readings\n");

    write("resultlist.txt", "ab20181219_x\n");
    run_result clean = run(E2E_EXE, tmp);
    EXPECT_EQ(clean.status, 0);
    EXPECT_EQ(clean.out, "x: 0 31 15.5 9.38083\n");
    EXPECT_EQ(clean.err, "");
}

}  // namespace
