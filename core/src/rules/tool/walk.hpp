#pragma once

#include <optional>
#include <string_view>

#include "checker.hpp"
#include "knowledge/tool.hpp"
#include "rules/tool/candidates.hpp"
#include "tarnvik/diagnostic.hpp"
#include "tarnvik/document.hpp"
#include "tarnvik/span.hpp"

// The one walk of a `[tool.X]` table against a tool's descriptor and the releases the project
// allows: unknown and missing keys, settings some releases lack or deprecate, values of the
// wrong shape, nested tables of the wrong type. A pass adds what only its tool needs through an
// Extension.
namespace tarnvik::rules::tool {

using Consequence = ::tarnvik::tool::Consequence;

// What a pass adds to the walk. Every operation has a default that adds nothing.
class Extension {
  public:
    virtual ~Extension() = default;

    // True: the entry with this full dotted key is neither checked nor descended into. A key
    // holding a dot comes quoted (`"a.b"`, `lint."a.b"`), so that it never reads as a nested key.
    virtual bool skips(std::string_view key);

    // Called for an entry (of the table at `prefix`) whose key the newest allowed release
    // deprecates. True: the extension has taken the finding over and the walk reports nothing.
    virtual bool deprecated(std::string_view prefix, const document::Entry& entry);

    // The key of the table at `prefix` that the extension moves a deprecated key `key` into, as
    // it takes over with `deprecated`; nothing when it moves no such key. A rename onto `key` then
    // takes that name too.
    virtual std::optional<std::string_view> moves_into(std::string_view prefix,
                                                       std::string_view key);

    // Called for every value that every allowed release accepts.
    virtual void accepted(Checker& checker, const Candidates& candidates, const ToolOption& option,
                          const document::Value& value);

    // Called once for every entry whose key is a known option, after its value was checked;
    // `value` is the entry's whole value.
    virtual void option(Checker& checker, const Candidates& candidates, const ToolOption& option,
                        const document::Value& value);
};

// Walks `table` (held by the value at `table_span`), the table at `prefix` ("" for the tool's
// table, "lint." for `[tool.ruff.lint]`), against candidates with at least one release. The
// renames the walk offers for the keys of `table` go to `names` when a caller that offers fixes of
// its own for them gives it, and the caller settles it; else the walk settles its own.
void check_table(const Candidates& candidates, Checker& checker, Extension& extension,
                 const document::Table& table, Span table_span, std::string_view prefix,
                 KeyNames* names = nullptr);

// Reports that some or, with `none`, all allowed releases lack what `subject` names: `added` is
// the first release after the missing one that has it, `removed` the first release of its
// removal. `code` is the consequence applied when no allowed release has it.
void report_availability(const Candidates& candidates, Checker& checker, std::string_view subject,
                         std::optional<Release> added, std::optional<Release> removed, Span span,
                         bool none, Consequence code);

// The diagnostic with what the tool does about it added to its help: the tool's note (1) or
// that the tool ignores it (2), either making it a warning; 0 changes nothing.
Diagnostic add_consequence(Diagnostic diagnostic, const Tool& tool, Consequence code);

}  // namespace tarnvik::rules::tool
