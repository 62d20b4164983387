#pragma once

#include <cstddef>
#include <string_view>

// String similarity over Unicode scalar values, for "did you mean" suggestions.
namespace tarnvik::similarity {

// Jaro similarity in [0, 1]: two empty texts are equal (1), one empty text matches nothing (0).
double jaro(std::string_view a, std::string_view b);

// Jaro similarity with Winkler's bonus of 0.1 per common leading character (at most four), given
// only when the Jaro similarity exceeds 0.7.
double jaro_winkler(std::string_view a, std::string_view b);

// The greatest Jaro-Winkler similarity two texts of these lengths (in scalar values) can have,
// since at most the shorter length matches: lets a search skip, without comparing them, texts
// that cannot reach its threshold.
double jaro_winkler_limit(std::size_t a_length, std::size_t b_length);

// The greatest Jaro-Winkler similarity two texts of these lengths can have when they hold only
// `common` characters in common, counted as multisets (no more can match).
double jaro_winkler_bound(std::size_t common, std::size_t a_length, std::size_t b_length);

// The least number of single-character insertions, deletions and substitutions.
std::size_t levenshtein(std::string_view a, std::string_view b);

// Whether the Levenshtein distance is at most 1, in time linear in the shorter text: a search
// may ask it of a huge text and every candidate.
bool within_one_edit(std::string_view a, std::string_view b);

}  // namespace tarnvik::similarity
