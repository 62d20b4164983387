#include <array>
#include <vector>

#include "license/spdx_expression.hpp"

namespace tarnvik::standards::spdx {

namespace {

// What the previous term was, as far as the grammar cares.
enum class State { Start, Operator, Open, License, Reference, Plus, With, Close, Addition };

enum class Slot { License, Plus, With, Operator, Open, Close, Addition };

Slot slot_of(TermKind kind) {
    switch (kind) {
        case TermKind::License:
        case TermKind::LicenseRef:
            return Slot::License;
        case TermKind::Exception:
        case TermKind::AdditionRef:
            return Slot::Addition;
        case TermKind::And:
        case TermKind::Or:
            return Slot::Operator;
        case TermKind::With:
            return Slot::With;
        case TermKind::Plus:
            return Slot::Plus;
        case TermKind::Open:
            return Slot::Open;
        case TermKind::Close:
            return Slot::Close;
    }
    return Slot::License;
}

State state_after(const Term& term) {
    switch (term.kind) {
        case TermKind::License:
            return State::License;
        case TermKind::LicenseRef:
            return State::Reference;
        case TermKind::Exception:
        case TermKind::AdditionRef:
            return State::Addition;
        case TermKind::And:
        case TermKind::Or:
            return State::Operator;
        case TermKind::With:
            return State::With;
        case TermKind::Plus:
            return State::Plus;
        case TermKind::Open:
            return State::Open;
        case TermKind::Close:
            return State::Close;
    }
    return State::Start;
}

struct Rule {
    State after;
    std::array<bool, 7> allowed;  // indexed by Slot
    std::string_view expected;
};

// Which term may follow which, and what to name as expected otherwise.
// Columns: license, `+`, WITH, AND/OR, `(`, `)`, exception or addition.
constexpr Rule RULES[] = {
    {State::Start, {true, false, false, false, true, false, false}, "<license>, `(`"},
    {State::Operator, {true, false, false, false, true, false, false}, "<license>, `(`"},
    {State::Open, {true, false, false, false, true, false, false}, "<license>, `(`"},
    {State::License,
     {false, true, true, true, false, true, false},
     "`AND`, `OR`, `WITH`, `)`, `+`"},
    {State::Reference, {false, false, true, true, false, true, false}, "`AND`, `OR`, `WITH`, `)`"},
    {State::Plus, {false, false, true, true, false, true, false}, "`AND`, `OR`, `WITH`, `)`"},
    {State::With, {false, false, false, false, false, false, true}, "<addition>"},
    {State::Close, {false, false, false, true, false, true, false}, "`AND`, `OR`"},
    {State::Addition, {false, false, false, true, false, true, false}, "`AND`, `OR`, `)`"},
};

const Rule& rule_for(State state) {
    return RULES[static_cast<std::size_t>(state)];
}

bool ends_with(std::string_view text, std::string_view suffix) {
    return text.ends_with(suffix);
}

// `+` after a GNU id means "or later", which must exist as an id of its own.
std::optional<Failure> check_gnu_plus(const License& license, Span plus) {
    if (!license.gnu) return std::nullopt;
    if (ends_with(license.id, "-or-later")) return Failure{Reason::PlusAfterOrLater, plus};
    std::string_view base = license.id;
    if (ends_with(base, "-only")) base.remove_suffix(5);
    if (find_license(std::string(base) + "-or-later") == nullptr)
        return Failure{Reason::UnknownGnuOrLater, plus};
    return std::nullopt;
}

}  // namespace

std::optional<Failure> parse(std::string_view text) {
    Lexer lexer(text, Mode::Strict);
    State state = State::Start;
    const License* last_license = nullptr;
    std::vector<Span> open_parens;
    for (;;) {
        Read read = lexer.next();
        if (read.failure) return read.failure;
        if (!read.term) break;
        const Term& term = *read.term;
        if (!rule_for(state).allowed[static_cast<std::size_t>(slot_of(term.kind))])
            return Failure{Reason::Unexpected, term.span};
        if (term.kind == TermKind::Plus)
            if (auto failure = check_gnu_plus(*last_license, term.span)) return failure;
        if (term.kind == TermKind::Open) open_parens.push_back(term.span);
        if (term.kind == TermKind::Close) {
            if (open_parens.empty()) return Failure{Reason::UnopenedParen, term.span};
            open_parens.pop_back();
        }
        last_license = term.license;
        state = state_after(term);
    }
    if (state == State::Start) return Failure{Reason::Empty, {0, text.size()}};
    if (state == State::Operator || state == State::With || state == State::Open)
        return Failure{Reason::Unexpected, {text.size(), text.size()}};
    if (!open_parens.empty()) return Failure{Reason::UnclosedParen, open_parens.back()};
    return std::nullopt;
}

std::string describe(const Failure& failure, std::string_view text) {
    switch (failure.reason) {
        case Reason::Empty:
            return "empty license expression";
        case Reason::InvalidCharacters:
            return "invalid character(s)";
        case Reason::UnknownTerm:
            return "unknown term";
        case Reason::PlusAfterSpace:
            return "white space before `+`";
        case Reason::Unexpected:
            break;
        case Reason::UnopenedParen:
            return "unopened parenthesis";
        case Reason::UnclosedParen:
            return "unclosed parenthesis";
        case Reason::PlusAfterOrLater:
            return "`+` after an `-or-later` license";
        case Reason::UnknownGnuOrLater:
            return "this GNU license has no `-or-later` form";
    }
    // The expected terms depend on what came before the unexpected one.
    Lexer lexer(text.substr(0, failure.span.start), Mode::Strict);
    State state = State::Start;
    for (Read read = lexer.next(); read.term; read = lexer.next())
        state = state_after(*read.term);
    return "unexpected term, expected one of " + std::string(rule_for(state).expected);
}

}  // namespace tarnvik::standards::spdx
