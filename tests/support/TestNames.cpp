#include "support/TestNames.h"

#include <cstdio>

namespace kestrel::testing {

namespace {

bool isLetterOrDigit(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

std::string wordFor(char c) {
    switch (c) {
    case '/':
        return "sl";
    case '\\':
        return "bs";
    case '.':
        return "dot";
    case ':':
        return "colon";
    case ' ':
        return "sp";
    case ',':
        return "comma";
    case '_':
        return "us";
    case '-':
        return "dash";
    case '\0':
        return "nul";
    default: {
        char hex[8];
        std::snprintf(hex, sizeof hex, "x%02X", static_cast<unsigned char>(c));
        return hex;
    }
    }
}

} // namespace

std::string TestNameOf(std::string_view text) {
    if (text.empty())
        return "empty";
    std::string name;
    bool inWord = false; // the last part was letters and digits
    for (char c : text) {
        if (isLetterOrDigit(c)) {
            if (!inWord && !name.empty())
                name += '_';
            name += c;
            inWord = true;
        } else {
            if (!name.empty())
                name += '_';
            name += wordFor(c);
            inWord = false;
        }
    }
    return name;
}

} // namespace kestrel::testing
