#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/filter.h>
#include <linux/fs.h>
#include <linux/seccomp.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <thread>

#include "command_line.hpp"
#include "files.hpp"
#include "project_search.hpp"
#include "streams.hpp"
#include "summary.hpp"

namespace tarnvik::cli {
namespace {

namespace fs = std::filesystem;

Diagnostic finding(Severity severity, std::optional<Applicability> fix = std::nullopt) {
    Diagnostic d = severity == Severity::Error ? Diagnostic::error("e", {}, Code::InvalidValue)
                                               : Diagnostic::warning("w", {}, Code::InvalidValue);
    if (fix) d = std::move(d).with_fix(Fix{{}, *fix});
    return d;
}

// The summary counts errors and warnings with singular and plural nouns.
TEST(Summary, CountsErrorsAndWarnings) {
    const auto E = Severity::Error;
    const auto W = Severity::Warning;
    const std::pair<std::vector<Severity>, std::string_view> cases[] = {
        {{}, "All checks passed!"},
        {{E}, "Found 1 error."},
        {{E, E}, "Found 2 errors."},
        {{W, W}, "Found 2 warnings."},
        {{E, W}, "Found 1 error and 1 warning."},
        {{E, E, W}, "Found 2 errors and 1 warning."},
    };
    for (const auto& [severities, expected] : cases) {
        std::vector<Diagnostic> diagnostics;
        for (Severity s : severities)
            diagnostics.push_back(finding(s));
        EXPECT_EQ(summary_line(diagnostics), expected);
    }
    EXPECT_EQ(count_phrase(3, "fix", "es"), "3 fixes");
    EXPECT_EQ(count_phrase(1, "fix", "es"), "1 fix");
}

// The hint counts fixes by applicability, whatever the severity, and names the flags needed.
TEST(Summary, FixHintNamesTheFlagsNeeded) {
    const auto S = Applicability::Safe;
    const auto U = Applicability::Unsafe;
    struct Case {
        std::vector<std::optional<Applicability>> fixes;
        bool unsafe_fixes;
        std::optional<std::string_view> expected;
        bool invalid_toml = false;  // the last finding is `invalid-toml`
    };
    const Case cases[] = {
        {{}, false, std::nullopt},
        {{std::nullopt}, true, std::nullopt},
        {{S}, false, "1 problem is fixable with `--fix`."},
        {{S, S}, false, "2 problems are fixable with `--fix`."},
        {{S, U, U}, false, "1 problem is fixable with `--fix` (2 more with `--unsafe-fixes`)."},
        {{S, U, U}, true, "3 problems are fixable with `--fix --unsafe-fixes`."},
        {{U}, false, "1 problem is fixable with `--fix --unsafe-fixes`."},
        {{U, U}, true, "2 problems are fixable with `--fix --unsafe-fixes`."},
        // `--fix` leaves a file that is not valid TOML as it is.
        {{S, std::nullopt}, false, std::nullopt, true},
        {{S, U, std::nullopt}, true, std::nullopt, true},
    };
    for (const Case& c : cases) {
        std::vector<Diagnostic> diagnostics;
        for (std::size_t i = 0; i < c.fixes.size(); ++i) {
            diagnostics.push_back(finding(i % 2 ? Severity::Warning : Severity::Error, c.fixes[i]));
        }
        if (c.invalid_toml) diagnostics.back().code = Code::InvalidToml;
        EXPECT_EQ(fix_hint_line(diagnostics, c.unsafe_fixes), c.expected);
    }
}

// Help and version go to standard output with status 0; no arguments shows the root help on
// standard error with status 2; every usage error is status 2 on standard error.
TEST(CommandLine, StreamsAndStatuses) {
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string_view out_starts;
        std::string_view err_starts;
    };
    const Case cases[] = {
        {{}, 2, "", "Version-aware intelligence for pyproject.toml\n\nUsage: tarnvik <COMMAND>"},
        {{"--help"}, 0, "Version-aware intelligence for pyproject.toml\n\nUsage: tarnvik", ""},
        {{"-h"}, 0, "Version-aware intelligence", ""},
        {{"--version"}, 0, "tarnvik " TARNVIK_VERSION "\n", ""},
        {{"-V"}, 0, "tarnvik " TARNVIK_VERSION "\n", ""},
        {{"help"}, 0, "Version-aware intelligence", ""},
        {{"help", "check"},
         0,
         "Check a pyproject.toml file for problems\n\nUsage: tarnvik check",
         ""},
        {{"check", "--help"}, 0, "Check a pyproject.toml file for problems", ""},
        {{"check", "--version"}, 2, "", "error: "},
        {{"check", "--fix", "--fix"}, 2, "", "error: the argument '--fix' cannot be used"},
        {{"check", "--unsafe-fixes", "--unsafe-fixes"}, 2, "", "error: the argument"},
        {{"check", "a", "b"}, 2, "", "error: "},
        {{"check", "--frobnicate"}, 2, "", "error: "},
        {{"frobnicate"}, 2, "", "error: unrecognized subcommand 'frobnicate'"},
        {{"help", "frobnicate"}, 2, "", "error: unrecognized subcommand 'frobnicate'"},
        {{"--fix"}, 2, "", "error: "},
        {{"check", "--fix=1"}, 2, "", "error: unexpected value '1' for '--fix' found"},
        {{"check", "--fix=true"}, 2, "", "error: unexpected value 'true' for '--fix'"},
        {{"check", "--unsafe-fixes="}, 2, "", "error: unexpected value '' for '--unsafe-fixes'"},
        {{"--help=1"}, 2, "", "error: unexpected value '1' for '--help'"},
        {{"--version=1"}, 2, "", "error: unexpected value '1' for '--version'"},
        {{"--", "check"}, 2, "", "error: unexpected argument 'check' found"},
        {{"check", "-1"}, 2, "", "error: unexpected argument '-1' found"},
        {{"check", "--fix", "-.5"}, 2, "", "error: unexpected argument '-.5' found"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"tarnvik"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        SCOPED_TRACE(::testing::PrintToString(c.args));
        auto parsed = parse_command_line(args);
        ASSERT_TRUE(std::holds_alternative<EarlyExit>(parsed));
        const EarlyExit& exit = std::get<EarlyExit>(parsed);
        EXPECT_EQ(exit.status, c.status);
        EXPECT_TRUE(exit.out.starts_with(c.out_starts)) << exit.out;
        EXPECT_TRUE(exit.err.starts_with(c.err_starts)) << exit.err;
        EXPECT_EQ(exit.out.empty(), c.out_starts.empty());
        EXPECT_EQ(exit.err.empty(), c.err_starts.empty());
        if (c.status == 2 && !c.args.empty()) {
            EXPECT_NE(exit.err.find("\nUsage: tarnvik"), std::string::npos) << exit.err;
        }
    }
}

TEST(CommandLine, CheckValues) {
    struct Case {
        std::vector<std::string> args;
        std::optional<std::string> path;
        bool fix;
        bool unsafe_fixes;
    };
    const Case cases[] = {
        {{"check"}, std::nullopt, false, false},
        {{"check", "--unsafe-fixes"}, std::nullopt, false, true},
        {{"check", "dir", "--fix"}, "dir", true, false},
        {{"check", "--fix", "--unsafe-fixes", "x.toml"}, "x.toml", true, true},
        {{"check", "--", "-odd"}, "-odd", false, false},
        {{"check", "--", "--fix=1"}, "--fix=1", false, false},
        {{"check", "--", "-1"}, "-1", false, false},
        {{"check", "caf\xff"}, "caf\xff", false, false},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"tarnvik"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        auto parsed = parse_command_line(args);
        ASSERT_TRUE(std::holds_alternative<CheckArgs>(parsed));
        const CheckArgs& values = std::get<CheckArgs>(parsed);
        EXPECT_EQ(values.path, c.path);
        EXPECT_EQ(values.fix, c.fix);
        EXPECT_EQ(values.unsafe_fixes, c.unsafe_fixes);
    }
}

// Every command line the common reading takes gets the values the library gives it; the
// command lines are all the sequences of up to four words after `check` from a set that holds
// the flags, paths, subcommand names and things that only look like them.
TEST(CommandLine, CommonCheckAgreesWithTheLibrary) {
    const std::string words[] = {
        "--fix", "--unsafe-fixes", "a",      "b.toml", "check", "help", "-", "--", "",
        "-h",    "--fix=1",        "caf\xff"};
    std::vector<std::vector<std::string>> lines{{"tarnvik", "check"}};
    for (std::size_t start = 0, length = 0; length < 4; ++length) {
        const std::size_t end = lines.size();
        for (std::size_t i = start; i < end; ++i) {
            for (const std::string& word : words) {
                lines.push_back(lines[i]);
                lines.back().push_back(word);
            }
        }
        start = end;
    }
    int common = 0;
    for (const auto& line : lines) {
        const std::optional<CheckArgs> fast = parse_common_check(line);
        if (!fast) continue;
        ++common;
        const auto library = parse_with_library(line);
        ASSERT_TRUE(std::holds_alternative<CheckArgs>(library)) << testing::PrintToString(line);
        const CheckArgs& values = std::get<CheckArgs>(library);
        EXPECT_EQ(fast->path, values.path) << testing::PrintToString(line);
        EXPECT_EQ(fast->fix, values.fix) << testing::PrintToString(line);
        EXPECT_EQ(fast->unsafe_fixes, values.unsafe_fixes) << testing::PrintToString(line);
    }
    EXPECT_GT(common, 30);
    EXPECT_FALSE(parse_common_check({"tarnvik"}));
    EXPECT_FALSE(parse_common_check({"tarnvik", "--version"}));
}

// A scratch directory, removed afterwards; the working directory is restored too.
class TempDir {
  public:
    TempDir() {
        char pattern[] = "/tmp/tarnvik-test-XXXXXX";
        root_ = fs::path(::mkdtemp(pattern));
        previous_ = fs::current_path();
    }
    ~TempDir() {
        fs::current_path(previous_);
        std::error_code ec;
        fs::permissions(root_, fs::perms::owner_all, ec);
        fs::remove_all(root_, ec);
    }
    fs::path write(const fs::path& relative, std::string_view text) const {
        fs::path path = root_ / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    const fs::path& root() const { return root_; }

  private:
    fs::path root_;
    fs::path previous_;
};

// The file as the run reads it: its bytes, "<error>" when it cannot be read, and its identity.
FileContent content_of(const fs::path& path) {
    auto read = read_file(path);
    return std::holds_alternative<FileContent>(read) ? std::get<FileContent>(read)
                                                     : FileContent{"<error>", {}};
}

std::string slurp(const fs::path& path) {
    return content_of(path).bytes;
}

FileIdentity identity_of(const fs::path& path) {
    return content_of(path).identity;
}

// "written", "changed", or the system's description of the failure.
std::string outcome(const std::optional<WriteError>& error) {
    if (!error) return "written";
    return error->changed ? "changed" : error->description;
}

// The file replaced as the run does it: read first, written after.
std::string replace(const fs::path& file, std::string_view text) {
    return outcome(replace_file(file, text, content_of(file)));
}

std::vector<std::string> listing(const fs::path& directory) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A stream is read to its end, MAX_READ_BYTES and not a byte more, when the read takes streams;
// when it does not, it is refused before a byte is read.
TEST(ReadFile, StreamsAreReadUpToTheirBound) {
    for (std::size_t size : {MAX_READ_BYTES, MAX_READ_BYTES + 1}) {
        int ends[2];
        ASSERT_EQ(::pipe(ends), 0);
        (void)::fcntl(ends[1], F_SETPIPE_SZ, 1 << 20);  // fewer, larger reads
        const pid_t writer = ::fork();
        ASSERT_GE(writer, 0);
        if (writer == 0) {
            const std::string chunk(std::size_t{1} << 20, 'x');
            for (std::size_t left = size; left > 0; left -= std::min(left, chunk.size())) {
                if (write_all(ends[1], std::string_view(chunk).substr(0, left))) ::_exit(1);
            }
            ::_exit(0);
        }
        ::close(ends[1]);
        const std::string path = "/dev/fd/" + std::to_string(ends[0]);
        auto refused = read_file(path);
        ASSERT_TRUE(std::holds_alternative<ReadError>(refused));
        EXPECT_TRUE(std::get<ReadError>(refused).not_regular);
        EXPECT_EQ(std::get<ReadError>(refused).description,
                  "it is a named pipe, not a regular file");
        auto read = read_file(path, Streams::Read);
        if (size == MAX_READ_BYTES) {
            ASSERT_TRUE(std::holds_alternative<FileContent>(read));
            const std::string& bytes = std::get<FileContent>(read).bytes;
            EXPECT_EQ(bytes.size(), size);
            EXPECT_EQ(bytes.find_first_not_of('x'), std::string::npos);
        } else {
            ASSERT_TRUE(std::holds_alternative<ReadError>(read));
            EXPECT_EQ(std::get<ReadError>(read).description, "it is larger than 64 MiB");
        }
        ::close(ends[0]);
        ::waitpid(writer, nullptr, 0);
    }
}

// A regular file has the same bound, and one larger is refused from its size, unread: a sparse
// file of any size costs nothing.
TEST(ReadFile, RegularFilesHaveTheSameBound) {
    TempDir dir;
    const fs::path file = dir.write("pyproject.toml", "");
    for (std::size_t size : {MAX_READ_BYTES, MAX_READ_BYTES + 1, std::size_t{1} << 42}) {
        fs::resize_file(file, size);
        auto read = read_file(file);
        if (size == MAX_READ_BYTES) {
            ASSERT_TRUE(std::holds_alternative<FileContent>(read));
            EXPECT_EQ(std::get<FileContent>(read).bytes.size(), size);
        } else {
            ASSERT_TRUE(std::holds_alternative<ReadError>(read));
            EXPECT_EQ(std::get<ReadError>(read).description, "it is larger than 64 MiB");
        }
    }
}

// The fixed file replaces the old one whole, keeps its permission bits, leaves no temporary
// file behind, and through a symbolic link changes the file the link names. A name too long to
// take an ending of its own is replaced all the same.
TEST(ReplaceFile, ReplacesWholeFileKeepingMode) {
    TempDir dir;
    fs::path file = dir.write("pyproject.toml", "old text that is longer than the new");
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(replace(file, "new"), "written");
    EXPECT_EQ(slurp(file), "new");
    EXPECT_EQ(fs::status(file).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(listing(dir.root()), std::vector<std::string>{"pyproject.toml"});

    fs::path real = dir.write("real/pyproject.toml", "a");
    fs::create_directories(dir.root() / "link");
    fs::create_symlink(real, dir.root() / "link" / "pyproject.toml");
    EXPECT_EQ(replace(dir.root() / "link" / "pyproject.toml", "b"), "written");
    EXPECT_EQ(slurp(real), "b");
    EXPECT_TRUE(fs::is_symlink(dir.root() / "link" / "pyproject.toml"));
    EXPECT_EQ(listing(dir.root() / "real"), std::vector<std::string>{"pyproject.toml"});

    const std::string long_name(NAME_MAX, 'n');
    fs::path named = dir.write("long/" + long_name, "old");
    const std::uint64_t old_inode = identity_of(named).inode;
    EXPECT_EQ(replace(named, "new"), "written");
    EXPECT_EQ(slurp(named), "new");
    EXPECT_NE(identity_of(named).inode, old_inode);  // a new file, not the old one written over
    EXPECT_EQ(listing(dir.root() / "long"), std::vector<std::string>{long_name});
}

// Runs `body` in a child process as an unprivileged user when we are root, so that file
// permissions apply; the child's exit status says whether its expectations held.
template <typename Body>
void as_unprivileged_user(const fs::path& directory, Body body) {
    if (::geteuid() != 0) {
        body();
        return;
    }
    constexpr uid_t NOBODY = 65534;
    for (const auto& entry : fs::recursive_directory_iterator(directory)) {
        ASSERT_EQ(::chown(entry.path().c_str(), NOBODY, NOBODY), 0);
    }
    ASSERT_EQ(::chown(directory.c_str(), NOBODY, NOBODY), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(NOBODY) != 0 || ::setuid(NOBODY) != 0) ::_exit(3);
        body();
        ::_exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
}

// A file that may not be written fails as a plain write would, and nothing on disk changes.
TEST(ReplaceFile, UnwritableFileChangesNothing) {
    TempDir dir;
    fs::path file = dir.write("pyproject.toml", "keep");
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    as_unprivileged_user(dir.root(), [&] {
        EXPECT_EQ(replace(file, "lost"), "Permission denied");
        EXPECT_EQ(slurp(file), "keep");
        EXPECT_EQ(listing(dir.root()), std::vector<std::string>{"pyproject.toml"});
    });
}

// Where no temporary file can be made beside it, a writable file is written over in place,
// longer or shorter than before, keeping its mode; nothing else appears in the directory.
TEST(ReplaceFile, ReadOnlyDirectoryWritesInPlace) {
    TempDir dir;
    fs::path file = dir.write("sub/pyproject.toml", "old text");
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    fs::permissions(dir.root() / "sub", fs::perms::owner_read | fs::perms::owner_exec);
    as_unprivileged_user(dir.root(), [&] {
        for (std::string_view text : {"a much longer text than before", "short", ""}) {
            EXPECT_EQ(replace(file, text), "written");
            EXPECT_EQ(slurp(file), text);
        }
        EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write);
        EXPECT_EQ(listing(dir.root() / "sub"), std::vector<std::string>{"pyproject.toml"});
    });
    fs::permissions(dir.root() / "sub", fs::perms::owner_all);
}

// The access list a directory gives each new file in it, in the system's binary form: read and
// write for its owner and for user `nobody`.
std::string default_access_list() {
    struct Entry {
        std::uint16_t tag, permissions;
        std::uint32_t id;
    };
    constexpr std::uint32_t VERSION = 2;
    constexpr std::uint32_t NO_ID = ~0u;
    const Entry entries[] = {
        {0x01, 6, NO_ID}, {0x02, 6, 65534}, {0x04, 4, NO_ID}, {0x10, 6, NO_ID}, {0x20, 0, NO_ID}};
    std::string bytes(reinterpret_cast<const char*>(&VERSION), sizeof VERSION);
    bytes.append(reinterpret_cast<const char*>(entries), sizeof entries);
    return bytes;
}

// A file with other hard links keeps them: every name sees the new text. One with extended
// attributes keeps them, each with its value, and gets no others: a directory's default access
// list, set after the file was made, lets no one more in.
TEST(ReplaceFile, HardLinksAndExtendedAttributesStay) {
    TempDir dir;
    fs::path file = dir.write("pyproject.toml", "old text");
    fs::create_hard_link(file, dir.root() / "other.toml");
    EXPECT_EQ(replace(file, "new"), "written");
    EXPECT_EQ(slurp(dir.root() / "other.toml"), "new");
    EXPECT_TRUE(fs::equivalent(file, dir.root() / "other.toml"));
    EXPECT_EQ(listing(dir.root()), (std::vector<std::string>{"other.toml", "pyproject.toml"}));

    fs::path shared = dir.write("shared/pyproject.toml", "old text");
    fs::permissions(shared, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const std::string list = default_access_list();
    if (::setxattr(shared.parent_path().c_str(), "system.posix_acl_default", list.data(),
                   list.size(), 0) == 0) {
        EXPECT_EQ(replace(shared, "new"), "written");
        EXPECT_EQ(slurp(shared), "new");
        EXPECT_EQ(::getxattr(shared.c_str(), "system.posix_acl_access", nullptr, 0), -1);
        EXPECT_EQ(fs::status(shared).permissions(),
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
        EXPECT_EQ(listing(shared.parent_path()), std::vector<std::string>{"pyproject.toml"});
    }

    fs::path marked = dir.write("marked/pyproject.toml", "old text");
    if (::setxattr(marked.c_str(), "user.tarnvik", "1", 1, 0) != 0) {
        GTEST_SKIP() << "no extended attributes here";
    }
    EXPECT_EQ(replace(marked, "new"), "written");
    EXPECT_EQ(slurp(marked), "new");
    char value = 0;
    EXPECT_EQ(::getxattr(marked.c_str(), "user.tarnvik", &value, 1), 1);
    EXPECT_EQ(value, '1');
    EXPECT_EQ(listing(dir.root() / "marked"), std::vector<std::string>{"pyproject.toml"});
}

// Runs `body` in a child process, for what would change this one (its limits, its system call
// filter); whether it returned true.
template <typename Body>
bool in_child_process(Body body) {
    pid_t child = ::fork();
    if (child < 0) return false;
    if (child == 0) ::_exit(body() ? 0 : 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A write that would meet the file size limit fails before the file is touched, whether it goes
// to a temporary file or over the file itself (a hard-linked file), even where the file is
// already longer than the limit and only a write past it fails; a text of exactly the limit
// fits. Nothing is left behind.
TEST(ReplaceFile, FileSizeLimitLeavesTheFileAsItWas) {
    constexpr std::size_t LIMIT = 8192;
    struct Case {
        std::string_view name;
        bool hard_linked;
        std::size_t old_size;
        std::size_t new_size;
        std::string_view expected;
    };
    const Case cases[] = {
        {"temporary file", false, 100, 100000, "File too large"},
        {"in place, shrinking past the limit", true, 10240, 10000, "File too large"},
        {"in place, exactly the limit", true, 10240, LIMIT, "written"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name));
        TempDir dir;
        const std::string old_text(c.old_size, 'o');
        const std::string new_text(c.new_size, 'n');
        fs::path file = dir.write("pyproject.toml", old_text);
        if (c.hard_linked) fs::create_hard_link(file, dir.root() / "other.toml");
        const FileContent read_as = content_of(file);
        EXPECT_TRUE(in_child_process([&] {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{LIMIT, LIMIT};
            return ::setrlimit(RLIMIT_FSIZE, &limit) == 0 &&
                   outcome(replace_file(file, new_text, read_as)) == c.expected;
        }));
        EXPECT_EQ(slurp(file), c.expected == "written" ? new_text : old_text);
        EXPECT_EQ(listing(dir.root()).size(), c.hard_linked ? 2u : 1u);
    }
}

// Makes one system call fail with `error`, for this process; with `flags`, only a call whose
// third argument has one of them.
bool failing_system_call(unsigned call, unsigned error, std::uint32_t flags = ~0u) {
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, call, 0, 3),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args) + 2 * sizeof(__u64)),
        BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, flags, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | error),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

// Where the filesystem cannot reserve space itself, the C library does it block by block, and
// the file is still written over in place, longer or shorter.
TEST(ReplaceFile, InPlaceWithoutFallocate) {
    TempDir dir;
    fs::path file = dir.write("pyproject.toml", std::string(5000, 'o'));
    fs::create_hard_link(file, dir.root() / "other.toml");
    for (const std::string& text : {std::string(20000, 'l'), std::string(100, 's')}) {
        EXPECT_TRUE(in_child_process([&] {
            return failing_system_call(__NR_fallocate, EOPNOTSUPP) &&
                   replace(file, text) == "written";
        }));
        EXPECT_TRUE(slurp(dir.root() / "other.toml") == text) << "after " << text.size();
    }
}

// A full disk met before the first byte of the text is written over the file leaves it byte for
// byte as it was, even when the reservation got part of the space and lengthened the file, or as
// another program left it meanwhile.
TEST(ReplaceFile, FullDiskLeavesTheFileAsItWas) {
    struct Case {
        std::string_view name;
        Allocate allocate;
        long failing_call;  // or -1
        std::string_view appended = "";
    };
    const Case cases[] = {
        {"the reservation fails part-way",
         [](int fd, off_t offset, off_t length) {
             (void)allocate_space(fd, offset, length / 2);
             return ENOSPC;
         },
         -1},
        {"the first write fails", allocate_space, __NR_write},
        {"appended to while the reservation fails part-way",
         [](int fd, off_t offset, off_t length) {
             (void)::pwrite(fd, "EDITED", 6, 5000);
             (void)allocate_space(fd, offset, length / 2);
             return ENOSPC;
         },
         -1, "EDITED"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name));
        TempDir dir;
        const std::string old_text(5000, 'o');
        fs::path file = dir.write("pyproject.toml", old_text);
        fs::create_hard_link(file, dir.root() / "other.toml");
        const auto old_time = fs::last_write_time(file) - std::chrono::hours(1);
        fs::last_write_time(file, old_time);
        const FileContent read_as = content_of(file);
        EXPECT_TRUE(in_child_process([&] {
            return (c.failing_call < 0 || failing_system_call(c.failing_call, ENOSPC)) &&
                   outcome(replace_file(file, std::string(30000, 'n'), read_as, {c.allocate})) ==
                       "No space left on device";
        }));
        EXPECT_EQ(slurp(file), old_text + std::string(c.appended));
        EXPECT_EQ(fs::last_write_time(file), old_time);
    }
}

int interrupt_to_raise = 0;

// An interrupt once the text is written ends the process as it asks, and leaves neither a
// temporary file nor one of old and new text mixed: a new file without a name goes with the
// process, one with a name is removed first, and a write in place takes the interrupt once the
// file holds the new text whole.
TEST(ReplaceFile, InterruptLeavesTheOldTextOrTheNew) {
    struct Case {
        std::string_view name;
        bool hard_linked;
        bool unnamed_refused;
        int signal;
    };
    const Case cases[] = {
        {"new file without a name", false, false, SIGINT},
        {"named new file", false, true, SIGTERM},
        {"in place", true, false, SIGHUP},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name));
        TempDir dir;
        const std::string old_text(5000, 'o');
        const std::string new_text(100, 'n');
        fs::path file = dir.write("pyproject.toml", old_text);
        if (c.hard_linked) fs::create_hard_link(file, dir.root() / "other.toml");
        const FileContent read_as = content_of(file);
        interrupt_to_raise = c.signal;
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (c.unnamed_refused &&
                !failing_system_call(__NR_openat, EOPNOTSUPP, O_TMPFILE & ~O_DIRECTORY)) {
                ::_exit(3);
            }
            (void)replace_file(file, new_text, read_as,
                               {allocate_space, [] { ::raise(interrupt_to_raise); }});
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal) << "status " << status;
        EXPECT_EQ(slurp(file), c.hard_linked ? new_text : old_text);
        EXPECT_EQ(listing(dir.root()).size(), c.hard_linked ? 2u : 1u);
    }
}

