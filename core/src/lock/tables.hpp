#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// The tables and keys a TOML document has defined so far, as far as the rules against defining
// one twice need them, for a reader that builds no document. Keys are bare keys, viewed in the
// text. Of an array of tables, only its last table is kept: the headers that follow can only
// reach that one.
namespace tarnvik::lock {

// Whether two keys are the same. Keys are short: compared inline, without a call to memcmp.
inline bool same_key(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i]) return false;
    }
    return true;
}

class Tables {
  public:
    using Id = std::uint32_t;
    static constexpr Id ROOT = 0;
    static constexpr Id NONE = UINT32_MAX;

    enum class Kind : std::uint8_t {
        Value,     // a key given a value: a scalar, an array or an inline table
        Implicit,  // made on the way to a deeper header, `a` of `[a.b]`
        Explicit,  // defined by its own header
        Array,     // an array of tables, whose children are those of its last table
    };

    Tables();

    Id find(Id parent, std::string_view key) const;
    Id add(Id parent, std::string_view key, Kind kind);
    Kind kind(Id id) const { return nodes_[id].kind; }
    void define(Id id) { nodes_[id].kind = Kind::Explicit; }
    Id parent(Id id) const { return nodes_[id].parent; }
    std::string_view key(Id id) const { return nodes_[id].key; }
    std::size_t size() const { return nodes_.size(); }

    // Forgets what lies under `id`: a new table of the array starts empty. Ids of later nodes
    // change; `id` keeps its own.
    void clear_children(Id id);

  private:
    struct Node {
        Id parent;
        std::string_view key;
        Kind kind;
    };
    // Every node after its parent.
    std::vector<Node> nodes_;
    std::vector<Id> renumbered_;
};

}  // namespace tarnvik::lock
