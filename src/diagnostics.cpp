#include "check_RT.h"

#include <algorithm>
#include <cstdio>

namespace {

// How many bytes of a valid UTF-8 character text starts with, or 0 if none:
// no overlong form, no surrogate, nothing above U+10FFFF. code is the
// character's number.
std::size_t utf8_character(std::string_view text, char32_t& code)
{
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(0);
    code = lead;
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char second_low = 0x80;
    unsigned char second_high = 0xbf;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        second_low = lead == 0xe0 ? 0xa0 : 0x80;
        second_high = lead == 0xed ? 0x9f : 0xbf;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        second_low = lead == 0xf0 ? 0x90 : 0x80;
        second_high = lead == 0xf4 ? 0x8f : 0xbf;
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < second_low || byte(1) > second_high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(i) < 0x80 || byte(i) > 0xbf)
            return 0;
    code = lead & (0xff >> (length + 1));
    for (std::size_t i = 1; i < length; ++i)
        code = code << 6 | (byte(i) & 0x3f);
    return length;
}

// Characters that show nothing, yet act on the line: the C1 controls, the
// bidirectional controls that reorder what follows, and the line and
// paragraph separators.
bool is_invisible_control(char32_t code)
{
    return (code >= 0x80 && code <= 0x9f) || code == 0x61c || code == 0x200e || code == 0x200f ||
           (code >= 0x2028 && code <= 0x202e) || (code >= 0x2066 && code <= 0x2069);
}

bool is_shown_as_it_is(unsigned char byte)
{
    return byte >= 0x20 && byte != 0x7f && byte != '\\' && !(byte >= 0x80 && byte <= 0x9f);
}

}  // namespace

std::string printable(std::string_view text)
{
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        char32_t code = 0;
        std::size_t length = utf8_character(text.substr(at), code);
        if (length > 1 && !is_invisible_control(code)) {
            shown.append(text.substr(at, length));
            at += length;
            continue;
        }
        for (std::size_t end = at + std::max<std::size_t>(length, 1); at < end; ++at) {
            auto byte = static_cast<unsigned char>(text[at]);
            if (length <= 1 && is_shown_as_it_is(byte)) {
                shown += text[at];
                continue;
            }
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            shown += escape;
        }
    }
    return shown;
}

void diagnose(std::ostream& err, file_name file, std::string_view reason)
{
    std::string line = "check_RT: " + printable(file.bytes) + ": ";
    line.append(reason).append("\n");
    err.write(line.data(), static_cast<std::streamsize>(line.size()));
    err.flush();
}
