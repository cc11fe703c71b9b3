// Position's debug text.
#include "state/position.hpp"

#include "values/debug_form.hpp"

namespace qzr {

std::string Position::debug_text() const { return record_debug_text(*this); }

}  // namespace qzr
