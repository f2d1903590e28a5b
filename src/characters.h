#ifndef CHECK_RT_CHARACTERS_H
#define CHECK_RT_CHARACTERS_H

// Which bytes printable shows as they are. constexpr, so that the build can
// refuse a compiled-in data directory that it would not show as it is.

#include <cstddef>
#include <string_view>

// How many bytes of a valid UTF-8 character text starts with, or 0 if none:
// no overlong form, no surrogate, nothing above U+10FFFF. code is the
// character's number.
constexpr std::size_t utf8_character(std::string_view text, char32_t& code)
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

// Characters that show nothing, break the line or reorder it, so that what
// stands between quotes in a diagnostic would not be what the file holds:
// the C1 controls, the line and paragraph separators, and Unicode 15.1's
// format characters (category Cf) and default-ignorable code points, among
// them unassigned ones that Unicode keeps for more such characters. In
// order, first and last of each run.
inline constexpr code_range invisible_characters[] = {
    {0x80, 0x9f},        // C1 controls
    {0xad, 0xad},        // soft hyphen
    {0x34f, 0x34f},      // combining grapheme joiner
    {0x600, 0x605},      // Arabic number signs
    {0x61c, 0x61c},      // Arabic letter mark
    {0x6dd, 0x6dd},      // Arabic end of ayah
    {0x70f, 0x70f},      // Syriac abbreviation mark
    {0x890, 0x891},      // Arabic pound and piastre marks above
    {0x8e2, 0x8e2},      // Arabic disputed end of ayah
    {0x115f, 0x1160},    // Hangul choseong and jungseong fillers
    {0x17b4, 0x17b5},    // Khmer inherent vowels
    {0x180b, 0x180f},    // Mongolian variation selectors and vowel separator
    {0x200b, 0x200f},    // zero-width space, non-joiner, joiner; left-to-right, right-to-left marks
    {0x2028, 0x202e},    // line, paragraph separators; bidirectional embeddings, overrides
    {0x2060, 0x206f},    // word joiner, invisible operators, bidirectional isolates, deprecated shaping controls
    {0x3164, 0x3164},    // Hangul filler
    {0xfe00, 0xfe0f},    // variation selectors
    {0xfeff, 0xfeff},    // byte order mark (zero-width no-break space)
    {0xffa0, 0xffa0},    // halfwidth Hangul filler
    {0xfff0, 0xfffb},    // interlinear annotation controls, and the unassigned before them
    {0x110bd, 0x110bd},  // Kaithi number sign
    {0x110cd, 0x110cd},  // Kaithi number sign above
    {0x13430, 0x1343f},  // Egyptian hieroglyph format controls
    {0x1bca0, 0x1bca3},  // shorthand format controls
    {0x1d173, 0x1d17a},  // musical beams, ties, slurs and phrases
    {0xe0000, 0xe0fff},  // tags, variation selectors supplement, and the unassigned around them
};

constexpr bool is_invisible_character(char32_t code)
{
    for (const code_range& run : invisible_characters)
        if (code >= run.first && code <= run.last)
            return true;
    return false;
}

// The first piece of a non-empty text as printable takes it: a valid
// character of more than one byte, or a single byte; and whether it shows as
// it is, or is escaped a byte at a time.
struct text_piece {
    std::size_t length;
    bool shown;
};

constexpr text_piece first_piece(std::string_view text)
{
    char32_t code = 0;
    std::size_t length = utf8_character(text, code);
    if (length > 1)
        return {length, !is_invisible_character(code)};
    // A byte 0x80 to 0x9f outside a character is a C1 control to a terminal.
    auto byte = static_cast<unsigned char>(text[0]);
    return {1, byte >= 0x20 && byte != 0x7f && byte != '\\' && !(byte >= 0x80 && byte <= 0x9f)};
}

// Whether printable shows text as it is, its backslashes aside.
constexpr bool shown_as_it_is(std::string_view text)
{
    for (std::size_t at = 0; at < text.size();) {
        text_piece piece = first_piece(text.substr(at));
        if (!piece.shown && text[at] != '\\')
            return false;
        at += piece.length;
    }
    return true;
}

#endif
