// The members of the Python class BookOrder.
#include "python/classes/state/book_order_class.hpp"

#include "python/classes/state/record_members.hpp"

namespace qzr::py {

void ClassDef<BookOrder>::add_members(TypeBuilder& builder) {
  Members<RecordMembers<BookOrder>>::add_to<BookOrder>(builder);
}

}  // namespace qzr::py
