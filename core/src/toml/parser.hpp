#pragma once

#include <cstddef>
#include <string_view>

#include "toml/lexer.hpp"
#include "toml/scalar.hpp"

// The one TOML event parser. It drives a receiver through the document in source order:
//
//   std_table_open/close, array_table_open/close (spans of `[`/`]` and `[[`/`]]`),
//   simple_key(token), key_sep, key_val_sep, scalar(token, classified),
//   inline_table_open/close, array_open/close, value_sep, comment, newline,
//   error(span, message), recover() (the statement is abandoned), stopped() (stop parsing).
//
// The receiver is a template parameter, so no event costs a virtual call.
namespace tarnvik::toml {

// Tables, arrays and inline tables nest at most this deep (header and dotted key parts
// included); deeper documents get an error. It keeps every recursive walk of the document,
// destructors included, far from the end of the stack.
inline constexpr std::size_t MAX_NESTING = 1000;

inline constexpr std::string_view TOO_DEEP = "too deeply nested";

template <class Receiver>
class Parser {
  public:
    Parser(std::string_view text, Receiver& receiver)
        : text_(text), lexer_(text), receiver_(receiver) {}

    void run() {
        while (!receiver_.stopped()) {
            open_ = 0;
            failed_on_ = Tok::Invalid;
            const Token token = lexer_.next(Mode::Key);
            bool ok = true;
            switch (token.kind) {
                case Tok::Eof:
                    return;
                case Tok::Newline:
                    receiver_.newline(token.span);
                    continue;
                case Tok::Comment:
                    comment(token);
                    continue;
                case Tok::LeftBracket:
                    ok = header(token) && line_end();
                    break;
                case Tok::BareKey:
                case Tok::String:
                    ok = key_value(token) && line_end();
                    break;
                default:
                    ok = fail(token, "expected a key or a table header");
                    break;
            }
            if (!ok) recover();
        }
    }

  private:
    // An error at a line break points just before it, so that it marks the end of its line.
    bool fail(const Token& token, std::string_view message) {
        failed_on_ = token.kind;
        const bool line_break = token.kind == Tok::Newline;
        receiver_.error(line_break ? Span{token.span.start, token.span.start} : token.span,
                        message);
        return false;
    }

    bool fail_at(Span span, std::string_view message) {
        failed_on_ = Tok::Invalid;
        receiver_.error(span, message);
        return false;
    }

    // A malformed string token is reported where its fault lies.
    bool well_formed(const Token& token) {
        if (!token.malformed) return true;
        return fail_at(lexer_.fault().span, lexer_.fault().message);
    }

    void comment(const Token& token) {
        if (token.malformed) receiver_.error(lexer_.fault().span, lexer_.fault().message);
        receiver_.comment(token.span);
    }

    // Skips what is left of a broken statement: up to the end of its line, or further while
    // brackets opened in it are still open.
    void recover() {
        receiver_.recover();
        if (open_ == 0 && (failed_on_ == Tok::Newline || failed_on_ == Tok::Eof)) return;
        std::size_t depth = open_;
        while (true) {
            const Token token = lexer_.next(Mode::Value);
            switch (token.kind) {
                case Tok::Eof:
                    return;
                case Tok::Newline:
                    if (depth == 0) return;
                    break;
                case Tok::LeftBracket:
                case Tok::LeftBrace:
                    ++depth;
                    break;
                case Tok::RightBracket:
                case Tok::RightBrace:
                    if (depth > 0) --depth;
                    break;
                default:
                    break;
            }
        }
    }

    // After a statement: an optional comment, then a line break or the end of the text.
    bool line_end() {
        Token token = lexer_.next(Mode::Key);
        if (token.kind == Tok::Comment) {
            comment(token);
            token = lexer_.next(Mode::Key);
        }
        if (token.kind == Tok::Newline) {
            receiver_.newline(token.span);
            return true;
        }
        if (token.kind == Tok::Eof) return true;
        return fail(token, "expected a newline");
    }

    // Line breaks and comments between the values of an array or an inline table.
    Token trivia(Mode mode) {
        while (true) {
            const Token token = lexer_.next(mode);
            if (token.kind == Tok::Newline) {
                receiver_.newline(token.span);
            } else if (token.kind == Tok::Comment) {
                comment(token);
            } else {
                return token;
            }
        }
    }

    // A dotted key starting at `token`; on success `token` is the one after the key.
    bool key(Token& token, std::size_t& parts) {
        while (true) {
            const bool quoted_key =
                token.kind == Tok::String &&
                (token.encoding == Encoding::Basic || token.encoding == Encoding::Literal);
            if (token.kind != Tok::BareKey && !quoted_key) {
                return fail(token, token.kind == Tok::String ? "multi-line strings cannot be keys"
                                                             : "expected a key");
            }
            if (!well_formed(token)) return false;
            receiver_.simple_key(token);
            ++parts;
            token = lexer_.next(Mode::Key);
            if (token.kind != Tok::Dot) return true;
            receiver_.key_sep(token.span);
            token = lexer_.next(Mode::Key);
        }
    }

