#include "platform/Terminal.h"

#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <iostream>

namespace qm::platform {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr int kSignalCount = sizeof kSignals / sizeof kSignals[0];
termios savedTerminal;
struct sigaction savedActions[kSignalCount];

void restoreHandlers() {
    for (int i = 0; i < kSignalCount; ++i) sigaction(kSignals[i], &savedActions[i], nullptr);
}

// An interrupt while the echo is off would leave the user's shell blind:
// the echo comes back, then the signal does what it did before.
extern "C" void restoreEchoAndResignal(int signal) {
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal);
    restoreHandlers();
    raise(signal);
}

}  // namespace

bool inputIsTerminal() { return isatty(STDIN_FILENO) == 1; }

bool errorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

bool readLineUnechoed(std::string& line) {
    const bool terminal = tcgetattr(STDIN_FILENO, &savedTerminal) == 0;
    if (terminal) {
        struct sigaction action {};
        action.sa_handler = restoreEchoAndResignal;
        sigemptyset(&action.sa_mask);
        for (int i = 0; i < kSignalCount; ++i) sigaction(kSignals[i], &action, &savedActions[i]);
        termios quiet = savedTerminal;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet.c_lflag |= ECHONL;  // the Enter key still ends the line on screen
        // Typed ahead before the prompt is not taken for the password.
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    const bool read = static_cast<bool>(std::getline(std::cin, line));
    if (terminal) {
        // What was typed after the password (an answer to come) stays.
        tcsetattr(STDIN_FILENO, TCSANOW, &savedTerminal);
        restoreHandlers();
    }
    if (read && !line.empty() && line.back() == '\r') line.pop_back();
    return read;
}

}  // namespace qm::platform
