#pragma once

#include <cstddef>

namespace tarnvik::cli {

// Sets up the C library's heap for one short run that is about to parse `input_bytes` of TOML
// into a document: for megabytes, tens of thousands of small blocks, made once and never given
// back before the exit. Below a few hundred kilobytes the heap is left as it is, as the tuning
// would then cost more than it saves, and so it is when the memory the process may take is
// limited. Once is enough: later calls change nothing.
void prepare_heap(std::size_t input_bytes);

}  // namespace tarnvik::cli
