#include "check_RT.h"

#include <cstdio>

namespace {

// How many bytes of a valid UTF-8 character text starts with, or 0 if none:
// no overlong form, no surrogate, nothing above U+10FFFF.
std::size_t utf8_character(std::string_view text)
{
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(0);
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
    return length;
}

}  // namespace

std::string printable(std::string_view text)
{
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = utf8_character(text.substr(at));
        auto byte = static_cast<unsigned char>(text[at]);
        // U+0080 to U+009F are C1 controls too: C2 80 to C2 9F.
        bool c1_character = length == 2 && byte == 0xc2 && static_cast<unsigned char>(text[at + 1]) < 0xa0;
        if (length > 1 && !c1_character) {
            shown.append(text.substr(at, length));
            at += length;
            continue;
        }
        if (byte < 0x20 || byte == 0x7f || byte == '\\' || (byte >= 0x80 && byte <= 0x9f) || c1_character) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            shown += escape;
        } else {
            shown += text[at];
        }
        ++at;
    }
    return shown;
}

void diagnose(std::ostream& err, std::string_view what, std::string_view reason)
{
    std::string line = "check_RT: " + printable(what) + ": ";
    line.append(reason).append("\n");
    err.write(line.data(), static_cast<std::streamsize>(line.size()));
    err.flush();
}
