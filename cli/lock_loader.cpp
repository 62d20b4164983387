#include "lock_loader.hpp"

#include <vector>

#include "heap.hpp"
#include "tarnvik/text.hpp"
#include "toml_error.hpp"

namespace tarnvik::cli {

namespace {

// The parsed lock is deliberately never released: the run ends soon after, and handing its
// tens of thousands of blocks back one by one would cost about a seventh of the whole check.
void keep_until_exit(document::Table&& root) {
    static auto* const kept = new std::vector<document::Table>();
    kept->push_back(std::move(root));
}

}  // namespace

std::variant<lock::Lock, std::string> load_lock_text(LockKind kind, std::string path,
                                                     std::string_view bytes,
                                                     const lock::Passed& passed) {
    if (auto plain = lock::read_plain_lock(kind, path, bytes, passed)) return std::move(*plain);
    if (!text::is_utf8(bytes)) return std::string("stream did not contain valid UTF-8");
    const std::string_view text = bytes;
    prepare_heap(text.size());  // the strict parse builds a document
    auto loaded = lock::load_lock(kind, std::move(path), text);
    if (auto* error = std::get_if<parse::ParseError>(&loaded)) {
        return toml_error_display(text, *error);
    }
    auto& [lock, document] = std::get<lock::Loaded>(loaded);
    keep_until_exit(std::move(document));
    return std::move(lock);
}

}  // namespace tarnvik::cli
