#pragma once

#include <cstddef>
#include <string>

#include "render/report.hpp"
#include "render/source_lines.hpp"

namespace tarnvik::cli {

struct RenderOptions {
    std::size_t width = 140;
    bool color = false;
};

// The rustc-style annotated snippet of the report, without a final line end; `index` holds the
// lines of the report's source, split once for every report on it.
std::string render(const Report& report, const SourceIndex& index, const RenderOptions& options);
std::string render(const Report& report, const RenderOptions& options);

}  // namespace tarnvik::cli
