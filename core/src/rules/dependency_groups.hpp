#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "checker.hpp"
#include "tarnvik/document.hpp"

namespace tarnvik::rules::dependency_groups {

// One `{ include-group = "..." }` entry that names a valid group name.
struct Include {
    std::string group;        // normalized name of the group holding the entry
    std::string target;       // normalized name of the group it includes
    std::string target_text;  // the `include-group` value as written
    Span span;                // the `include-group` string value
};

// Normalized group name to its includes, in the order they were met.
using IncludeGraph = std::unordered_map<std::string, std::vector<Include>>;

void check_dependency_groups(Checker& checker, const document::Table& root);

// The cycles reported so far, each as its sorted member names, and how many member names all
// cycle tests have looked at. Past `MEMBER_BUDGET` names the search stops: a file made of
// thousands of groups that each close a cycle with a long path would otherwise make the search
// and its messages grow with the square of the file.
struct Reported {
    static constexpr std::size_t MEMBER_BUDGET = 1'000'000;
    std::set<std::vector<std::string>> cycles;
    std::size_t members_examined = 0;
};

// Reports each set of groups that include each other in a cycle once, at the include that closes
// the first cycle over it met from `path` (never empty). `finished` holds groups whose includes
// have all been searched; `reported` the cycles reported so far. Both live across the searches
// from every start; `path` is as given when the search returns.
void find_cycles(Checker& checker, const IncludeGraph& graph, std::vector<std::string>& path,
                 std::unordered_set<std::string>& finished, Reported& reported);

}  // namespace tarnvik::rules::dependency_groups
