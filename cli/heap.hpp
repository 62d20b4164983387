#pragma once

namespace tarnvik::cli {

// Sets up the C library's heap for one short run that may parse a lock file of megabytes:
// tens of thousands of small blocks, made once and never given back before the exit. Call it
// first thing in main.
void prepare_heap();

}  // namespace tarnvik::cli