// Edits the file through the reservation's own descriptor before the space is reserved, as
// another program could while a reservation takes its time, and puts its time back.
template <off_t AT>
int edited_during_reservation(int fd, off_t offset, off_t length) {
    struct stat before {};
    const std::string_view edit = "EDITED";
    if (::fstat(fd, &before) != 0 ||
        ::pwrite(fd, edit.data(), edit.size(), AT < 0 ? before.st_size : AT) < 0) {
        return errno;
    }
    const std::array<timespec, 2> times = {timespec{0, UTIME_OMIT}, before.st_mtim};
    (void)::futimens(fd, times.data());
    return allocate_space(fd, offset, length);
}

// When the path no longer names the file as it was read, because another program rewrote it or
// put another file in its place, nothing is written, whichever way the write would have gone,
// even when the edit comes while the space of a write in place is reserved; the edit stays byte
// for byte, and so does the file's time.
TEST(ReplaceFile, FileChangedSinceReadIsNotWritten) {
    using Change = void (*)(const fs::path& root, const fs::path& file);
    struct Case {
        std::string_view name;
        bool hard_linked;
        Change change;
        std::string_view left;
        Allocate allocate = allocate_space;
    };
    const Change none = [](const fs::path&, const fs::path&) {};
    const Case cases[] = {
        {"appended to", false,
         [](const fs::path&, const fs::path& file) {
             std::ofstream(file, std::ios::binary | std::ios::app) << "more";
         },
         "old textmore"},
        {"same size, later time", true,
         [](const fs::path&, const fs::path& file) {
             std::ofstream(file, std::ios::binary) << "OLD TEXT";
             fs::last_write_time(file, fs::last_write_time(file) + std::chrono::seconds(1));
         },
         "OLD TEXT"},
        {"same size, time put back", false,
         [](const fs::path&, const fs::path& file) {
             const auto time = fs::last_write_time(file);
             std::this_thread::sleep_for(std::chrono::milliseconds(20));  // a tick of the clock
             std::ofstream(file, std::ios::binary) << "OLD TEXT";
             fs::last_write_time(file, time);
         },
         "OLD TEXT"},
        {"another file renamed over it", false,
         [](const fs::path& root, const fs::path& file) {
             std::ofstream(root / "new", std::ios::binary) << "old text";
             fs::rename(root / "new", file);
         },
         "old text"},
        {"edited in place while the space is reserved", true, none, "EDITEDxt",
         edited_during_reservation<0>},
        {"appended to while the reservation lengthens it", true, none, "old textEDITED",
         edited_during_reservation<-1>},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name));
        TempDir dir;
        fs::path file = dir.write("pyproject.toml", "old text");
        if (c.hard_linked) fs::create_hard_link(file, dir.root() / "other.toml");
        const FileContent read_as = content_of(file);
        c.change(dir.root(), file);
        const auto time = fs::last_write_time(file);
        const std::string longer(100, 'f');
        EXPECT_EQ(outcome(replace_file(file, longer, read_as, {c.allocate})), "changed");
        EXPECT_EQ(slurp(file), c.left);
        EXPECT_EQ(fs::last_write_time(file), time);
        EXPECT_EQ(listing(dir.root()).size(), c.hard_linked ? 2u : 1u);
    }
}

