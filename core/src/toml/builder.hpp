#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "tarnvik/document.hpp"
#include "toml/lexer.hpp"
#include "toml/scalar.hpp"

// The parser receiver that builds the spanned document and enforces TOML's rules on tables:
// no key defined twice, no table defined twice, no inline table or static array extended.
// Given the parts of the document wanted, it fills in only those: the rules above never look
// into a value once it is read, only at its kind, so the rest can stay empty.
namespace tarnvik::toml {

// A recoverable parse stops after this many errors: a file of garbage would otherwise yield a
// diagnostic for every line, and nobody reads past the first screens of them.
inline constexpr std::size_t MAX_ERRORS = 1000;

// The message of a key or table defined a second time, which the parse's callers rewrite to
// name what was defined.
inline constexpr std::string_view DUPLICATE_KEY = "duplicate key";

struct Error {
    Span span;
    std::string_view message;  // static text
};

class DocumentBuilder {
  public:
    // A strict builder stops the parse at the first error. Without `wanted` (the root's wanted
    // parts), the whole document is filled in.
    DocumentBuilder(std::string_view text, bool strict, const document::Want* wanted = nullptr)
        : text_(text),
          strict_(strict),
          selective_(wanted != nullptr),
          root_want_(wanted != nullptr ? wanted : &EVERYTHING),
          section_want_(root_want_) {}

    void std_table_open(Span span);
    void std_table_close(Span span);
    void array_table_open(Span span);
    void array_table_close(Span span);
    void simple_key(const Token& token);
    void key_sep(Span) {}
    void key_val_sep(Span) {}
    void scalar(const Token& token, const Classified& classified);
    void inline_table_open(Span span) { open(span, false); }
    void inline_table_close(Span span) { close(span); }
    void array_open(Span span) { open(span, true); }
    void array_close(Span span) { close(span); }
    void value_sep(Span) {}
    void comment(Span) {}
    void newline(Span) {}
    void error(Span span, std::string_view message);
    void recover();
    bool stopped() const { return errors_.size() >= (strict_ ? 1 : MAX_ERRORS); }

    document::Table& document() { return root_; }
    std::vector<Error>& errors() { return errors_; }
    // Whether some integer has too many digits to be sure that it fits 64 bits.
    bool may_overflow() const { return may_overflow_; }

  private:
    // A key part's text: a bare key's stays in the source, only a quoted key's is decoded.
    struct KeyPart {
        std::string_view bare;
        std::string decoded;
        bool quoted;
        Span span;
        std::string_view text() const { return quoted ? std::string_view(decoded) : bare; }
    };
    // An open inline table or array. Its content waits in entries_ or values_ and moves into
    // the container, allocated once at its final size, when it closes.
    struct Frame {
        Span open;  // the opening bracket or brace; where the container's span starts
        bool array;
        std::size_t key_base;        // where this inline table's keys start in keys_
        std::size_t entry_base;      // where this inline table's entries start in entries_
        std::size_t value_base;      // where this array's elements start in values_
        const document::Want* want;  // what is wanted of the container; null: its kind only
    };
    // The entries of a table, from `base` on, and the identity its bookkeeping is filed under.
    struct Target {
        std::vector<document::Entry>* entries;
        std::size_t base;
        std::size_t id;
    };
    static Target target_of(document::Value& table) {
        return {&table.as_table()->entries, 0, table.span.start};
    }

    void open(Span span, bool array);
    void close(Span span);
    void header_close(Span span, bool array);
    document::Value* slot();
    document::Value* insert_dotted(Target target, std::size_t base);
    document::Value* refuse(Span span, std::string_view message);
    bool header_parent(Target& target);
    document::Entry* find(Target target, std::string_view key);
    document::Value& insert(Target target, KeyPart&& key, document::Value&& value);
    document::Value& insert(Target target, KeyPart&& key);
    void written_again(document::Entry& entry, Span span);
    void move_index(std::size_t from, std::size_t to);
    bool is_array_of_tables(const document::Value& value) const;
    const document::Want* wanted_under(const document::Want* want, std::string_view key) const;
    const document::Want* wanted_along(const document::Want* want, std::size_t base) const;
    const document::Want* pending_want() const;
    char opener(const document::Value& value) const { return text_[value.span.start]; }

    std::string_view text_;
    bool strict_;
    bool selective_;
    document::Table root_;
    Target section_{&root_.entries, 0, ROOT};  // where key/value lines go; null after a bad header
    const document::Want* root_want_;
    const document::Want* section_want_;  // what is wanted of the section's table
    std::uint32_t section_number_ = 0;
    std::size_t header_start_ = 0;
    std::vector<KeyPart> keys_;
    std::vector<Frame> frames_;
    std::vector<document::Entry> entries_;  // of the open inline tables, innermost last
    std::vector<document::Value> values_;   // of the open arrays, innermost last
    bool may_overflow_ = false;
    std::vector<Error> errors_;
    // Tables made by dotted keys, by id, with the number of the section that made them: only
    // that section may add to them.
    std::unordered_map<std::size_t, std::uint32_t> dotted_;
    // Key indexes of large tables, by id, so that duplicate keys are found in constant time.
    std::unordered_map<std::size_t, std::unordered_map<std::string, std::uint32_t>> indexes_;

    // A table's id is where its span starts; tables never share a start. The root has none.
    static constexpr std::size_t ROOT = static_cast<std::size_t>(-1);
    // Stands for the whole of every value when the builder is not selective.
    static constexpr document::Want EVERYTHING{};
};

}  // namespace tarnvik::toml
