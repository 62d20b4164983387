#include "interrupts.hpp"

#include <unistd.h>

#include <atomic>
#include <cstddef>

namespace tarnvik::cli {

namespace {

sigset_t interrupt_set() {
    sigset_t set;
    sigemptyset(&set);
    for (int signal : INTERRUPTS)
        sigaddset(&set, signal);
    return set;
}

// What the signal handler needs, which only async-signal-safe calls may touch.
std::atomic<const char*> removed_path{nullptr};
std::array<struct sigaction, INTERRUPTS.size()> previous_actions{};
std::array<bool, INTERRUPTS.size()> installed{};

std::size_t index_of(int signal) {
    std::size_t i = 0;
    while (i + 1 < INTERRUPTS.size() && INTERRUPTS[i] != signal)
        ++i;
    return i;
}

void remove_and_end(int signal) {
    if (const char* path = removed_path.exchange(nullptr)) (void)::unlink(path);
    // The signal is blocked until the handler returns; then it meets the action the process had
    // for it before, which ends it.
    ::sigaction(signal, &previous_actions[index_of(signal)], nullptr);
    ::raise(signal);
}

}  // namespace

HeldInterrupts::HeldInterrupts() {
    const sigset_t held = interrupt_set();
    ::sigprocmask(SIG_BLOCK, &held, &previous_);
}

HeldInterrupts::~HeldInterrupts() {
    ::sigprocmask(SIG_SETMASK, &previous_, nullptr);
}

RemovedOnInterrupt::RemovedOnInterrupt(const char* path) {
    removed_path = path;
    struct sigaction action {};
    action.sa_handler = remove_and_end;
    action.sa_mask = interrupt_set();  // one removal, whichever signals come
    for (std::size_t i = 0; i < INTERRUPTS.size(); ++i) {
        struct sigaction current {};
        installed[i] = ::sigaction(INTERRUPTS[i], nullptr, &current) == 0 &&
                       current.sa_handler != SIG_IGN &&
                       ::sigaction(INTERRUPTS[i], &action, &previous_actions[i]) == 0;
    }
}

RemovedOnInterrupt::~RemovedOnInterrupt() {
    for (std::size_t i = 0; i < INTERRUPTS.size(); ++i) {
        if (installed[i]) ::sigaction(INTERRUPTS[i], &previous_actions[i], nullptr);
    }
    removed_path = nullptr;
}

}  // namespace tarnvik::cli
