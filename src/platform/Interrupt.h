#pragma once
// Ctrl+C (or a request to end the program) while a console run works: the
// first one only asks the run to stop, which it does at its next step and
// after its clean-up; a second one ends the program at once, as it would
// without the watch.
namespace qm::platform {

class InterruptWatch {
public:
    // From now on, the first interrupt is noted instead of ending the program.
    InterruptWatch();
    // Interrupts end the program again.
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    // True once an interrupt came while the newest watch was held.
    static bool requested();
};

}  // namespace qm::platform
