// The members of the Python class BookOrder.
#include "python/classes/state/book_order_class.hpp"

#include "python/classes/state/record_members.hpp"

namespace qzr::py {

template void add_record_members<BookOrder>(TypeBuilder& builder);

}  // namespace qzr::py
