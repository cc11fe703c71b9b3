// The member kinds a class lists in its add_members, in one include: the named members
// (named_members.hpp: methods, the constructor, properties, class attributes) and the slots
// (slot_members.hpp), both built on the call path they share (call_path.hpp).
#pragma once

#include "python/frame/named_members.hpp"
#include "python/frame/slot_members.hpp"
