#pragma once

#include <string>
#include <string_view>

namespace tarnvik::cli {

// The text as a stream without colour gets it: terminal escape sequences (CSI, OSC, string
// and two-byte ones) and control characters other than ASCII white space removed, so that
// nothing from the checked file can drive the terminal.
std::string without_escapes(std::string_view text);

// The text with nothing in it that a terminal acts on, in colour or not: each line drawn like a
// source line of a snippet (control characters as their pictures, ESC as U+241B, a tab as four
// spaces; C1 controls, text direction controls and ill-formed UTF-8 as U+FFFD).
std::string visible_controls(std::string_view text);

}  // namespace tarnvik::cli
