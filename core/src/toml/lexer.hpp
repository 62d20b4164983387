#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "tarnvik/span.hpp"

// The one TOML lexer. It is pulled by the parser, which says whether a key or a value may come
// next: a bare key and an unquoted value (number, date, boolean) use different characters.
namespace tarnvik::toml {

enum class Tok : std::uint8_t {
    Eof,
    Newline,
    Comment,
    Dot,
    Equals,
    Comma,
    LeftBracket,
    RightBracket,
    LeftBrace,
    RightBrace,
    BareKey,  // key mode: A-Z a-z 0-9 _ -
    Atom,     // value mode: an unquoted value, not yet classified
    String,
    Invalid,  // a character that starts no token
};

// How a string token is written; None for bare keys and unquoted values.
enum class Encoding : std::uint8_t { None, Literal, Basic, MlLiteral, MlBasic };

enum class Mode : std::uint8_t { Key, Value };

struct Token {
    Span span;
    Tok kind = Tok::Eof;
    Encoding encoding = Encoding::None;
    bool plain = true;       // a string whose content is its text between the delimiters
    bool malformed = false;  // see Lexer::fault
};

// What is wrong with the last malformed token, and where.
struct Fault {
    std::string_view message;
    Span span;
};

class Lexer {
  public:
    // Starts after a leading UTF-8 byte order mark, which is no part of the document.
    explicit Lexer(std::string_view text);

    // Takes the next character when it is `c`, with nothing skipped before it.
    bool take(char c);

    // Skips spaces and tabs, then reads one token.
    Token next(Mode mode);
    const Fault& fault() const { return fault_; }

  private:
    Token string_token(std::size_t start);
    void basic(Token& token, bool multiline);
    void literal(Token& token, bool multiline);
    Token comment(std::size_t start);
    Token atom(std::size_t start);
    std::size_t scan(std::size_t p, std::uint8_t cls) const;
    std::size_t scan_string(std::size_t p, char quote, std::uint8_t cls) const;
    bool escape(Token& token);
    // The length of the line break at `p`: 1 for "\n", 2 for "\r\n", 0 for anything else.
    std::size_t line_break(std::size_t p) const;
    bool closes(char quote, bool multiline, Token& token);
    void fail(Token& token, std::string_view message, Span at);

    std::string_view text_;
    std::size_t pos_ = 0;
    Fault fault_;
};

// Where the unquoted value (a number, a boolean, a date and time) that starts at `start` ends.
std::size_t atom_end(std::string_view text, std::size_t start);

// The content of a valid string token, escapes decoded and delimiters removed.
void decode_string(std::string_view text, const Token& token, std::string& out);

}  // namespace tarnvik::toml
