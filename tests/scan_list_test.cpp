#include "check_RT.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace {

const std::string forty = "ab20181219_abcdefghijklmnopqrstuvwxyz012";

// A day whose every record would be reported, so the results show what was selected.
struct day {
    temp_dir tmp;
    day()
    {
        for (const std::string& entry : {std::string("ab20181219_x"), std::string("zz20181219-y"),
                                         std::string("ab20181218_x"), std::string("20181219_abc"),
                                         std::string("ab20181219_"), std::string("ab20181219"), forty})
            tmp.write(entry + ".recheck", record_text(counting_readings(0)));
        tmp.write("ab20181219_in.recheck", record_text(repeated_readings(32, "327")));
    }
    bool scan(std::string_view list, std::vector<result_list>& results, std::string& err)
    {
        std::ostringstream diagnostics;
        bool ok = scan_list(tmp.write("resultlist.txt", list), {tmp.dir(), "20181219", window_lower, window_upper}, results,
                            diagnostics);
        err = diagnostics.str();
        return ok;
    }
};

std::vector<std::string> labels_of(const std::vector<result_list>& results)
{
    std::vector<std::string> labels;
    for (const result_list& r : results)
        labels.push_back(r.label);
    return labels;
}

TEST(ScanList, SelectsEntriesOfTheTargetDate)
{
    struct row {
        std::string list;
        std::vector<std::string> labels;
        std::string err = {};  // after the list's path
    };
    const std::string no_entry = ": no entry of 20181219\n";
    const std::vector<row> rows = {
        {"ab20181219_x\n", {"x"}},
        {"ab20181219_x", {"x"}},
        {"ab20181219_x zz20181219-y\n", {"x", "y"}},
        {"\n\n ab20181219_x\t\r\n\v\fzz20181219-y", {"x", "y"}},
        {"ab20181219_x\vzz20181219-y\fab20181219_x\rzz20181219-y", {"x", "y", "x", "y"}},
        {"ab20181219_x\nab20181219_x\n", {"x", "x"}},
        {"ab20181218_x 20181219_abc\n", {}, no_entry},
        {"a ab ab2018121 ab20181219 ab20181219_\n", {"", ""}},
        {"ab20181219_in\n", {}},
        {"", {}, no_entry},
        {" \n\t\n", {}, no_entry},
        {forty + "\n", {"abcdefghijklmnopqrstuvw"}},
    };
    day d;
    for (const row& r : rows) {
        SCOPED_TRACE(r.list);
        std::vector<result_list> results;
        std::string err;
        EXPECT_TRUE(d.scan(r.list, results, err));
        EXPECT_EQ(err, r.err.empty() ? "" : "check_RT: " + d.tmp.dir() + "resultlist.txt" + r.err);
        EXPECT_EQ(labels_of(results), r.labels);
    }
}

}  // namespace
