#include "command_line.hpp"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

#include "version.hpp"

namespace tarnvik::cli {

namespace {

constexpr const char* CHECK_ABOUT = "Check a pyproject.toml file for problems";
constexpr const char* HELP_ABOUT = "Print this message or the help of the given subcommand(s)";
constexpr const char* PATH_HELP =
    "The file to check, or a directory containing a pyproject.toml. Defaults to the nearest "
    "pyproject.toml in the current directory or its parents";
constexpr const char* FIX_HELP =
    "Apply fixes that keep the configuration's meaning, and write the file";
constexpr const char* UNSAFE_FIXES_HELP =
    "Include fixes that may change the configuration's meaning, such as renaming a misspelled "
    "key to a guess. Review them before committing";

// Every flag of the command line; none takes a value.
constexpr std::array<std::string_view, 4> FLAGS = {"--fix", "--unsafe-fixes", "--help",
                                                   "--version"};

using Rows = std::vector<std::pair<std::string, std::string>>;

std::string section(std::string_view heading, const Rows& rows) {
    if (rows.empty()) return "";
    std::size_t width = 0;
    for (const auto& [name, about] : rows)
        width = std::max(width, name.size());
    std::string out = "\n" + std::string(heading) + ":\n";
    for (const auto& [name, about] : rows) {
        out += "  " + name + std::string(width - name.size() + 2, ' ') + about + "\n";
    }
    return out;
}

std::string command_path(const CLI::App* app) {
    std::string path = app->get_name();
    for (const CLI::App* parent = app->get_parent(); parent; parent = parent->get_parent()) {
        path = parent->get_name() + " " + path;
    }
    return path;
}

// The flags the command-line library adds by itself: help and version.
bool is_standard_flag(const CLI::App* app, const CLI::Option* option) {
    return option == app->get_help_ptr() || option == app->get_version_ptr();
}

std::string usage(const CLI::App* app) {
    std::string out = command_path(app);
    if (!app->get_subcommands({}).empty()) return out + " <COMMAND>";
    bool has_flags = false;
    std::string positionals;
    for (const CLI::Option* option : app->get_options()) {
        if (option->get_positional()) {
            positionals += " [" + option->get_name() + "]";
        } else if (!is_standard_flag(app, option)) {
            has_flags = true;
        }
    }
    return out + (has_flags ? " [OPTIONS]" : "") + positionals;
}

std::string option_name(const CLI::Option* option) {
    std::string shorts, longs;
    for (const std::string& s : option->get_snames())
        shorts += "-" + s + ", ";
    for (const std::string& l : option->get_lnames())
        longs += (longs.empty() ? "--" : ", --") + l;
    return (shorts.empty() ? "    " : shorts) + longs;
}

// The help layout of Rust's clap, which users of the tools this program checks know: about,
// usage, then commands, arguments and options, each column aligned within its section.
class ClapFormatter : public CLI::FormatterBase {
  public:
    std::string make_help(const CLI::App* app, std::string, CLI::AppFormatMode) const override {
        Rows commands, arguments, options, standard;
        for (const CLI::App* sub : app->get_subcommands({})) {
            commands.emplace_back(sub->get_name(), sub->get_description());
        }
        for (const CLI::Option* option : app->get_options()) {
            if (option->get_positional()) {
                arguments.emplace_back("[" + option->get_name() + "]", option->get_description());
                continue;
            }
            (is_standard_flag(app, option) ? standard : options)
                .emplace_back(option_name(option), option->get_description());
        }
        options.insert(options.end(), standard.begin(), standard.end());
        return app->get_description() + "\n\nUsage: " + usage(app) + "\n" +
               section("Commands", commands) + section("Arguments", arguments) +
               section("Options", options);
    }
};

const ClapFormatter FORMATTER;

std::string help_text(const CLI::App* app) {
    return FORMATTER.make_help(app, "", CLI::AppFormatMode::Normal);
}

std::string usage_error(std::string message, const CLI::App* app) {
    if (!message.empty()) message[0] = static_cast<char>(std::tolower(message[0]));
    return "error: " + message + "\n\nUsage: " + usage(app) +
           "\n\nFor more information, try '--help'.\n";
}

struct Definition {
    CLI::App root{std::string(ABOUT), std::string(NAME)};
    CLI::App* check = nullptr;
    CLI::App* help = nullptr;
    CheckArgs values;

    Definition() {
        root.set_help_flag("-h,--help", "Print help");
        root.set_version_flag("-V,--version", std::string(NAME) + " " + std::string(VERSION),
                              "Print version");
        check = root.add_subcommand("check", CHECK_ABOUT);
        check->set_help_flag("-h,--help", "Print help");
        check->add_option("PATH", values.path, PATH_HELP);
        check->add_flag("--fix", values.fix, FIX_HELP)->disable_flag_override();
        check->add_flag("--unsafe-fixes", values.unsafe_fixes, UNSAFE_FIXES_HELP)
            ->disable_flag_override();
        help = root.add_subcommand("help", HELP_ABOUT);
        help->set_help_flag("-h,--help", "Print help");
        help->add_option("COMMAND", "The subcommand whose help to print");
    }

    // The command that a usage error is about: the subcommand when one was given.
    const CLI::App* context() const {
        if (check->parsed()) return check;
        if (help->parsed()) return help;
        return &root;
    }