fs::path changed_while_flushed;

// A change of the file's status alone (its mode, its links) moves its status-change time but is
// no edit: the file is fixed all the same, either way, and takes the mode it has by then.
TEST(ReplaceFile, StatusChangeAloneIsNoEdit) {
    struct Case {
        std::string_view name;
        bool hard_linked;
        void (*written)();
    };
    const Case cases[] = {
        {"new file", false, nullptr},
        {"in place", true, nullptr},
        {"while the new file is flushed", false,
         [] { fs::permissions(changed_while_flushed, fs::perms::owner_read); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name));
        TempDir dir;
        const fs::path file = dir.write("pyproject.toml", "old text");
        const FileContent read_as = content_of(file);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));  // a tick of the clock
        fs::create_hard_link(file, dir.root() / "other.toml");
        if (!c.hard_linked) fs::remove(dir.root() / "other.toml");
        fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
        changed_while_flushed = file;
        EXPECT_EQ(outcome(replace_file(file, "new", read_as, {allocate_space, c.written})),
                  "written");
        EXPECT_EQ(slurp(file), "new");
        EXPECT_EQ(
            fs::status(file).permissions(),
            c.written ? fs::perms::owner_read : fs::perms::owner_read | fs::perms::owner_write);
    }
}

// On an overlay mount (a container whose image holds the project), opening the file for writing
// copies it up to the upper layer, which moves its status-change time alone.
TEST(ReplaceFile, OverlayCopyUpIsNoEdit) {
    TempDir dir;
    for (const char* layer : {"lower", "upper", "work", "merged"}) {
        fs::create_directories(dir.root() / layer);
    }
    dir.write("lower/pyproject.toml", "old text");
    const std::string options = "lowerdir=" + (dir.root() / "lower").string() +
                                ",upperdir=" + (dir.root() / "upper").string() +
                                ",workdir=" + (dir.root() / "work").string();
    const fs::path file = dir.root() / "merged" / "pyproject.toml";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // In a mount namespace of its own, so that the mount goes with the child.
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("overlay", file.parent_path().c_str(), "overlay", 0, options.c_str()) != 0) {
            ::_exit(2);
        }
        ::_exit(replace(file, "new") == "written" ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 2) GTEST_SKIP() << "no overlay mounts here";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    EXPECT_EQ(slurp(dir.root() / "upper" / "pyproject.toml"), "new");
    EXPECT_EQ(slurp(dir.root() / "lower" / "pyproject.toml"), "old text");
}

