#include "files.hpp"

#include <fcntl.h>
#include <fmt/format.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__linux__) && __has_include(<sys/xattr.h>)
#include <sys/xattr.h>
#endif

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <limits>

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
    return FileIdentity{
        static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
        static_cast<std::int64_t>(info.st_size), static_cast<std::int64_t>(info.st_mtim.tv_sec),
        static_cast<std::int64_t>(info.st_mtim.tv_nsec)};
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

  private:
    int fd_;
};

// Closes the descriptor and removes the temporary file unless the rename took it over.
class TempFile {
  public:
    explicit TempFile(std::string pattern)
        : path_(std::move(pattern)), file_(::mkstemp(path_.data())), created_(file_.fd() >= 0) {}
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() { remove(); }
    bool opened() const { return created_; }
    int fd() const { return file_.fd(); }
    const std::string& path() const { return path_; }
    int close() { return file_.close(); }
    void commit() { committed_ = true; }
    void remove() {
        close();
        if (created_ && !committed_) ::unlink(path_.c_str());
        created_ = false;
    }

  private:
    std::string path_;
    Descriptor file_;
    bool created_;
    bool committed_ = false;
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

// Puts the file back to its old length when nothing of the new text was written over it: a
// reservation can fail part-way, the file keeping the blocks, and the length, it got. Its time
// of change stays when its length did.
void restore_length(int fd, off_t old_size) {
    struct stat info {};
    if (::lseek(fd, 0, SEEK_CUR) == 0 && ::fstat(fd, &info) == 0 && info.st_size != old_size) {
        (void)::ftruncate(fd, old_size);
    }
}

// Writes the text over the file's own bytes and cuts what is left of the old text: every link
// to the file sees the new text, and its owner, mode and extended attributes stay. The space is
// reserved first, so that running out of it fails before the first byte is written, and the
// file is then cut back to its old length (`old_size`), dropping what a reservation that failed
// part-way added: it is as it was. Only an I/O error half-way can still leave it partly written.
std::optional<WriteError> write_in_place(Descriptor& file, off_t old_size, std::string_view text,
                                         Allocate allocate) {
    std::optional<std::string> error = reserve(file.fd(), text.size(), allocate);
    if (!error) error = write_all(file.fd(), text);
    if (error) restore_length(file.fd(), old_size);
    if (!error && ::ftruncate(file.fd(), static_cast<off_t>(text.size())) != 0) {
        error = last_error();
    }
    if (!error && ::fsync(file.fd()) != 0) error = last_error();
    if (file.close() != 0 && !error) error = last_error();
    if (error) return write_error(std::move(*error));
    return std::nullopt;
}

const WriteError CHANGED{true, {}};

// The failure when `path` no longer names the file as it was read: CHANGED, or the system's
// when it names nothing.
std::optional<WriteError> changed_since_read(const fs::path& path, const FileIdentity& read_as) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return write_error(last_error());
    if (identity_of(info) != read_as) return CHANGED;
    return std::nullopt;
}

// Whether the new file holds every extended attribute of the original (an access control list,
// a security label, a user's own), each with the original's value: what it was given by its
// directory where that is the same, else a copy, where we may make one. Where attributes cannot
// be listed there are none to lose.
bool keeps_extended_attributes(int original, int replacement) {
#if defined(__linux__) && __has_include(<sys/xattr.h>)
    auto read_all = [](auto get) -> std::optional<std::string> {
        for (;;) {
            const ssize_t size = get(nullptr, 0);
            if (size < 0) return std::nullopt;
            std::string bytes(static_cast<std::size_t>(size), '\0');
            const ssize_t read = get(bytes.data(), bytes.size());
            if (read >= 0 && read <= size) return bytes.substr(0, static_cast<std::size_t>(read));
            if (read < 0 && errno != ERANGE) return std::nullopt;  // else it grew meanwhile
        }
    };
    const std::optional<std::string> names =
        read_all([&](char* to, std::size_t size) { return ::flistxattr(original, to, size); });
    if (!names) return errno == ENOTSUP;
    for (std::size_t at = 0, end = 0; at < names->size(); at = end + 1) {
        end = std::min(names->find('\0', at), names->size());
        const std::string name = names->substr(at, end - at);
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
    return true;
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

std::size_t size_of(const struct stat& info) {
    return info.st_size > 0 ? static_cast<std::size_t>(info.st_size) : 0;
}

// No bound on the read of a regular file, whose size is known (and far below this).
constexpr std::size_t UNBOUNDED = std::numeric_limits<std::size_t>::max() / 4;

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
        if (size > at_most) {
            return ReadError{false, fmt::format("it is larger than {} MiB", at_most >> 20)};
        }
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
    // The status was taken before the first byte was read: a change made while reading shows.
    auto read =
        read_to_end(fd, size_of(info), S_ISREG(info.st_mode) ? UNBOUNDED : MAX_STREAM_BYTES);
    if (auto* error = std::get_if<ReadError>(&read)) return std::move(*error);
    return FileContent{std::move(std::get<std::string>(read)), identity_of(info)};
}

int allocate_space(int fd, off_t offset, off_t length) {
    return ::posix_fallocate(fd, offset, length);
}

std::optional<WriteError> replace_file(const fs::path& path, std::string_view text,
                                       const FileIdentity& read_as, Allocate allocate) {
    if (auto error = changed_since_read(path, read_as)) return error;
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
    if (identity_of(original) != read_as) return CHANGED;
    auto in_place = [&] { return write_in_place(file, original.st_size, text, allocate); };
    // A rename would give only this name the new text and leave the other links with the old.
    if (original.st_nlink > 1) return in_place();

    fs::path directory = target.parent_path();
    std::string name = ".";
    name += target.filename().string();
    name += ".tarnvik-XXXXXX";
    TempFile temp((directory.empty() ? fs::path(".") : directory) / name);
    // A directory that takes no new file (not ours to write, say) still lets the file be written.
    if (!temp.opened()) return in_place();
    // A file of another owner or group than the one we could give the new file keeps them, and
    // one whose extended attributes the new file cannot be given keeps those.
    if (!takes_owner(temp.fd(), original) || !keeps_extended_attributes(file.fd(), temp.fd())) {
        temp.remove();
        return in_place();
    }
    if (auto error = write_all(temp.fd(), text)) return write_error(std::move(*error));
    // After the owner, whose change clears the set-user-ID and set-group-ID bits.
    if (::fchmod(temp.fd(), original.st_mode & 07777) != 0) return write_error(last_error());
    if (::fsync(temp.fd()) != 0) return write_error(last_error());
    if (temp.close() != 0) return write_error(last_error());
    // The flush can take a while: a file put in place or changed meanwhile is not replaced.
    if (auto error = changed_since_read(target, read_as)) return error;
    // A rename can be refused where a write is not (a sticky directory, a file mounted on its
    // own): the temporary file goes, and the text is written over the file.
    if (::rename(temp.path().c_str(), target.c_str()) != 0) {
        temp.remove();
        return in_place();
    }
    temp.commit();
    sync_directory(directory);
    return std::nullopt;
}

}  // namespace tarnvik::cli
