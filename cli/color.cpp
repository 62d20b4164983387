#include "color.hpp"

#include <unistd.h>

#include <cstdlib>

namespace tarnvik::cli {

namespace {

bool non_empty(const std::optional<std::string>& value) {
    return value && !value->empty();
}

bool set_and_not_zero(const std::optional<std::string>& value) {
    return non_empty(value) && *value != "0";
}

}  // namespace

bool color_enabled(bool is_terminal, const EnvLookup& env) {
    if (non_empty(env("NO_COLOR"))) return false;
    if (set_and_not_zero(env("CLICOLOR_FORCE"))) return true;
    std::optional<std::string> clicolor = env("CLICOLOR");
    if (clicolor && *clicolor == "0") return false;
    if (!is_terminal) return false;
    std::optional<std::string> term = env("TERM");
    // CLICOLOR set to anything but "0", even empty, asks for colour.
    return (term && *term != "dumb") || clicolor.has_value() || env("CI").has_value();
}

bool color_enabled_for(int fd) {
    auto process_env = [](std::string_view name) -> std::optional<std::string> {
        const char* value = std::getenv(std::string(name).c_str());
        return value ? std::optional<std::string>(value) : std::nullopt;
    };
    return color_enabled(isatty(fd) == 1, process_env);
}

}  // namespace tarnvik::cli
