// The members of H256: construction from bytes, the bit and path operations of tree keys, the
// pickling state, the text and equality.
#include "python/classes/values/h256_class.hpp"

#include "python/classes/core/exceptions.hpp"
#include "values/hex.hpp"

namespace qzr::py {
namespace {

PyErr invalid_length() {
  return PyErr::lazy([] { return h256_error_type().get(); }, std::string(h256_invalid_length_text));
}

// The length is checked on the argument in place: a long one is refused without a copy.
PyResult<H256> from_bytes(BytesView bytes) {
  auto value = H256::from_slice(bytes.data);
  if (!value) return fail(invalid_length());
  return *value;
}

Bytes as_bytes(const H256& self) {
  const H256::Bytes bytes = self.bytes();
  return Bytes{{bytes.begin(), bytes.end()}};
}
H256 zero() { return H256::zero(); }
bool is_zero(const H256& self) { return self.is_zero(); }
bool get_bit(const H256& self, std::uint8_t i) { return self.get_bit(i); }
void set_bit(H256& self, std::uint8_t i) { self.set_bit(i); }
void clear_bit(H256& self, std::uint8_t i) { self.clear_bit(i); }
std::uint8_t fork_height(const H256& self, const H256& key) { return self.fork_height(key); }
H256 parent_path(const H256& self, std::uint8_t height) { return self.parent_path(height); }
H256 copy_bits(const H256& self, std::uint8_t start) { return self.copy_bits(start); }

// A state of another length is refused and leaves the value unchanged.
PyResult<void> set_state(H256& self, BytesView state) {
  auto value = H256::from_slice(state.data);
  if (!value) return fail(invalid_length());
  self = *value;
  return {};
}

Bytes get_state(const H256& self) { return as_bytes(self); }
// "0x" and the 64 digits of to_hex, written straight into a new str.
Ref text(const H256& self) {
  constexpr Py_ssize_t length = 2 + 2 * 32;
  Ref result = Ref::steal(expect_api(PyUnicode_New(length, 127)));
  char* out = reinterpret_cast<char*>(PyUnicode_1BYTE_DATA(result.get()));
  out[0] = '0';
  out[1] = 'x';
  write_hex_digits(self.bytes(), out + 2);
  return result;
}
bool equals(const H256& self, const H256& other) { return self == other; }

}  // namespace

void ClassDef<H256>::add_members(TypeBuilder& builder) {
  Members<ClassMethod<"from_bytes", &from_bytes, "b">,                                              //
          Method<"as_bytes", &as_bytes>,                                                            //
          StaticMethod<"zero", &zero>,                                                              //
          Method<"is_zero", &is_zero>,                                                              //
          Method<"get_bit", &get_bit, "i">,                                                         //
          Method<"set_bit", &set_bit, "i">,                                                         //
          Method<"clear_bit", &clear_bit, "i">,                                                     //
          Method<"fork_height", &fork_height, "key">,                                               //
          Method<"parent_path", &parent_path, "height">, Method<"copy_bits", &copy_bits, "start">,  //
          Method<"__setstate__", &set_state, "state">,                                              //
          ExclusiveMethod<"__getstate__", &get_state>,                                              //
          Repr<&text>, Str<&text>,                                                                  //
          Comparisons<Eq<&equals>>>::add_to<H256>(builder);
}

}  // namespace qzr::py
