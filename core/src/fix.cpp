#include "tarnvik/fix.hpp"

#include <algorithm>

#include "ascii.hpp"
#include "fix_loop.hpp"
#include "tarnvik/parse.hpp"
#include "tarnvik/text.hpp"

namespace tarnvik::fix {

namespace {

std::size_t skip_blanks(std::string_view text, std::size_t i) {
    while (i < text.size() && ascii::is_blank(text[i]))
        ++i;
    return i;
}

// One past the first line feed at or after `from`, or the end of the text.
std::size_t past_line_end(std::string_view text, std::size_t from) {
    const std::size_t lf = text.find('\n', from);
    return lf == std::string_view::npos ? text.size() : lf + 1;
}

std::string splice_refs(std::string_view text, std::vector<const Edit*> edits) {
    std::ranges::stable_sort(edits, [](const Edit* a, const Edit* b) {
        return std::pair(a->range.start, a->range.end) < std::pair(b->range.start, b->range.end);
    });
    std::string out;
    out.reserve(text.size());
    std::size_t cursor = 0;
    for (const Edit* edit : edits) {
        // Edits of one fix never overlap; should they, the overlapped bytes are dropped once
        // rather than duplicated, and out-of-range offsets are clamped to the text.
        const std::size_t start = std::min(edit->range.start, text.size());
        if (start > cursor) out.append(text.substr(cursor, start - cursor));
        out.append(edit->content);
        cursor = std::max(cursor, std::min(std::max(edit->range.end, start), text.size()));
    }
    out.append(text.substr(cursor));
    return out;
}

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

FixResult fix(std::string bytes, const lock::Lock* lock, Applicability minimum) {
    return detail::fix_loop(std::move(bytes), minimum, [lock](std::string text) {
        return check_with_lock(std::move(text), lock);
    });
}

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
        std::string trial_text = splice_refs(text, trial);
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

std::string splice(std::string_view text, std::span<const Edit> edits) {
    std::vector<const Edit*> refs;
    refs.reserve(edits.size());
    for (const Edit& e : edits)
        refs.push_back(&e);
    return splice_refs(text, std::move(refs));
}

Edit rename(std::string_view text, std::size_t start, std::size_t end, std::string_view old_name,
            std::string_view new_name) {
    start = std::min(start, text.size());
    end = std::clamp(end, start, text.size());
    std::string content(text.substr(start, end - start));
    const std::size_t at = old_name.empty() ? std::string::npos : content.find(old_name);
    if (at == std::string::npos) {
        content = new_name;
    } else {
        content.replace(at, old_name.size(), new_name);
    }
    return Edit{std::move(content), Span{start, end}};
}

Edit remove_entry(std::string_view text, std::span<const Span> entries, std::size_t position) {
    const std::size_t n = text.size();
    if (position >= entries.size()) return Edit{"", Span{n, n}};
    const std::size_t s = std::min(entries[position].start, n);
    const std::size_t e = std::clamp(entries[position].end, s, n);

    // What follows the element: its comma, and where the deletion may stop.
    std::size_t after = skip_blanks(text, e);
    const bool comma = after < n && text[after] == ',';
    if (comma) {
        after = skip_blanks(text, after + 1);
        if (after < n && text[after] == '#') after = std::min(text.find('\n', after), n);
    }

    const std::size_t line_start = s == 0 ? 0 : text.rfind('\n', s - 1) + 1;  // npos + 1 == 0
    const bool blank_before = text.substr(line_start, s - line_start).find_first_not_of(" \t\r") ==
                              std::string_view::npos;
    const bool line_ends = after == n || text[after] == '\r' || text[after] == '\n';

    if (blank_before && line_ends && comma)
        return Edit{"", Span{line_start, past_line_end(text, after)}};
    if (position > 0 && !comma) {
        const std::size_t previous_end = std::min(entries[position - 1].end, s);
        return Edit{"", Span{previous_end, e}};
    }
    return Edit{"", Span{s, comma ? after : e}};
}

}  // namespace tarnvik::fix
