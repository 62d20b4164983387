#include "streams.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "plain_text.hpp"

namespace tarnvik::cli {

std::optional<std::string> write_all(int fd, std::string_view text) {
    while (!text.empty()) {
        ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return std::string(std::strerror(errno));
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return std::nullopt;
}

void write_stderr(std::string_view text) {
    (void)write_all(STDERR_FILENO, visible_controls(text));
}

}  // namespace tarnvik::cli
