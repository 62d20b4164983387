// Environment markers: `or` of `and` of comparisons between a variable or quoted string and
// another, with parentheses. Only the syntax is judged; what a comparison means is not.
#include "pep508/marker.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <string>

#include "ascii.hpp"
#include "pep508/marker_variables.hpp"
#include "tarnvik/pep440.hpp"

namespace tarnvik::pep508::detail {
namespace {

// Deep enough for any real marker, shallow enough that the recursion cannot exhaust the stack.
constexpr int MAX_NESTING = 100;

bool is_marker_variable(std::string_view name) {
    return std::binary_search(MARKER_VARIABLES.begin(), MARKER_VARIABLES.end(), name);
}

class MarkerParser {
  public:
    explicit MarkerParser(Cursor& cursor) : cursor_(cursor) {}

    std::optional<Error> parse_or() { return parse_chain("or", &MarkerParser::parse_and); }

  private:
    std::optional<Error> parse_and() { return parse_chain("and", &MarkerParser::parse_expression); }

    // `inner (keyword inner)*`; a keyword counts only as a whole word.
    std::optional<Error> parse_chain(std::string_view keyword,
                                     std::optional<Error> (MarkerParser::*inner)()) {
        if (std::optional<Error> error = (this->*inner)()) return error;
        for (;;) {
            std::size_t before = cursor_.pos;
            cursor_.skip_space();
            if (!eat_keyword(keyword)) {
                cursor_.pos = before;
                return std::nullopt;
            }
            if (std::optional<Error> error = (this->*inner)()) return error;
        }
    }

    bool eat_keyword(std::string_view keyword) {
        std::string_view rest = cursor_.text.substr(cursor_.pos);
        if (rest.substr(0, keyword.size()) != keyword) return false;
        if (rest.size() > keyword.size() && is_name_char(rest[keyword.size()])) return false;
        cursor_.pos += keyword.size();
        return true;
    }

    std::optional<Error> parse_expression() {
        cursor_.skip_space();
        std::size_t open = cursor_.pos;
        if (!cursor_.eat('(')) return parse_comparison();
        if (++depth_ > MAX_NESTING) {
            return cursor_.error_at(open, open + 1, "too many nested parentheses in marker");
        }
        if (std::optional<Error> error = parse_or()) return error;
        cursor_.skip_space();
        if (!cursor_.eat(')')) return cursor_.unexpected("`)`");
        --depth_;
        return std::nullopt;
    }

    std::optional<Error> parse_comparison() {
        if (std::optional<Error> error = parse_value()) return error;
        cursor_.skip_space();
        if (std::optional<Error> error = parse_operator()) return error;
        cursor_.skip_space();
        return parse_value();
    }

    // A quoted string (either quote, no escapes) or a marker variable.
    std::optional<Error> parse_value() {
        std::size_t start = cursor_.pos;
        char quote = cursor_.peek();
        if (quote == '\'' || quote == '"') {
            std::size_t close = cursor_.text.find(quote, start + 1);
            if (close == std::string_view::npos) {
                return cursor_.error_at(start, start + 1,
                                        fmt::format("missing closing quote `{}`", quote));
            }
            cursor_.pos = close + 1;
            return std::nullopt;
        }
        std::string_view name = cursor_.take_while(is_name_char);
        if (name.empty()) return cursor_.unexpected("a quoted string or a marker variable");
        if (is_marker_variable(name)) return std::nullopt;
        return cursor_.error_at(
            start, cursor_.pos,
            fmt::format("expected a quoted string or a marker variable, found `{}`", name));
    }

    // `<`, `<=`, `==`, `===`, `!=`, `>=`, `>`, `~=`, `in`, or `not` and `in` with space between.
    std::optional<Error> parse_operator() {
        std::size_t start = cursor_.pos;
        if (!ascii::is_letter(cursor_.peek())) {
            std::string_view op = cursor_.take_while(pep440::is_operator_char);
            if (pep440::operator_named(op)) return std::nullopt;
            if (op.empty()) return cursor_.unexpected(EXPECTED_OPERATOR);
            return invalid_operator(start);
        }
        std::string_view word = cursor_.take_while(ascii::is_letter);
        if (word == "in") return std::nullopt;
        if (word != "not") return invalid_operator(start);
        if (!ascii::is_space(cursor_.peek())) return cursor_.unexpected("white space after `not`");
        cursor_.skip_space();
        std::size_t in = cursor_.pos;
        if (cursor_.take_while(ascii::is_letter) == "in") return std::nullopt;
        cursor_.pos = in;
        return cursor_.unexpected("`in` after `not`");
    }

    Error invalid_operator(std::size_t start) const {
        return cursor_.error_at(start, cursor_.pos,
                                fmt::format("expected {}, found `{}`", EXPECTED_OPERATOR,
                                            cursor_.text.substr(start, cursor_.pos - start)));
    }

    static constexpr std::string_view EXPECTED_OPERATOR =
        "a marker operator (such as `>=` or `not in`)";

    Cursor& cursor_;
    int depth_ = 0;
};

}  // namespace

std::optional<Error> parse_marker(Cursor& cursor) {
    return MarkerParser(cursor).parse_or();
}

}  // namespace tarnvik::pep508::detail
