#include "version.hpp"