// Sets or clears a directory's append-only flag; false where its file system or our privileges
// do not allow it.
bool set_append_only(const fs::path& directory, bool on) {
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY);
    int flags = 0;
    bool set = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? flags | FS_APPEND_FL : flags & ~FS_APPEND_FL;
    set = set && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0) ::close(fd);
    return set;
}

// A directory that keeps every name made in it (append-only) is given none: the file is written
// in place. Where its file system does not tell, the new file's name is left, and named on
// standard error.
TEST(ReplaceFile, AppendOnlyDirectoryKeepsNoName) {
    for (bool flags_hidden : {false, true}) {
        SCOPED_TRACE(flags_hidden ? "flags hidden" : "flags told");
        TempDir dir;
        TempDir output;
        const fs::path file = dir.write("pyproject.toml", "old text");
        const std::uint64_t inode = identity_of(file).inode;
        const fs::path errors = output.write("stderr", "");
        if (!set_append_only(dir.root(), true)) GTEST_SKIP() << "no append-only directories here";
        EXPECT_TRUE(in_child_process([&] {
            const int fd = ::open(errors.c_str(), O_WRONLY);
            return fd >= 0 && ::dup2(fd, STDERR_FILENO) >= 0 &&
                   (!flags_hidden || failing_system_call(__NR_ioctl, ENOTTY)) &&
                   replace(file, "new") == "written";
        }));
        const std::vector<std::string> names = listing(dir.root());
        ASSERT_TRUE(set_append_only(dir.root(), false));
        EXPECT_EQ(slurp(file), "new");
        EXPECT_EQ(identity_of(file).inode, inode);
        ASSERT_EQ(names.size(), flags_hidden ? 2u : 1u);
        EXPECT_EQ(slurp(errors), flags_hidden ? "warning: failed to remove the temporary file `" +
                                                    (dir.root() / names[0]).string() +
                                                    "`: Operation not permitted\n"
                                              : "");
    }
}

