// Asks Windows itself (or Wine standing in for it) what code page 949 does, so the table the Linux build
// converts with, and the test that holds it to account, have a reference that is not our own code.
//
// It prints the whole behaviour one unit at a time: every single byte ("B"), every pair of bytes ("P"),
// every UTF-16 unit ("W"). Then it reads lines "U <hex>" (UTF-8 to CP949) and "C <hex>" (CP949 to
// UTF-8) from standard input and answers each through the Windows branch of Cp949.cpp, so whole texts
// are judged the way the Windows build converts them. One run gives everything: starting Wine is
// the slow part.
#include "foundations/Cp949.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <string>

namespace {

// The same arguments as the Windows branch of Cp949.cpp: no flags, "?" for what 949 cannot hold.
void PrintDecoded(const char* bytes, int len) {
    WCHAR out[4];
    int n = MultiByteToWideChar(949, 0, bytes, len, out, 4);
    for (int i = 0; i < n; ++i) {
        std::printf(" %04X", static_cast<unsigned>(out[i]));
    }
    std::printf("\n");
}

void PrintEncoded(WCHAR unit) {
    char out[8];
    int n = WideCharToMultiByte(949, 0, &unit, 1, out, sizeof out, "?", nullptr);
    for (int i = 0; i < n; ++i) {
        std::printf(" %02X", static_cast<unsigned char>(out[i]));
    }
    std::printf("\n");
}

void PrintTables() {
    for (int b = 0; b < 256; ++b) {
        char in[1] = {static_cast<char>(b)};
        std::printf("B %02X", b);
        PrintDecoded(in, 1);
    }
    for (int lead = 0; lead < 256; ++lead) {
        for (int trail = 0; trail < 256; ++trail) {
            char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            std::printf("P %02X%02X", lead, trail);
            PrintDecoded(in, 2);
        }
    }
    for (int u = 0; u < 0x10000; ++u) {
        std::printf("W %04X", u);
        PrintEncoded(static_cast<WCHAR>(u));
    }
}

std::string FromHex(const char* hex) {
    std::string out;
    for (; hex[0] && hex[1] && hex[0] != '\n' && hex[0] != '\r'; hex += 2) {
        char pair[3] = {hex[0], hex[1], 0};
        out.push_back(static_cast<char>(std::strtoul(pair, nullptr, 16)));
    }
    return out;
}

void PrintHex(const std::string& s) {
    for (unsigned char c : s) {
        std::printf("%02X", c);
    }
}

void AnswerStrings() {
    static char line[1 << 16];
    while (std::fgets(line, sizeof line, stdin)) {
        if ((line[0] != 'U' && line[0] != 'C') || line[1] != ' ') {
            continue;
        }
        std::string in = FromHex(line + 2);
        std::string out = line[0] == 'U' ? dovra::Utf8ToCp949(in) : dovra::Cp949ToUtf8(in);
        std::printf("%c ", line[0]);
        PrintHex(in);
        std::printf(" ");
        PrintHex(out);
        std::printf("\n");
    }
}

} // namespace

int main() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    PrintTables();
    AnswerStrings();
    return std::fflush(stdout) == 0 ? 0 : 1;
}
