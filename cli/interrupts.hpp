#pragma once

#include <signal.h>

#include <array>

namespace tarnvik::cli {

// The signals that ask a program to end: an interrupt or a quit from the terminal, a hang-up, a
// termination. None of them may cut a write of the project file short.
inline constexpr std::array<int, 4> INTERRUPTS = {SIGINT, SIGQUIT, SIGHUP, SIGTERM};

// While it lives, an interrupt waits: one that arrives meanwhile takes effect as it goes, as it
// would have without it. For a few steps that must all happen or none.
class HeldInterrupts {
  public:
    HeldInterrupts();
    HeldInterrupts(const HeldInterrupts&) = delete;
    HeldInterrupts& operator=(const HeldInterrupts&) = delete;
    ~HeldInterrupts();

  private:
    sigset_t previous_;
};

// While it lives, an interrupt first removes the file at `path`, a temporary file of ours, and
// then takes effect as it would have: a signal the process ignores stays ignored. One at a time;
// the path must outlive it.
class RemovedOnInterrupt {
  public:
    explicit RemovedOnInterrupt(const char* path);
    RemovedOnInterrupt(const RemovedOnInterrupt&) = delete;
    RemovedOnInterrupt& operator=(const RemovedOnInterrupt&) = delete;
    ~RemovedOnInterrupt();
};

}  // namespace tarnvik::cli
