// The plain read of a lock file: one pass over the bytes that checks them against the layout
// tools write lock files in and takes each package's name, version and source on the way,
// without building a document. Within that layout it accepts exactly what the strict parse
// accepts; at anything else it gives up, and the strict parse reads the file instead, so that
// every error is reported by one parser.
#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "ascii.hpp"
#include "lock/entries.hpp"
#include "lock/source_keys.hpp"
#include "lock/tables.hpp"
#include "tarnvik/lock.hpp"
#include "tarnvik/text.hpp"
#include "toml/lexer.hpp"
#include "toml/scalar.hpp"

namespace tarnvik::lock {

namespace {

using Kind = Tables::Kind;

// Real lock files nest values three deep and define a few dozen tables and keys at a time;
// past these bounds the strict parse, with its indexes, takes over.
constexpr int MAX_DEPTH = 32;
constexpr std::size_t MAX_TABLES = 1024;
constexpr std::size_t MAX_INLINE_KEYS = 16;

// Told, every so many bytes, that the pass has left them behind.
constexpr std::size_t PASSED_STEP = std::size_t{4} << 20;

enum CharClass : std::uint8_t {
    KEY = 1,   // may stand in a bare key
    ATOM = 2,  // may stand in an unquoted value: a number, a boolean, a date
    BLANK = 4,
    TRIVIA = 8,  // starts what may stand between values: a blank, a line break, a comment
};

constexpr std::array<std::uint8_t, 256> make_classes() {
    std::array<std::uint8_t, 256> classes{};
    for (int c = 0; c < 128; ++c) {
        if (ascii::is_alphanumeric(static_cast<char>(c)) || c == '_' || c == '-')
            classes[c] = KEY | ATOM;
    }
    classes['+'] = classes['.'] = classes[':'] = ATOM;
    classes[' '] = classes['\t'] = BLANK | TRIVIA;
    classes['\n'] = classes['\r'] = classes['#'] = TRIVIA;
    return classes;
}

constexpr std::array<std::uint8_t, 256> CLASSES = make_classes();

constexpr bool is(char c, CharClass cls) {
    return (CLASSES[static_cast<unsigned char>(c)] & cls) != 0;
}

constexpr bool is_key_char(char c) {
    return is(c, KEY);
}

// The first byte from `p` on that is not of the class.
const char* skip(const char* p, const char* end, CharClass cls) {
    while (p < end && is(*p, cls))
        ++p;
    return p;
}

// Steps over the UTF-8 sequence at `p`, in `text`; false when it is not well-formed.
bool step_utf8(std::string_view text, const char*& p) {
    const text::Utf8Sequence sequence =
        text::utf8_sequence_at(text, static_cast<std::size_t>(p - text.data()));
    p += sequence.length;
    return sequence.valid;
}

#if defined(__SSE2__)
// The bytes among the sixteen at `p` (a bit each) that a scan of string content must look at:
// the quote, a backslash, and every byte that is not printable ASCII (a control character, DEL
// or a byte of a longer UTF-8 sequence).
[[gnu::always_inline]] inline unsigned string_stops(const char* p, char quote) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    // Shifted by 0x60, the printable bytes 0x20 to 0x7e are the signed bytes -128 to -34; all
    // others are greater.
    const __m128i unprintable =
        _mm_cmpgt_epi8(_mm_add_epi8(x, _mm_set1_epi8(0x60)), _mm_set1_epi8(-34));
    const __m128i stops =
        _mm_or_si128(unprintable, _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8(quote)),
                                               _mm_cmpeq_epi8(x, _mm_set1_epi8('\\'))));
    return static_cast<unsigned>(_mm_movemask_epi8(stops));
}

// Moves `p` to the first byte a scan of string content must look at, thirty-two bytes at a
// time, or to where fewer than sixteen bytes are left.
[[gnu::always_inline]] inline void skip_plain_content(const char*& p, const char* end, char quote) {
    for (; end - p >= 32; p += 32) {
        const unsigned stops = string_stops(p, quote) | string_stops(p + 16, quote) << 16;
        if (stops != 0) {
            p += __builtin_ctz(stops);
            return;
        }
    }
    if (end - p >= 16) {
        const unsigned stops = string_stops(p, quote);
        p += stops != 0 ? __builtin_ctz(stops) : 16;
    }
}

