#pragma once

#include <array>
#include <string_view>

namespace tarnvik::pep508::detail {

// The environment marker variables, sorted: those of PEP 508, the dotted and older names that
// earlier metadata versions used and parsers still accept, and `extras` and `dependency_groups`
// of lock files (PEP 751).
inline constexpr std::array<std::string_view, 20> MARKER_VARIABLES = {
    "dependency_groups",
    "extra",
    "extras",
    "implementation_name",
    "implementation_version",
    "os.name",
    "os_name",
    "platform.machine",
    "platform.python_implementation",
    "platform.version",
    "platform_machine",
    "platform_python_implementation",
    "platform_release",
    "platform_system",
    "platform_version",
    "python_full_version",
    "python_implementation",
    "python_version",
    "sys.platform",
    "sys_platform",
};

}  // namespace tarnvik::pep508::detail
