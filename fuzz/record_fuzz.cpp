// Arbitrary bytes as a record file for analyse_record. Besides not crashing,
// its answer must agree with the readings read again here with the classic
// stream, and must not change when only the white space between readings or
// the header's length changes.
#include "fuzz_checks.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <locale>
#include <sstream>

namespace {

// The record lives in a memory file named through /proc, so no disk is touched.
analysis analyse_bytes(std::string_view bytes)
{
    static const int fd = memfd_create("record", MFD_CLOEXEC);
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);
    require(fd >= 0 && ftruncate(fd, 0) == 0, "memory file can be made and emptied");
    for (std::size_t done = 0; done < bytes.size();) {
        ssize_t n = pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        require(n > 0, "memory file takes the record");
        done += static_cast<std::size_t>(n);
    }
    return analyse_record(path, window_lower, window_upper);
}

bool same_answer(const analysis& a, const analysis& b)
{
    return a.outcome == b.outcome && a.reason == b.reason &&
           (a.outcome != verdict::outside || same_statistics(a.stats, b.stats));
}

// Where the 33 header lines end, or npos if there are fewer.
std::size_t header_end(std::string_view bytes)
{
    std::size_t at = 0;
    for (int line = 0; line < 33; ++line) {
        at = bytes.find('\n', at);
        if (at == std::string_view::npos)
            return at;
        ++at;
    }
    return at;
}

void check_answer(const analysis& a)
{
    if (a.outcome == verdict::outside)
        check_statistics(a.stats);
    if (a.outcome == verdict::left_out)
        require(!a.reason.empty() && printable_line(a.reason), "a reason is one printable line");
}

// A reading as the classic stream takes it from the bytes after the header:
// where it lies and what it comes to.
struct taken_reading {
    std::size_t start;
    std::size_t end;
    double value;
};

// The tag and then up to 32 readings, read with the classic stream; the
// readings stop at the first it cannot take.
std::vector<taken_reading> stream_readings(std::string_view body)
{
    std::istringstream in{std::string(body)};
    in.imbue(std::locale::classic());
    auto position = [&] { return in.eof() ? body.size() : static_cast<std::size_t>(in.tellg()); };
    std::string tag;
    std::vector<taken_reading> readings;
    if (!(in >> tag))
        return readings;
    while (readings.size() < 32 && !(in >> std::ws).eof()) {
        std::size_t start = position();
        double value;
        if (!(in >> value))
            break;
        readings.push_back({start, position(), value});
    }
    // The last reading must end its word: at white space or the end.
    int next = in.peek();
    if (readings.size() == 32 && next != std::char_traits<char>::eof() && !is_space(static_cast<char>(next)))
        readings.pop_back();
    return readings;
}

// The number N in "reading N ..." or "only N of 32 readings", or -1.
long reading_named(const std::string& reason)
{
    for (const char* prefix : {"reading ", "only "})
        if (reason.rfind(prefix, 0) == 0)
            return std::strtol(reason.c_str() + std::strlen(prefix), nullptr, 10);
    return -1;
}

// The tool stops where the stream stops, and what it reads in full it reads
// as the stream does: the same extremes and the same verdict.
void check_against_stream(const analysis& a, const std::vector<taken_reading>& readings)
{
    long named = reading_named(a.reason);
    if (a.outcome == verdict::left_out) {
        if (a.reason.rfind("only ", 0) == 0)
            require(readings.size() == static_cast<std::size_t>(named), "the readings end where the stream's do");
        else if (named > 0 && a.reason.find(" is too long: ") == std::string::npos)
            require(readings.size() == static_cast<std::size_t>(named - 1), "a bad reading is one the stream fails on");
        return;
    }
    require(readings.size() == 32, "a record read in full has 32 readings the stream takes");
    double minimum = readings[0].value;
    double maximum = readings[0].value;
    for (const taken_reading& r : readings) {
        require(std::isfinite(r.value), "an accepted reading is a number");
        minimum = std::fmin(minimum, r.value);
        maximum = std::fmax(maximum, r.value);
    }
    bool inside = minimum > window_lower && maximum < window_upper;
    require(inside == (a.outcome == verdict::inside), "inside exactly when every reading is");
    if (a.outcome == verdict::outside)
        require(a.stats.minimum == minimum && a.stats.maximum == maximum, "minimum and maximum are the readings'");
}

// body with other white space wherever white space separates two readings;
// readings that touch keep touching.
std::string respaced(std::string_view body, const std::vector<taken_reading>& readings, int variant)
{
    std::string text;
    std::size_t done = 0;
    for (std::size_t i = 1; i < readings.size(); ++i) {
        if (readings[i].start == readings[i - 1].end)
            continue;
        text.append(body.substr(done, readings[i - 1].end - done));
        text += other_white_space(i, variant);
        done = readings[i].start;
    }
    return text.append(body.substr(done));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    analysis a = analyse_bytes(bytes);
    check_answer(a);

    // Header lines are thrown away however long: a longer first line moves
    // the middle of the rest onto the reader's buffer boundary.
    std::size_t header_length = header_end(bytes);
    std::size_t body = std::min(header_length, bytes.size());
    std::size_t middle = body + (bytes.size() - body) / 2;
    std::size_t padding = middle < byte_reader::capacity ? byte_reader::capacity - middle : 0;
    std::string padded = std::string(padding, 'h') + std::string(bytes);
    require(same_answer(a, analyse_bytes(padded)), "same answer with a longer first header line");

    if (header_length == std::string_view::npos)
        return 0;
    std::string_view header = bytes.substr(0, body);
    std::vector<taken_reading> readings = stream_readings(bytes.substr(body));
    check_against_stream(a, readings);
    for (int variant = 0; variant < 2; ++variant) {
        std::string other = std::string(header) + respaced(bytes.substr(body), readings, variant);
        require(same_answer(a, analyse_bytes(other)), "same answer with other white space between readings");
    }
    return 0;
}
