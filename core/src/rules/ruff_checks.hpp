#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "checker.hpp"
#include "knowledge/ruff.hpp"
#include "rules/suggestion_cache.hpp"
#include "rules/tool.hpp"
#include "tarnvik/document.hpp"
#include "tarnvik/span.hpp"

// What the walk of `[tool.ruff]` needs beyond the generic checks: linter settings written at the
// top level, the rule selectors of the selector settings, and values that some releases accept
// only in a limited way.
namespace tarnvik::rules::ruff {

using Release = ::tarnvik::tool::Release;
using ReleaseRange = ::tarnvik::tool::ReleaseRange;

// A rule name such as `line-too-long`, as opposed to a code or a prefix of codes.
inline bool is_rule_name(std::string_view selector) {
    return !selector.empty() && selector.front() >= 'a' && selector.front() <= 'z';
}

// Whether Ruff's linter, and Ruff as a whole, run in preview mode.
struct Preview {
    bool lint = false;
    bool ruff = false;
};

// Read from `[tool.ruff]`: `lint.preview` when it is a boolean, else `preview`.
Preview preview_of(const document::Table& ruff_table);

// One string element of a selector array.
struct Selector {
    std::span<const Span> entry_spans;  // every element of its array, strings or not
    std::string_view text;
    Span span;
    std::size_t position;  // in its array, counting every element
};

// The position of a release of Ruff given by its text; the release must be known.
Release release_named(std::string_view text);

// The selector to suggest for one that no allowed release knows, among the codes the newest
// allowed release accepts.
class SelectorSuggestions {
  public:
    explicit SelectorSuggestions(Release newest) : newest_(newest) {}

    std::optional<std::string_view> for_selector(std::string_view text) {
        return cache_.find(text, [this](std::string_view name) { return search(name); });
    }

  private:
    std::optional<std::string_view> search(std::string_view text);

    Release newest_;
    std::vector<std::string_view> codes_;  // the candidates, listed at the first search
    SuggestionCache cache_;
};

class RuffChecks final : public tool::Extension {
  public:
    // `newest`: the newest release the project allows, whose codes suggestions come from.
    RuffChecks(Preview preview, Release newest) : preview_(preview), suggestions_(newest) {}

    bool deprecated(std::string_view prefix, const document::Entry& entry) override;
    std::optional<std::string_view> moves_into(std::string_view prefix,
                                               std::string_view key) override;
    void accepted(Checker& checker, const tool::Candidates& candidates,
                  const tool::ToolOption& option, const document::Value& value) override;
    void option(Checker& checker, const tool::Candidates& candidates,
                const tool::ToolOption& option, const document::Value& value) override;

    // The top-level settings that belong under `lint`, in walk order.
    const std::vector<const document::Entry*>& linter_settings() const { return linter_settings_; }

  private:
    void check_selector(Checker& checker, const tool::Candidates& candidates,
                        const Selector& selector, bool is_select);
    void check_unknown_selector(Checker& checker, const Selector& selector, bool older);

    Preview preview_;
    std::vector<const document::Entry*> linter_settings_;
    SelectorSuggestions suggestions_;
};

}  // namespace tarnvik::rules::ruff
