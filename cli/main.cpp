#include <unistd.h>

#include <csignal>
#include <new>
#include <string>
#include <variant>
#include <vector>

#include "command_line.hpp"
#include "run.hpp"
#include "streams.hpp"

namespace {

int run_command_line(int argc, char** argv) {
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

}  // namespace

int main(int argc, char** argv) {
    // A closed pipe then shows up as a failed write, which the run reports.
    std::signal(SIGPIPE, SIG_IGN);
    // So does a file size limit met while writing the fixed file, whose temporary copy is then
    // removed instead of left behind by a killed process.
    std::signal(SIGXFSZ, SIG_IGN);
    try {
        return run_command_line(argc, argv);
    } catch (const std::bad_alloc&) {
        // The run names the file it was checking; this is what is left when even the command
        // line, or that report, finds no memory. Written as it stands, it needs none.
        (void)tarnvik::cli::write_all(STDERR_FILENO, "error: out of memory\n");
        return 2;
    }
}
