#include "tarnvik/check.hpp"

#include "checker.hpp"
#include "rules/build_system.hpp"
#include "rules/compatibility.hpp"
#include "rules/dependency_groups.hpp"
#include "rules/project.hpp"
#include "rules/ruff.hpp"
#include "rules/ty.hpp"
#include "rules/uv.hpp"
#include "tarnvik/parse.hpp"
#include "tarnvik/source.hpp"
#include "toml_version.hpp"

namespace tarnvik {

namespace {

using Pass = void (*)(Checker&, const document::Table&);

// The passes run in this order; a later pass may read and remove what an earlier one reported.
constexpr Pass RULE_PASSES[] = {
    rules::build_system::check_build_system,
    rules::project::check_project,
    rules::dependency_groups::check_dependency_groups,
    rules::compatibility::check_compatibility,
    rules::ruff::check_ruff,
    rules::ty::check_ty,
    rules::uv::check_uv,
};

void append(std::vector<Diagnostic>& to, std::vector<Diagnostic>&& from) {
    to.insert(to.end(), std::make_move_iterator(from.begin()), std::make_move_iterator(from.end()));
}

}  // namespace

CheckResult check_with_lock(std::string bytes, const lock::Lock* lock) {
    auto [text, invalid_utf8] = source::decode(std::move(bytes));
    if (invalid_utf8) return CheckResult{std::move(text), {std::move(*invalid_utf8)}};

    std::vector<Diagnostic> diagnostics;
    if (auto bom = source::check_byte_order_mark(text)) diagnostics.push_back(std::move(*bom));

    auto [document, parse_errors] = parse::parse(text);
    if (parse_errors.empty()) {
        append(diagnostics, toml_version::check_toml_1_1_syntax(text));
        Checker checker{{}, text, lock};
        for (Pass pass : RULE_PASSES)
            pass(checker, document);
        append(diagnostics, std::move(checker.diagnostics));
    } else {
        append(diagnostics, std::move(parse_errors));
    }
    sort_by_span(diagnostics);
    return CheckResult{std::move(text), std::move(diagnostics)};
}

}  // namespace tarnvik
