#include "files.hpp"

#include <fcntl.h>
#include <fmt/format.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__linux__) && __has_include(<sys/xattr.h>)
#include <sys/xattr.h>
#endif
#if defined(__linux__) && __has_include(<linux/fs.h>)
#include <linux/fs.h>
#endif

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>

#include "interrupts.hpp"
#include "streams.hpp"

namespace tarnvik::cli {

namespace {

namespace fs = std::filesystem;

std::string last_error() {
    return std::strerror(errno);
}

WriteError write_error(std::string description) {
    return WriteError{false, std::move(description)};
}

FileIdentity identity_of(const struct stat& info) {
    return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                        static_cast<std::uint64_t>(info.st_ino),
                        static_cast<std::int64_t>(info.st_size),
                        static_cast<std::int64_t>(info.st_mtim.tv_sec),
                        static_cast<std::int64_t>(info.st_mtim.tv_nsec),
                        static_cast<std::int64_t>(info.st_ctim.tv_sec),
                        static_cast<std::int64_t>(info.st_ctim.tv_nsec)};
}

std::size_t size_of(const struct stat& info) {
    return info.st_size > 0 ? static_cast<std::size_t>(info.st_size) : 0;
}

struct FileType {
    mode_t type;
    std::string_view name;
};

constexpr std::array<FileType, 5> NOT_REGULAR = {{
    {S_IFDIR, "a directory"},
    {S_IFCHR, "a character device"},
    {S_IFBLK, "a block device"},
    {S_IFIFO, "a named pipe"},
    {S_IFSOCK, "a socket"},
}};

ReadError not_regular(mode_t mode) {
    std::string_view name = "something else";
    for (const FileType& type : NOT_REGULAR) {
        if ((mode & S_IFMT) == type.type) name = type.name;
    }
    return ReadError{false, fmt::format("it is {}, not a regular file", name), true};
}

// Closes the descriptor it holds when it goes, unless closed before (to learn whether that
// failed).
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { close(); }
    int fd() const { return fd_; }
    int close() {
        int result = fd_ >= 0 ? ::close(fd_) : 0;
        fd_ = -1;
        return result;
    }
    void reset(int fd) {
        close();
        fd_ = fd;
    }

  private:
    int fd_;
};

// The name of the new file beside `file_name` until it is renamed over it: the file's own name
// with a random ending, or only the ending where the file's name leaves no room for it.
std::string temporary_name(std::string_view file_name, std::size_t name_max) {
    constexpr std::string_view ENDING = ".tarnvik-XXXXXX";
    std::string name = ".";
    if (1 + file_name.size() + ENDING.size() <= name_max) name += file_name;
    name += ENDING;
    return name;
}

std::size_t name_max_in(const fs::path& directory) {
    const long max = ::pathconf(directory.c_str(), _PC_NAME_MAX);
    return max > 0 ? static_cast<std::size_t>(max) : std::size_t{NAME_MAX};
}

// From a destructor too: a message that cannot be made for want of memory is dropped.
void warn_left_over(const std::string& path) noexcept {
    try {
        write_stderr(fmt::format("warning: failed to remove the temporary file `{}`: {}\n", path,
                                 last_error()));
    } catch (const std::bad_alloc&) {
    }
}