TEST(ReplaceFile, DirectoryOrMissingFails) {
    TempDir dir;
    fs::create_directories(dir.root() / "pyproject.toml");
    const FileContent none;
    EXPECT_NE(outcome(replace_file(dir.root() / "pyproject.toml", "x", none)), "written");
    EXPECT_EQ(outcome(replace_file(dir.root() / "missing" / "pyproject.toml", "x", none)),
              "No such file or directory");
    EXPECT_EQ(listing(dir.root()), std::vector<std::string>{"pyproject.toml"});
}

// The upward search shows the file with one "../" per level; the lock search takes the first
// regular file among the candidates and names it relative to the project file's display name.
TEST(ProjectSearch, DisplayNamesOfProjectAndLock) {
    TempDir dir;
    dir.write("pyproject.toml", "");
    dir.write("uv.lock", "");
    fs::create_directories(dir.root() / "a" / "b");
    fs::current_path(dir.root() / "a" / "b");
    auto found = locate_project_file(std::nullopt);
    ASSERT_TRUE(std::holds_alternative<ProjectFile>(found));
    const ProjectFile& project = std::get<ProjectFile>(found);
    EXPECT_EQ(project.display, "../../pyproject.toml");
    EXPECT_FALSE(project.named);
    auto lock = find_lock_file(project);
    ASSERT_TRUE(lock.has_value());
    EXPECT_EQ(lock->display, "../../uv.lock");
    EXPECT_EQ(lock->level, 0u);

    struct Case {
        std::vector<std::string_view> files;
        std::string_view project;
        std::optional<std::string_view> lock_display;
        std::size_t level;
    };
    const Case cases[] = {
        {{"p/pyproject.toml", "p/uv.lock", "p/pylock.toml"}, "p/pyproject.toml", "p/uv.lock", 0},
        {{"p/pyproject.toml", "p/pylock.toml", "uv.lock"}, "p/pyproject.toml", "p/pylock.toml", 0},
        {{"p/pyproject.toml", "uv.lock"}, "p/pyproject.toml", "p/../uv.lock", 1},
        {{"p/q/custom.toml", "p/uv.lock"}, "p/q/custom.toml", "../uv.lock", 1},
        {{"p/my-pyproject.toml", "p/uv.lock"}, "p/my-pyproject.toml", "p/my-uv.lock", 0},
        {{"p/pyproject.toml", "p/pylock.toml/x", "p/uv.lock/x"},
         "p/pyproject.toml",
         std::nullopt,
         0},
    };
    for (const Case& c : cases) {
        TempDir inner;
        for (std::string_view file : c.files)
            inner.write(file, "");
        fs::current_path(inner.root());
        SCOPED_TRACE(std::string(c.project));
        auto located = locate_project_file(std::string(c.project));
        ASSERT_TRUE(std::holds_alternative<ProjectFile>(located));
        auto lock_file = find_lock_file(std::get<ProjectFile>(located));
        ASSERT_EQ(lock_file.has_value(), c.lock_display.has_value());
        if (!lock_file) continue;
        EXPECT_EQ(lock_file->display, *c.lock_display);
        EXPECT_EQ(lock_file->level, c.level);
    }
}

