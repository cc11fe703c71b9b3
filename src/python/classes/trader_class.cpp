// The members of the Python class Trader.
#include "python/classes/trader_class.hpp"

#include "python/classes/record_field_forms.hpp"

namespace qzr::py {

template void add_record_members<Trader>(TypeBuilder& builder);

}  // namespace qzr::py