// Whether the directory keeps every name made in it, being append-only or immutable, where its
// file system tells: the new file could be neither renamed over the original nor removed.
bool keeps_every_name(const fs::path& directory) {
#if defined(FS_IOC_GETFLAGS)
    const Descriptor opened(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    int flags = 0;
    return opened.fd() >= 0 && ::ioctl(opened.fd(), FS_IOC_GETFLAGS, &flags) == 0 &&
           (flags & (FS_APPEND_FL | FS_IMMUTABLE_FL)) != 0;
#else
    (void)directory;
    return false;
#endif
}

// The new file that takes the original's place. Where the file system allows it, it has no name
// until just before the rename, so that nothing is left behind however the process ends;
// elsewhere it is named from the start and removed when the replacement fails, and on an
// interrupt, before the interrupt ends the process.
class NewFile {
  public:
    NewFile(const fs::path& directory, std::string_view file_name)
        : path_(directory / temporary_name(file_name, name_max_in(directory))) {
#ifdef O_TMPFILE
        file_.reset(::open(directory.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
        if (file_.fd() >= 0) return;
#endif
        HeldInterrupts held;  // so that the file is not made without its removal
        file_.reset(::mkstemp(path_.data()));
        if (file_.fd() < 0) return;
        named_ = true;
        removed_on_interrupt_.emplace(path_.c_str());
    }
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;
    ~NewFile() {
        remove();
    }

    bool opened() const {
        return file_.fd() >= 0;
    }
    int fd() const {
        return file_.fd();
    }

    // Names the file, if it has no name yet, and renames it over `target`, interrupts held
    // meanwhile; false, and the file gone, where either is refused. The file is flushed to disk
    // by then, so closing it can fail no more.
    bool rename_over(const fs::path& target) {
        HeldInterrupts held;
        if (!named_ && !link()) return false;
        if (::rename(path_.c_str(), target.c_str()) != 0) {
            remove();
            return false;
        }
        named_ = false;  // the name is the original's now: only the descriptor goes
        remove();
        return true;
    }

    // Closes and removes the file; a name that cannot be removed is named on standard error.
    void remove() {
        file_.close();
        if (named_ && ::unlink(path_.c_str()) != 0 && errno != ENOENT) warn_left_over(path_);
        named_ = false;
        removed_on_interrupt_.reset();
    }

  private:
    // Gives the file a name beside the original, through the link the system keeps of each
    // open file or, without one, as a process that may link any file.
    bool link() {
        const std::string open_file = "/proc/self/fd/" + std::to_string(file_.fd());
        // A name taken already is only tried again: any source of variety will do.
        std::minstd_rand random(static_cast<std::uint_fast32_t>(
            std::chrono::steady_clock::now().time_since_epoch().count() ^ ::getpid()));
        constexpr std::string_view LETTERS =
            "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
        for (int attempt = 0; attempt < 100; ++attempt) {
            for (std::size_t i = path_.size() - 6; i < path_.size(); ++i)
                path_[i] = LETTERS[random() % LETTERS.size()];
            int linked =
                ::linkat(AT_FDCWD, open_file.c_str(), AT_FDCWD, path_.c_str(), AT_SYMLINK_FOLLOW);
            if (linked != 0 && errno != EEXIST) {
                linked = ::linkat(file_.fd(), "", AT_FDCWD, path_.c_str(), AT_EMPTY_PATH);
            }
            if (linked == 0) {
                named_ = true;
                return true;
            }
            if (errno != EEXIST) return false;
        }
        return false;
    }

    std::string path_;
    Descriptor file_{-1};
    bool named_ = false;
    std::optional<RemovedOnInterrupt> removed_on_interrupt_;
};

// Flushes the directory entry of the rename; losing it is no corruption, so failures pass.
void sync_directory(const fs::path& directory) {
    int fd = ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    (void)::fsync(fd);
    ::close(fd);
}

// Makes sure the file can take `size` bytes before one is written: the file size limit of the
// process, which a write meets at that offset whatever the file's present size, and the disk's
// blocks, which `allocate` allocates or fails to (a full disk, a quota), maybe part-way.
std::optional<std::string> reserve(int fd, std::size_t size, Allocate allocate) {
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        size > limit.rlim_cur) {
        return std::string(std::strerror(EFBIG));
    }
    if (size == 0) return std::nullopt;
    int result = 0;
    do {
        result = allocate(fd, 0, static_cast<off_t>(size));
    } while (result == EINTR);
    if (result != 0) return std::string(std::strerror(result));
    return std::nullopt;
}

// Reads the open file from `from` to its end a piece at a time, handing each piece and its
// offset to `take` until it returns false; false when a read fails.
template <typename Take>
bool read_pieces(int fd, std::size_t from, Take take) {
    std::array<char, std::size_t{1} << 16> piece;
    for (std::size_t at = from;;) {
        const ssize_t n = ::pread(fd, piece.data(), piece.size(), static_cast<off_t>(at));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n == 0;
        if (!take(at, std::string_view(piece.data(), static_cast<std::size_t>(n)))) return true;
        at += static_cast<std::size_t>(n);
    }
}

// Whether the open file holds `text` and after it only zero bytes, `size` bytes in all: the text
// it was read with, and the zeros that a reservation of space adds past its end.
bool holds(int fd, std::string_view text, std::size_t size) {
    bool same = true;
    std::size_t end = 0;
    const bool read = read_pieces(fd, 0, [&](std::size_t at, std::string_view piece) {
        const std::string_view expected = text.substr(std::min(at, text.size()), piece.size());
        same = at + piece.size() <= size && piece.starts_with(expected) &&
               piece.find_first_not_of('\0', expected.size()) == std::string_view::npos;
        end = at + piece.size();
        return same;
    });
    return read && same && end == size;
}

// Where the open file's bytes from `from` on end, but for the zero bytes at its end; nothing when
// it cannot be read to its end.
std::optional<std::size_t> end_but_zeros(int fd, std::size_t from) {
    std::size_t end = from;
    const bool read = read_pieces(fd, from, [&](std::size_t at, std::string_view piece) {
        const std::size_t last = piece.find_last_not_of('\0');
        if (last != std::string_view::npos) end = at + last + 1;
        return true;
    });
    return read ? std::optional(end) : std::nullopt;
}

// Puts the file back as it was before the reservation (`before`) when nothing of the new text was
// written over it: its length, since a reservation can fail part-way, the file keeping the blocks,
// and the length, it got (only the zero bytes past the old end are cut, so that whatever another
// program wrote meanwhile stays whole); and its time of last change, which the reservation can
// move, so that the run does not look like an edit to build tools (as its owner only: no one else
// may set it).
void put_back(int fd, const struct stat& before) {
    if (::lseek(fd, 0, SEEK_CUR) != 0) return;
    const std::size_t end = end_but_zeros(fd, size_of(before)).value_or(size_of(before));
    struct stat now {};
    if (::fstat(fd, &now) == 0 && end < size_of(now)) {
        (void)::ftruncate(fd, static_cast<off_t>(end));
    }
    const std::array<timespec, 2> times = {timespec{0, UTIME_OMIT}, before.st_mtim};
    (void)::futimens(fd, times.data());
}

const WriteError CHANGED{true, {}};

// Writes the text over the file's own bytes and cuts what is left of the old text: every link
// to the file sees the new text, and its owner, mode and extended attributes stay. The space is
// reserved first, so that running out of it fails before the first byte is written, and the
// file is then put back as it was; so is a file that no longer holds `read_text` once the space
// is reserved, which can take a while, and the edit made meanwhile stays. Interrupts wait from
// the reservation to the cut, so that the file holds the old text or the new, never a mix of
// them. Only an I/O error half-way, or a signal that cannot wait, can still leave it partly
// written.
std::optional<WriteError> write_in_place(Descriptor& file, std::string_view read_text,
                                         std::string_view text, WriteSteps steps) {
    std::optional<std::string> error;
    {
        HeldInterrupts held;
        struct stat before {};
        if (::fstat(file.fd(), &before) != 0) return write_error(last_error());
        error = reserve(file.fd(), text.size(), steps.allocate);
        if (!error && !holds(file.fd(), read_text, std::max(read_text.size(), text.size()))) {
            put_back(file.fd(), before);
            return CHANGED;
        }
        if (!error) error = write_all(file.fd(), text);
        if (!error && steps.written) steps.written();
        if (error) {
            put_back(file.fd(), before);
        } else if (::ftruncate(file.fd(), static_cast<off_t>(text.size())) != 0) {
            error = last_error();
        }
    }
    if (!error && ::fsync(file.fd()) != 0) error = last_error();
    if (file.close() != 0 && !error) error = last_error();
    if (error) return write_error(std::move(*error));
    return std::nullopt;
}

// Whether two statuses of one file differ at most in the status-change time, which also moves
// when nobody edits the file: a copy up to an overlay mount's upper layer, a mode change, a new
// link, a file system that caches the status.
bool same_but_status_time(FileIdentity seen, const FileIdentity& read_as) {
    seen.status_changed_seconds = read_as.status_changed_seconds;
    seen.status_changed_nanoseconds = read_as.status_changed_nanoseconds;
    return seen == read_as;
}

// Whether the open file, whose status is now `seen`, is the file as it was read: the same status,
// or one whose status-change time alone moved and which holds the same bytes (`read`). Then
// `read_as` becomes the status seen, for the checks that follow.
bool still_as_read(int fd, const FileIdentity& seen, std::string_view read, FileIdentity& read_as) {
    if (seen == read_as) return true;
    if (!same_but_status_time(seen, read_as) || !holds(fd, read, read.size())) return false;
    read_as = seen;
    return true;
}

#if defined(__linux__) && __has_include(<sys/xattr.h>)
// All that `get` gives, which first tells its size; nothing when it fails.
std::optional<std::string> read_all(auto get) {
    for (;;) {
        const ssize_t size = get(nullptr, 0);
        if (size < 0) return std::nullopt;
        std::string bytes(static_cast<std::size_t>(size), '\0');
        const ssize_t read = get(bytes.data(), bytes.size());
        if (read >= 0 && read <= size) return bytes.substr(0, static_cast<std::size_t>(read));
        if (read < 0 && errno != ERANGE) return std::nullopt;  // else it grew meanwhile
    }
}

// The names of a file's extended attributes; none where the file system has no such thing.
std::optional<std::vector<std::string>> attribute_names(int fd) {
    const std::optional<std::string> list =
        read_all([&](char* to, std::size_t size) { return ::flistxattr(fd, to, size); });
    if (!list) {
        if (errno == ENOTSUP) return std::vector<std::string>{};
        return std::nullopt;
    }
    std::vector<std::string> names;
    for (std::size_t at = 0, end = 0; at < list->size(); at = end + 1) {
        end = std::min(list->find('\0', at), list->size());
        names.push_back(list->substr(at, end - at));
    }
    return names;
}
#endif

// Whether the new file now holds exactly the extended attributes of the original (an access
// control list, a security label, a user's own), each with the original's value: what it was
// given by its directory where that is the same, else a copy; and none that the original lacks,
// such as the access list a directory's default one gives every new file in it, which would let
// in someone the original kept out. False where we may not make it so.
bool takes_extended_attributes(int original, int replacement) {
#if defined(__linux__) && __has_include(<sys/xattr.h>)
    const std::optional<std::vector<std::string>> names = attribute_names(original);
    if (!names) return false;
    for (const std::string& name : *names) {
        auto value_in = [&](int fd) {
            return read_all([&](char* to, std::size_t size) {
                return ::fgetxattr(fd, name.c_str(), to, size);
            });
        };
        const std::optional<std::string> value = value_in(original);
        if (!value) return false;
        if (value_in(replacement) == value) continue;
        if (::fsetxattr(replacement, name.c_str(), value->data(), value->size(), 0) != 0)
            return false;
    }
    const std::optional<std::vector<std::string>> added = attribute_names(replacement);
    if (!added) return false;
    return std::ranges::all_of(*added, [&](const std::string& name) {
        return std::ranges::find(*names, name) != names->end() ||
               ::fremovexattr(replacement, name.c_str()) == 0;
    });
#else
    (void)original;
    (void)replacement;
    return true;
#endif
}

// Whether the new file now has the original's owner and group: given them where we may (as root,
// or as their owner in their group), or given them by the directory.
bool takes_owner(int fd, const struct stat& original) {
    (void)::fchown(fd, original.st_uid, original.st_gid);
    struct stat info {};
    return ::fstat(fd, &info) == 0 && info.st_uid == original.st_uid &&
           info.st_gid == original.st_gid;
}

// Whether the new file now has the original's owner, group, extended attributes and permission
// bits, as the original has them (`original`, the status of `original_fd`).
bool takes_status(int original_fd, int replacement_fd, const struct stat& original) {
    return takes_owner(replacement_fd, original) &&
           takes_extended_attributes(original_fd, replacement_fd) &&
           // After the owner, whose change clears the set-user-ID and set-group-ID bits.
           ::fchmod(replacement_fd, original.st_mode & 07777) == 0;
}

struct OpenedFile {
    int fd;
    struct stat info;
};

bool is_stream(mode_t mode) {
    return S_ISFIFO(mode) || S_ISCHR(mode);
}

// Clears O_NONBLOCK, for a stream put in place of a regular file between a look and the open.
bool make_blocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

// Whether a read that takes `streams` takes a file of this type.
bool taken(mode_t mode, Streams streams) {
    return S_ISREG(mode) || (streams == Streams::Read && is_stream(mode));
}

// Opens a regular file, or a stream when `streams` says so, for reading and gives its status.
// The path is looked at before it is opened, so that a device or a named pipe that is not taken
// is never opened (which can block, or do something of its own), and the descriptor after, since
// by then the path may name another file: the open of a regular file waits for no writer of a
// named pipe put there meanwhile. A regular file's descriptor keeps O_NONBLOCK, which means
// nothing to it; a stream's is blocking, so that a read waits for its writer.
std::variant<OpenedFile, ReadError> open_file(const fs::path& path, Streams streams) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return ReadError{errno == ENOENT, last_error()};
    if (!taken(info.st_mode, streams)) return not_regular(info.st_mode);
    const int nonblocking = S_ISREG(info.st_mode) ? O_NONBLOCK : 0;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | nonblocking);
    if (fd < 0) return ReadError{errno == ENOENT, last_error()};
    std::optional<ReadError> error;
    if (::fstat(fd, &info) != 0) {
        error = ReadError{false, last_error()};
    } else if (!taken(info.st_mode, streams)) {
        error = not_regular(info.st_mode);
    } else if (is_stream(info.st_mode) && nonblocking != 0 && !make_blocking(fd)) {
        error = ReadError{false, last_error()};
    }
    if (error) {
        ::close(fd);
        return *error;
    }
    return OpenedFile{fd, info};
}