    bool header(const Token& open) {
        const bool array = lexer_.take('[');
        const Span open_span{open.span.start, open.span.end + (array ? 1 : 0)};
        if (array) {
            receiver_.array_table_open(open_span);
        } else {
            receiver_.std_table_open(open_span);
        }
        Token token = lexer_.next(Mode::Key);
        std::size_t parts = 0;
        if (!key(token, parts)) return false;
        if (parts > MAX_NESTING) return fail_at({open_span.start, token.span.start}, TOO_DEEP);
        const char* expected = array ? "expected `]]`" : "expected `]`";
        if (token.kind != Tok::RightBracket) return fail(token, expected);
        if (array && !lexer_.take(']')) return fail(token, expected);
        section_depth_ = parts;
        const Span close_span{token.span.start, token.span.end + (array ? 1 : 0)};
        if (array) {
            receiver_.array_table_close(close_span);
        } else {
            receiver_.std_table_close(close_span);
        }
        return true;
    }

    // `key = value` at `depth` levels of nesting (the key's own parts not yet counted).
    bool key_value(Token token, std::size_t depth = 0) {
        std::size_t parts = 0;
        const std::size_t start = token.span.start;
        if (!key(token, parts)) return false;
        depth += (open_ == 0 ? section_depth_ : 0) + parts;
        if (depth > MAX_NESTING) return fail_at({start, token.span.start}, TOO_DEEP);
        if (token.kind != Tok::Equals) return fail(token, "expected `=`");
        receiver_.key_val_sep(token.span);
        return value(lexer_.next(Mode::Value), depth);
    }

    bool value(const Token& token, std::size_t depth) {
        switch (token.kind) {
            case Tok::String:
                if (!well_formed(token)) return false;
                receiver_.scalar(token, Classified{ScalarKind::String, 10, {}});
                return true;
            case Tok::Atom: {
                const Classified classified = classify(text(token.span));
                if (classified.kind == ScalarKind::Invalid) return fail(token, classified.error);
                receiver_.scalar(token, classified);
                return true;
            }
            case Tok::LeftBracket:
                return array(token, depth + 1);
            case Tok::LeftBrace:
                return inline_table(token, depth + 1);
            case Tok::Newline:
            case Tok::Comment:
            case Tok::Eof:
                return missing_value(token);
            case Tok::Invalid:
                // A lone carriage return breaks no line, but the key before it has no value.
                if (text_[token.span.start] == '\r') return missing_value(token);
                return fail(token, "expected a value");
            default:
                return fail(token, "expected a value");
        }
    }

    // A key with nothing after it on its line: the error points where the value should be.
    bool missing_value(const Token& token) {
        const bool ended = token.kind == Tok::Newline || token.kind == Tok::Eof;
        failed_on_ = ended ? token.kind : Tok::Invalid;
        receiver_.error({token.span.start, token.span.start}, "missing value");
        return false;
    }

    bool array(const Token& open, std::size_t depth) {
        if (depth > MAX_NESTING) return fail(open, TOO_DEEP);
        ++open_;
        receiver_.array_open(open.span);
        while (!receiver_.stopped()) {
            Token token = trivia(Mode::Value);
            if (token.kind != Tok::RightBracket) {
                if (!value(token, depth)) return false;
                token = trivia(Mode::Value);
            }
            if (token.kind == Tok::RightBracket) {
                --open_;
                receiver_.array_close(token.span);
                return true;
            }
            if (token.kind != Tok::Comma) return fail(token, "expected `,` or `]`");
            receiver_.value_sep(token.span);
        }
        return false;
    }

    bool inline_table(const Token& open, std::size_t depth) {
        if (depth > MAX_NESTING) return fail(open, TOO_DEEP);
        ++open_;
        receiver_.inline_table_open(open.span);
        while (!receiver_.stopped()) {
            Token token = trivia(Mode::Key);
            if (token.kind != Tok::RightBrace) {
                if (!key_value(token, depth)) return false;
                token = trivia(Mode::Key);
            }
            if (token.kind == Tok::RightBrace) {
                --open_;
                receiver_.inline_table_close(token.span);
                return true;
            }
            if (token.kind != Tok::Comma) return fail(token, "expected `,` or `}`");
            receiver_.value_sep(token.span);
        }
        return false;
    }

    std::string_view text(Span span) const { return text_.substr(span.start, span.size()); }

    std::string_view text_;
    Lexer lexer_;
    Receiver& receiver_;
    std::size_t section_depth_ = 0;  // key parts of the current table header
    std::size_t open_ = 0;           // arrays and inline tables open in the current statement
    Tok failed_on_ = Tok::Invalid;   // the token a statement broke at
};

}  // namespace tarnvik::toml
