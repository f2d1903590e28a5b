// Arbitrary bytes as a record file for analyse_record. Besides not crashing,
// its answer must agree with the readings read again here, and must not change
// when only white space or header length changes.
#include "fuzz_checks.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>

namespace {

constexpr double lower = 315.0;
constexpr double upper = 340.0;
constexpr std::size_t buffer_size = 1 << 16;  // byte_reader's

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
    return analyse_record(path, lower, upper);
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
    if (a.outcome == verdict::unreadable)
        require(!a.reason.empty() && printable_line(a.reason), "a reason is one printable line");
}

// A record read in full: its readings, read here with strtod, give the same
// minimum and maximum, and the same verdict.
void check_against_strtod(const analysis& a, const std::vector<std::string_view>& words)
{
    require(words.size() == 33, "a record read in full has a tag and 32 readings");
    double minimum = 0;
    double maximum = 0;
    for (std::size_t i = 1; i < words.size(); ++i) {
        std::string word(words[i]);
        char* end = nullptr;
        double value = std::strtod(word.c_str(), &end);
        require(end == word.c_str() + word.size() && std::isfinite(value), "an accepted reading is a number");
        if (i == 1 || value < minimum)
            minimum = value;
        if (i == 1 || value > maximum)
            maximum = value;
    }
    bool inside = minimum > lower && maximum < upper;
    require(inside == (a.outcome == verdict::inside), "inside exactly when every reading is");
    if (a.outcome == verdict::outside)
        require(a.stats.minimum == minimum && a.stats.maximum == maximum, "minimum and maximum are the readings'");
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
    std::string padded = std::string(middle < buffer_size ? buffer_size - middle : 0, 'h') + std::string(bytes);
    require(same_answer(a, analyse_bytes(padded)), "same answer with a longer first header line");

    if (header_length == std::string_view::npos)
        return 0;
    std::string_view header = bytes.substr(0, body);
    std::string_view rest;
    std::vector<std::string_view> words = words_of(bytes.substr(body), 33, rest);
    if (a.outcome != verdict::unreadable)
        check_against_strtod(a, words);
    for (int variant = 0; variant < 2; ++variant) {
        std::string respaced = std::string(header) + joined(words, variant) + std::string(rest);
        require(same_answer(a, analyse_bytes(respaced)), "same answer with other white space between words");
    }
    return 0;
}
