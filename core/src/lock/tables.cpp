#include "lock/tables.hpp"

namespace tarnvik::lock {

Tables::Tables() {
    nodes_.push_back({NONE, {}, Kind::Explicit});
}

Tables::Id Tables::find(Id parent, std::string_view key) const {
    for (Id id = parent + 1; id < nodes_.size(); ++id) {
        const Node& node = nodes_[id];
        if (node.parent == parent && same_key(node.key, key)) return id;
    }
    return NONE;
}

Tables::Id Tables::add(Id parent, std::string_view key, Kind kind) {
    nodes_.push_back({parent, key, kind});
    return static_cast<Id>(nodes_.size() - 1);
}

void Tables::clear_children(Id id) {
    renumbered_.assign(nodes_.size(), NONE);
    Id kept = id + 1;
    for (Id i = id + 1; i < nodes_.size(); ++i) {
        const Id parent = nodes_[i].parent;
        // A parent comes first, so it is settled by now: gone, or kept under a new id.
        const bool gone = parent == id || (parent > id && renumbered_[parent] == NONE);
        if (gone) continue;
        Node node = nodes_[i];
        if (node.parent > id) node.parent = renumbered_[parent];
        renumbered_[i] = kept;
        nodes_[kept++] = node;
    }
    nodes_.resize(kept);
}

}  // namespace tarnvik::lock
