#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "files.hpp"

namespace tarnvik::cli {
namespace {

namespace fs = std::filesystem;

class ScratchFile {
  public:
    explicit ScratchFile(const std::string& text) {
        char pattern[] = "/tmp/tarnvik-mapped-XXXXXX";
        const int fd = ::mkstemp(pattern);
        path_ = pattern;
        ::close(fd);
        std::ofstream(path_, std::ios::binary) << text;
    }
    ~ScratchFile() { fs::remove(path_); }
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

// A file's bytes, whatever the file: mapped when it can be, read otherwise.
TEST(MappedFile, HoldsTheBytesOfTheFile) {
    const std::string text = std::string(10000, 'a') + "end";
    for (const std::string& content : {text, std::string("short"), std::string()}) {
        ScratchFile file(content);
        auto mapped = map_file(file.path());
        ASSERT_TRUE(std::holds_alternative<MappedFile>(mapped));
        const MappedFile& bytes = std::get<MappedFile>(mapped);
        EXPECT_EQ(bytes.bytes(), content);
        bytes.release_before(content.size());  // given back, and read again when looked at
        EXPECT_EQ(bytes.bytes(), content);
        EXPECT_FALSE(bytes.cut_short());
    }
    auto missing = map_file("/tmp/tarnvik-no-such-file");
    ASSERT_TRUE(std::holds_alternative<ReadError>(missing));
    EXPECT_TRUE(std::get<ReadError>(missing).not_found);
    auto directory = map_file("/tmp");
    ASSERT_TRUE(std::holds_alternative<ReadError>(directory));
    EXPECT_FALSE(std::get<ReadError>(directory).not_found);
    // Only a regular file is opened: a device would never end.
    auto device = map_file("/dev/zero");
    ASSERT_TRUE(std::holds_alternative<ReadError>(device));
    EXPECT_EQ(std::get<ReadError>(device).description,
              "it is a character device, not a regular file");
}

// A file shortened by another program while it is mapped reads as zeros past its new end,
// and says so, where touching those pages would otherwise end the process.
TEST(MappedFile, ShortenedFileReadsAsZerosInsteadOfEndingTheProcess) {
    const long page = ::sysconf(_SC_PAGESIZE);
    ScratchFile file(std::string(static_cast<std::size_t>(page) * 3, 'x'));
    {
        auto mapped = map_file(file.path());
        ASSERT_TRUE(std::holds_alternative<MappedFile>(mapped));
        const MappedFile& bytes = std::get<MappedFile>(mapped);
        ASSERT_EQ(::truncate(file.path().c_str(), page), 0);
        const std::string_view view = bytes.bytes();
        EXPECT_EQ(view[0], 'x');
        EXPECT_EQ(view[view.size() - 1], '\0');
        EXPECT_TRUE(bytes.cut_short());
    }
    // Once unmapped, the next mapping starts afresh.
    auto again = map_file(file.path());
    ASSERT_TRUE(std::holds_alternative<MappedFile>(again));
    EXPECT_EQ(std::get<MappedFile>(again).bytes(),
              std::string(static_cast<std::size_t>(page), 'x'));
    EXPECT_FALSE(std::get<MappedFile>(again).cut_short());
}

}  // namespace
}  // namespace tarnvik::cli
