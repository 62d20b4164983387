#include "fix_loop.hpp"

#include "tarnvik/check.hpp"

namespace tarnvik::fix {

FixResult fix(std::string bytes, const lock::Lock* lock, Applicability minimum) {
    return detail::fix_loop(std::move(bytes), minimum, [lock](std::string text) {
        return check_with_lock(std::move(text), lock);
    });
}

}  // namespace tarnvik::fix
