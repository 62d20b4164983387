#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <unordered_map>

// The suggestions a pass found for misspelt names, remembered by name. Only the first few
// different names are searched: a file of many thousand made-up names is still checked quickly,
// its later names only go without a suggestion.
namespace tarnvik::rules {

class SuggestionCache {
  public:
    // Beyond this many different names, none gets a suggestion.
    static constexpr std::size_t SEARCHES = 64;

    // The suggestion for `name` (which must outlive the cache), searched with `search` once.
    template <typename Search>
    std::optional<std::string_view> find(std::string_view name, Search&& search) {
        if (const auto found = found_.find(name); found != found_.end()) return found->second;
        if (found_.size() >= SEARCHES) return std::nullopt;
        const std::optional<std::string_view> suggestion = search(name);
        found_.emplace(name, suggestion);
        return suggestion;
    }

  private:
    std::unordered_map<std::string_view, std::optional<std::string_view>> found_;
};

}  // namespace tarnvik::rules
