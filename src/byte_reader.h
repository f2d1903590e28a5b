#ifndef CHECK_RT_BYTE_READER_H
#define CHECK_RT_BYTE_READER_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

// Offsets in files of any size, also on a 32-bit build.
static_assert(sizeof(off_t) == 8, "off_t must have 64 bits: build with -D_FILE_OFFSET_BITS=64");

// The classic locale's white space, whatever the user's locale says: ' ' and
// '\t' '\n' '\v' '\f' '\r'. One test of a bit, rather than a branch for each.
inline bool is_space(char c)
{
    constexpr std::uint64_t spaces = 1ULL << ' ' | 1ULL << '\t' | 1ULL << '\n' | 1ULL << '\v' | 1ULL << '\f' |
                                     1ULL << '\r';
    auto byte = static_cast<unsigned char>(c);
    return (byte <= ' ') & static_cast<bool>(spaces >> (byte & 63) & 1);
}

// Reads one regular file front to back through a fixed buffer, so that memory
// stays the same however long its lines or words are. Other kinds, which
// could block for ever, never end, or read the user's terminal, are refused
// (the manual says when).
class byte_reader {
public:
    // How many bytes one read takes: a line, word or reading longer than this
    // is gathered across reads.
    static constexpr std::size_t capacity = 1 << 16;

    explicit byte_reader(const std::string& path);
    ~byte_reader();
    byte_reader(const byte_reader&) = delete;
    byte_reader& operator=(const byte_reader&) = delete;

    // Skips past the next count line feeds; false if the file ends first.
    bool skip_lines(int count);

    // Skips a UTF-8 byte order mark at the start of the file, which some
    // editors write in front of the text; only before the first word.
    void skip_byte_order_mark();

    // Skips white space; false if the file ends first.
    bool skip_space();

    // A run of bytes: at most keep of them, valid until the next call, and
    // how many there were, in 64 bits on every build so that none wraps.
    struct run {
        std::string_view kept;
        std::uint64_t length;
    };

    // The bytes from here on that continues(byte) accepts, one after the
    // other, up to the first it refuses.
    template <class Continues>
    run take_run(std::size_t keep, Continues&& continues);

    // The next white-space-delimited word, or none at the end of the file.
    std::optional<run> next_word(std::size_t keep)
    {
        if (!skip_space())
            return std::nullopt;
        return take_run(keep, [](char c) { return !is_space(c); });
    }

    // The bytes read and not yet taken, followed by three NUL bytes, so that
    // a scan can stop at the first byte it does not want without watching
    // for the end, and may look at three bytes at once.
    std::string_view unread() const { return {buffer_.get() + pos_, end_ - pos_}; }
    // Takes count bytes of unread(), as if they had been skipped.
    void take(std::size_t count) { pos_ += count; }

    // Where in the file the first byte of unread() lies.
    off_t tell() const { return offset_ - static_cast<off_t>(end_ - pos_); }
    // Reads up to count bytes at offset again, into bytes, and answers how
    // many it got; for a diagnostic that shows what lies behind.
    std::size_t reread(off_t offset, char* bytes, std::size_t count) const;

    // Asks the system, once, whether this is a regular file or a directory;
    // anything else is refused. Reading asks by itself where it matters.
    void check_kind();

    // Whether the file was refused or an open or read failed, so far.
    bool failed() const { return error_ != 0 || refusal_ != nullptr; }
    // Why the file cannot be read, as a diagnostic says it, or "" if it can:
    // the kind first, so that a device's bytes are never a damaged record.
    std::string failure();

private:
    bool fill();

    int fd_;
    int error_;
    const char* refusal_ = nullptr;
    bool kind_checked_ = false;
    off_t offset_ = 0;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    std::string spill_;
    static constexpr std::size_t padding = 3;
    // On the heap: two readers (the list's and a record's) would take more
    // than a small stack holds.
    std::unique_ptr<char[]> buffer_;
};

template <class Continues>
byte_reader::run byte_reader::take_run(std::size_t keep, Continues&& continues)
{
    std::size_t start = pos_;
    while (pos_ < end_ && continues(buffer_[pos_]))
        ++pos_;
    std::size_t length = pos_ - start;
    if (pos_ < end_)
        return {{buffer_.get() + start, length < keep ? length : keep}, length};

    // The run may go on past the buffer: gather what is kept of it.
    spill_.assign(buffer_.get() + start, length < keep ? length : keep);
    std::uint64_t total = length;
    while (fill()) {
        while (pos_ < end_ && continues(buffer_[pos_]))
            ++pos_;
        spill_.append(buffer_.get(), pos_ < keep - spill_.size() ? pos_ : keep - spill_.size());
        total += pos_;
        if (pos_ < end_)
            break;
    }
    return {spill_, total};
}

#endif
