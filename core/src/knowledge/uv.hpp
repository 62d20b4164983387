#pragma once

// The uv descriptors `uv::UV` and `uv::UV_BUILD`, queried through tool::Tool.
#include "generated/uv.hpp"
