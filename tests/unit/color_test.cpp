#include "color.hpp"

#include <gtest/gtest.h>

#include <map>

namespace tarnvik::cli {
namespace {

struct Case {
    std::map<std::string, std::string> env;
    bool terminal;
    bool expected;
};

// The environment decides first; a terminal alone is not enough without a capable TERM,
// CLICOLOR or CI.
TEST(Color, DecidesPerStreamFromEnvironment) {
    const Case cases[] = {
        {{}, false, false},
        {{}, true, false},
        {{{"TERM", "xterm-256color"}}, true, true},
        {{{"TERM", "xterm-256color"}}, false, false},
        {{{"TERM", "dumb"}}, true, false},
        {{{"TERM", "dumb"}, {"CLICOLOR", "1"}}, true, true},
        {{{"CI", ""}}, true, true},
        {{{"CLICOLOR", "1"}}, false, false},
        {{{"CLICOLOR", ""}}, true, true},
        {{{"CLICOLOR", "0"}}, true, false},
        {{{"NO_COLOR", "1"}, {"CLICOLOR_FORCE", "1"}, {"TERM", "xterm"}}, true, false},
        {{{"NO_COLOR", ""}, {"TERM", "xterm"}}, true, true},
        {{{"CLICOLOR_FORCE", "1"}}, false, true},
        {{{"CLICOLOR_FORCE", "0"}}, false, false},
        {{{"CLICOLOR_FORCE", ""}, {"TERM", "xterm"}}, true, true},
        {{{"CLICOLOR_FORCE", "1"}, {"CLICOLOR", "0"}}, false, true},
        {{{"CLICOLOR", "0"}, {"TERM", "xterm"}}, true, false},
        {{{"CLICOLOR", "0"}, {"CI", "true"}}, true, false},
    };
    for (const Case& c : cases) {
        auto env = [&](std::string_view name) -> std::optional<std::string> {
            auto it = c.env.find(std::string(name));
            return it == c.env.end() ? std::nullopt : std::optional<std::string>(it->second);
        };
        std::string trace;
        for (const auto& [k, v] : c.env)
            trace += k + "=" + v + " ";
        SCOPED_TRACE(trace + (c.terminal ? "tty" : "pipe"));
        EXPECT_EQ(color_enabled(c.terminal, env), c.expected);
    }
}

}  // namespace
}  // namespace tarnvik::cli
