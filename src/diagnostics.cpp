#include "check_RT.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

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

struct code_range {
    char32_t first;
    char32_t last;
};

// Characters that show nothing, or reorder the line, so that what stands
// between quotes in a diagnostic would not be what the file holds: the C1
// controls, the line and paragraph separators, and every format character
// (Unicode 15's category Cf): the soft hyphen, the zero-width characters,
// the byte order mark, the bidirectional controls that reorder what follows,
// the tags and the like. In order, first and last of each run.
constexpr code_range invisible_characters[] = {
    {0x80, 0x9f},        // C1 controls
    {0xad, 0xad},        // soft hyphen
    {0x600, 0x605},      // Arabic number signs
    {0x61c, 0x61c},      // Arabic letter mark
    {0x6dd, 0x6dd},      // Arabic end of ayah
    {0x70f, 0x70f},      // Syriac abbreviation mark
    {0x890, 0x891},      // Arabic pound and piastre marks above
    {0x8e2, 0x8e2},      // Arabic disputed end of ayah
    {0x180e, 0x180e},    // Mongolian vowel separator
    {0x200b, 0x200f},    // zero-width space, non-joiner, joiner; left-to-right, right-to-left marks
    {0x2028, 0x202e},    // line, paragraph separators; bidirectional embeddings, overrides
    {0x2060, 0x2064},    // word joiner and the invisible operators
    {0x2066, 0x206f},    // bidirectional isolates; deprecated shaping controls
    {0xfeff, 0xfeff},    // byte order mark (zero-width no-break space)
    {0xfff9, 0xfffb},    // interlinear annotation controls
    {0x110bd, 0x110bd},  // Kaithi number sign
    {0x110cd, 0x110cd},  // Kaithi number sign above
    {0x13430, 0x1343f},  // Egyptian hieroglyph format controls
    {0x1bca0, 0x1bca3},  // shorthand format controls
    {0x1d173, 0x1d17a},  // musical beams, ties, slurs and phrases
    {0xe0001, 0xe0001},  // language tag
    {0xe0020, 0xe007f},  // tag characters and cancel tag
};

bool is_invisible_character(char32_t code)
{
    return std::any_of(std::begin(invisible_characters), std::end(invisible_characters),
                       [code](const code_range& run) { return code >= run.first && code <= run.last; });
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
        if (length > 1 && !is_invisible_character(code)) {
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
