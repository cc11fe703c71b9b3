// The Python frame in one include: classes, members, conversions, errors and the module tree.
#pragma once

#include "python/frame/enum_class.hpp"
#include "python/frame/module_tree.hpp"
