#include "license/spdx_lexer.hpp"

#include <algorithm>

#include "ascii.hpp"
#include "text/white_space.hpp"

namespace tarnvik::standards::spdx {

namespace {

bool is_idstring_char(char c) {
    return ascii::is_alphanumeric(c) || c == '-' || c == '.';
}
bool is_word_char(char c) {
    return is_idstring_char(c) || c == ':';
}

struct Operator {
    std::string_view upper, lower;
    TermKind kind;
};
constexpr Operator OPERATORS[] = {
    {"AND", "and", TermKind::And},
    {"OR", "or", TermKind::Or},
    {"WITH", "with", TermKind::With},
};

std::size_t idstring_end(std::string_view text, std::size_t pos) {
    while (pos < text.size() && is_idstring_char(text[pos]))
        ++pos;
    return pos;
}

}  // namespace

std::string or_later_id(std::string_view gnu_id) {
    constexpr std::string_view ONLY = "-only";
    if (gnu_id.ends_with(ONLY)) gnu_id.remove_suffix(ONLY.size());
    return std::string(gnu_id) + "-or-later";
}

Read Lexer::next() {
    std::size_t space_start = pos_;
    while (std::size_t space = text::white_space_length(text_, pos_))
        pos_ += space;
    if (pos_ >= text_.size()) return {};
    std::size_t start = pos_;
    auto single = [&](TermKind kind) {
        ++pos_;
        return Read{Term{kind, {start, pos_}}, {}};
    };
    switch (text_[start]) {
        case '+':
            if (space_start != start)
                return {{}, Failure{Reason::PlusAfterSpace, {space_start, start}}};
            return single(TermKind::Plus);
        case '(':
            return single(TermKind::Open);
        case ')':
            return single(TermKind::Close);
        case '/':
            if (mode_ == Mode::Lenient) return single(TermKind::Or);
            break;
        default:
            break;
    }
    return word(start);
}

Read Lexer::word(std::size_t start) {
    std::size_t end = start;
    while (end < text_.size() && is_word_char(text_[end]))
        ++end;
    if (end == start) return {{}, Failure{Reason::InvalidCharacters, {start, text_.size()}}};
    std::string_view word = text_.substr(start, end - start);
    auto found = [&](Term term) {
        pos_ = term.span.end;
        return Read{term, {}};
    };
    for (const Operator& op : OPERATORS)
        if (word == op.upper || word == op.lower) return found({op.kind, {start, end}});
    if (const License* license = find_license(word))
        return found({TermKind::License, {start, end}, license});
    if (is_exception(word)) return found({TermKind::Exception, {start, end}});
    if (auto ref = reference(start, end)) return found(*ref);
    if (mode_ == Mode::Lenient)
        if (auto name = imprecise_name(start)) return found(*name);
    return {{}, Failure{Reason::UnknownTerm, {start, end}}};
}

// `[DocumentRef-X:]LicenseRef-Y` or `[DocumentRef-X:]AdditionRef-Y`; the term ends with Y.
std::optional<Term> Lexer::reference(std::size_t start, std::size_t end) const {
    std::string_view word = text_.substr(start, end - start);
    std::size_t pos = start;
    constexpr std::string_view DOCUMENT = "DocumentRef-";
    if (word.starts_with(DOCUMENT)) {
        pos = idstring_end(text_, start + DOCUMENT.size());
        if (pos >= end || text_[pos] != ':') return std::nullopt;
        ++pos;
    }
    std::string_view rest = text_.substr(pos, end - pos);
    constexpr std::string_view LICENSE = "LicenseRef-";
    constexpr std::string_view ADDITION = "AdditionRef-";
    if (rest.starts_with(LICENSE))
        return Term{TermKind::LicenseRef, {start, idstring_end(text_, pos + LICENSE.size())}};
    if (rest.starts_with(ADDITION))
        return Term{TermKind::AdditionRef, {start, idstring_end(text_, pos + ADDITION.size())}};
    return std::nullopt;
}

// The first imprecise name equal, without regard to ASCII case, to the text at `start`.
std::optional<Term> Lexer::imprecise_name(std::size_t start) const {
    auto name = tarnvik::spdx::imprecise_name_at_start(text_.substr(start));
    if (!name) return std::nullopt;
    return Term{TermKind::License, {start, start + name->length}, name->license};
}

}  // namespace tarnvik::standards::spdx