TEST(ProjectSearch, PathArgument) {
    TempDir dir;
    fs::create_directories(dir.root() / "d");
    fs::current_path(dir.root());
    // The display name, and whether PATH named the file itself (which may then be a stream).
    const std::tuple<std::string_view, std::string_view, bool> cases[] = {
        {"d", "d/pyproject.toml", false},     {"d/", "d/pyproject.toml", false},
        {"missing", "missing", true},         {"x.toml", "x.toml", true},
        {"caf\xff", "caf\xef\xbf\xbd", true}, {"/dev/stdin", "/dev/stdin", true},
    };
    for (const auto& [path, display, named] : cases) {
        auto located = locate_project_file(std::string(path));
        ASSERT_TRUE(std::holds_alternative<ProjectFile>(located));
        EXPECT_EQ(std::get<ProjectFile>(located).display, display);
        EXPECT_EQ(std::get<ProjectFile>(located).named, named);
    }
    fs::current_path(dir.root() / "d");
    auto none = locate_project_file(std::nullopt);
    if (!fs::exists("/pyproject.toml") && !fs::exists("/tmp/pyproject.toml")) {
        ASSERT_TRUE(std::holds_alternative<std::string>(none));
        EXPECT_EQ(std::get<std::string>(none),
                  "no `pyproject.toml` found in the current directory or any parent directory");
    }
}

}  // namespace
}  // namespace tarnvik::cli
