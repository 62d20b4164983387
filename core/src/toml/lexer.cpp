#include "toml/lexer.hpp"

#include <algorithm>
#include <array>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "ascii.hpp"
#include "tarnvik/text.hpp"

namespace tarnvik::toml {

namespace {

enum CharClass : std::uint8_t {
    KEY = 1,      // may stand in a bare key
    ATOM = 2,     // may stand in an unquoted value
    CONTROL = 4,  // not allowed in strings and comments (tab excepted)
    HEX = 8,
    STRING_STOP = 16,   // ends the fast scan of a basic string's content
    LITERAL_STOP = 32,  // ends the fast scan of a literal string's content
    BLANK = 64,
    CONTINUATION = 128,  // a continuation byte of UTF-8
};

constexpr std::array<std::uint8_t, 256> make_classes() {
    std::array<std::uint8_t, 256> table{};
    for (int c = 0; c < 0x20; ++c)
        table[c] = CONTROL | STRING_STOP;
    table['\t'] = 0;
    table[0x7f] = CONTROL | STRING_STOP;
    for (int c = 'a'; c <= 'z'; ++c)
        table[c] = KEY | ATOM;
    for (int c = 'A'; c <= 'Z'; ++c)
        table[c] = KEY | ATOM;
    for (int c = '0'; c <= '9'; ++c)
        table[c] = KEY | ATOM | HEX;
    for (int c = 'a'; c <= 'f'; ++c)
        table[c] |= HEX;
    for (int c = 'A'; c <= 'F'; ++c)
        table[c] |= HEX;
    table['_'] = KEY | ATOM;
    table['-'] = KEY | ATOM;
    table['+'] = ATOM;
    table['.'] = ATOM;
    table[':'] = ATOM;
    for (int c = 0; c < 256; ++c) {
        if (table[c] & CONTROL) table[c] |= LITERAL_STOP;
    }
    for (int c = 0x80; c < 0xC0; ++c)
        table[c] = CONTINUATION;
    table['"'] = STRING_STOP;
    table['\\'] = STRING_STOP;
    table['\''] = LITERAL_STOP;
    table[' '] = BLANK;
    table['\t'] = BLANK;
    return table;
}

constexpr std::array<std::uint8_t, 256> CLASSES = make_classes();

bool has(char c, std::uint8_t cls) {
    return (CLASSES[static_cast<unsigned char>(c)] & cls) != 0;
}
using ascii::is_digit;

constexpr std::string_view UNTERMINATED = "unterminated string";
constexpr std::string_view CONTROL_IN_STRING = "control character in string";
constexpr std::string_view BAD_ESCAPE = "invalid escape sequence";

// The escapes of basic strings: the letter after the backslash, the character it stands for,
// and how many hexadecimal digits of a code point follow instead (\e and \xHH since TOML 1.1).
struct Escape {
    char letter;
    char value;
    int digits;
};

constexpr Escape ESCAPES[] = {
    {'b', '\b', 0}, {'t', '\t', 0},   {'n', '\n', 0}, {'f', '\f', 0},
    {'r', '\r', 0}, {'e', '\x1b', 0}, {'"', '"', 0},  {'\\', '\\', 0},
    {'x', 0, 2},    {'u', 0, 4},      {'U', 0, 8},
};

const Escape* find_escape(char letter) {
    for (const Escape& escape : ESCAPES) {
        if (escape.letter == letter) return &escape;
    }
    return nullptr;
}

std::uint32_t hex_value(std::string_view digits) {
    std::uint32_t value = 0;
    for (char c : digits)
        value = value * 16 + static_cast<std::uint32_t>(ascii::hex_digit_value(c));
    return value;
}

constexpr std::uint64_t ONES = 0x0101010101010101ull;
constexpr std::uint64_t HIGHS = 0x8080808080808080ull;

// Whether any byte of the word is zero, or less than n (n at most 128); never a false "no".
constexpr bool has_zero_byte(std::uint64_t x) {
    return ((x - ONES) & ~x & HIGHS) != 0;
}
constexpr bool has_byte_below(std::uint64_t x, std::uint8_t n) {
    return ((x - ONES * n) & ~x & HIGHS) != 0;
}

// Whether a word of string content may hold a byte that ends the fast scan: the quote, a
// backslash, or a control character.
constexpr bool may_stop_string(std::uint64_t x, char quote) {
    return has_byte_below(x, 0x20) ||
           has_zero_byte(x ^ (ONES * static_cast<std::uint8_t>(quote))) ||
           has_zero_byte(x ^ (ONES * '\\')) || has_zero_byte(x ^ (ONES * 0x7f));
}

#if defined(__SSE2__)
// Where in sixteen bytes of string content the first byte that may end the fast scan stands,
// or 16 when none does.
int first_stop(const char* bytes, char quote) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
    const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(x, _mm_set1_epi8(0x1f)), x);
    const __m128i stops =
        _mm_or_si128(_mm_or_si128(control, _mm_cmpeq_epi8(x, _mm_set1_epi8(0x7f))),
                     _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8(quote)),
                                  _mm_cmpeq_epi8(x, _mm_set1_epi8('\\'))));
    const int mask = _mm_movemask_epi8(stops);
    return mask == 0 ? 16 : __builtin_ctz(static_cast<unsigned>(mask));
}
#endif

