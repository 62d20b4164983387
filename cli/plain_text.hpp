#pragma once

#include <string>
#include <string_view>

namespace tarnvik::cli {

// The text as a stream without colour gets it: terminal escape sequences (CSI, OSC, string
// and two-byte ones) and control characters other than ASCII white space removed, so that
// nothing from the checked file can drive the terminal.
std::string without_escapes(std::string_view text);

}  // namespace tarnvik::cli
