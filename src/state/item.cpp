// Item: the void test and the debug text.
#include "state/item.hpp"

#include "values/debug_form.hpp"
#include "values/debug_shapes.hpp"

namespace qzr {

bool Item::is_void() const noexcept {
  return std::visit(
      []<class R>(const R& record) {
        if constexpr (std::is_same_v<R, EmptyItem>) {
          return true;
        } else {
          return record.is_void();
        }
      },
      m_value);
}

std::string Item::debug_text() const {
  return std::visit(
      [this]<class R>(const R& record) {
        if constexpr (std::is_same_v<R, EmptyItem>) {
          return std::string(item_kind_name(ItemKind::Empty));
        } else if constexpr (is_transparent_record<R>) {
          return debug_tuple(item_kind_name(kind()), field_debug_text(record.*(field_at<R, 0>.member)));
        } else {
          return debug_tuple(item_kind_name(kind()), record_debug_text(record));
        }
      },
      m_value);
}

}  // namespace qzr
