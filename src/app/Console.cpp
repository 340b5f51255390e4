#include "app/Console.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string_view>

#ifndef _WIN32
#include <termios.h>
#include <unistd.h>
#endif

namespace {

// Exactly StatusColumnWidth full stops; a label takes its own length off the front. A character array,
// so that it has no destructor and stays valid whenever a line is printed.
constexpr char StatusLeader[] = ".....................................";
static_assert(sizeof StatusLeader - 1 == StatusColumnWidth);

#ifndef _WIN32
// Reads one key without waiting for Enter when standard input is a terminal.
void waitForOneKey() {
    termios saved{};
    const bool terminal = isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &saved) == 0;
    if (terminal) {
        termios raw = saved;
        raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
        raw.c_cc[VMIN] = 1;
        raw.c_cc[VTIME] = 0;
        tcsetattr(STDIN_FILENO, TCSANOW, &raw);
    }
    char key = 0;
    // A closed or exhausted standard input returns 0 at once: nothing to wait for.
    [[maybe_unused]] const ssize_t got = read(STDIN_FILENO, &key, 1);
    if (terminal) {
        tcsetattr(STDIN_FILENO, TCSANOW, &saved);
        std::cout << std::endl;
    }
}
#endif

} // namespace

void printStatusLabel(const std::string& label) {
    const auto width = static_cast<size_t>(StatusColumnWidth);
    const size_t dots = label.size() < width ? width - label.size() : 0;
    std::cout << "\t\t" << label << ' ' << std::string_view(StatusLeader, dots);
}

void fatalError(const std::string& message) {
    std::cout << message << std::endl;
    pauseConsole();
    std::exit(1);
}

void pauseConsole() {
    std::cout.flush();
#ifdef _WIN32
    std::system("pause");
#else
    std::cout << "Press any key to continue . . . " << std::flush;
    waitForOneKey();
#endif
}