// No bound on the read of a lock file that could not be mapped, whose size is known (and far below
// this).
constexpr std::size_t UNBOUNDED = std::numeric_limits<std::size_t>::max() / 4;

ReadError larger_than(std::size_t bound) {
    return ReadError{false, fmt::format("it is larger than {} MiB", bound >> 20)};
}

// Reads the open file to its end, and closes it; more than `at_most` bytes is a failure. The
// buffer is sized from `expected` up front, so a large file is read without regrowing it; a file
// that changes meanwhile is still read to its end.
std::variant<std::string, ReadError> read_to_end(int fd, std::size_t expected,
                                                 std::size_t at_most) {
    Descriptor file(fd);  // closed however the read ends, running out of memory included
    // One byte more than expected (or allowed) finds the end, or that there is more.
    std::string bytes(std::min(expected, at_most) + 1, '\0');
    std::size_t size = 0;
    for (;;) {
        if (size > at_most) return larger_than(at_most);
        if (size == bytes.size()) bytes.resize(std::min(bytes.size() * 2 + 4096, at_most + 1));
        ssize_t n = ::read(fd, bytes.data() + size, bytes.size() - size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return ReadError{false, last_error()};
        if (n == 0) break;
        size += static_cast<std::size_t>(n);
    }
    bytes.resize(size);
    return bytes;
}

constexpr std::size_t POPULATED_UP_TO = std::size_t{4} << 20;

// A mapped file shortened by another process: touching a page past its new end raises SIGBUS,
// which would end the process. While a file is mapped, such a page is replaced with zeros and
// the mapping is marked; a SIGBUS anywhere else keeps its default action.
struct Guard {
    std::atomic<const char*> start{nullptr};
    std::atomic<std::size_t> size{0};
    std::uintptr_t page_size = 4096;
    volatile std::sig_atomic_t cut_short = 0;
    struct sigaction previous {};
};

Guard guard;

void on_bus_error(int, siginfo_t* info, void*) {
    const char* start = guard.start.load();
    const auto* at = static_cast<const char*>(info->si_addr);
    if (start != nullptr && at >= start && at < start + guard.size.load()) {
        const std::uintptr_t page = reinterpret_cast<std::uintptr_t>(at) & ~(guard.page_size - 1);
        void* zeros = ::mmap(reinterpret_cast<void*>(page), guard.page_size, PROT_READ,
                             MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
        if (zeros != MAP_FAILED) {
            guard.cut_short = 1;
            return;  // the read is made again, and finds zeros
        }
    }
    ::signal(SIGBUS, SIG_DFL);  // the access faults again, with the default action
}

void start_guard(const char* start, std::size_t size) {
    guard.page_size = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    guard.cut_short = 0;
    guard.size = size;
    guard.start = start;
    struct sigaction action {};
    action.sa_sigaction = on_bus_error;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, &guard.previous);
}

void end_guard() {
    guard.start = nullptr;
    ::sigaction(SIGBUS, &guard.previous, nullptr);
}

}  // namespace

