#include "platform/Interrupt.h"

#include <signal.h>

#include <cstddef>

namespace qm::platform {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM};
volatile sig_atomic_t interrupted = 0;
struct sigaction saved[sizeof kSignals / sizeof kSignals[0]];

// The handler goes with its first call (SA_RESETHAND): a second interrupt
// ends the program as it always did.
extern "C" void noteInterrupt(int) { interrupted = 1; }

}  // namespace

InterruptWatch::InterruptWatch() {
    interrupted = 0;
    struct sigaction action {};
    action.sa_handler = noteInterrupt;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < sizeof kSignals / sizeof kSignals[0]; ++i) sigaction(kSignals[i], &action, &saved[i]);
}

InterruptWatch::~InterruptWatch() {
    for (std::size_t i = 0; i < sizeof kSignals / sizeof kSignals[0]; ++i) sigaction(kSignals[i], &saved[i], nullptr);
}

bool InterruptWatch::requested() { return interrupted != 0; }

}  // namespace qm::platform
