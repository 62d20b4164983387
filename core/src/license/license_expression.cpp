#include <algorithm>

#include "ascii.hpp"
#include "license/spdx_expression.hpp"
#include "tarnvik/license.hpp"
#include "text/white_space.hpp"

namespace tarnvik::standards {

namespace {

// How the canonical form differs from the expression. White space never counts: the
// canonical spacing is a matter of taste, not of meaning.
enum class Difference { Spacing, LetterCase, Identifiers };

Difference difference(std::string_view expression, std::string_view canonical) {
    std::string written = text::without_white_space(expression);
    std::string wanted = text::without_white_space(canonical);
    if (written == wanted) return Difference::Spacing;
    if (ascii::equal_ignoring_case(written, wanted)) return Difference::LetterCase;
    return Difference::Identifiers;
}

LicenseCheck judge_parsed(std::string_view expression, std::optional<std::string> canonical) {
    if (!canonical) return license_check::Canonical{};
    switch (difference(expression, *canonical)) {
        case Difference::Spacing:
            return license_check::Canonical{};
        case Difference::LetterCase:
            return license_check::CaseDiffers{std::move(*canonical)};
        case Difference::Identifiers:
            break;
    }
    return license_check::NotCanonical{std::move(*canonical)};
}

LicenseCheck judge_unparsed(std::string_view expression, const spdx::Failure& failure,
                            std::optional<std::string> canonical) {
    // A correction is only worth offering when it is itself a valid expression.
    if (canonical && spdx::parse(*canonical)) canonical.reset();
    if (canonical && difference(expression, *canonical) != Difference::Identifiers)
        return license_check::CaseDiffers{std::move(*canonical)};
    return license_check::Invalid{failure.span, spdx::describe(failure, expression),
                                  std::move(canonical)};
}

}  // namespace

LicenseCheck check_license_expression(std::string_view expression) {
    std::optional<std::string> canonical = spdx::canonicalize(expression);
    if (auto failure = spdx::parse(expression))
        return judge_unparsed(expression, *failure, std::move(canonical));
    return judge_parsed(expression, std::move(canonical));
}

}  // namespace tarnvik::standards
