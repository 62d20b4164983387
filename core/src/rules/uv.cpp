#include "rules/uv.hpp"

#include <cstddef>
#include <optional>
#include <string_view>

#include "knowledge/uv.hpp"
#include "rules/tool.hpp"
#include "rules/uv/build_backend.hpp"
#include "rules/uv/settings.hpp"

namespace tarnvik::rules::uv {

namespace {

// The walk of `[tool.uv]` leaves `build-backend` to the uv_build walk.
class UvChecks final : public tool::Extension {
  public:
    bool skips(std::string_view key) override { return key == "build-backend"; }
};

}  // namespace

void check_uv(Checker& checker, const document::Table& root) {
    const document::Entry* tool_entry = document::get(root, "tool");
    const document::Table* tools = tool_entry ? tool_entry->value.as_table() : nullptr;
    if (!tools || tools->entries.empty()) return;
    const document::Entry* uv_entry = document::get(*tools, "uv");
    const document::Table* uv = uv_entry ? uv_entry->value.as_table() : nullptr;
    if (!uv) return;

    const tool::Candidates candidates =
        tool::candidates(checker, ::tarnvik::uv::UV, root, *uv, std::nullopt, "required-version");
    if (candidates.releases.empty()) {
        tool::report_unchecked(checker, candidates, uv_entry->key_span);
        return;
    }
    const std::size_t first = checker.diagnostics.size();
    UvChecks checks;
    tool::check_table(candidates, checker, checks, *uv, uv_entry->value.span, "");
    check_uv_settings(checker, candidates, root, *uv);
    tool::checked_against_note(candidates, checker.diagnostics, first);

    check_build_backend(checker, root, *uv, uv_entry->value.span);
}

}  // namespace tarnvik::rules::uv
