#ifndef CHECK_RT_BYTE_READER_H
#define CHECK_RT_BYTE_READER_H

#include <cstddef>
#include <string>
#include <string_view>

// Reads one file front to back through a fixed buffer, so that memory stays
// the same however long its lines or words are. Closes the file when it goes.
class byte_reader {
public:
    explicit byte_reader(const std::string& path);
    ~byte_reader();
    byte_reader(const byte_reader&) = delete;
    byte_reader& operator=(const byte_reader&) = delete;

    // Skips past the next count line feeds; false if the file ends first.
    bool skip_lines(int count);

    // Skips a UTF-8 byte order mark at the start of the file, which some
    // editors write in front of the text; only before the first word.
    void skip_byte_order_mark();

    // The next white-space-delimited word; length 0 at the end of the file.
    // At most keep bytes of it are returned, valid until the next call;
    // length is the word's whole length.
    std::string_view next_word(std::size_t keep, std::size_t& length);

    // errno of the failed open or read, 0 while there is none.
    int error() const { return error_; }

private:
    bool fill();

    int fd_;
    int error_ = 0;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    std::string spill_;
    char buffer_[1 << 16];
};

#endif
