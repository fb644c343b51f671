// console.cpp -- line input and output on C streams
#include "platform/console.h"

namespace platform {

std::optional<std::string> readLine(std::FILE* in) {
    std::string line;
    for (;;) {
        int c = std::getc(in);
        if (c == EOF) return std::nullopt;
        if (c == '\n') return line;
        if (c != '\r') line.push_back(char(c));
    }
}

void writeFlushed(std::FILE* out, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), out);
    std::fflush(out);
}

}  // namespace platform
