// The walk of a large `[tool.ruff]` table: every setting Ruff ever had, each in its own table,
// with a value of the shape the newest release expects, plus a few hundred per-file entries and
// some misspelt keys; against the newest release alone and against a hundred releases.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "knowledge/ruff.hpp"
#include "rules/tool.hpp"
#include "tarnvik/parse.hpp"

namespace {

namespace stored = tarnvik::tool::stored;
using tarnvik::tool::ValueTag;

// A TOML value that the stored shape accepts.
std::string value_of(const stored::Family& family, std::uint16_t index) {
    const stored::Type& type = family.types[index];
    switch (type.tag) {
        case ValueTag::Boolean:
            return "true";
        case ValueTag::Integer:
        case ValueTag::Number:
            return std::to_string(type.has_minimum ? type.minimum + 10 : 10);
        case ValueTag::OneOf:
            return "\"" + std::string(family.type_texts[type.items.offset].in(family.text)) + "\"";
        case ValueTag::ArrayOf:
            return "[" + value_of(family, type.items.offset) + ", " +
                   value_of(family, type.items.offset) + "]";
        case ValueTag::AnyOf:
            return value_of(family, family.alternatives[type.items.offset]);
        default:
            return "\"E501\"";
    }
}

std::string ruff_table() {
    const tarnvik::tool::Tool& ruff = tarnvik::ruff::RUFF;
    std::string top = "[tool.ruff]\n";
    std::string nested;
    std::string_view open_table;
    for (const tarnvik::tool::ToolOption option : ruff.options()) {
        if (option.kind != tarnvik::tool::OptionKind::Value) continue;
        const auto rule = std::ranges::find_if(option.type_rules, [&](const auto& r) {
            return r.first <= ruff.newest() && ruff.newest() <= r.last;
        });
        if (rule == option.type_rules.end()) continue;
        const std::size_t dot = option.key.rfind('.');
        const std::string line = std::string(option.key.substr(dot + 1)) + " = " +
                                 value_of(*ruff.family, rule->type) + "\n";
        if (dot == std::string_view::npos) {
            top += line;
            continue;
        }
        if (option.key.substr(0, dot) != open_table) {
            open_table = option.key.substr(0, dot);
            nested += "\n[tool.ruff." + std::string(open_table) + "]\n";
        }
        nested += line;
    }
    nested += "\n[tool.ruff.lint.per-file-ignores]\n";
    for (int i = 0; i < 300; ++i)
        nested += "\"src/module" + std::to_string(i) + "/*.py\" = [\"E501\", \"F401\"]\n";
    for (int i = 0; i < 20; ++i)
        top += "line-lenght" + std::to_string(i) + " = 1\n";
    return "[project]\nname = \"p\"\ndependencies = [\"ruff>=0.10\"]\n" + top + nested;
}

void walk(benchmark::State& state, std::string_view requirement) {
    static const std::string base = ruff_table();
    std::string text = base;
    text.replace(text.find("ruff>=0.10"), 10, requirement);
    auto [root, errors] = tarnvik::parse::parse(text);
    const auto& ruff_entry =
        *tarnvik::document::get(*tarnvik::document::get(root, "tool")->value.as_table(), "ruff");
    const auto& table = *ruff_entry.value.as_table();
    std::size_t findings = 0;
    for (auto _ : state) {
        tarnvik::Checker checker{{}, text, nullptr};
        const auto candidates = tarnvik::rules::tool::candidates(checker, tarnvik::ruff::RUFF, root,
                                                                 table, "ruff", "required-version");
        tarnvik::rules::tool::Extension none;
        tarnvik::rules::tool::check_table(candidates, checker, none, table, ruff_entry.value.span,
                                          "");
        tarnvik::rules::tool::checked_against_note(candidates, checker.diagnostics, 0);
        findings = checker.diagnostics.size();
        benchmark::DoNotOptimize(checker.diagnostics.data());
    }
    state.counters["findings"] = static_cast<double>(findings);
    state.counters["keys"] = static_cast<double>(std::count(text.begin(), text.end(), '\n'));
}

void BM_WalkRuffTableNewestRelease(benchmark::State& state) {
    walk(state, "ruff");
}
BENCHMARK(BM_WalkRuffTableNewestRelease)->Unit(benchmark::kMicrosecond);

void BM_WalkRuffTableHundredReleases(benchmark::State& state) {
    walk(state, "ruff>=0.3");
}
BENCHMARK(BM_WalkRuffTableHundredReleases)->Unit(benchmark::kMicrosecond);

}  // namespace
