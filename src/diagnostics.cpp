#include "check_RT.h"
#include "characters.h"

#include <cstdio>

std::string printable(std::string_view text)
{
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        text_piece piece = first_piece(text.substr(at));
        if (piece.shown) {
            shown.append(text.substr(at, piece.length));
        } else {
            for (std::size_t i = at; i < at + piece.length; ++i) {
                char escape[5];
                std::snprintf(escape, sizeof escape, "\\x%02x", static_cast<unsigned char>(text[i]));
                shown += escape;
            }
        }
        at += piece.length;
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
