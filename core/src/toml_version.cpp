#include "toml_version.hpp"

#include <algorithm>

#include "ascii.hpp"
#include "toml/parser.hpp"

namespace tarnvik::toml_version {

namespace {

constexpr std::string_view HELP =
    "uv and Ruff accept TOML 1.1, but tomllib in Python 3.14 and earlier rejects it, so build backends that use it (such as hatchling) fail on those versions";

enum class State { InlineTable, InlineTableAfterComma, Array };

struct Container {
    State state;
    Span comma;  // the last comma, in state InlineTableAfterComma
    Span brace;  // the opening brace of an inline table
    bool reported = false;
};

// Receives the parser's events for a document that parsed cleanly and reports what only TOML
// 1.1 accepts: escapes \e and \xHH, times without seconds, and inline tables with line breaks
// or a trailing comma.
class Detector {
  public:
    explicit Detector(std::string_view source) : source_(source) {}

    std::vector<Diagnostic> take() { return std::move(diagnostics_); }

    void std_table_open(Span) {}
    void std_table_close(Span) {}
    void array_table_open(Span) {}
    void array_table_close(Span) {}
    void key_sep(Span) {}
    void key_val_sep(Span) {}
    void error(Span, std::string_view) {}
    void recover() {}
    bool stopped() const { return false; }

    void inline_table_open(Span span) {
        clear_comma();
        containers_.push_back({State::InlineTable, {}, span});
    }

    void inline_table_close(Span) {
        if (containers_.empty()) return;
        const Container container = containers_.back();
        containers_.pop_back();
        if (container.state == State::InlineTableAfterComma) {
            report("trailing comma in inline table requires TOML 1.1", container.comma);
        }
    }

    void array_open(Span) {
        clear_comma();
        containers_.push_back({State::Array, {}, {}});
    }

    void array_close(Span) {
        if (!containers_.empty()) containers_.pop_back();
    }

    void simple_key(const toml::Token& token) {
        clear_comma();
        check_escapes(token);
    }

    void scalar(const toml::Token& token, const toml::Classified&) {
        clear_comma();
        check_escapes(token);
        if (token.encoding == toml::Encoding::None) check_time(token.span);
    }

    void value_sep(Span span) {
        if (Container* table = innermost_inline_table()) {
            table->state = State::InlineTableAfterComma;
            table->comma = span;
        }
    }

    void comment(Span) { line_break(); }
    void newline(Span) { line_break(); }

  private:
    Container* innermost_inline_table() {
        if (containers_.empty() || containers_.back().state == State::Array) return nullptr;
        return &containers_.back();
    }

    // A comma followed by anything but the closing brace is not trailing.
    void clear_comma() {
        if (Container* table = innermost_inline_table()) table->state = State::InlineTable;
    }

    void line_break() {
        Container* table = innermost_inline_table();
        if (table == nullptr || table->reported) return;
        table->reported = true;
        report("inline table spans multiple lines, which requires TOML 1.1", table->brace);
    }

    void check_escapes(const toml::Token& token) {
        if (token.encoding != toml::Encoding::Basic && token.encoding != toml::Encoding::MlBasic) {
            return;
        }
        const std::size_t s = token.span.start;
        const std::size_t e = token.span.end;
        const std::string_view text = source_.substr(s, e - s);
        for (std::size_t i = 0; i < text.size();) {
            if (text[i] != '\\') {
                ++i;
                continue;
            }
            if (i + 1 < text.size()) {
                if (text[i + 1] == 'e')
                    report("`\\e` escape requires TOML 1.1", {s + i, s + i + 2});
                if (text[i + 1] == 'x') {
                    report("`\\xHH` escape requires TOML 1.1", {s + i, std::min(s + i + 4, e)});
                }
            }
            i += 2;
        }
    }

    void check_time(Span span) {
        const std::string_view t = source_.substr(span.start, span.size());
        const std::size_t n = t.size();
        std::size_t o = 0;
        if (n >= 11 && t[4] == '-' && t[7] == '-' &&
            (t[10] == ' ' || t[10] == 't' || t[10] == 'T')) {
            o = 11;
        } else if (n <= 2 || t[2] != ':') {
            return;
        }
        if (o + 5 > n) return;
        const bool hh_mm = ascii::is_digit(t[o]) && ascii::is_digit(t[o + 1]) && t[o + 2] == ':' &&
                           ascii::is_digit(t[o + 3]) && ascii::is_digit(t[o + 4]);
        if (hh_mm && (o + 5 == n || t[o + 5] != ':')) {
            report("time without seconds requires TOML 1.1", {span.start + o, span.start + o + 5});
        }
    }

    void report(std::string message, Span span) {
        diagnostics_.push_back(Diagnostic::warning(std::move(message), span, Code::Toml11Syntax)
                                   .with_help(std::string(HELP)));
    }

    std::string_view source_;
    std::vector<Container> containers_;
    std::vector<Diagnostic> diagnostics_;
};

}  // namespace

std::vector<Diagnostic> check_toml_1_1_syntax(std::string_view text) {
    Detector detector(text);
    toml::Parser(text, detector).run();
    return detector.take();
}

}  // namespace tarnvik::toml_version
