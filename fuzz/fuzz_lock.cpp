// The plain read of a lock file must agree with the strict parse: whenever it reads the bytes,
// they are UTF-8, the strict parse accepts them, and both give the same lock. Otherwise it
// declines, and the strict parse reports the error.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <variant>

#include "tarnvik/lock.hpp"
#include "tarnvik/text.hpp"

namespace {

using tarnvik::lock::LockKind;

bool same(const tarnvik::lock::Lock& a, const tarnvik::lock::Lock& b) {
    return a.path == b.path && a.local_packages == b.local_packages &&
           a.package_versions == b.package_versions;
}

void check(LockKind kind, std::string_view bytes) {
    const auto plain = tarnvik::lock::read_plain_lock(kind, "uv.lock", bytes);
    if (!plain) return;
    if (!tarnvik::text::is_utf8(bytes)) __builtin_trap();
    const auto strict = tarnvik::lock::load_lock(kind, "uv.lock", bytes);
    const auto* loaded = std::get_if<tarnvik::lock::Loaded>(&strict);
    if (loaded == nullptr || !same(*plain, loaded->lock)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    check(LockKind::UvLock, bytes);
    check(LockKind::PyLock, bytes);
    return 0;
}
