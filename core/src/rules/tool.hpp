#pragma once

// The generic checker of `[tool.X]` tables that the tool passes share: the releases a project
// allows, the walk of a table against them, and the Python target check.
#include "rules/tool/candidates.hpp"
#include "rules/tool/python_target.hpp"
#include "rules/tool/walk.hpp"