using ascii::is_blank;

}  // namespace

// Scanning works on a local position: stepping the member would make the compiler store it
// after every byte, since a char may alias it.
std::size_t Lexer::scan(std::size_t p, std::uint8_t cls) const {
    const char* data = text_.data();
    const std::size_t n = text_.size();
    while (p < n && has(data[p], cls))
        ++p;
    return p;
}

// String content is scanned sixteen (or eight) bytes at a time while no byte in them can end
// the scan; the strings of lock files (URLs, hashes) are long.
std::size_t Lexer::scan_string(std::size_t p, char quote, std::uint8_t cls) const {
    const char* data = text_.data();
    const std::size_t n = text_.size();
    while (true) {
#if defined(__SSE2__)
        for (; p + 16 <= n; p += 16) {
            if (const int stop = first_stop(data + p, quote); stop < 16) {
                p += static_cast<std::size_t>(stop);
                break;
            }
        }
#endif
        for (std::uint64_t word; p + 8 <= n; p += 8) {
            std::memcpy(&word, data + p, 8);
            if (may_stop_string(word, quote)) break;
        }
        const std::size_t end = std::min(n, p + 8);
        while (p < end && !has(data[p], cls))
            ++p;
        if (p < end || p >= n) return p;
    }
}

Lexer::Lexer(std::string_view text) : text_(text), pos_(text.starts_with("\xEF\xBB\xBF") ? 3 : 0) {}

std::size_t Lexer::line_break(std::size_t p) const {
    const std::size_t n = text_.size();
    if (p < n && text_[p] == '\n') return 1;
    return p + 1 < n && text_[p] == '\r' && text_[p + 1] == '\n' ? 2 : 0;
}

bool Lexer::take(char c) {
    if (pos_ >= text_.size() || text_[pos_] != c) return false;
    ++pos_;
    return true;
}

void Lexer::fail(Token& token, std::string_view message, Span at) {
    if (token.malformed) return;  // the first fault of a token is the one reported
    token.malformed = true;
    fault_ = {message, at};
}

Token Lexer::next(Mode mode) {
    const std::size_t n = text_.size();
    const std::size_t start = pos_ = scan(pos_, BLANK);
    if (start >= n) return Token{{n, n}, Tok::Eof};
    const char c = text_[start];
    auto single = [&](Tok kind) {
        pos_ = start + 1;
        return Token{{start, start + 1}, kind};
    };
    switch (c) {
        case '\n':
            return single(Tok::Newline);
        case '.':
            return single(Tok::Dot);
        case '=':
            return single(Tok::Equals);
        case ',':
            return single(Tok::Comma);
        case '[':
            return single(Tok::LeftBracket);
        case ']':
            return single(Tok::RightBracket);
        case '{':
            return single(Tok::LeftBrace);
        case '}':
            return single(Tok::RightBrace);
        case '"':
        case '\'':
            return string_token(start);
        case '#':
            return comment(start);
        case '\r':
            if (start + 1 < n && text_[start + 1] == '\n') {
                pos_ = start + 2;
                return Token{{start, start + 2}, Tok::Newline};
            }
            break;
        default:
            break;
    }
    if (mode == Mode::Key && has(c, KEY)) {
        pos_ = scan(start, KEY);
        return Token{{start, pos_}, Tok::BareKey};
    }
    if (mode == Mode::Value && has(c, ATOM)) return atom(start);
    // One character, with the continuation bytes of a UTF-8 sequence, so spans stay on boundaries.
    pos_ = scan(start + 1, CONTINUATION);
    return Token{{start, pos_}, Tok::Invalid};
}

