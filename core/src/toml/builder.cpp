#include "toml/builder.hpp"

#include <iterator>

namespace tarnvik::toml {

using document::Array;
using document::Entry;
using document::Table;
using document::Value;

namespace {

constexpr std::string_view EXTENDS_INLINE_TABLE = "cannot extend an inline table";
constexpr std::string_view EXTENDS_STATIC_ARRAY = "cannot extend a static array";

// Tables with fewer entries are searched linearly; larger ones get a hashed index.
constexpr std::size_t INDEX_FROM = 16;

// An integer of at most this many characters (sign included) fits 64 bits in every radix:
// 15 hexadecimal digits make 60 bits.
constexpr std::size_t SURELY_FITS = 15;

}  // namespace

void DocumentBuilder::error(Span span, std::string_view message) {
    if (stopped()) return;
    errors_.push_back({span, message});
}

void DocumentBuilder::recover() {
    keys_.clear();
    frames_.clear();
    entries_.clear();
    values_.clear();
}

void DocumentBuilder::simple_key(const Token& token) {
    KeyPart& part = keys_.emplace_back();
    part.span = token.span;
    part.quoted = token.kind != Tok::BareKey;
    if (part.quoted) {
        decode_string(text_, token, part.decoded);
    } else {
        part.bare = text_.substr(token.span.start, token.span.size());
    }
}

namespace {

// An unwanted scalar keeps its kind, not its content. A new value holds an empty string.
void empty_of_kind(document::Value& value, ScalarKind kind) {
    switch (kind) {
        case ScalarKind::Integer:
            value.data.emplace<document::Integer>();
            break;
        case ScalarKind::Float:
            value.data = 0.0;
            break;
        case ScalarKind::Boolean:
            value.data = false;
            break;
        case ScalarKind::Datetime:
            value.data.emplace<document::Datetime>();
            break;
        case ScalarKind::String:
        case ScalarKind::Invalid:
            break;
    }
}

}  // namespace

void DocumentBuilder::scalar(const Token& token, const Classified& classified) {
    const bool wanted = pending_want() != nullptr;
    Value* value = slot();
    if (value == nullptr) return;
    value->span = token.span;
    if (!wanted) return empty_of_kind(*value, classified.kind);
    const std::string_view atom = text_.substr(token.span.start, token.span.size());
    auto& data = value->data;
    switch (classified.kind) {
        case ScalarKind::String: {
            // A slot is a new value, which holds an empty string already.
            std::string* text = std::get_if<std::string>(&data);
            decode_string(text_, token, text != nullptr ? *text : data.emplace<std::string>());
            break;
        }
        case ScalarKind::Integer:
            data.emplace<document::Integer>(
                document::Integer{integer_digits(atom, classified.radix), classified.radix});
            may_overflow_ = may_overflow_ || atom.size() > SURELY_FITS;
            break;
        case ScalarKind::Float:
            data = float_value(atom);
            break;
        case ScalarKind::Boolean:
            data = atom == "true";
            break;
        case ScalarKind::Datetime:
            data.emplace<document::Datetime>(document::Datetime{std::string(atom)});
            break;
        case ScalarKind::Invalid:
            break;  // never sent by the parser
    }
}

void DocumentBuilder::open(Span span, bool array) {
    frames_.push_back({span, array, keys_.size(), entries_.size(), values_.size(), pending_want()});
}

// What is wanted of the value under `key` in a value of which `want` is wanted.
const document::Want* DocumentBuilder::wanted_under(const document::Want* want,
                                                    std::string_view key) const {
    if (!selective_ || want == nullptr) return want;
    for (const document::Want& part : want->within) {
        if (part.key == key) return &part;
    }
    return nullptr;
}

// What is wanted of the value under the pending key parts from `base` on.
const document::Want* DocumentBuilder::wanted_along(const document::Want* want,
                                                    std::size_t base) const {
    for (std::size_t i = base; i < keys_.size() && want != nullptr; ++i) {
        want = wanted_under(want, keys_[i].text());
    }
    return want;
}

// What is wanted of the value being read: an array's elements are wanted like the array.
const document::Want* DocumentBuilder::pending_want() const {
    if (frames_.empty()) return wanted_along(section_want_, 0);
    const Frame& frame = frames_.back();
    return frame.array ? frame.want : wanted_along(frame.want, frame.key_base);
}

namespace {

// The tail of `pending` from `base` on, moved into a vector allocated once at its size, or
// dropped when it is not wanted.
template <class T>
std::vector<T> take_tail(std::vector<T>& pending, std::size_t base, bool wanted) {
    const auto first = pending.begin() + static_cast<std::ptrdiff_t>(base);
    std::vector<T> out;
    if (wanted) out.assign(std::make_move_iterator(first), std::make_move_iterator(pending.end()));
    pending.erase(first, pending.end());
    return out;
}

}  // namespace

// The container is built straight into its slot, so no document value is moved on the way.
void DocumentBuilder::close(Span span) {
    if (frames_.empty()) return;
    const Frame frame = frames_.back();
    frames_.pop_back();
    const Span whole{frame.open.start, span.end};
    if (frame.array) {
        Array elements = take_tail(values_, frame.value_base, frame.want != nullptr);
        if (Value* destination = slot()) {
            destination->data.emplace<Array>(std::move(elements));
            destination->span = whole;
        }
        return;
    }
    Table table{take_tail(entries_, frame.entry_base, frame.want != nullptr)};
    if (!indexes_.empty()) indexes_.erase(frame.open.start);
    if (Value* destination = slot()) {
        destination->data.emplace<Table>(std::move(table));
        destination->span = whole;
    }
}

// Where the value just read goes: the next element of the open array, or a new entry under the
// pending key. Null (after reporting) when the key cannot take it.
Value* DocumentBuilder::slot() {
    if (frames_.empty()) {
        Value* destination = section_.entries != nullptr ? insert_dotted(section_, 0) : nullptr;
        keys_.clear();
        return destination;
    }
    const Frame& frame = frames_.back();
    if (frame.array) return &values_.emplace_back();
    const std::size_t key_base = frame.key_base;
    Value* destination = insert_dotted({&entries_, frame.entry_base, frame.open.start}, key_base);
    keys_.resize(key_base);
    return destination;
}

// The entry `a.b.c` of the target for a new value: `a` and `b` are tables made (or reopened)
// by dotted keys. Null (after reporting) when the key is taken or cannot be extended.
Value* DocumentBuilder::insert_dotted(Target target, std::size_t base) {
    if (base >= keys_.size()) return nullptr;
    // An inline table defines every table in it, so a dotted key there that names one defines
    // that key a second time.
    const bool in_inline_table = !frames_.empty();
    for (std::size_t i = base; i + 1 < keys_.size(); ++i) {
        KeyPart& part = keys_[i];
        Entry* entry = find(target, part.text());
        if (entry == nullptr) {
            const Span key_span = part.span;
            Value& made = insert(target, std::move(part), Value{Table{}, key_span});
            dotted_[key_span.start] = section_number_;
            target = target_of(made);
            continue;
        }
        Value& existing = entry->value;
        // The next part would be defined in the last table of the array, which belongs to
        // its own header.
        if (is_array_of_tables(existing)) return refuse(keys_[i + 1].span, DUPLICATE_KEY);
        Table* table = existing.as_table();
        if (table == nullptr || opener(existing) == '[' || opener(existing) == '{') {
            const bool extends = opener(existing) == '{' && table != nullptr && !in_inline_table;
            return refuse(part.span, extends ? EXTENDS_INLINE_TABLE : DUPLICATE_KEY);
        }
        auto [made_by, fresh] = dotted_.try_emplace(existing.span.start, section_number_);
        if (!fresh && made_by->second != section_number_) return refuse(part.span, DUPLICATE_KEY);
        written_again(*entry, part.span);
        target = target_of(existing);
    }
    KeyPart& last = keys_.back();
    if (find(target, last.text()) != nullptr) return refuse(last.span, DUPLICATE_KEY);
    return &insert(target, std::move(last));
}

Value* DocumentBuilder::refuse(Span span, std::string_view message) {
    error(span, message);
    return nullptr;
}

void DocumentBuilder::std_table_open(Span span) {
    keys_.clear();
    header_start_ = span.start;
    section_.entries = nullptr;  // until the header is complete
    ++section_number_;
}

void DocumentBuilder::array_table_open(Span span) {
    std_table_open(span);
}

void DocumentBuilder::std_table_close(Span span) {
    header_close(span, false);
}

void DocumentBuilder::array_table_close(Span span) {
    header_close(span, true);
}

// Walks the header's parts but the last, making missing tables; the target becomes the table
// that the last part belongs in. False (after reporting) when a part cannot be a table.
bool DocumentBuilder::header_parent(Target& target) {
    for (std::size_t i = 0; i + 1 < keys_.size(); ++i) {
        KeyPart& part = keys_[i];
        Entry* entry = find(target, part.text());
        Value* current = nullptr;
        if (entry == nullptr) {
            const Span key_span = part.span;
            insert(target, std::move(part), Value{Table{}, key_span});
            current = &target.entries->back().value;
        } else {
            current = &entry->value;
            if (Array* array = current->as_array()) {
                if (!is_array_of_tables(*current)) {
                    error(part.span, EXTENDS_STATIC_ARRAY);
                    return false;
                }
                current = &array->back();
            } else if (current->as_table() == nullptr) {
                error(part.span, DUPLICATE_KEY);
                return false;
            } else if (opener(*current) == '{') {
                error(part.span, EXTENDS_INLINE_TABLE);
                return false;
            }
            written_again(*entry, part.span);
        }
        target = target_of(*current);
    }
    return true;
}

void DocumentBuilder::header_close(Span span, bool array) {
    if (keys_.empty()) return;
    const Span header{header_start_, span.end};
    section_want_ = wanted_along(root_want_, 0);  // in use only once the section is open
    Target target{&root_.entries, 0, ROOT};
    if (!header_parent(target)) return keys_.clear();
    KeyPart& last = keys_.back();
    Entry* entry = find(target, last.text());
    if (entry == nullptr) {
        Value value = array ? Value{Array{Value{Table{}, header}}, header} : Value{Table{}, header};
        Value& made = insert(target, std::move(last), std::move(value));
        section_ = target_of(array ? made.as_array()->back() : made);
    } else if (Value& existing = entry->value; array && is_array_of_tables(existing)) {
        // The tables of an array mostly share their keys (the packages of a lock): a new one
        // gets room for as many entries as the one before, so that it is allocated once.
        Array& tables = *existing.as_array();
        const std::size_t room = tables.back().as_table()->entries.size();
        Value& table = tables.emplace_back(Value{Table{}, header});
        table.as_table()->entries.reserve(room);
        written_again(*entry, last.span);
        section_ = target_of(table);
    } else if (!array && existing.as_table() != nullptr && opener(existing) != '[' &&
               opener(existing) != '{' && !dotted_.contains(existing.span.start)) {
        // A table made on the way to a deeper header is defined here, once.
        move_index(existing.span.start, header.start);
        existing.span = header;
        written_again(*entry, last.span);
        section_ = target_of(existing);
    } else {
        error(last.span, DUPLICATE_KEY);
    }
    keys_.clear();
}

Entry* DocumentBuilder::find(Target target, std::string_view key) {
    std::vector<Entry>& entries = *target.entries;
    const std::size_t count = entries.size() - target.base;
    if (count < INDEX_FROM) {
        for (std::size_t i = target.base; i < entries.size(); ++i) {
            if (entries[i].key == key) return &entries[i];
        }
        return nullptr;
    }
    auto& index = indexes_[target.id];
    for (std::size_t i = index.size(); i < count; ++i) {
        index.emplace(entries[target.base + i].key, static_cast<std::uint32_t>(i));
    }
    const auto found = index.find(std::string(key));
    return found == index.end() ? nullptr : &entries[target.base + found->second];
}

Value& DocumentBuilder::insert(Target target, KeyPart&& key, Value&& value) {
    return insert(target, std::move(key)) = std::move(value);
}

// The entry is made in place: a temporary entry would move its value twice.
Value& DocumentBuilder::insert(Target target, KeyPart&& key) {
    Entry& entry = target.entries->emplace_back();
    if (key.quoted) {
        entry.key = std::move(key.decoded);
    } else {
        entry.key.assign(key.bare);
    }
    entry.key_span = key.span;
    return entry.value;
}

// Only a read of the whole document keeps the further places of a key, which only fixes need: a
// selective read is a lock file's, whose thousands of `[[package]]` headers would each add one.
void DocumentBuilder::written_again(Entry& entry, Span span) {
    if (!selective_) entry.more_key_spans.push_back(span);
}

void DocumentBuilder::move_index(std::size_t from, std::size_t to) {
    auto node = indexes_.extract(from);
    if (node.empty()) return;
    node.key() = to;
    indexes_.insert(std::move(node));
}

// An array made by `[[...]]` headers, as opposed to a static array written as a value.
bool DocumentBuilder::is_array_of_tables(const Value& value) const {
    const Array* array = value.as_array();
    return array != nullptr && !array->empty() && array->front().as_table() != nullptr &&
           opener(array->front()) == '[';
}

}  // namespace tarnvik::toml