// How many of the sixteen bytes at `p` are blanks, from the first on.
[[gnu::always_inline]] inline int blank_length(const char* p) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i blank =
        _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8(' ')), _mm_cmpeq_epi8(x, _mm_set1_epi8('\t')));
    const int mask = ~_mm_movemask_epi8(blank) & 0xffff;
    return mask == 0 ? 16 : __builtin_ctz(static_cast<unsigned>(mask));
}

// How many of the sixteen bytes at `p` may stand in a bare key, from the first on.
[[gnu::always_inline]] inline int key_length(const char* p) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    // Whether each byte lies in [low, low + count): shifted so that the range starts at -128,
    // the lowest signed byte, it is the bytes below -128 + count.
    auto in_range = [](__m128i bytes, char low, char count) {
        return _mm_cmplt_epi8(_mm_add_epi8(bytes, _mm_set1_epi8(static_cast<char>(0x80 - low))),
                              _mm_set1_epi8(static_cast<char>(-128 + count)));
    };
    const __m128i letter = in_range(_mm_or_si128(x, _mm_set1_epi8(0x20)), 'a', 26);  // any case
    const __m128i key = _mm_or_si128(
        _mm_or_si128(letter, in_range(x, '0', 10)),
        _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8('_')), _mm_cmpeq_epi8(x, _mm_set1_epi8('-'))));
    const int mask = ~_mm_movemask_epi8(key) & 0xffff;
    return mask == 0 ? 16 : __builtin_ctz(static_cast<unsigned>(mask));
}
#endif

// Moves `p` to the closing quote of a one-line string without escapes, `"..."` or `'...'`
// (a backslash is content in the latter): no control character but the tab before it, and
// UTF-8. False when there is none.
template <char QUOTE>
[[gnu::always_inline]] inline bool to_closing_quote(std::string_view text, const char*& p) {
    const char* end = text.data() + text.size();
    while (true) {
#if defined(__SSE2__)
        skip_plain_content(p, end, QUOTE);
#endif
        if (p == end) return false;
        const auto c = static_cast<unsigned char>(*p);
        if (c == QUOTE) return true;
        if (c >= 0x80) {
            if (!step_utf8(text, p)) return false;
        } else if (c == '\t' || (c >= 0x20 && c != 0x7f && (c != '\\' || QUOTE == '\''))) {
            ++p;
        } else {
            return false;  // an escape, a control character or the end of the line
        }
    }
}

// The keys read of a package entry. The plain layout writes a name and a version as strings
// and a source as a table; as an array of tables, one of them no longer holds what the reader
// takes from it (a `source` array is no table, so its keys make nothing local), and the strict
// parse reads the file.
constexpr std::array<std::string_view, 3> READ_ENTRY_KEYS = {"name", "version", "source"};

constexpr bool is_read_entry_key(std::string_view key) {
    return std::ranges::find(READ_ENTRY_KEYS, key) != READ_ENTRY_KEYS.end();
}

// What a value is read for: mostly nothing but its validity.
enum class Wanted : std::uint8_t { Nothing, Text, SourceKeys };

// The one package entry being read, from its `[[package]]` header to the next.
struct Entry {
    bool open = false;
    std::optional<std::string_view> name;
    std::optional<std::string_view> version;
    bool local = false;
};

class PlainReader {
  public:
    PlainReader(LockKind kind, std::string_view text, const Passed& passed)
        : text_(text),
          p_(text.data()),
          end_(text.data() + text.size()),
          entry_list_key_(entry_list_key(kind)),
          entries_(kind),
          passed_(passed) {}

    bool read();
    Lock finish(std::string path) && { return std::move(entries_).finish(std::move(path)); }

