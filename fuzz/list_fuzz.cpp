// Arbitrary bytes as the list file for scan_list over a small day of records.
// Every entry of the day must come out as the record it names says: a report
// line, a diagnostic, or nothing when inside; the white space between entries
// must not matter.
#include "fuzz_checks.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace {

const std::string date = "20181219";

struct day_of_records {
    std::string dir;
    std::map<std::string, analysis, std::less<>> records;  // by entry
};

day_of_records& day()
{
    static day_of_records d;
    return d;
}

std::string readings_from(int first, int step)
{
    std::string text;
    for (int i = 0; i < 32; ++i)
        text += std::to_string(first + i * step) + " ";
    return text;
}

// The white-space-delimited words of text: the entries as the scan should see them.
std::vector<std::string_view> words_of(std::string_view text)
{
    std::vector<std::string_view> words;
    for (std::size_t at = 0;;) {
        while (at < text.size() && is_space(text[at]))
            ++at;
        if (at == text.size())
            return words;
        std::size_t start = at;
        while (at < text.size() && !is_space(text[at]))
            ++at;
        words.push_back(text.substr(start, at - start));
    }
}

// The words again, with other white space between them; variant picks which.
std::string joined(const std::vector<std::string_view>& words, int variant)
{
    std::string text;
    for (std::size_t i = 0; i < words.size(); ++i)
        text.append(other_white_space(i, variant)).append(words[i]);
    return text;
}

void write(const std::string& path, std::string_view text)
{
    std::ofstream file(path, std::ios::binary);
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    require(file.flush().good(), "the fuzzer's own files can be written");
}

// Record files of every kind the list can lead to; what each comes to is
// analyse_record's business, checked by the record target.
void make_day()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "check_RT-fuzz-XXXXXX").string();
    require(mkdtemp(pattern.data()) != nullptr, "a temporary directory can be made");
    day().dir = pattern + "/";
    std::atexit([] { std::filesystem::remove_all(day().dir); });
    std::string header;
    for (int line = 1; line <= 33; ++line)
        header += "header " + std::to_string(line) + "\n";
    const std::pair<const char*, std::string> files[] = {
        {"ab20181219_x", readings_from(0, 1)},
        {"zz20181219-y", readings_from(300, 2)},
        {"ab20181219_in", readings_from(327, 0)},
        {"ab20181219_bad", "320"},
        {"ab20181219", readings_from(-5, 3)},
        {"ab20181219_", readings_from(7, 1)},
        {"ab20181218_x", readings_from(0, 1)},
        {"ab20181219_\x1b[1m-twenty-five-characters", readings_from(1000, 5)},
    };
    for (const auto& [entry, readings] : files) {
        std::string path = day().dir + entry + ".recheck";
        write(path, header + "TAG\n" + readings);
        day().records[entry] = analyse_record(path, window_lower, window_upper);
    }
}

struct expected_diagnostic {
    std::string text;
    bool whole;  // or only the start of the line
};

// What scan_list should come to on this list, worked out entry by entry.
struct expectation {
    std::vector<result_list> results;
    std::vector<expected_diagnostic> diagnostics;
    bool day_listed = false;  // else the last diagnostic says so, and is no failure
};

expectation expected_from(const std::vector<std::string_view>& entries)
{
    expectation e;
    for (std::string_view entry : entries) {
        if (entry.size() < 10 || entry.substr(2, 8) != date)
            continue;
        e.day_listed = true;
        auto known = day().records.find(entry);
        std::string path = day().dir + std::string(entry) + ".recheck";
        if (known == day().records.end()) {
            // No such file, or no name a file can have: a diagnostic, of
            // which only the start (at most 64 bytes of the entry) is sure.
            // How a byte is shown can hang on the three after it (a UTF-8
            // character): end the start on an ASCII byte, which none can.
            std::string_view sure = entry.substr(0, 64);
            while (!sure.empty() && static_cast<unsigned char>(sure.back()) >= 0x80)
                sure.remove_suffix(1);
            e.diagnostics.push_back({"check_RT: " + printable(day().dir + std::string(sure)), false});
            continue;
        }
        const analysis& a = known->second;
        if (a.outcome == verdict::outside) {
            std::string label(entry.size() > 11 ? entry.substr(11, 23) : std::string_view());
            e.results.push_back({label, a.stats.minimum, a.stats.maximum, a.stats.mean, a.stats.std_dev});
        } else if (a.outcome == verdict::left_out) {
            e.diagnostics.push_back({"check_RT: " + printable(path) + ": " + a.reason, true});
        }
    }
    if (!e.day_listed)
        e.diagnostics.push_back({"check_RT: " + printable(day().dir) + "resultlist.txt: no entry of " + date, true});
    return e;
}

struct scan_answer {
    bool ok;
    std::vector<result_list> results;
    std::string err;
};

scan_answer scan(std::string_view list)
{
    std::string path = day().dir + "resultlist.txt";
    write(path, list);
    scan_answer s;
    std::ostringstream err;
    s.ok = scan_list(path, {day().dir, date, window_lower, window_upper}, s.results, err);
    s.err = err.str();
    return s;
}

bool same_results(const std::vector<result_list>& a, const std::vector<result_list>& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        statistics sa{a[i].minimum, a[i].maximum, a[i].mean, a[i].std_dev};
        statistics sb{b[i].minimum, b[i].maximum, b[i].mean, b[i].std_dev};
        if (a[i].label != b[i].label || !same_statistics(sa, sb))
            return false;
    }
    return true;
}

void check_against(const scan_answer& s, const expectation& e)
{
    require(same_results(s.results, e.results), "every record of the day reported, in list order, as it is");
    std::istringstream err(s.err);
    std::size_t count = 0;
    for (std::string line; std::getline(err, line); ++count) {
        require(count < e.diagnostics.size(), "no more diagnostics than files that cannot be read");
        require(printable_line(line), "a diagnostic is one printable line");
        const expected_diagnostic& want = e.diagnostics[count];
        require(want.whole ? line == want.text : line.compare(0, want.text.size(), want.text) == 0,
                "each diagnostic names its file");
    }
    require(count == e.diagnostics.size(), "a diagnostic for every file that cannot be read");
    require(s.ok == (e.diagnostics.size() == (e.day_listed ? 0 : 1)), "status 0 exactly when no file failed");
}

void check_report(std::vector<result_list> results)
{
    std::ostringstream out;
    require(print_report(out, results).empty(), "the report is written");
    for (std::size_t i = 0; i < results.size(); ++i) {
        check_statistics({results[i].minimum, results[i].maximum, results[i].mean, results[i].std_dev});
        require(i == 0 || results[i - 1].std_dev <= results[i].std_dev, "smallest deviation first");
    }
    std::istringstream report(out.str());
    std::size_t lines = 0;
    for (std::string line; std::getline(report, line); ++lines)
        require(lines < results.size() && line.rfind(results[lines].label + ": ", 0) == 0,
                "a report line starts with its label as stored");
    require(lines == results.size(), "one report line a record");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    make_day();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view list(reinterpret_cast<const char*>(data), size);
    scan_answer s = scan(list);

    std::string_view text = list.substr(0, 3) == "\xef\xbb\xbf" ? list.substr(3) : list;
    std::vector<std::string_view> entries = words_of(text);
    check_against(s, expected_from(entries));
    check_report(s.results);

    for (int variant = 0; variant < 2; ++variant) {
        scan_answer respaced = scan(joined(entries, variant));
        require(respaced.ok == s.ok && same_results(respaced.results, s.results) && respaced.err == s.err,
                "same answer with other white space between entries");
    }
    return 0;
}
