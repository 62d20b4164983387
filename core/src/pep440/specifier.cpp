#include <algorithm>
#include <array>

#include "pep440/pattern.hpp"
#include "tarnvik/pep440.hpp"
#include "text/white_space.hpp"

namespace tarnvik::pep440 {
namespace {

struct OperatorSpelling {
    std::string_view text;
    Operator op;
};

constexpr std::array<OperatorSpelling, 8> OPERATORS = {{
    {"==", Operator::Equal},
    {"===", Operator::ExactEqual},
    {"!=", Operator::NotEqual},
    {"~=", Operator::TildeEqual},
    {"<", Operator::LessThan},
    {"<=", Operator::LessThanEqual},
    {">", Operator::GreaterThan},
    {">=", Operator::GreaterThanEqual},
}};

constexpr std::string_view OPERATOR_LIST = "`~=`, `==`, `!=`, `<=`, `>=`, `<`, `>` or `===`";

// Local versions are only meaningful to the operators that compare for (in)equality.
bool takes_local(Operator op) {
    return op == Operator::Equal || op == Operator::NotEqual || op == Operator::ExactEqual;
}

std::optional<Operator> wildcard_form(Operator op) {
    if (op == Operator::Equal) return Operator::EqualStar;
    if (op == Operator::NotEqual) return Operator::NotEqualStar;
    return std::nullopt;
}

std::string quoted(std::string_view text) {
    return "`" + std::string(text) + "`";
}

class SpecifierParser {
  public:
    explicit SpecifierParser(std::string_view text) : s_(text) {}

    Result<Specifier> parse() {
        skip_space();
        std::size_t op_start = i_;
        while (i_ < s_.size() && is_operator_char(s_[i_]))
            ++i_;
        std::string_view op_text = s_.substr(op_start, i_ - op_start);
        if (op_text.empty())
            return fail("expected a comparison operator (" + std::string(OPERATOR_LIST) + ")");
        std::optional<Operator> op = operator_named(op_text);
        if (!op) {
            return fail("unknown operator " + quoted(op_text) + ", expected " +
                        std::string(OPERATOR_LIST));
        }
        skip_space();
        std::size_t version_start = i_;
        while (i_ < s_.size() && text::white_space_length(s_, i_) == 0)
            ++i_;
        std::string_view version_text = s_.substr(version_start, i_ - version_start);
        if (version_text.empty()) return fail("expected a version after " + quoted(op_text));
        auto pattern = parse_version_pattern(version_text);
        if (auto* error = std::get_if<Error>(&pattern)) return fail(std::move(error->message));
        auto specifier = build(*op, std::move(std::get<VersionPattern>(pattern)));
        if (std::holds_alternative<Error>(specifier)) return specifier;
        skip_space();
        if (i_ != s_.size()) {
            return fail("unexpected " + quoted(s_.substr(i_)) + " after the version " +
                        quoted(version_text));
        }
        return specifier;
    }

  private:
    Result<Specifier> build(Operator op, VersionPattern pattern) const {
        std::string_view op_text = operator_text(op);
        if (pattern.wildcard) {
            auto star = wildcard_form(op);
            if (!star)
                return fail("operator " + quoted(op_text) + " cannot take a wildcard version");
            op = *star;
        }
        if (pattern.version.is_local() && !takes_local(op)) {
            return fail("operator " + quoted(op_text) + " cannot take a local version");
        }
        if (op == Operator::TildeEqual && pattern.version.release.size() < 2) {
            return fail("operator `~=` needs a version with at least two release numbers");
        }
        return Specifier{op, std::move(pattern.version)};
    }

    void skip_space() {
        while (std::size_t n = text::white_space_length(s_, i_))
            i_ += n;
    }

    Error fail(std::string message) const { return Error{std::move(message), 0, s_.size()}; }

    std::string_view s_;
    std::size_t i_ = 0;
};

}  // namespace

std::optional<Operator> operator_named(std::string_view text) {
    auto spelling = std::find_if(OPERATORS.begin(), OPERATORS.end(),
                                 [&](const OperatorSpelling& o) { return o.text == text; });
    if (spelling == OPERATORS.end()) return std::nullopt;
    return spelling->op;
}

bool is_operator_char(char c) {
    return std::string_view("=!~<>").find(c) != std::string_view::npos;
}

std::string_view operator_text(Operator op) {
    if (op == Operator::EqualStar) return "==";
    if (op == Operator::NotEqualStar) return "!=";
    return std::find_if(OPERATORS.begin(), OPERATORS.end(),
                        [&](const OperatorSpelling& o) { return o.op == op; })
        ->text;
}

std::string Specifier::to_string() const {
    bool star = op == Operator::EqualStar || op == Operator::NotEqualStar;
    return std::string(operator_text(op)) + version.to_string() + (star ? ".*" : "");
}

Result<Specifier> parse_specifier(std::string_view text) {
    return SpecifierParser(text).parse();
}

Result<std::vector<Specifier>> parse_specifiers(std::string_view text) {
    std::vector<Specifier> specifiers;
    if (text.empty()) return specifiers;
    std::size_t start = 0;
    while (true) {
        std::size_t comma = std::min(text.find(',', start), text.size());
        std::string_view part = text.substr(start, comma - start);
        auto specifier = parse_specifier(part);
        if (auto* error = std::get_if<Error>(&specifier)) {
            return Error{std::move(error->message), start, part.size()};
        }
        specifiers.push_back(std::move(std::get<Specifier>(specifier)));
        if (comma == text.size()) return specifiers;
        start = comma + 1;
    }
}

bool matches(const Specifier& specifier, const Version& version) {
    return to_version_set(specifier).contains(version);
}

}  // namespace tarnvik::pep440
