#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarnvik::cli {

// Writes all of `text` to a file descriptor; the system's description of the failure, if any.
// Needs SIGPIPE ignored, so that a closed pipe is an error here and not the end of the process.
std::optional<std::string> write_all(int fd, std::string_view text);

// Warnings and errors, as plain text: whatever file or path they quote, colour or not, no
// control character but the line end reaches standard error (see visible_controls). Nothing is
// left to report a failure on, so it is dropped.
void write_stderr(std::string_view text);

}  // namespace tarnvik::cli
