#include "run.hpp"

#include <fmt/format.h>
#include <unistd.h>

#include <algorithm>
#include <new>
#include <variant>

#include "color.hpp"
#include "files.hpp"
#include "heap.hpp"
#include "plain_text.hpp"
#include "project_search.hpp"
#include "render/render_diagnostic.hpp"
#include "streams.hpp"
#include "summary.hpp"
#include "tarnvik/check.hpp"
#include "tarnvik/fix.hpp"
#include "tarnvik/lock.hpp"

namespace tarnvik::cli {

namespace {

// The message of a failure that ends the run with status 2.
struct Fatal {
    std::string message;
};

template <typename T>
using Outcome = std::variant<T, Fatal>;

void warn(const std::string& message) {
    write_stderr("warning: " + message + "\n");
}

// A stream that `PATH` names (standard input, a shell's `<(command)`) is read, unless fixes are
// to be written back, which only a regular file takes; one found in a directory is not, since a
// named pipe there would block the run.
Outcome<FileContent> read_project(const ProjectFile& project, bool fix) {
    const bool streams = project.named && !fix;
    auto read = read_file(project.io_path, streams ? Streams::Read : Streams::Refused);
    if (auto* content = std::get_if<FileContent>(&read)) return std::move(*content);
    const ReadError& error = std::get<ReadError>(read);
    if (error.not_found) return Fatal{fmt::format("`{}` does not exist", project.display)};
    if (error.not_regular && project.named && fix) {
        return Fatal{
            fmt::format("cannot write fixes to `{}`: {}", project.display, error.description)};
    }
    return Fatal{fmt::format("failed to read `{}`: {}", project.display, error.description)};
}

// Writes the fixed text over the project file, unless it has changed since it was read.
std::optional<Fatal> write_project(const ProjectFile& project, std::string_view text,
                                   const FileContent& read) {
    std::optional<WriteError> error = replace_file(project.io_path, text, read);
    if (!error) return std::nullopt;
    if (error->changed) {
        return Fatal{fmt::format(
            "`{}` was changed on disk while it was checked, so the fixes were not written",
            project.display)};
    }
    return Fatal{fmt::format("failed to write `{}`: {}", project.display, error->description)};
}

// Why a lock file could not be used: its read failure or its parse error.
struct LockProblem {
    std::string description;
};

std::variant<lock::Lock, LockProblem> load_lock_file(const LockFile& file) {
    auto mapped = map_file(file.io_path);
    if (auto* error = std::get_if<ReadError>(&mapped)) return LockProblem{error->description};
    const MappedFile& bytes = std::get<MappedFile>(mapped);
    // The bytes a plain read has passed are not kept in memory: a large lock costs little more
    // than its list of packages.
    auto loaded = load_lock_text(file.kind, file.display, bytes.bytes(),
                                 [&bytes](std::size_t offset) { bytes.release_before(offset); });
    if (bytes.cut_short()) return LockProblem{"the file was shortened while it was read"};
    if (auto* error = std::get_if<std::string>(&loaded)) return LockProblem{std::move(*error)};
    return std::move(std::get<lock::Lock>(loaded));
}

// A lock too large for the memory the process may take is one that cannot be used: what its
// load held is given back as the load unwinds, and the run goes on without it.
std::variant<lock::Lock, LockProblem> load_lock_in_memory(const LockFile& file) {
    try {
        return load_lock_file(file);
    } catch (const std::bad_alloc&) {
        return LockProblem{"out of memory"};
    }
}

// The lock that tool versions are taken from: the one the search found, when it loads, and,
// when it lies in a parent directory, only when it lists the project as its own.
std::optional<lock::Lock> load_project_lock(const ProjectFile& project, std::string_view bytes) {
    std::optional<LockFile> found = find_lock_file(project);
    if (!found) return std::nullopt;
    auto loaded = load_lock_in_memory(*found);
    if (auto* problem = std::get_if<LockProblem>(&loaded)) {
        // A parse error's display keeps its own closing line end before the warning's.
        warn(fmt::format("failed to read `{}`, so tool versions are not taken from it: {}",
                         found->display, problem->description));
        return std::nullopt;
    }
    lock::Lock& lock = std::get<lock::Lock>(loaded);
    if (found->level == 0) return std::move(lock);
    std::optional<std::string> name = lock::project_name(display_text(bytes));
    if (!(name && lock.has_local_package(*name))) return std::nullopt;
    return std::move(lock);
}

struct Checked {
    CheckResult report;
    std::size_t fixed = 0;
};

Outcome<Checked> check_or_fix(const ProjectFile& project, FileContent content,
                              const lock::Lock* lock, bool fix, bool unsafe_fixes) {
    if (!fix) return Checked{check_with_lock(std::move(content.bytes), lock), 0};
    // A copy: the write compares the file with the bytes read.
    fix::FixResult result =
        fix::fix(content.bytes, lock, unsafe_fixes ? Applicability::Unsafe : Applicability::Safe);
    if (result.fixed > 0) {
        if (auto fatal = write_project(project, result.output, content)) return *fatal;
    }
    if (result.skipped > 0) {
        warn(fmt::format("skipped {} that would have made `{}` invalid TOML; please report this",
                         count_phrase(result.skipped, "fix", "es"), project.display));
    }
    return Checked{std::move(result.report), result.fixed};
}

// Prints the diagnostics, the "Fixed" line, the summary and the hint; a failed write to
// standard output ends the run.
Outcome<std::uint8_t> report(const Checked& checked, const ProjectFile& project,
                             bool unsafe_fixes) {
    bool color = color_enabled_for(STDOUT_FILENO);
    auto print = [color](const std::string& text) -> std::optional<Fatal> {
        if (auto error = write_all(STDOUT_FILENO, color ? text : without_escapes(text))) {
            return Fatal{*error};
        }
        return std::nullopt;
    };
    const std::vector<Diagnostic>& diagnostics = checked.report.diagnostics;
    DiagnosticRenderer renderer(checked.report.source, project.display, color);
    for (const Diagnostic& diagnostic : diagnostics) {
        if (auto fatal = print(renderer.render(diagnostic) + "\n\n")) return *fatal;
    }
    std::string tail;
    if (checked.fixed > 0)
        tail += fmt::format("Fixed {}.\n", count_phrase(checked.fixed, "problem", "s"));
    tail += summary_line(diagnostics) + "\n";
    if (auto hint = fix_hint_line(diagnostics, unsafe_fixes)) tail += *hint + "\n";
    if (auto fatal = print(tail)) return *fatal;
    bool any_error = std::any_of(diagnostics.begin(), diagnostics.end(),
                                 [](const Diagnostic& d) { return d.severity == Severity::Error; });
    return static_cast<std::uint8_t>(any_error ? 1 : 0);
}

// `checking` is given the project file's display name as soon as it is found.
Outcome<std::uint8_t> run(const std::optional<std::string>& path, bool fix, bool unsafe_fixes,
                          std::string& checking) {
    auto located = locate_project_file(path);
    if (auto* message = std::get_if<std::string>(&located)) return Fatal{*message};
    const ProjectFile& project = std::get<ProjectFile>(located);
    checking = project.display;

    auto read = read_project(project, fix);
    if (auto* fatal = std::get_if<Fatal>(&read)) return *fatal;
    FileContent& content = std::get<FileContent>(read);
    prepare_heap(content.bytes.size());

    std::optional<lock::Lock> lock = load_project_lock(project, content.bytes);
    auto checked =
        check_or_fix(project, std::move(content), lock ? &*lock : nullptr, fix, unsafe_fixes);
    if (auto* fatal = std::get_if<Fatal>(&checked)) return *fatal;
    return report(std::get<Checked>(checked), project, unsafe_fixes);
}

}  // namespace

std::uint8_t run_check(std::optional<std::string> path, bool fix, bool unsafe_fixes) {
    // Until the search has found the project file, the file asked for.
    std::string checking = path ? display_text(*path) : std::string("pyproject.toml");
    Outcome<std::uint8_t> outcome = std::uint8_t{0};
    try {
        outcome = run(path, fix, unsafe_fixes, checking);
    } catch (const std::bad_alloc&) {
        // Thrown from anywhere in a check that outgrows the memory the process may take; what
        // the run held is given back as it unwinds, and what it printed stays.
        outcome = Fatal{fmt::format("failed to check `{}`: out of memory", checking)};
    }
    if (auto* fatal = std::get_if<Fatal>(&outcome)) {
        write_stderr("error: " + fatal->message + "\n");
        return 2;
    }
    return std::get<std::uint8_t>(outcome);
}

}  // namespace tarnvik::cli
