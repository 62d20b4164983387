#include "project_search.hpp"

#include <fmt/format.h>

#include <array>
#include <vector>

#include "tarnvik/source.hpp"

namespace tarnvik::cli {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view PROJECT_FILE = "pyproject.toml";

struct LockCandidate {
    std::string_view file_name;
    LockKind kind;
};

constexpr std::array<LockCandidate, 2> BESIDE_PROJECT = {{
    {"uv.lock", LockKind::UvLock},
    {"pylock.toml", LockKind::PyLock},
}};
constexpr std::array<LockCandidate, 1> IN_PARENTS = {{{"uv.lock", LockKind::UvLock}}};

bool is_file(const fs::path& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

std::string parents(std::size_t level) {
    std::string out;
    for (std::size_t i = 0; i < level; ++i)
        out += "../";
    return out;
}

// The path made absolute against the current directory, "." components dropped; ".." and
// symbolic links stay as they are.
std::optional<fs::path> made_absolute(const fs::path& path) {
    fs::path base;
    if (path.is_relative()) {
        std::error_code ec;
        base = fs::current_path(ec);
        if (ec) return std::nullopt;
    }
    fs::path out;
    for (const fs::path& part : base / path) {
        if (part != ".") out /= part;
    }
    return out;
}

}  // namespace

std::string display_text(std::string_view bytes) {
    return source::decode(std::string(bytes)).first;
}

std::variant<ProjectFile, std::string> locate_project_file(const std::optional<std::string>& path) {
    if (path) {
        fs::path io_path(*path);
        std::error_code ec;
        const bool directory = fs::is_directory(io_path, ec);
        if (directory) io_path /= PROJECT_FILE;
        return ProjectFile{io_path, display_text(io_path.native()), !directory};
    }
    std::error_code ec;
    fs::path directory = fs::current_path(ec);
    if (ec) return fmt::format("failed to read the current directory: {}", ec.message());
    for (std::size_t level = 0;; ++level) {
        fs::path candidate = directory / PROJECT_FILE;
        if (is_file(candidate)) {
            return ProjectFile{candidate, parents(level) + std::string(PROJECT_FILE)};
        }
        if (!directory.has_relative_path()) break;  // the root has been tried
        directory = directory.parent_path();
    }
    return fmt::format("no `{}` found in the current directory or any parent directory",
                       PROJECT_FILE);
}

std::optional<LockFile> find_lock_file(const ProjectFile& project) {
    std::optional<fs::path> file = made_absolute(project.io_path);
    if (!file || !file->has_relative_path()) return std::nullopt;
    fs::path directory = file->parent_path();
    std::string_view display = project.display;
    std::string prefix = display.ends_with(PROJECT_FILE)
                             ? std::string(display.substr(0, display.size() - PROJECT_FILE.size()))
                             : std::string();
    for (std::size_t level = 0;; ++level) {
        auto try_candidates = [&](const auto& candidates) -> std::optional<LockFile> {
            for (const LockCandidate& candidate : candidates) {
                fs::path lock = directory / candidate.file_name;
                if (is_file(lock)) {
                    return LockFile{lock, candidate.kind,
                                    prefix + parents(level) + std::string(candidate.file_name),
                                    level};
                }
            }
            return std::nullopt;
        };
        auto found = level == 0 ? try_candidates(BESIDE_PROJECT) : try_candidates(IN_PARENTS);
        if (found) return found;
        if (!directory.has_relative_path()) return std::nullopt;
        directory = directory.parent_path();
    }
}

}  // namespace tarnvik::cli
