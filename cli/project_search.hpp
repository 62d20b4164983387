#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "lock_loader.hpp"

namespace tarnvik::cli {

// The project file: where to read and write it, the name it is shown by, and whether `PATH` named
// it itself (rather than its directory, or no `PATH` given).
struct ProjectFile {
    std::filesystem::path io_path;
    std::string display;
    bool named = false;
};

// `PATH` itself, or `PATH/pyproject.toml` for a directory; without `PATH`, the nearest
// `pyproject.toml` in the current directory or its parents, shown with one "../" per level.
// A failure is the fatal message.
std::variant<ProjectFile, std::string> locate_project_file(const std::optional<std::string>& path);

// The lock file the search settled on: where it is, its format, its display name and how many
// directories above the project file it lies.
struct LockFile {
    std::filesystem::path io_path;
    LockKind kind = LockKind::UvLock;
    std::string display;
    std::size_t level = 0;
};

// The first lock candidate that is a regular file: `uv.lock`, then `pylock.toml` beside the
// project file, then `uv.lock` in each parent directory.
std::optional<LockFile> find_lock_file(const ProjectFile& project);

// The text shown for raw path bytes: invalid UTF-8 replaced.
std::string display_text(std::string_view bytes);

}  // namespace tarnvik::cli
