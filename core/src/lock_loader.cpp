#include "tarnvik/lock.hpp"

#include "lock/entries.hpp"
#include "tarnvik/document.hpp"
#include "tarnvik/parse.hpp"

namespace tarnvik::lock {

namespace {

// What is read of an entry: `source` only for its keys (see is_local).
constexpr document::Want ENTRY[] = {{"name", {}}, {"version", {}}, {"source", {}}};

const std::string* string_at(const document::Table& table, std::string_view key) {
    const document::Entry* entry = document::get(table, key);
    return entry ? entry->value.as_string() : nullptr;
}

}  // namespace

Lock read_lock(LockKind kind, std::string path, const document::Table& root) {
    Entries entries(kind);
    const document::Entry* list = document::get(root, entry_list_key(kind));
    const document::Array* elements = list ? list->value.as_array() : nullptr;
    if (!elements) return std::move(entries).finish(std::move(path));
    for (const document::Value& element : *elements) {
        const document::Table* package = element.as_table();
        const std::string* name = package ? string_at(*package, "name") : nullptr;
        if (!name) continue;
        const std::string* version = string_at(*package, "version");
        entries.add(*name, version ? std::optional<std::string_view>(*version) : std::nullopt,
                    is_local(*package));
    }
    return std::move(entries).finish(std::move(path));
}

std::variant<Loaded, parse::ParseError> load_lock(LockKind kind, std::string path,
                                                  std::string_view text) {
    // All that is read of the file lies under the key of the entry list.
    const document::Want entry_list{entry_list_key(kind), ENTRY};
    auto parsed = parse::parse_strict_wanted(text, {&entry_list, 1});
    if (auto* error = std::get_if<parse::ParseError>(&parsed)) return std::move(*error);
    auto& root = std::get<document::Table>(parsed);
    Lock lock = read_lock(kind, std::move(path), root);
    return Loaded{std::move(lock), std::move(root)};
}

}  // namespace tarnvik::lock