  private:
    bool header();
    bool open_header(bool array);
    bool key_value();
    bool value(int depth, Wanted wanted, std::optional<std::string_view>* text);
    bool array(int depth);
    bool inline_table(int depth, Wanted wanted);
    // The small steps of the pass are inlined into the loops that take them, so that the
    // position stays in a register rather than going to memory and back at every step.
    // A one-line string without escapes, `"..."` or `'...'`; its content viewed in `*text`.
    template <char QUOTE>
    [[gnu::always_inline]] bool string(std::optional<std::string_view>* text);
    bool atom();
    bool comment();
    // Line breaks, comments and blanks between the values of an array or an inline table.
    [[gnu::always_inline]] bool trivia() {
        while (p_ != end_ && is(*p_, TRIVIA)) {
            if (*p_ == '\n') {
                ++p_;
            } else if (is(*p_, BLANK)) {
                skip_blanks();
            } else {
                return more_trivia();  // a comment, or a carriage return
            }
        }
        return true;
    }
    bool more_trivia();
    bool line_end();
    [[gnu::always_inline]] std::string_view bare_key();
    // Mostly no blank or one: those are decided without a loop.
    [[gnu::always_inline]] void skip_blanks() {
        if (p_ == end_ || !is(*p_, BLANK)) return;
        if (++p_ == end_ || !is(*p_, BLANK)) return;
        skip_more_blanks();
    }
    void skip_more_blanks() {
#if defined(__SSE2__)
        while (end_ - p_ >= 16) {
            const int length = blank_length(p_);
            p_ += length;
            if (length < 16) return;
        }
#endif
        p_ = skip(p_, end_, BLANK);
    }
    // ` = ` or `=` with other blanks around it.
    [[gnu::always_inline]] bool equals_sign() {
        if (end_ - p_ >= 3 && p_[0] == ' ' && p_[1] == '=' && p_[2] == ' ') {
            p_ += 3;
        } else {
            skip_blanks();
            if (p_ == end_ || *p_ != '=') return false;
            ++p_;
        }
        skip_blanks();
        return true;
    }
    Tables::Id define(Tables::Id parent, std::string_view key, Kind kind);
    bool is_entry_list(Tables::Id id) const {
        return tables_.parent(id) == Tables::ROOT && tables_.kind(id) == Kind::Array &&
               tables_.key(id) == entry_list_key_;
    }
    void finish_entry();

    std::string_view text_;
    const char* p_;
    const char* end_;
    std::string_view entry_list_key_;
    Entries entries_;
    const Passed& passed_;
    std::size_t passed_up_to_ = 0;
    Tables tables_;
    Tables::Id section_ = Tables::ROOT;  // where key/value lines go
    bool in_entry_ = false;              // the section is the entry being read
    Entry entry_;
    std::vector<std::string_view> header_keys_;
};

bool PlainReader::read() {
    if (text_.starts_with("\xEF\xBB\xBF")) p_ += 3;
    while (true) {
        skip_blanks();
        if (p_ == end_) break;
        const char c = *p_;
        if (c == '\n' || c == '\r' || c == '#') {
            if (!line_end()) return false;
            continue;
        }
        const bool statement = c == '[' ? header() : is_key_char(c) && key_value();
        if (!statement || !line_end()) return false;
    }
    finish_entry();
    return true;
}

// An optional comment, then a line break or the end of the text.
bool PlainReader::line_end() {
    skip_blanks();
    if (p_ < end_ && *p_ == '#' && !comment()) return false;
    if (p_ == end_) return true;
    if (*p_ == '\n') {
        ++p_;
        return true;
    }
    if (*p_ == '\r' && p_ + 1 < end_ && p_[1] == '\n') {
        p_ += 2;
        return true;
    }
    return false;
}

// From `#` up to the line break: no control character but the tab, and UTF-8.
bool PlainReader::comment() {
    const char* p = p_ + 1;
    while (p < end_) {
        const auto c = static_cast<unsigned char>(*p);
        if (c >= 0x20 && c < 0x7f) {
            ++p;
        } else if (c == '\t') {
            ++p;
        } else if (c >= 0x80) {
            if (!step_utf8(text_, p)) return false;
        } else if (c == '\n' || (c == '\r' && p + 1 < end_ && p[1] == '\n')) {
            break;
        } else {
            return false;
        }
    }
    p_ = p;
    return true;
}

bool PlainReader::more_trivia() {
    while (true) {
        skip_blanks();
        if (p_ == end_) return true;
        if (*p_ == '\n') {
            ++p_;
        } else if (*p_ == '\r') {
            if (end_ - p_ < 2 || p_[1] != '\n') return false;
            p_ += 2;
        } else if (*p_ == '#') {
            if (!comment()) return false;
        } else {
            return true;
        }
    }
}

