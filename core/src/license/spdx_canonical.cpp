#include <vector>

#include "license/spdx_expression.hpp"

namespace tarnvik::license::spdx {

namespace {

// A GNU id is written with its `-only` or `-or-later` suffix; a following `+` means "or later".
std::string license_text(const License& license, bool plus) {
    std::string id(license.id);
    if (!license.gnu) return plus ? id + "+" : id;
    if (plus) return or_later_id(license.id);
    if (!id.ends_with("-only") && !id.ends_with("-or-later")) id += "-only";
    return id;
}

std::string_view operator_text(TermKind kind) {
    switch (kind) {
        case TermKind::And:
            return " AND ";
        case TermKind::Or:
            return " OR ";
        case TermKind::With:
            return " WITH ";
        case TermKind::Open:
            return "(";
        case TermKind::Close:
            return ")";
        default:
            return "";
    }
}

// Every term of the text in lenient reading, or nothing when a term cannot be read.
std::optional<std::vector<Term>> lenient_terms(std::string_view text) {
    std::vector<Term> terms;
    Lexer lexer(text, Mode::Lenient);
    for (Read read = lexer.next();; read = lexer.next()) {
        if (read.failure) return std::nullopt;
        if (!read.term) return terms;
        terms.push_back(*read.term);
    }
}

}  // namespace

std::optional<std::string> canonicalize(std::string_view text) {
    auto terms = lenient_terms(text);
    if (!terms) return std::nullopt;
    std::string out;
    for (std::size_t i = 0; i < terms->size(); ++i) {
        const Term& term = (*terms)[i];
        bool plus_follows = i + 1 < terms->size() && (*terms)[i + 1].kind == TermKind::Plus;
        switch (term.kind) {
            case TermKind::License:
                out += license_text(*term.license, plus_follows);
                i += plus_follows ? 1 : 0;
                break;
            case TermKind::Plus:  // any `+` not taken by the license before it
                return std::nullopt;
            case TermKind::Exception:
            case TermKind::LicenseRef:
            case TermKind::AdditionRef:
                out += text.substr(term.span.start, term.span.size());
                break;
            default:
                out += operator_text(term.kind);
        }
    }
    if (out == text) return std::nullopt;
    return out;
}

}  // namespace tarnvik::license::spdx
