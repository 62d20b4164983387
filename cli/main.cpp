#include <csignal>
#include <string>
#include <variant>
#include <vector>

#include "command_line.hpp"
#include "run.hpp"
#include "streams.hpp"

int main(int argc, char** argv) {
    // A closed pipe then shows up as a failed write, which the run reports.
    std::signal(SIGPIPE, SIG_IGN);
    // So does a file size limit met while writing the fixed file, whose temporary copy is then
    // removed instead of left behind by a killed process.
    std::signal(SIGXFSZ, SIG_IGN);
    using namespace tarnvik::cli;
    auto parsed = parse_command_line(std::vector<std::string>(argv, argv + argc));
    if (auto* exit = std::get_if<EarlyExit>(&parsed)) {
        (void)write_all(1, exit->out);
        write_stderr(exit->err);
        return exit->status;
    }
    CheckArgs& args = std::get<CheckArgs>(parsed);
    return run_check(std::move(args.path), args.fix, args.unsafe_fixes);
}
