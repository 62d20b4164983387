#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace tarnvik::cli {

// The values of `tarnvik check`.
struct CheckArgs {
    std::optional<std::string> path;  // raw bytes of the operating system's path
    bool fix = false;
    bool unsafe_fixes = false;
};

// What the command line settles on its own: help, version or a usage error, with the text for
// each stream and the exit status.
struct EarlyExit {
    int status = 0;
    std::string out;
    std::string err;
};

// Parses the process arguments, the first being the program's own path.
std::variant<CheckArgs, EarlyExit> parse_command_line(const std::vector<std::string>& args);

// The common command line, `check [PATH] [--fix] [--unsafe-fixes]` in any order, read without
// building the command-line library's parser, which costs about as much as checking a small
// file. None for any other, which `parse_with_library` reads; where both read a command line,
// they give the same values.
std::optional<CheckArgs> parse_common_check(const std::vector<std::string>& args);

// Any command line, help, version and usage errors included, read by the command-line library.
std::variant<CheckArgs, EarlyExit> parse_with_library(const std::vector<std::string>& args);

}  // namespace tarnvik::cli