MappedFile::MappedFile(MappedFile&& other) noexcept
    : bytes_(other.bytes_), mapping_(other.mapping_), read_(std::move(other.read_)) {
    if (!mapping_) bytes_ = read_;
    other.mapping_ = nullptr;
    other.bytes_ = {};
}

MappedFile::~MappedFile() {
    if (!mapping_) return;
    end_guard();
    ::munmap(mapping_, bytes_.size());
}

void MappedFile::release_before(std::size_t offset) const {
    if (!mapping_) return;
    const std::size_t pages = offset - offset % guard.page_size;
    if (pages > 0) (void)::madvise(mapping_, pages, MADV_DONTNEED);
}

bool MappedFile::cut_short() const {
    return mapping_ && guard.cut_short != 0;
}

std::variant<MappedFile, ReadError> map_file(const fs::path& path) {
    auto opened = open_file(path, Streams::Refused);
    if (auto* error = std::get_if<ReadError>(&opened)) return std::move(*error);
    const auto [fd, info] = std::get<OpenedFile>(opened);
    const std::size_t size = size_of(info);
    MappedFile file;
    if (size > 0) {
        // A file of a few megabytes is mapped whole at once, which costs less than taking its
        // pages one fault at a time; a larger one page by page, so that its pages can be given
        // back as they are read.
        const int populate = size <= POPULATED_UP_TO ? MAP_POPULATE : 0;
        void* mapping = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | populate, fd, 0);
        if (mapping != MAP_FAILED) {
            ::close(fd);
            file.mapping_ = mapping;
            file.bytes_ = {static_cast<const char*>(mapping), size};
            start_guard(file.bytes_.data(), size);
            return file;
        }
    }
    auto read = read_to_end(fd, size, UNBOUNDED);
    if (auto* error = std::get_if<ReadError>(&read)) return std::move(*error);
    file.read_ = std::move(std::get<std::string>(read));
    file.bytes_ = file.read_;
    return file;
}

