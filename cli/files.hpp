#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace tarnvik::cli {

struct ReadError {
    bool not_found = false;
    std::string description;  // the system's
};

// The whole file's bytes.
std::variant<std::string, ReadError> read_file(const std::filesystem::path& path);

// Replaces the content of the file at `path` (the file a symbolic link names, when it is one)
// without ever leaving it half written: the text goes to a new file beside it, which is flushed
// to disk, given the original's permission bits and renamed over it. A file that may not be
// written fails as a plain write would, and then nothing on disk changes. Returns the system's
// description of a failure.
std::optional<std::string> replace_file(const std::filesystem::path& path, std::string_view text);

}  // namespace tarnvik::cli
