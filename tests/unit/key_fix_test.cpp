#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "tarnvik/check.hpp"
#include "tarnvik/fix.hpp"
#include "tarnvik/parse.hpp"
#include "toml_dump.hpp"

// `--fix` on a key that is written in several places: dotted keys, its own header, headers of
// tables below it, the headers of the tables of its array. The fix must edit all of them, so that
// the document means what it meant with the key renamed or moved, and never leave text that no
// longer parses.
namespace tarnvik {
namespace {

// One key of a table to rename or move, and the table it lives in.
struct Scenario {
    std::string_view name;
    std::string_view prelude;  // tables the check needs besides
    std::string_view parent;   // the header of the key's table
    std::string_view parent_lines;
    std::string_view key;
    std::string_view new_path;             // where the key ends up, relative to its table
    std::vector<std::string_view> leaves;  // `key = value` lines of the key's table
    bool array;                            // the key's value is an array of tables
    Applicability applicability;
    std::string_view finding;  // a part of the message that the fix must make go away
};

std::vector<Scenario> scenarios() {
    const Applicability safe = Applicability::Safe;
    const Applicability unsafe = Applicability::Unsafe;
    const std::string_view project = "[project]\nname = \"a\"\nversion = \"1\"\n";
    return {
        // The move takes `lint`, and frees `isort` only by taking `lint`: neither rename may
        // apply, in whichever order the walk meets them and whatever the run's mode.
        {"Ruff's move under `lint`, beside renames onto `lint` and onto the setting it moves",
         "",
         "tool.ruff",
         "line-length = 80\nlnt = {}\nIsort = {}\n",
         "isort",
         "lint.isort",
         {"force-single-line = true", "known-first-party = [\"a\"]", "sections = { zq = [\"b\"] }"},
         false,
         safe,
         "linter settings at the top level"},
        {"the rename of an unknown key",
         "",
         "tool.ruff.lint",
         "",
         "isrot",
         "isort",
         {"force-single-line = true", "known-first-party = [\"a\"]", "sections = { zq = [\"b\"] }"},
         false,
         unsafe,
         "unknown key `isrot`"},
        {"the rename of a table of an array",
         project,
         "tool.uv",
         "",
         "indx",
         "index",
         {"url = \"https://example.org/simple\""},
         true,
         unsafe,
         "unknown key `indx`"},
        {"the rename of a group's settings",
         "[project]\nname = \"a\"\nversion = \"1\"\n[dependency-groups]\ndev = []\n",
         "tool.uv.dependency-groups",
         "",
         "devv",
         "dev",
         {"requires-python = \">=3.9\""},
         false,
         unsafe,
         "undefined dependency group `devv`"},
        // `Dev` is the settings of `dev` already: `devv` keeps its finding without a fix.
        {"the rename of a group's settings beside a group spelt another way",
         "[project]\nname = \"a\"\nversion = \"1\"\n[dependency-groups]\ndev = []\ntest = []\n",
         "tool.uv.dependency-groups",
         "Dev = {}\ndevv = {}\n",
         "tset",
         "test",
         {"requires-python = \">=3.9\""},
         false,
         unsafe,
         "undefined dependency group `tset`"},
        {"the rename of an unknown `[project]` key",
         "",
         "project",
         "name = \"a\"\nversion = \"1\"\n",
         "url",
         "urls",
         {"Homepage = \"https://example.org\"", "Source = \"https://example.org/src\""},
         false,
         unsafe,
         "unknown key `url`"},
    };
}

// A key as one place writes it: bare, quoted with its last character escaped, or literal.
std::string spelled(std::string_view key, std::size_t how) {
    const std::string_view head = key.substr(0, key.size() - 1);
    if (how == 1) return fmt::format("\"{}\\u{:04X}\"", head, key.back());
    return how == 2 ? fmt::format("'{}'", key) : std::string(key);
}

// A configuration that writes the scenario's key in two to four places, in an order and
// spellings the seed chooses: dotted keys in its table's section, its own header, headers of
// tables below it (or, for an array, the headers of its tables with a table below some of them).
std::string generate(const Scenario& s, unsigned seed) {
    std::mt19937 random(seed);
    const auto pick = [&](std::size_t below) { return std::size_t(random() % below); };
    const auto key = [&] { return spelled(s.key, pick(3)); };
    const auto table = [&] { return std::string(s.parent) + "." + key(); };
    std::string parent_section = "[" + std::string(s.parent) + "]\n" + std::string(s.parent_lines);
    std::vector<std::string> sections;
    const std::size_t places = 2 + pick(3);
    if (s.array) {
        for (std::size_t i = 0; i < places; ++i) {
            std::string section = "[[" + table() + "]]\n" + std::string(s.leaves[0]) + "\n";
            if (i + 1 < places && pick(2) == 0) {
                section += "[" + table() + ".zq]\nx = 1\n";
                ++i;
            }
            sections.push_back(std::move(section));
        }
    } else {
        const bool dotted = pick(2) == 0;
        std::size_t written = 0;
        if (dotted) {
            const std::size_t lines = 1 + pick(std::min(s.leaves.size(), places - 1));
            for (; written < lines; ++written)
                parent_section += key() + "." + std::string(s.leaves[written]) + "\n";
        } else {
            std::string own = "[" + table() + "]\n";
            const std::size_t lines = pick(s.leaves.size() + 1);
            for (std::size_t i = 0; i < lines; ++i)
                own += std::string(s.leaves[i]) + "\n";
            sections.push_back(std::move(own));
            ++written;
        }
        for (std::size_t i = 0; written < places; ++i, ++written)
            sections.push_back("[" + table() + ".zq" + std::to_string(i) + "]\nx = 1\n");
    }
    sections.push_back(std::move(parent_section));
    // Tables of an array keep their order; what comes below one of them follows it.
    if (!s.array) std::shuffle(sections.begin(), sections.end(), random);
    std::string text(s.prelude);
    for (const std::string& section : sections)
        text += section;
    return text;
}

void sort_tables(document::Value& value) {
    if (document::Array* array = value.as_array()) {
        for (document::Value& element : *array)
            sort_tables(element);
    } else if (document::Table* table = value.as_table()) {
        std::ranges::sort(table->entries, {}, &document::Entry::key);
        for (document::Entry& entry : table->entries)
            sort_tables(entry.value);
    }
}

// The document as text, each table's keys sorted: where a key is written does not matter.
std::string canonical(document::Table table) {
    document::Value root{std::move(table), {}};
    sort_tables(root);
    return test::dump(*root.as_table());
}

document::Table& table_at(document::Table& root, std::string_view path) {
    document::Table* table = &root;
    while (!path.empty()) {
        const std::size_t dot = path.find('.');
        const std::string_view key = path.substr(0, dot);
        auto entry = std::ranges::find(table->entries, key, &document::Entry::key);
        if (entry == table->entries.end()) {
            table->entries.push_back({std::string(key), {}, {document::Table{}, {}}});
            entry = table->entries.end() - 1;
        }
        table = entry->value.as_table();
        path = dot == std::string_view::npos ? "" : path.substr(dot + 1);
    }
    return *table;
}

// The document the fix must give: the original with the key at its new place.
std::string expected_after(const Scenario& s, const std::string& text) {
    document::Table root = parse::parse(text).first;
    document::Table& parent = table_at(root, s.parent);
    const auto found = std::ranges::find(parent.entries, s.key, &document::Entry::key);
    document::Entry moved = std::move(*found);
    parent.entries.erase(found);
    const std::size_t dot = s.new_path.rfind('.');
    moved.key = s.new_path.substr(dot == std::string_view::npos ? 0 : dot + 1);
    table_at(parent, dot == std::string_view::npos ? "" : s.new_path.substr(0, dot))
        .entries.push_back(std::move(moved));
    return canonical(std::move(root));
}

bool reports(const CheckResult& result, std::string_view finding) {
    return std::ranges::any_of(result.diagnostics, [&](const Diagnostic& d) {
        return d.message.find(finding) != std::string::npos;
    });
}

// `--fix` at `minimum`, which must leave no fix it would apply and nothing that a second run
// changes, and never break the file.
fix::FixResult fixed_for_good(const std::string& text, Applicability minimum,
                              const std::string& context) {
    fix::FixResult fixed = fix::fix(text, nullptr, minimum);
    EXPECT_EQ(fixed.skipped, 0u) << context;
    EXPECT_TRUE(std::ranges::none_of(
        fixed.report.diagnostics,
        [&](const Diagnostic& d) { return d.fix && d.fix->applicability >= minimum; }))
        << context << fixed.output;
    EXPECT_EQ(fix::fix(fixed.output, nullptr, minimum).output, fixed.output) << context;
    return fixed;
}

TEST(KeyFix, EditsEveryPlaceTheKeyIsWritten) {
    for (const Scenario& s : scenarios()) {
        std::vector<Applicability> minimums = {Applicability::Unsafe};
        if (s.applicability == Applicability::Safe) minimums.push_back(Applicability::Safe);
        for (unsigned seed = 0; seed < 60; ++seed) {
            const std::string text = generate(s, seed);
            const std::string context =
                std::string(s.name) + ", seed " + std::to_string(seed) + ":\n" + text;
            const CheckResult before = check_with_lock(text, nullptr);
            ASSERT_TRUE(std::ranges::any_of(before.diagnostics, [&](const Diagnostic& d) {
                return d.message.find(s.finding) != std::string::npos && d.fix;
            })) << context;
            for (const Applicability minimum : minimums) {
                const fix::FixResult fixed = fixed_for_good(text, minimum, context);
                EXPECT_FALSE(reports(fixed.report, s.finding)) << context << fixed.output;
                EXPECT_EQ(canonical(parse::parse(fixed.output).first), expected_after(s, text))
                    << context << fixed.output;
            }
        }
    }
}

// Keys that want the same name: the safe fixes get it first, then the unsafe ones, each in source
// order; the others keep their finding and help without a fix, and no fix ever breaks the file.
TEST(KeyFix, OneClaimPerName) {
    struct Case {
        std::string_view name;
        std::string text;
        std::vector<std::string_view> fixed_keys;  // the keys whose findings have a fix
        // Two names of one option: the fixed file never writes both, and keeps no fix to count.
        std::vector<std::string_view> one_option = {};
    };
    const std::string project = "[project]\nname = \"a\"\nversion = \"1\"\n";
    const std::string metadata = "[[tool.uv.dependency-metadata]]\nname = \"a\"\n";
    const std::string analysis = project + "[tool.ty.analysis]\n";
    const std::vector<std::string_view> equality = {"strict-equality-semantics",
                                                    "strict-literal-narrowing"};
    const std::vector<Case> cases = {
        {"Ruff", "[tool.ruff]\nline_length = 80\nline-lenght = 90\n", {"line_length"}},
        {"ty rules",
         "[tool.ty.rules]\nunresolved-imports = \"ignore\"\nunresolved_import = \"warn\"\n",
         {"unresolved-imports"}},
        {"uv", project + "[tool.uv]\nindex_url = \"a\"\nindex-ur = \"b\"\n", {"index_url"}},
        {"uv group settings",
         project +
             "[dependency-groups]\ndev = []\n[tool.uv.dependency-groups]\ndevv = {}\ndve = {}\n",
         {"devv"}},
        // Group names compare in normal form, the keys of the table as well as the claims.
        {"a group the settings have in another spelling",
         project + "[dependency-groups]\ndev-tools = []\n[tool.uv.dependency-groups]\n"
                   "dev-toolz = {}\nDev_Tools = {}\n",
         {}},
        {"a standards table", project + "Url.a = \"https://a.example\"\nurl.b = \"c\"\n", {"Url"}},
        {"a name the table has", "[tool.ruff]\nline_length = 80\nline-length = 90\n", {}},
        // The safe rename of a deprecated key wins over an unsafe rename met before it.
        {"a deprecated key's new name",
         metadata + "provides_extra = []\nprovides-extras = []\n",
         {"provides-extras"}},
        {"a deprecated key alone",
         analysis + "strict-literal-narrowing = true\n",
         {"strict-literal-narrowing"}},
        // The old name of an option is the option's name: no rename writes it beside the new
        // one, nor beside a deprecated key whose rename claims the new name.
        {"a rename onto the old name of a setting the table has",
         analysis + "strict-equality-semantics = false\nstrict_literal_narrowing = true\n",
         {},
         equality},
        {"a rename onto a deprecated key's name",
         analysis + "strict-literal-narrowing = true\nstrict_literal_narrowing = false\n",
         {"strict-literal-narrowing"},
         equality},
        {"a rename onto the old name of a setting of an array's table",
         metadata + "provides-extra = []\nprovides_extras = []\n",
         {},
         {"provides-extra", "provides-extras"}},
        // The safe move under `lint` takes the name first, wherever the rename comes.
        {"the move under `lint` after a rename onto `lint`",
         "[tool.ruff]\nlnit = {}\nselect = [\"E\"]\n",
         {"select"}},
        {"the move under `lint` before a rename onto `lint`",
         "[tool.ruff]\nselect = [\"E\"]\nlnt = {}\n",
         {"select"}},
        // A rename onto a setting that belongs under `lint` takes `lint` too: the move frees the
        // name by taking `lint`, and once `lint` is a key the setting could not move there.
        {"a rename onto the setting the move frees",
         "[tool.ruff]\nselect = [\"E\"]\nSelect = [\"F\"]\n",
         {"select"}},
        {"a rename onto a linter setting beside the move of another",
         "[tool.ruff]\nignore = []\nSelect = [\"F\"]\n",
         {"ignore"}},
        {"a rename onto a linter setting while `lint` is a key",
         "[tool.ruff]\nSelect = [\"F\"]\n[tool.ruff.lint]\n",
         {}},
        {"a rename onto a linter setting alone", "[tool.ruff]\nSelect = [\"F\"]\n", {"Select"}},
        // Before 0.2.0 the top level is the place for linter settings: nothing moves them.
        {"a rename onto a linter setting where it belongs",
         "[tool.ruff]\nSelect = [\"F\"]\n[tool.ruff.lint]\n[dependency-groups]\n"
         "dev = [\"ruff>=0.1.5,<0.2\"]\n",
         {"Select"}},
    };
    for (const Case& c : cases) {
        const CheckResult result = check_with_lock(c.text, nullptr);
        std::vector<std::string_view> fixed;
        const std::string_view source = result.source;
        for (const Diagnostic& d : result.diagnostics) {
            if (d.fix) fixed.push_back(source.substr(d.span.start, d.span.size()));
        }
        EXPECT_EQ(fixed, c.fixed_keys) << c.name;
        for (const Applicability minimum : {Applicability::Safe, Applicability::Unsafe}) {
            const fix::FixResult result = fixed_for_good(c.text, minimum, std::string(c.name));
            if (c.one_option.empty()) continue;
            const auto writes = [&](std::string_view name) {
                return result.output.find(fmt::format("\n{} =", name)) != std::string::npos;
            };
            EXPECT_FALSE(std::ranges::all_of(c.one_option, writes)) << c.name << ":\n"
                                                                    << result.output;
            EXPECT_TRUE(std::ranges::none_of(result.report.diagnostics, [](const Diagnostic& d) {
                return d.fix.has_value();
            })) << c.name;
        }
    }
}

// `--fix` on a value that names something: whatever kind of string the old name is written in,
// with or without escapes, the fix writes the new name as a string, never as another type.
struct ValueScenario {
    std::string_view name;
    std::string text;  // `@` stands for the string
    std::string_view old_value;
    std::string_view new_value;
};

std::vector<ValueScenario> value_scenarios() {
    const std::string project =
        "[project]\nname = \"a\"\nversion = \"1\"\ndependencies = [\"foo\"]\n"
        "[project.optional-dependencies]\ncli = []\ndocs = []\n"
        "[dependency-groups]\ntest = []\nlint = []\n2024 = []\ntrue = []\n";
    const std::string index =
        "[[tool.uv.index]]\nname = \"torch\"\nurl = \"https://t\"\n"
        "[[tool.uv.index]]\nname = \"it's\"\nurl = \"https://i\"\n";
    return {
        {"Ruff's remap", "[tool.ruff.lint]\nignore = [@]\n", "U", "UP"},
        {"Ruff's remap in a per-file list",
         "[tool.ruff.lint.per-file-ignores]\n\"a.py\" = [\"E501\", @]\n", "PLR1701", "SIM101"},
        {"an unknown selector", "[tool.ruff.lint]\nextend-select = [@]\n", "E5011", "E501"},
        {"a default group", project + "[tool.uv]\ndefault-groups = [@]\n", "tset", "test"},
        {"a default group named like a boolean", project + "[tool.uv]\ndefault-groups = [@]\n",
         "ture", "true"},
        {"a source's group named like an integer",
         project + "[tool.uv.sources]\nfoo = { path = \"x\", group = @ }\n", "2025", "2024"},
        {"a source's extra", project + "[tool.uv.sources]\nfoo = { path = \"x\", extra = @ }\n",
         "clii", "cli"},
        {"a source's index", project + index + "[tool.uv.sources]\nfoo = { index = @ }\n", "Torch",
         "torch"},
        {"an index name a literal string cannot hold",
         project + index + "[tool.uv.sources]\nfoo = { index = @ }\n", "its", "it's"},
        {"a conflict's extra",
         project + "[tool.uv]\nconflicts = [[{ extra = @ }, { extra = \"cli\" }]]\n", "doc",
         "docs"},
        {"a conflict's group",
         project + "[tool.uv]\nconflicts = [[{ group = \"lint\" }, { group = @ }]]\n", "tset",
         "test"},
    };
}

// Every way the generator writes a string whose value is `value`: plain, with an escape at
// either end, literal, and each multi-line kind, with a trimmed line break or a line-ending
// backslash.
std::vector<std::string> writings(std::string_view value) {
    const std::string_view head = value.substr(0, value.size() - 1);
    const std::string_view tail = value.substr(1);
    const auto code = [](char c) { return static_cast<unsigned char>(c); };
    return {
        fmt::format("\"{}\"", value),
        fmt::format("\"\\u{:04X}{}\"", code(value.front()), tail),
        fmt::format("\"{}\\U{:08X}\"", head, code(value.back())),
        fmt::format("'{}'", value),
        fmt::format("\"\"\"{}\"\"\"", value),
        fmt::format("\"\"\"\n{}\\\n  \"\"\"", value),
        fmt::format("'''{}'''", value),
        fmt::format("'''\n{}'''", value),
    };
}

std::string with_string(std::string text, std::string_view written) {
    return text.replace(text.find('@'), 1, written);
}

TEST(ValueFix, WritesTheNewNameAsAStringHoweverTheOldOneIsWritten) {
    for (const ValueScenario& s : value_scenarios()) {
        const std::string expected =
            canonical(parse::parse(with_string(s.text, fmt::format("\"{}\"", s.new_value))).first);
        for (const std::string& written : writings(s.old_value)) {
            const std::string text = with_string(s.text, written);
            const std::string context = std::string(s.name) + ":\n" + text;
            const CheckResult before = check_with_lock(text, nullptr);
            ASSERT_TRUE(std::ranges::any_of(before.diagnostics, [&](const Diagnostic& d) {
                return d.fix && d.span.size() == written.size() &&
                       text.compare(d.span.start, d.span.size(), written) == 0;
            })) << context;
            const fix::FixResult fixed = fix::fix(text, nullptr, Applicability::Unsafe);
            EXPECT_EQ(fixed.fixed, 1u) << context;
            EXPECT_EQ(fixed.skipped, 0u) << context;
            EXPECT_EQ(canonical(parse::parse(fixed.output).first), expected)
                << context << fixed.output;
        }
    }
}

}  // namespace
}  // namespace tarnvik
