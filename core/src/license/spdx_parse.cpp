#include <fmt/format.h>

#include <array>
#include <vector>

#include "license/spdx_expression.hpp"

namespace tarnvik::license::spdx {

namespace {

// What the previous term was, as far as the grammar cares.
enum class State { Start, Operator, Open, License, Reference, Plus, With, Close, Addition };

enum class Slot { License, Plus, With, Operator, Open, Close, Addition };

// How each term kind (in TermKind order) fits the grammar: where it may stand, and what it
// leaves behind for the next term.
struct Role {
    Slot slot;
    State leaves;
};
constexpr Role ROLES[] = {
    {Slot::License, State::License},    // License
    {Slot::License, State::Reference},  // LicenseRef
    {Slot::Addition, State::Addition},  // Exception
    {Slot::Addition, State::Addition},  // AdditionRef
    {Slot::Operator, State::Operator},  // And
    {Slot::Operator, State::Operator},  // Or
    {Slot::With, State::With},          // With
    {Slot::Plus, State::Plus},          // Plus
    {Slot::Open, State::Open},          // Open
    {Slot::Close, State::Close},        // Close
};

const Role& role_of(TermKind kind) {
    return ROLES[static_cast<std::size_t>(kind)];
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

constexpr bool rules_in_state_order() {
    for (std::size_t i = 0; i < std::size(RULES); ++i)
        if (RULES[i].after != static_cast<State>(i)) return false;
    return true;
}
static_assert(rules_in_state_order());

const Rule& rule_for(State state) {
    return RULES[static_cast<std::size_t>(state)];
}

// `+` after a GNU id means "or later", which must exist as an id of its own.
std::optional<Failure> check_gnu_plus(const License& license, Span plus) {
    if (!license.gnu) return std::nullopt;
    if (license.id.ends_with("-or-later")) return Failure{Reason::PlusAfterOrLater, plus};
    if (find_license(or_later_id(license.id)) == nullptr)
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
        if (!rule_for(state).allowed[static_cast<std::size_t>(role_of(term.kind).slot)])
            return Failure{Reason::Unexpected, term.span};
        if (term.kind == TermKind::Plus)
            if (auto failure = check_gnu_plus(*last_license, term.span)) return failure;
        if (term.kind == TermKind::Open) open_parens.push_back(term.span);
        if (term.kind == TermKind::Close) {
            if (open_parens.empty()) return Failure{Reason::UnopenedParen, term.span};
            open_parens.pop_back();
        }
        last_license = term.license;
        state = role_of(term.kind).leaves;
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
        state = role_of(read.term->kind).leaves;
    return fmt::format("unexpected term, expected one of {}", rule_for(state).expected);
}

}  // namespace tarnvik::license::spdx