std::size_t atom_end(std::string_view text, std::size_t start) {
    const std::size_t n = text.size();
    auto scan = [&](std::size_t p) {
        while (p < n && has(text[p], ATOM))
            ++p;
        return p;
    };
    std::size_t end = scan(start);
    // A date and a time may be joined by one space: 1979-05-27 07:32:00.
    const std::string_view a = text.substr(start, end - start);
    if (a.size() == 10 && a[4] == '-' && a[7] == '-' && end + 3 < n && text[end] == ' ' &&
        is_digit(text[end + 1]) && is_digit(text[end + 2]) && text[end + 3] == ':') {
        end = scan(end + 1);
    }
    return end;
}

Token Lexer::atom(std::size_t start) {
    pos_ = atom_end(text_, start);
    return Token{{start, pos_}, Tok::Atom};
}

// A comment holds no control character but the tab, as strings do; a line feed, or a carriage
// return and a line feed, end it.
Token Lexer::comment(std::size_t start) {
    Token token{{start, start}, Tok::Comment};
    const std::size_t n = text_.size();
    std::size_t p = start + 1;
    while (true) {
        while (p < n && !has(text_[p], CONTROL))
            ++p;
        if (p >= n || line_break(p) != 0) break;
        fail(token, "control character in comment", {p, p + 1});
        ++p;
    }
    pos_ = p;
    token.span.end = p;
    return token;
}

Token Lexer::string_token(std::size_t start) {
    Token token;
    token.kind = Tok::String;
    const char quote = text_[start];
    const bool multiline = text_.substr(start, 3) == (quote == '"' ? "\"\"\"" : "'''");
    pos_ = start + (multiline ? 3 : 1);
    if (quote == '"') {
        token.encoding = multiline ? Encoding::MlBasic : Encoding::Basic;
        basic(token, multiline);
    } else {
        token.encoding = multiline ? Encoding::MlLiteral : Encoding::Literal;
        literal(token, multiline);
    }
    if (multiline) token.plain = false;
    token.span = {start, pos_};
    return token;
}

// At a quote: true when it closes the string (pos_ then past the delimiter). A multi-line
// string's content may end in one or two quotes right before its closing three.
bool Lexer::closes(char quote, bool multiline, Token& token) {
    if (!multiline) {
        ++pos_;
        return true;
    }
    std::size_t run = 0;
    while (pos_ + run < text_.size() && text_[pos_ + run] == quote)
        ++run;
    if (run < 3) {
        pos_ += run;
        return false;
    }
    if (run > 5)
        fail(token, "too many quotes at the end of a multi-line string", {pos_, pos_ + run});
    pos_ += run;
    return true;
}

void Lexer::basic(Token& token, bool multiline) {
    const std::size_t n = text_.size();
    while (true) {
        pos_ = scan_string(pos_, '"', STRING_STOP);
        if (pos_ >= n) return fail(token, UNTERMINATED, {n, n});
        const char c = text_[pos_];
        if (c == '"') {
            if (closes('"', multiline, token)) return;
        } else if (c == '\\') {
            token.plain = false;
            if (!escape(token)) return;
        } else if (const std::size_t length = line_break(pos_)) {
            if (!multiline) return fail(token, UNTERMINATED, {pos_, pos_});
            pos_ += length;
        } else {
            fail(token, CONTROL_IN_STRING, {pos_, pos_ + 1});
            ++pos_;
        }
    }
}

