#include "tarnvik/fix.hpp"

#include <algorithm>

#include "tarnvik/parse.hpp"
#include "tarnvik/text.hpp"

namespace tarnvik::fix {

namespace {

bool collides(const Edit& e, const Edit& a) {
    const bool overlap = e.range.start < a.range.end && a.range.start < e.range.end;
    return overlap || e.range == a.range;
}

bool collides_with_any(const Fix& fix, const std::vector<const Edit*>& accepted) {
    return std::ranges::any_of(fix.edits, [&](const Edit& e) {
        return std::ranges::any_of(accepted, [&](const Edit* a) { return collides(e, *a); });
    });
}

bool splits_character(std::string_view text, std::size_t offset) {
    return offset < text.size() && text::is_utf8_continuation(text[offset]);
}

// An edit that cuts a character in two or inserts bytes that are not UTF-8 would leave a file
// that no TOML reader accepts, whatever the parser of the trial makes of it.
bool keeps_utf8(std::string_view text, const Fix& fix) {
    return std::ranges::none_of(fix.edits, [&](const Edit& e) {
        return splits_character(text, e.range.start) || splits_character(text, e.range.end) ||
               !text::is_utf8(e.content);
    });
}

std::size_t smallest_start(const Fix& fix) {
    std::size_t smallest = fix.edits.front().range.start;
    for (const Edit& e : fix.edits)
        smallest = std::min(smallest, e.range.start);
    return smallest;
}

std::vector<const Fix*> candidates(const std::vector<Diagnostic>& diagnostics,
                                   Applicability minimum) {
    std::vector<const Fix*> fixes;
    for (const Diagnostic& d : diagnostics) {
        if (d.fix && d.fix->applicability >= minimum && !d.fix->edits.empty()) {
            fixes.push_back(&*d.fix);
        }
    }
    std::ranges::stable_sort(fixes, {}, [](const Fix* f) { return smallest_start(*f); });
    return fixes;
}

}  // namespace

Applied apply(std::string_view text, const std::vector<Diagnostic>& diagnostics,
              Applicability minimum) {
    Applied result{std::string(text), 0, 0};
    std::vector<const Edit*> accepted;
    for (const Fix* candidate : candidates(diagnostics, minimum)) {
        if (collides_with_any(*candidate, accepted)) continue;  // waits for the next iteration
        if (!keeps_utf8(text, *candidate)) {
            ++result.rejected;
            continue;
        }
        std::vector<const Edit*> trial = accepted;
        for (const Edit& e : candidate->edits)
            trial.push_back(&e);
        std::string trial_text = edit::splice(text, trial);
        if (parse::parse(trial_text).second.empty()) {
            accepted = std::move(trial);
            result.text = std::move(trial_text);
            ++result.applied;
        } else {
            ++result.rejected;
        }
    }
    return result;
}

}  // namespace tarnvik::fix
