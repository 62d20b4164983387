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

// Replaces the content of the file at `path` (the file a symbolic link names, when it is one).
// Where it can, without ever leaving it half written: the text goes to a new file beside it,
// which is flushed to disk, given the original's permission bits and renamed over it. Where
// that cannot work (the directory takes no new file or refuses the rename, or the file has
// other hard links, which a rename would leave with the old text), the text is written over
// the file itself. A file that may not be written fails as a plain write would, and then
// nothing on disk changes; no temporary file is ever left behind. Returns the system's
// description of a failure.
std::optional<std::string> replace_file(const std::filesystem::path& path, std::string_view text);

}  // namespace tarnvik::cli