std::variant<FileContent, ReadError> read_file(const fs::path& path, Streams streams) {
    auto opened = open_file(path, streams);
    if (auto* error = std::get_if<ReadError>(&opened)) return std::move(*error);
    const auto [fd, info] = std::get<OpenedFile>(opened);
    if (size_of(info) > MAX_READ_BYTES) {
        ::close(fd);
        return larger_than(MAX_READ_BYTES);
    }
    // The status was taken before the first byte was read: a change made while reading shows.
    auto read = read_to_end(fd, size_of(info), MAX_READ_BYTES);
    if (auto* error = std::get_if<ReadError>(&read)) return std::move(*error);
    return FileContent{std::move(std::get<std::string>(read)), identity_of(info)};
}

int allocate_space(int fd, off_t offset, off_t length) {
    return ::posix_fallocate(fd, offset, length);
}

std::optional<WriteError> replace_file(const fs::path& path, std::string_view text,
                                       const FileContent& read, WriteSteps steps) {
    FileIdentity read_as = read.identity;
    // A first look, so that another file put in its place is not opened for writing; the bytes
    // of one whose status-change time alone moved are compared once it is open.
    struct stat seen {};
    if (::stat(path.c_str(), &seen) != 0) return write_error(last_error());
    if (!same_but_status_time(identity_of(seen), read_as)) return CHANGED;
    std::error_code ec;
    fs::path target = fs::is_symlink(path, ec) ? fs::canonical(path, ec) : path;
    if (ec) return write_error(ec.message());

    // The same test a plain write would meet first: may this file be written at all? It is
    // opened for reading too, which it was a moment ago: where the filesystem cannot reserve
    // space, posix_fallocate does it by reading and writing a byte in each block.
    Descriptor file(::open(target.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (file.fd() < 0) return write_error(last_error());
    struct stat original {};
    if (::fstat(file.fd(), &original) != 0) return write_error(last_error());
    // Another file may have been put in place since the path was looked at.
    if (!still_as_read(file.fd(), identity_of(original), read.bytes, read_as)) return CHANGED;
    auto in_place = [&] { return write_in_place(file, read.bytes, text, steps); };
    // A rename would give only this name the new text and leave the other links with the old.
    if (original.st_nlink > 1) return in_place();

    const fs::path directory = target.has_parent_path() ? target.parent_path() : fs::path(".");
    // A directory that keeps every name would keep the new file's too, besides the original.
    if (keeps_every_name(directory)) return in_place();
    NewFile replacement(directory, target.filename().native());
    // A directory that takes no new file (not ours to write, say) still lets the file be written.
    if (!replacement.opened()) return in_place();
    // The new file goes before the text is written over the original, which may need its space.
    auto in_place_instead = [&] {
        replacement.remove();
        return in_place();
    };
    // A file of another owner or group than the one we could give the new file keeps them, and
    // one whose extended attributes the new file cannot be given keeps those.
    if (!takes_status(file.fd(), replacement.fd(), original)) return in_place_instead();
    if (auto error = write_all(replacement.fd(), text)) return write_error(std::move(*error));
    if (::fsync(replacement.fd()) != 0) return write_error(last_error());
    if (steps.written) steps.written();
    // The flush can take a while: a file put in place or changed meanwhile is not replaced, and
    // the new file takes the status of one whose status alone changed (its mode, say).
    if (::stat(target.c_str(), &seen) != 0) return write_error(last_error());
    if (identity_of(seen) != read_as) {
        if (!still_as_read(file.fd(), identity_of(seen), read.bytes, read_as)) return CHANGED;
        if (::fstat(file.fd(), &original) != 0 ||
            !takes_status(file.fd(), replacement.fd(), original)) {
            return in_place_instead();
        }
    }
    // A rename can be refused where a write is not (a sticky directory, a file mounted on its
    // own): the new file goes, and the text is written over the file.
    if (!replacement.rename_over(target)) return in_place();
    sync_directory(directory);
    return std::nullopt;
}

}  // namespace tarnvik::cli