inline std::string_view PlainReader::bare_key() {
    const char* start = p_;
#if defined(__SSE2__)
    // Keys are short: one look at sixteen bytes mostly finds the end.
    while (end_ - p_ >= 16) {
        const int length = key_length(p_);
        p_ += length;
        if (length < 16) return {start, static_cast<std::size_t>(p_ - start)};
    }
#endif
    p_ = skip(p_, end_, KEY);
    return {start, static_cast<std::size_t>(p_ - start)};
}

Tables::Id PlainReader::define(Tables::Id parent, std::string_view key, Kind kind) {
    // A key of the entry's `source` table, however it is defined, makes the entry local (an
    // array of tables named `source` never gets here: see READ_ENTRY_KEYS).
    if (parent != Tables::ROOT && tables_.key(parent) == "source" &&
        is_entry_list(tables_.parent(parent)) && is_local_source_key(key)) {
        entry_.local = true;
    }
    return tables_.add(parent, key, kind);
}

void PlainReader::finish_entry() {
    if (entry_.open && entry_.name) entries_.add(*entry_.name, entry_.version, entry_.local);
    entry_ = {};
}

// `[a.b]` or `[[a.b]]`, bare keys only.
bool PlainReader::header() {
    const char* start = p_;
    ++p_;
    const bool array = p_ < end_ && *p_ == '[';
    if (array) ++p_;
    header_keys_.clear();
    while (true) {
        skip_blanks();
        const std::string_view key = bare_key();
        if (key.empty() || header_keys_.size() == MAX_DEPTH) return false;
        header_keys_.push_back(key);
        skip_blanks();
        if (p_ == end_) return false;
        if (*p_ == '.') {
            ++p_;
            continue;
        }
        if (*p_ != ']') return false;
        ++p_;
        if (array && (p_ == end_ || *p_++ != ']')) return false;
        break;
    }
    if (array && header_keys_.size() == 1 && header_keys_[0] == entry_list_key_) {
        finish_entry();
        entry_.open = true;
        const auto offset = static_cast<std::size_t>(start - text_.data());
        if (passed_ && offset - passed_up_to_ >= PASSED_STEP) passed_(passed_up_to_ = offset);
    }
    return open_header(array);
}

// Makes the header's table the section, under TOML's rules: the keys before the last name
// tables (made when missing), and the last is new, a new table of its array, or a table only
// made on the way to a deeper header so far.
bool PlainReader::open_header(bool array) {
    Tables::Id table = Tables::ROOT;
    for (std::size_t i = 0; i + 1 < header_keys_.size(); ++i) {
        Tables::Id found = tables_.find(table, header_keys_[i]);
        if (found == Tables::NONE) {
            found = define(table, header_keys_[i], Kind::Implicit);
        } else if (tables_.kind(found) == Kind::Value) {
            return false;
        }
        table = found;
    }
    const std::string_view last = header_keys_.back();
    if (array && is_entry_list(table) && is_read_entry_key(last)) return false;
    Tables::Id found = tables_.find(table, last);
    if (found == Tables::NONE) {
        found = define(table, last, array ? Kind::Array : Kind::Explicit);
    } else if (array && tables_.kind(found) == Kind::Array) {
        tables_.clear_children(found);
    } else if (!array && tables_.kind(found) == Kind::Implicit) {
        tables_.define(found);
    } else {
        return false;
    }
    section_ = found;
    in_entry_ = entry_.open && is_entry_list(found);
    return tables_.size() <= MAX_TABLES;
}

// `key = value` in the section, a bare key that is not dotted.
bool PlainReader::key_value() {
    const std::string_view key = bare_key();
    if (!equals_sign()) return false;
    // A list of entries written as one value is left to the strict parse.
    if (section_ == Tables::ROOT && key == entry_list_key_) return false;
    if (tables_.find(section_, key) != Tables::NONE) return false;
    define(section_, key, Kind::Value);
    if (tables_.size() > MAX_TABLES) return false;
    if (!in_entry_) return value(1, Wanted::Nothing, nullptr);
    if (key == "name") return value(1, Wanted::Text, &entry_.name);
    if (key == "version") return value(1, Wanted::Text, &entry_.version);
    return value(1, key == "source" ? Wanted::SourceKeys : Wanted::Nothing, nullptr);
}

