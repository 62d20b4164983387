#include "tarnvik/fix.hpp"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <vector>

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

// The positions of the diagnostics whose fixes are eligible, in the order they are tried.
std::vector<std::size_t> candidates(const std::vector<Diagnostic>& diagnostics,
                                    Applicability minimum) {
    std::vector<std::size_t> positions;
    for (std::size_t i = 0; i < diagnostics.size(); ++i) {
        const std::optional<Fix>& fix = diagnostics[i].fix;
        if (fix && fix->applicability >= minimum && !fix->edits.empty()) positions.push_back(i);
    }
    std::ranges::stable_sort(positions, {},
                             [&](std::size_t i) { return smallest_start(*diagnostics[i].fix); });
    return positions;
}

}  // namespace

Applied apply(std::string_view text, const std::vector<Diagnostic>& diagnostics,
              Applicability minimum) {
    Applied result{std::string(text), 0, {}};
    std::vector<const Edit*> accepted;
    for (const std::size_t position : candidates(diagnostics, minimum)) {
        const Fix* candidate = &*diagnostics[position].fix;
        if (collides_with_any(*candidate, accepted)) continue;  // waits for the next iteration
        if (!keeps_utf8(text, *candidate)) {
            result.rejected.push_back(position);
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
            result.rejected.push_back(position);
        }
    }
    return result;
}

}  // namespace tarnvik::fix
