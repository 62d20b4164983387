#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace tarnvik::cli {

struct ReadError {
    bool not_found = false;
    // The system's, or what the path names instead of a regular file ("it is a named pipe, not
    // a regular file").
    std::string description;
    bool not_regular = false;  // the path names something the read does not take
};

// Which file a path named and what state it was in: the device and inode, the size, the time of
// its last change and that of its status. Another program that rewrites the file, or puts another
// file in its place, changes one of them: the status time even when the change keeps the size
// and puts the modification time back (`cp -p`, `touch -r`), since no one can set it. That one
// also moves when nobody edits the file (an overlay mount copying it up, a mode change), so where
// it alone moved, the write compares the file's bytes instead.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = -1;
    std::int64_t modified_seconds = 0;
    std::int64_t modified_nanoseconds = 0;
    std::int64_t status_changed_seconds = 0;
    std::int64_t status_changed_nanoseconds = 0;
    bool operator==(const FileIdentity&) const = default;
};

struct FileContent {
    std::string bytes;
    FileIdentity identity;  // as it was before the first byte was read
};

// What a read takes besides a regular file. A stream, a named pipe or a character device
// (standard input, a shell's `<(command)`), is read to its end as `cat` reads it, waiting for its
// writer, but no further than MAX_READ_BYTES, so that a device such as /dev/zero ends.
enum class Streams { Refused, Read };
// A project file is far smaller: a larger one, file or stream, is refused rather than read into
// memory, the size of a regular file before a byte is read.
inline constexpr std::size_t MAX_READ_BYTES = std::size_t{64} << 20;

// The whole file's bytes, up to MAX_READ_BYTES. A regular file is read (symbolic links followed),
// and a stream when `streams` says so; anything else, a block device, a directory, a socket, or a
// stream when refused, is a ReadError without a byte read from it, so that nothing can block the
// read or make it endless.
std::variant<FileContent, ReadError> read_file(const std::filesystem::path& path,
                                               Streams streams = Streams::Refused);

// A file's bytes, mapped into memory read-only for as long as the object lives: nothing is
// copied, and a page is read from the file when it is first looked at. An empty file, which
// cannot be mapped, is read instead; like read_file, only a regular file is opened at all.
class MappedFile {
  public:
    MappedFile(MappedFile&& other) noexcept;
    MappedFile& operator=(MappedFile&&) = delete;
    ~MappedFile();

    std::string_view bytes() const { return bytes_; }
    // Gives the whole pages before `offset` back to the system; looked at again, they are read
    // again from the file.
    void release_before(std::size_t offset) const;
    // Whether the file was shortened while mapped, which makes what is mapped past its new end
    // read as zero bytes (instead of ending the process).
    bool cut_short() const;

  private:
    friend std::variant<MappedFile, ReadError> map_file(const std::filesystem::path& path);
    MappedFile() = default;

    std::string_view bytes_;
    void* mapping_ = nullptr;  // null when the bytes were read into `read_`
    std::string read_;
};

// The file mapped into memory; one mapping at a time.
std::variant<MappedFile, ReadError> map_file(const std::filesystem::path& path);

struct WriteError {
    // The path no longer names the file as it was read: another program changed or replaced it
    // meanwhile, and nothing was written.
    bool changed = false;
    std::string description;  // the system's, when not `changed`
};

// How the space of a file written over in place is reserved: posix_fallocate, which on a full
// disk can fail part-way, the file keeping the blocks, and the length, it got.
using Allocate = int (*)(int fd, off_t offset, off_t length);
int allocate_space(int fd, off_t offset, off_t length);

// Steps of a write that a test replaces: a reservation that fails part-way, an interrupt that
// comes once the text is written but before the new file takes the original's place, or before
// the file written over is cut to the text's length.
struct WriteSteps {
    Allocate allocate = allocate_space;
    void (*written)() = nullptr;
};

// Replaces the content of the file at `path` (the file a symbolic link names, when it is one),
// which must still be the file as it was read (`read`: its identity, or, where only its status
// time moved, its bytes); when it is not, nothing is written. A write in place checks so again
// once the space is reserved, just before its first byte.
// Where it can, without ever leaving it half written: the text goes to a new file beside it,
// which is flushed to disk, given the original's owner, group, permission bits and exactly its
// extended attributes (none that the directory's default access list would add), and renamed
// over it. Where that cannot work (the directory takes no new file or refuses the rename, the
// file has other hard links, which a rename would leave with the old text, or an owner, group
// or extended attributes the new file cannot be given), the text is written over the file
// itself, once the space it needs has been reserved: a full disk or the file size limit then
// fails before the first byte is overwritten, and the file keeps its length and its time. A file
// that may not be written fails as a plain write would, and then nothing on disk changes.
// No temporary file is ever left behind, nor a file of old and new text mixed, when the process
// is interrupted (INTERRUPTS): the new file has no name until just before the rename where the
// file system allows it, and is removed on an interrupt where it does not; a write in place holds
// interrupts until it is done. A directory that keeps every name (append-only) is written in
// place, and a name that still cannot be removed is named on standard error.
std::optional<WriteError> replace_file(const std::filesystem::path& path, std::string_view text,
                                       const FileContent& read, WriteSteps steps = {});

}  // namespace tarnvik::cli
