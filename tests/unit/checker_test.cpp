#include "checker.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tarnvik/parse.hpp"

namespace tarnvik {
namespace {

using document::Value;

// A value whose span is where `needle` first occurs in `source`.
Value at(std::string_view source, std::string_view needle, decltype(Value::data) data) {
    std::size_t start = source.find(needle);
    return Value{std::move(data), Span{start, start + needle.size()}};
}

TEST(ClosestName, SuggestsTheMostSimilarCandidate) {
    static const std::string HUGE_NAME(1'000'000, 'r');
    const std::vector<std::string_view> build_keys = {"requires", "build-backend", "backend-path"};
    struct Case {
        std::string_view name;
        std::vector<std::string_view> candidates;
        std::optional<std::string_view> expected;
    };
    const Case cases[] = {
        {"requirs", build_keys, "requires"},
        {"Requires", build_keys, "requires"},            // capitals are lowered first
        {"build_backend", build_keys, "build-backend"},  // "_" is read as "-"
        {"build-backends", build_keys, "build-backend"},
        {"zzz", build_keys, std::nullopt},
        {"", build_keys, std::nullopt},
        {"anything", {}, std::nullopt},
        // Equally close candidates: the later one wins.
        {"abcd", {"abce", "abcf"}, "abcf"},
        {"abcd", {"abcf", "abce"}, "abce"},
        // Candidates are compared as written, not normalized.
        {"NAME", {"NAME"}, std::nullopt},
        // 0.85 is the threshold: "abcdxyz" against "abcdefg" is about 0.77.
        {"abcdxyz", {"abcdefg"}, std::nullopt},
        // Four times as long with the four leading characters shared is exactly 0.85; the
        // search skips only candidates whose length rules them out.
        {"abcdxxxxxxxxxxxx", {"abcd"}, "abcd"},
        {"abcdxxxxxxxxxxxxx", {"abcd"}, std::nullopt},
        {"xxxxxxxxxxxxabcd", {"abcd"}, std::nullopt},
        {HUGE_NAME, build_keys, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(closest_name(c.name, c.candidates), c.expected) << c.name;
    }
    const std::vector<std::string> owned = {"docs", "test"};
    EXPECT_EQ(closest_name("tset", owned), "test");
}

TEST(SuggestionBudget, SearchesWhileTheBytesComparedFit) {
    const std::vector<std::string> docs{"docs"};
    const std::vector<std::string> d{"d"};
    SuggestionBudget budget;
    // A search costs the names' bytes and the name's size once per name: here all but one byte.
    EXPECT_EQ(budget.suggest("doc", docs, SuggestionBudget::BYTES - 4), "docs");
    EXPECT_EQ(budget.suggest("d", d, 1), std::nullopt);  // two bytes do not fit
    EXPECT_EQ(budget.suggest("D", d, 0), "d");           // the last byte does
    EXPECT_EQ(budget.suggest("D", d, 0), std::nullopt);
}

TEST(QuotedList, QuotesAndJoinsInOrder) {
    const std::vector<std::string_view> names = {"requires", "build-backend", "backend-path"};
    EXPECT_EQ(quoted_list(names), "`requires`, `build-backend`, `backend-path`");
    EXPECT_THAT(quote_names(names),
                testing::ElementsAre("`requires`", "`build-backend`", "`backend-path`"));
    EXPECT_EQ(quoted_list(std::vector<std::string_view>{"one"}), "`one`");
    EXPECT_EQ(quoted_list(std::vector<std::string>{}), "");
}

TEST(IsDottedIdentifier, AcceptsModulePathsOnly) {
    struct Case {
        std::string_view text;
        bool expected;
    };
    const Case cases[] = {
        {"setuptools.build_meta", true},
        {"_private", true},
        {"pkg2.mod_3", true},
        {"paquet.modèle", true},
        {"モジュール", true},
        {"é", true},
        {"x١", true},  // a non-ASCII digit after the first character
        {"xⅫ", true},
        {"x½", true},  // No counts as numeric
        {"", false},
        {".pkg", false},
        {"pkg.", false},
        {"pkg..mod", false},
        {"1pkg", false},
        {"pkg.2mod", false},
        {"١x", false},  // a digit cannot start a part
        {"my-pkg", false},
        {"pkg mod", false},
        {"pkg:obj", false},
        {"\xff", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(is_dotted_identifier(c.text), c.expected) << c.text;
}

TEST(ValueKind, NamesEveryType) {
    const std::pair<Value, std::string_view> cases[] = {
        {{std::string("x"), {}}, "a string"},
        {{document::Integer{"1", 10}, {}}, "an integer"},
        {{1.5, {}}, "a float"},
        {{true, {}}, "a boolean"},
        {{document::Datetime{"1979-05-27"}, {}}, "a datetime"},
        {{document::Array{}, {}}, "an array"},
        {{document::Table{}, {}}, "a table"},
    };
    for (const auto& [value, phrase] : cases)
        EXPECT_EQ(value_kind(value), phrase);
}

TEST(StringArray, ReturnsStringsAndReportsTheRest) {
    const std::string source = R"(x = ["a", 1, "b"])";
    Value array = at(source, R"(["a", 1, "b"])",
                     document::Array{at(source, R"("a")", std::string("a")),
                                     at(source, "1", document::Integer{"1", 10}),
                                     at(source, R"("b")", std::string("b"))});
    Checker checker{{}, source, nullptr};
    std::vector<StringEntry> strings = checker.string_array("x", array);
    ASSERT_EQ(strings.size(), 2u);
    EXPECT_EQ(strings[0].text, "a");
    EXPECT_EQ(strings[0].span, (Span{5, 8}));
    EXPECT_EQ(strings[1].text, "b");
    EXPECT_EQ(strings[1].span, (Span{13, 16}));
    ASSERT_EQ(checker.diagnostics.size(), 1u);
    EXPECT_EQ(checker.diagnostics[0].message, "entries of `x` must be strings, found an integer");
    EXPECT_EQ(checker.diagnostics[0].code, Code::InvalidType);
    EXPECT_EQ(checker.diagnostics[0].span, (Span{10, 11}));
}

TEST(StringArray, ReportsAValueThatIsNoArray) {
    const std::string source = R"(x = "a")";
    Checker checker{{}, source, nullptr};
    EXPECT_TRUE(checker.string_array("tool.x", at(source, R"("a")", std::string("a"))).empty());
    EXPECT_TRUE(checker.string_array("tool.x", at(source, "a", document::Array{})).empty());
    ASSERT_EQ(checker.diagnostics.size(), 1u);
    EXPECT_EQ(checker.diagnostics[0].message,
              "`tool.x` must be an array of strings, found a string");
    EXPECT_EQ(checker.diagnostics[0].span, (Span{4, 7}));
    EXPECT_FALSE(checker.diagnostics[0].help);
}

// A table entry whose key is `key`, with a key span of its own (`index` keeps spans apart).
document::Entry keyed(std::string_view key, std::size_t index) {
    return document::Entry{std::string(key), Span{index * 10, index * 10 + key.size()}, {}};
}

TEST(DistinctNames, ReportsInvalidNamesAndNamesEqualAfterNormalization) {
    Checker checker{{}, "", nullptr};
    DistinctNames names("dependency group", "group");
    EXPECT_EQ(names.add(checker, keyed("Dev_Tools", 0)), "dev-tools");
    EXPECT_EQ(names.add(checker, keyed("-bad", 1)), std::nullopt);
    EXPECT_EQ(names.add(checker, keyed("docs", 2)), "docs");
    EXPECT_EQ(names.add(checker, keyed("dev.tools", 3)), "dev-tools");  // reported, still given
    EXPECT_EQ(names.names(), (std::vector<std::string>{"dev-tools", "docs"}));
    ASSERT_NE(names.find("dev-tools"), nullptr);
    EXPECT_EQ(*names.find("dev-tools"), (Span{0, 9}));  // the first key keeps the name
    EXPECT_EQ(names.find("Dev_Tools"), nullptr);        // looked up by normal form only

    ASSERT_EQ(checker.diagnostics.size(), 2u);
    const Diagnostic& invalid = checker.diagnostics[0];
    EXPECT_EQ(invalid.message, "invalid dependency group name `-bad`");
    EXPECT_EQ(invalid.code, Code::InvalidValue);
    EXPECT_EQ(invalid.span, (Span{10, 14}));
    EXPECT_EQ(invalid.help, std::string(NAME_RULES_HELP));
    const Diagnostic& duplicate = checker.diagnostics[1];
    EXPECT_EQ(duplicate.message,
              "dependency group `dev.tools` is the same as another group after normalization");
    EXPECT_EQ(duplicate.code, Code::DuplicateName);
    EXPECT_EQ(duplicate.span, (Span{30, 39}));
    ASSERT_EQ(duplicate.labels.size(), 1u);
    EXPECT_EQ(duplicate.labels[0].message, "first defined here");
    EXPECT_EQ(duplicate.labels[0].span, (Span{0, 9}));
    EXPECT_EQ(duplicate.help, "group names are compared in normalized form, `dev-tools`");
}

// Safe offers settle before unsafe ones, each in the order offered; a name that a key of the
// table or an offer settled before takes, compared in the table's form of names, withholds the
// fix, and a withheld offer takes no name.
TEST(KeyNames, SettlesSafeOffersFirstAndEachNameOnce) {
    struct Offer {
        Applicability applicability;
        std::string_view name;
        std::optional<std::string_view> also = std::nullopt;
    };
    struct Case {
        std::string_view name;
        NameForm form;
        std::vector<Offer> offers;
        std::vector<bool> fixed;
    };
    const Applicability safe = Applicability::Safe;
    const Applicability unsafe = Applicability::Unsafe;
    const std::vector<Case> cases = {
        {"an unsafe offer before a safe one",
         NameForm::AsWritten,
         {{unsafe, "a"}, {safe, "a"}, {unsafe, "b"}, {unsafe, "b"}},
         {false, true, true, false}},
        {"names as written", NameForm::AsWritten, {{unsafe, "dev-tools"}}, {true}},
        {"names in normal form",
         NameForm::Normalized,
         {{unsafe, "dev-tools"}, {unsafe, "a"}, {safe, "A"}, {unsafe, "-x-"}},
         {false, false, true, true}},
        {"a key of the table",
         NameForm::AsWritten,
         {{unsafe, "Dev_Tools"}, {safe, "lint"}, {unsafe, "c"}},
         {false, false, true}},
        {"two names",
         NameForm::AsWritten,
         {{unsafe, "a", "b"}, {safe, "b"}, {unsafe, "c", "lint"}, {unsafe, "a"}, {unsafe, "c"}},
         {false, true, false, true, true}},
    };
    const std::string source = "Dev_Tools = 1\nlint = 2\n";
    const document::Table table = parse::parse(source).first;
    for (const Case& c : cases) {
        Checker checker{{}, source, nullptr};
        KeyNames names(table, c.form);
        for (const Offer& offer : c.offers) {
            names.offer(checker, Diagnostic::error("x", Span{}, Code::UnknownKey),
                        Fix{{Edit{"y", Span{}}}, offer.applicability}, offer.name, offer.also);
        }
        names.settle(checker);
        std::vector<bool> fixed;
        for (const Diagnostic& d : checker.diagnostics)
            fixed.push_back(d.fix.has_value());
        EXPECT_EQ(fixed, c.fixed) << c.name;
    }
}

TEST(MissingKey, NamesTheTableAndTheKey) {
    Checker checker{{}, "", nullptr};
    checker.missing_key("`[build-system]`", "requires", Span{1, 13}, "list them");
    ASSERT_EQ(checker.diagnostics.size(), 1u);
    const Diagnostic& d = checker.diagnostics[0];
    EXPECT_EQ(d.message, "`[build-system]` is missing the required key `requires`");
    EXPECT_EQ(d.code, Code::MissingKey);
    EXPECT_EQ(d.severity, Severity::Error);
    EXPECT_EQ(d.span, (Span{1, 13}));
    EXPECT_EQ(d.help, "list them");
}

TEST(InvalidValue, NarrowsToTheInnerRangeWhereItCan) {
    struct Case {
        std::string_view literal;
        std::optional<Span> inner;
        std::string_view expected_text;
    };
    const Case cases[] = {
        {R"("abcdef")", Span{1, 3}, "bc"},
        {R"('abcdef')", Span{0, 6}, "abcdef"},
        {R"("abcdef")", std::nullopt, R"("abcdef")"},
        {R"("a\tb")", Span{0, 1}, R"("a\tb")"},        // escapes: positions do not map
        {R"("""abc""")", Span{0, 1}, R"("""abc""")"},  // multi-line strings neither
        {R"("abc")", Span{1, 9}, R"("abc")"},          // beyond the content
    };
    for (const Case& c : cases) {
        const std::string source = "x = " + std::string(c.literal);
        Checker checker{{}, source, nullptr};
        checker.invalid_value("bad", Span{4, source.size()}, c.inner);
        ASSERT_EQ(checker.diagnostics.size(), 1u);
        const Diagnostic& d = checker.diagnostics[0];
        EXPECT_EQ(source.substr(d.span.start, d.span.size()), c.expected_text) << c.literal;
        EXPECT_EQ(d.code, Code::InvalidValue);
        EXPECT_EQ(d.severity, Severity::Error);
        EXPECT_TRUE(d.labels.empty() && !d.help && !d.note && !d.fix);
    }
}

}  // namespace
}  // namespace tarnvik
