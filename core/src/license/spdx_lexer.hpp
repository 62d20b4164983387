#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "knowledge/spdx.hpp"
#include "tarnvik/span.hpp"

// Reads an SPDX license expression term by term, left to right.
namespace tarnvik::standards::spdx {

using tarnvik::spdx::find_license;
using tarnvik::spdx::is_exception;
using tarnvik::spdx::License;

enum class TermKind {
    License,
    LicenseRef,
    Exception,
    AdditionRef,
    And,
    Or,
    With,
    Plus,
    Open,
    Close
};

struct Term {
    TermKind kind;
    Span span;
    const License* license = nullptr;  // for TermKind::License
};

enum class Reason {
    Empty,
    InvalidCharacters,
    UnknownTerm,
    PlusAfterSpace,
    Unexpected,
    UnopenedParen,
    UnclosedParen,
    PlusAfterOrLater,
    UnknownGnuOrLater,
};

struct Failure {
    Reason reason;
    Span span;
};

// Strict reads what the license-expression check accepts; lenient also reads `/` as OR and
// the imprecise license names, as canonicalization does.
enum class Mode { Strict, Lenient };

// One read: a term, the end of the text (neither set), or a failure.
struct Read {
    std::optional<Term> term;
    std::optional<Failure> failure;
};

class Lexer {
  public:
    Lexer(std::string_view text, Mode mode) : text_(text), mode_(mode) {}
    Read next();

  private:
    Read word(std::size_t start);
    std::optional<Term> reference(std::size_t start, std::size_t end) const;
    std::optional<Term> imprecise_name(std::size_t start) const;

    std::string_view text_;
    Mode mode_;
    std::size_t pos_ = 0;
};

// The id a GNU license id takes for "or later": its `-only` suffix, if any, becomes `-or-later`.
std::string or_later_id(std::string_view gnu_id);

}  // namespace tarnvik::standards::spdx