    // The command whose help flag was given.
    const CLI::App* asking_for_help() const {
        for (const CLI::App* app : {check, help}) {
            if (app->get_help_ptr()->count() > 0) return app;
        }
        return &root;
    }

    // clap's message for a flag given twice, which the library would take silently.
    std::optional<std::string> repeated_flag() const {
        for (const char* flag : {"--fix", "--unsafe-fixes"}) {
            if (check->count(flag) > 1) {
                return "the argument '" + std::string(flag) + "' cannot be used multiple times";
            }
        }
        return std::nullopt;
    }

    bool is_subcommand(const std::string& name) const {
        return name == check->get_name() || name == help->get_name();
    }
};

EarlyExit unrecognized_subcommand(const std::string& name, const CLI::App* root) {
    return {2, "", usage_error("unrecognized subcommand '" + name + "'", root)};
}

// `help [COMMAND]`, answered before the parse: the library would read a subcommand name given
// as its argument as a switch to that subcommand.
EarlyExit help_of(const Definition& d, const std::vector<std::string>& topics) {
    if (topics.empty()) return {0, help_text(&d.root), ""};
    if (topics.front() == "-h" || topics.front() == "--help") return {0, help_text(d.help), ""};
    if (topics.size() > 1) {
        return {2, "", usage_error("unexpected argument '" + topics[1] + "' found", d.help)};
    }
    for (const CLI::App* sub : {d.check, d.help}) {
        if (sub->get_name() == topics.front()) return {0, help_text(sub), ""};
    }
    return unrecognized_subcommand(topics.front(), &d.root);
}

// Arguments that look like options but that the library would take anyway: a value given to
// a flag (`--fix=1`, `--help=x`), which it may read as the flag itself, and a negative number
// (`-1`), which it reads as a `PATH`. Both are usage errors; after "--" everything is a path.
std::optional<EarlyExit> refused_option(const Definition& d, const std::vector<std::string>& args) {
    const CLI::App* context = &d.root;
    for (std::size_t i = 1; i < args.size() && args[i] != "--"; ++i) {
        const std::string& arg = args[i];
        if (context == &d.root && arg == d.check->get_name()) context = d.check;
        if (arg.size() > 1 && arg[0] == '-' &&
            (std::isdigit(static_cast<unsigned char>(arg[1])) || arg[1] == '.')) {
            return EarlyExit{2, "",
                             usage_error("unexpected argument '" + arg + "' found", context)};
        }
        const std::size_t equals = arg.find('=');
        if (!arg.starts_with("--") || equals == std::string::npos) continue;
        const std::string flag = arg.substr(0, equals);
        if (std::ranges::find(FLAGS, flag) == FLAGS.end()) continue;
        return EarlyExit{2, "",
                         usage_error("unexpected value '" + arg.substr(equals + 1) + "' for '" +
                                         flag + "' found; no more were expected",
                                     context)};
    }
    return std::nullopt;
}

}  // namespace

std::optional<CheckArgs> parse_common_check(const std::vector<std::string>& args) {
    if (args.size() < 2 || args[1] != "check") return std::nullopt;
    CheckArgs values;
    for (std::size_t i = 2; i < args.size(); ++i) {
        const std::string& arg = args[i];
        bool* flag = arg == "--fix"            ? &values.fix
                     : arg == "--unsafe-fixes" ? &values.unsafe_fixes
                                               : nullptr;
        if (flag != nullptr && !*flag) {
            *flag = true;
        } else if (flag == nullptr && !values.path && !arg.empty() && arg[0] != '-' &&
                   arg != "check" && arg != "help") {
            values.path = arg;
        } else {
            return std::nullopt;  // a second path or flag, an option, or what looks like one
        }
    }
    return values;
}

std::variant<CheckArgs, EarlyExit> parse_command_line(const std::vector<std::string>& args) {
    if (auto common = parse_common_check(args)) return std::move(*common);
    return parse_with_library(args);
}

std::variant<CheckArgs, EarlyExit> parse_with_library(const std::vector<std::string>& args) {
    Definition d;
    if (args.size() <= 1) return EarlyExit{2, "", help_text(&d.root)};
    if (!args[1].starts_with("-") && !d.is_subcommand(args[1])) {
        return unrecognized_subcommand(args[1], &d.root);
    }
    if (args[1] == "--" && args.size() > 2) {
        // The root takes no argument of its own, so nothing after "--" can be one.
        return EarlyExit{2, "",
                         usage_error("unexpected argument '" + args[2] + "' found", &d.root)};
    }
    if (args[1] == d.help->get_name()) {
        return help_of(d, std::vector<std::string>(args.begin() + 2, args.end()));
    }
    if (auto refused = refused_option(d, args)) return *refused;
    std::vector<std::string> reversed(args.rbegin(), args.rend() - 1);
    try {
        d.root.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        return EarlyExit{0, help_text(d.asking_for_help()), ""};
    } catch (const CLI::CallForVersion& version) {
        return EarlyExit{0, std::string(version.what()) + "\n", ""};
    } catch (const CLI::ParseError& error) {
        return EarlyExit{2, "", usage_error(error.what(), d.context())};
    }
    if (auto repeated = d.repeated_flag()) return EarlyExit{2, "", usage_error(*repeated, d.check)};
    if (!d.check->parsed()) {
        return EarlyExit{2, "",
                         usage_error("a subcommand is required but one was not provided", &d.root)};
    }
    return d.values;
}

}  // namespace tarnvik::cli