// At a backslash: checks one escape and moves past it; false when the string ended meanwhile.
bool Lexer::escape(Token& token) {
    const std::size_t n = text_.size();
    const std::size_t at = pos_;
    if (at + 1 >= n) {
        pos_ = n;
        fail(token, UNTERMINATED, {n, n});
        return false;
    }
    const bool multiline = token.encoding == Encoding::MlBasic;
    const char letter = text_[at + 1];
    if (multiline && (is_blank(letter) || letter == '\n' || letter == '\r')) {
        // A line-ending backslash: only white space may stand between it and the line break.
        std::size_t i = at + 1;
        while (i < n && is_blank(text_[i]))
            ++i;
        if (line_break(i) != 0) {
            pos_ = i;
            return true;
        }
        fail(token, BAD_ESCAPE, {at, at + 2});
        pos_ = at + 1;
        return true;
    }
    const Escape* known = find_escape(letter);
    if (known == nullptr) {
        fail(token, BAD_ESCAPE, {at, at + 2});
        pos_ = at + 2;
        return true;
    }
    const int digits = known->digits;
    std::size_t i = at + 2;
    while (i < n && i < at + 2 + digits && has(text_[i], HEX))
        ++i;
    pos_ = i;
    if (i != at + 2 + static_cast<std::size_t>(digits)) {
        fail(token, BAD_ESCAPE, {at, i});
        return true;
    }
    if (digits > 0) {
        const std::uint32_t cp = hex_value(text_.substr(at + 2, digits));
        if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            fail(token, "escape is not a Unicode scalar value", {at, i});
        }
    }
    return true;
}

void Lexer::literal(Token& token, bool multiline) {
    const std::size_t n = text_.size();
    while (true) {
        pos_ = scan_string(pos_, '\'', LITERAL_STOP);
        if (pos_ >= n) return fail(token, UNTERMINATED, {n, n});
        const char c = text_[pos_];
        if (c == '\'') {
            if (closes('\'', multiline, token)) return;
        } else if (const std::size_t length = line_break(pos_)) {
            if (!multiline) return fail(token, UNTERMINATED, {pos_, pos_});
            pos_ += length;
        } else if (has(c, CONTROL)) {
            fail(token, CONTROL_IN_STRING, {pos_, pos_ + 1});
            ++pos_;
        } else {
            ++pos_;
        }
    }
}

void decode_string(std::string_view text, const Token& token, std::string& out) {
    const bool multiline =
        token.encoding == Encoding::MlBasic || token.encoding == Encoding::MlLiteral;
    const std::size_t quote = multiline ? 3 : 1;
    std::string_view body = text.substr(token.span.start + quote, token.span.size() - 2 * quote);
    out.clear();
    if (token.plain) {
        out.assign(body);
        return;
    }
    // A line break right after the opening delimiter is not part of the content.
    if (body.starts_with('\n')) {
        body.remove_prefix(1);
    } else if (body.starts_with("\r\n")) {
        body.remove_prefix(2);
    }
    if (token.encoding != Encoding::Basic && token.encoding != Encoding::MlBasic) {
        out.assign(body);
        return;
    }
    out.reserve(body.size());
    for (std::size_t i = 0; i < body.size();) {
        const std::size_t stop = body.find('\\', i);
        if (stop == std::string_view::npos) {
            out.append(body.substr(i));
            break;
        }
        out.append(body.substr(i, stop - i));
        const char letter = body[stop + 1];
        if (is_blank(letter) || letter == '\n' || letter == '\r') {
            i = stop + 1;
            while (i < body.size() && (is_blank(body[i]) || body[i] == '\n' || body[i] == '\r')) {
                ++i;
            }
            continue;
        }
        const Escape* escape = find_escape(letter);  // the lexer checked that it is one
        const int digits = escape == nullptr ? 0 : escape->digits;
        if (digits == 0) {
            out += escape == nullptr ? letter : escape->value;
            i = stop + 2;
        } else {
            text::append_utf8(out, hex_value(body.substr(stop + 2, digits)));
            i = stop + 2 + digits;
        }
    }
}

}  // namespace tarnvik::toml