// A value; a string wanted as text is viewed in `*text`.
bool PlainReader::value(int depth, Wanted wanted, std::optional<std::string_view>* text) {
    if (p_ == end_ || depth > MAX_DEPTH) return false;
    std::optional<std::string_view>* into = wanted == Wanted::Text ? text : nullptr;
    switch (*p_) {
        case '"':
            return string<'"'>(into);
        case '\'':
            return string<'\''>(into);
        case '[':
            return array(depth + 1);
        case '{':
            return inline_table(depth + 1, wanted);
        case '.':
            return false;
        default:
            return is(*p_, ATOM) && atom();
    }
}

bool PlainReader::array(int depth) {
    ++p_;
    while (true) {
        if (!trivia()) return false;
        if (p_ < end_ && *p_ != ']') {
            // Mostly inline tables (of a lock's wheels and dependencies) or strings.
            const bool read = *p_ == '{'
                                  ? depth <= MAX_DEPTH && inline_table(depth + 1, Wanted::Nothing)
                              : *p_ == '"' ? string<'"'>(nullptr)
                                           : value(depth, Wanted::Nothing, nullptr);
            if (!read || !trivia()) return false;
        }
        if (p_ == end_) return false;
        if (*p_ == ']') {
            ++p_;
            return true;
        }
        if (*p_++ != ',') return false;
    }
}

bool PlainReader::inline_table(int depth, Wanted wanted) {
    ++p_;
    // Left uninitialized (a view initialized is sixteen bytes of zeros a time): only the first
    // `count` are read.
    struct Key {
        const char* data;
        std::size_t size;
    };
    Key keys[MAX_INLINE_KEYS];
    std::size_t count = 0;
    while (true) {
        if (!trivia()) return false;
        if (p_ < end_ && *p_ != '}') {
            const std::string_view key = bare_key();
            if (key.empty() || !equals_sign() || count == MAX_INLINE_KEYS) return false;
            for (std::size_t i = 0; i < count; ++i) {
                if (same_key(key, {keys[i].data, keys[i].size})) return false;
            }
            keys[count++] = {key.data(), key.size()};
            if (wanted == Wanted::SourceKeys && is_local_source_key(key)) entry_.local = true;
            // Most values here are strings: read without the general dispatch.
            const bool read = p_ < end_ && *p_ == '"' ? string<'"'>(nullptr)
                                                      : value(depth, Wanted::Nothing, nullptr);
            if (!read || !trivia()) return false;
        }
        if (p_ == end_) return false;
        if (*p_ == '}') {
            ++p_;
            return true;
        }
        if (*p_++ != ',') return false;
    }
}

template <char QUOTE>
inline bool PlainReader::string(std::optional<std::string_view>* text) {
    if (end_ - p_ >= 3 && p_[1] == QUOTE && p_[2] == QUOTE) return false;  // multi-line
    const char* start = ++p_;
    if (!to_closing_quote<QUOTE>(text_, p_)) return false;
    if (text) *text = std::string_view(start, static_cast<std::size_t>(p_ - start));
    ++p_;
    return true;
}

// A number, a boolean or a date and time, as the TOML lexer delimits it.
bool PlainReader::atom() {
    const char* start = p_;
    p_ = text_.data() + toml::atom_end(text_, static_cast<std::size_t>(start - text_.data()));
    const std::string_view atom(start, static_cast<std::size_t>(p_ - start));
    // Most are sizes: a decimal integer without a leading zero.
    const bool plain_integer = (atom[0] != '0' || atom.size() == 1) &&
                               std::ranges::all_of(atom, [](char c) { return ascii::is_digit(c); });
    return plain_integer || toml::classify(atom).kind != toml::ScalarKind::Invalid;
}

}  // namespace

std::optional<Lock> read_plain_lock(LockKind kind, std::string_view path, std::string_view bytes,
                                    const Passed& passed) {
    PlainReader reader(kind, bytes, passed);
    if (!reader.read()) return std::nullopt;
    return std::move(reader).finish(std::string(path));
}

}  // namespace tarnvik::lock
