// Conversions between Python objects and C++ values, as traits:
//   FromPython<T>: `extract(object)` -> PyResult<Stored>, `get(Stored&)` -> T. `Stored` keeps
//   whatever must live during the call (a borrow of an instance for `const V&`).
//   ToPython<T>:   `convert(T&&)` -> new reference. A C-API call that fails while building a
//   result is a fault (results are built from values the body already produced).
// A FromPython<T> whose extract runs no Python code (no __index__, __float__, iteration or other
// protocol method of the object) says so: `static constexpr bool runs_python_code = false`.
#pragma once

#include <algorithm>
#include <array>
#include <concepts>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "python/frame/guard.hpp"
#include "python/frame/instance.hpp"

namespace qzr::py {

// A borrowed Python object argument or result ("any object"); results add one reference.
struct Object {
  PyObject* ptr;
};

// Returned by a body to let the interpreter try the other operand.
struct NotImplementedT {};
inline constexpr NotImplementedT not_implemented{};

// A borrowed `dict` argument (anything else is refused with the conversion TypeError).
struct Dict {
  PyObject* ptr;
};

// How a DictOf argument walks its dict. Both read the dict's own items (a dict subclass's
// overridden methods are not called).
enum class DictWalk {
  // Item by item in the dict's storage, borrowing each key and value: only for keys and values
  // whose conversions run no Python code, so that nothing can change the dict during the walk
  // (the compiler refuses any other; see walkable_in_place).
  InPlace,
  // Over a list of the items taken first and held for the walk: for conversions that can run
  // Python code (__index__), which could change the dict; a change is not seen by the walk.
  Snapshot,
};

// A dict (or dict subclass) of K to V, as (key, value) pairs in the dict's iteration order. Each
// key is converted by FromPython<K>, then its value by FromPython<V>; the first failure is the
// error. Anything but a dict is the TypeError of Dict ("... cannot be converted to 'PyDict'").
// K and V are values, which outlive the conversion (no borrows).
template <class K, class V, DictWalk Walk>
struct DictOf {
  static_assert(!std::is_reference_v<K> && !std::is_reference_v<V>, "a DictOf holds values");
  std::vector<std::pair<K, V>> pairs;
};

// `bytes` in both directions (arguments must be exactly bytes), copied.
struct Bytes {
  std::vector<std::uint8_t> data;
};

// A `bytes` argument read in place: its length can be checked before anything is copied. Valid
// for the call, which holds the object (and a bytes object never changes).
struct BytesView {
  std::span<const std::uint8_t> data;
};

template <class T>
struct FromPython;

template <class T>
struct ToPython;

// Whether a conversion trait's conversion can run Python code before it returns: true unless the
// trait says it cannot (`static constexpr bool runs_python_code = false`). An error it returns
// may still run Python code when it is raised, after the caller has stopped reading.
template <class Trait>
inline constexpr bool trait_runs_python_code = [] {
  if constexpr (requires { Trait::runs_python_code; }) {
    return bool{Trait::runs_python_code};
  } else {
    return true;
  }
}();

// Whether FromPython<T>::extract can run Python code.
template <class T>
inline constexpr bool conversion_runs_python_code = trait_runs_python_code<FromPython<T>>;

// Whether a dict of K to V may be walked in place (DictWalk::InPlace): neither conversion can run
// Python code, which could change the dict under the walk.
template <class K, class V>
inline constexpr bool walkable_in_place = !conversion_runs_python_code<K> && !conversion_runs_python_code<V>;

// ---- arguments ----------------------------------------------------------------------------

template <PyClass V>
struct FromPython<const V&> {
  using Stored = SharedBorrow<V>;
  static constexpr bool runs_python_code = false;
  static PyResult<Stored> extract(PyObject* object) { return SharedBorrow<V>::take(object); }
  static const V& get(Stored& stored) { return stored.get(); }
};

// A nullable shared borrow: None is nullptr. (Stored is not an optional: GCC 12 misreports
// an optional<optional<SharedBorrow>> as maybe uninitialized.)
template <PyClass V>
struct FromPython<const V*> {
  using Stored = SharedBorrow<V>;
  static constexpr bool runs_python_code = false;
  static PyResult<Stored> extract(PyObject* object) {
    if (object == nullptr || object == Py_None) return SharedBorrow<V>::none();
    return SharedBorrow<V>::take(object);
  }
  static const V* get(Stored& stored) { return stored.get_if(); }
};

template <PyClass V>
struct FromPython<V> {
  using Stored = V;
  static constexpr bool runs_python_code = false;
  static PyResult<Stored> extract(PyObject* object) { return extract_clone<V>(object); }
  static V get(Stored& stored) { return std::move(stored); }
};

template <>
struct FromPython<Object> {
  using Stored = Object;
  static constexpr bool runs_python_code = false;
  static PyResult<Stored> extract(PyObject* object) { return Object{object}; }
  static Object get(Stored& stored) { return stored; }
};

template <>
struct FromPython<Dict> {
  using Stored = Dict;
  static constexpr bool runs_python_code = false;
  static PyResult<Stored> extract(PyObject* object) {
    if (!PyDict_Check(object)) return fail(PyErr::cannot_convert(object, "PyDict"));
    return Dict{object};
  }
  static Dict get(Stored& stored) { return stored; }
};

template <>
struct FromPython<bool> {
  using Stored = bool;
  static constexpr bool runs_python_code = false;
  static PyResult<Stored> extract(PyObject* object) {
    if (!PyBool_Check(object)) return fail(PyErr::cannot_convert(object, "PyBool"));
    return object == Py_True;
  }
  static bool get(Stored& stored) { return stored; }
};

PyResult<unsigned long long> extract_unsigned_long_long(PyObject* object);
PyResult<__int128> extract_int128(PyObject* object);
PyResult<unsigned __int128> extract_uint128(PyObject* object);
PyResult<double> extract_double(PyObject* object);
PyResult<std::string> extract_string(PyObject* object);
PyErr integer_out_of_range();
// The error of an integer read that failed or gave a value out of range: the pending error
// when the read set one, otherwise integer_out_of_range(). Out of line, off the callers' paths.
[[gnu::cold]] PyErr integer_read_error();

// Integers up to 64 bits are read as a long long; narrow unsigned types too, so -1 is out of
// range like 256. A read that fails gives -1 with an error pending.
template <std::integral T>
requires(!std::same_as<T, bool>) struct FromPython<T> {
  using Stored = T;
  [[gnu::always_inline]] static PyResult<Stored> extract(PyObject* object) {
    if constexpr (std::is_signed_v<T> || sizeof(T) < sizeof(long long)) {
      const long long value = PyLong_AsLongLong(object);
      constexpr auto lowest = static_cast<long long>(std::numeric_limits<T>::min());
      constexpr auto highest = static_cast<long long>(std::numeric_limits<T>::max());
      if ((value == -1 && PyErr_Occurred()) || value < lowest || value > highest) [[unlikely]]
        return fail(integer_read_error());
      return static_cast<T>(value);
    } else {
      return extract_unsigned_long_long(object);
    }
  }
  static T get(Stored& stored) { return stored; }
};

// 128-bit integers are not std::integral in strict C++ mode; they convert through 16 bytes.
template <>
struct FromPython<__int128> {
  using Stored = __int128;
  static PyResult<Stored> extract(PyObject* object) { return extract_int128(object); }
  static __int128 get(Stored& stored) { return stored; }
};

template <>
struct FromPython<unsigned __int128> {
  using Stored = unsigned __int128;
  static PyResult<Stored> extract(PyObject* object) { return extract_uint128(object); }
  static unsigned __int128 get(Stored& stored) { return stored; }
};

template <>
struct FromPython<double> {
  using Stored = double;
  static PyResult<Stored> extract(PyObject* object) { return extract_double(object); }
  static double get(Stored& stored) { return stored; }
};

template <>
struct FromPython<std::string> {
  using Stored = std::string;
  static constexpr bool runs_python_code = false;
  static PyResult<Stored> extract(PyObject* object) { return extract_string(object); }
  static std::string get(Stored& stored) { return std::move(stored); }
};

template <>
struct FromPython<BytesView> {
  using Stored = BytesView;
  static constexpr bool runs_python_code = false;
  static PyResult<Stored> extract(PyObject* object) {
    if (!PyBytes_Check(object)) return fail(PyErr::cannot_convert(object, "PyBytes"));
    return BytesView{{reinterpret_cast<const std::uint8_t*>(PyBytes_AS_STRING(object)),
                      static_cast<std::size_t>(PyBytes_GET_SIZE(object))}};
  }
  static BytesView get(Stored& stored) { return stored; }
};

template <>
struct FromPython<Bytes> {
  using Stored = Bytes;
  static constexpr bool runs_python_code = false;
  static PyResult<Stored> extract(PyObject* object) {
    auto view = FromPython<BytesView>::extract(object);
    if (!view) return fail(std::move(view.error()));
    std::span<const std::uint8_t> data = view->data;
    return copy_or_abort(data.size(), [&] { return Bytes{{data.begin(), data.end()}}; });
  }
  static Bytes get(Stored& stored) { return std::move(stored); }
};

// None (or an absent optional parameter) is nullopt.
template <class T>
struct FromPython<std::optional<T>> {
  using Inner = FromPython<T>;
  using Stored = std::optional<typename Inner::Stored>;
  static constexpr bool runs_python_code = conversion_runs_python_code<T>;
  static PyResult<Stored> extract(PyObject* object) {
    if (object == nullptr || object == Py_None) return Stored{};
    auto inner = Inner::extract(object);
    if (!inner) return fail(std::move(inner.error()));
    return Stored{std::move(*inner)};
  }
  static std::optional<T> get(Stored& stored) {
    if (!stored) return std::nullopt;
    return Inner::get(*stored);
  }
};

template <class K, class V, DictWalk Walk>
struct FromPython<DictOf<K, V, Walk>> {
  using Stored = DictOf<K, V, Walk>;
  static_assert(Walk != DictWalk::InPlace || walkable_in_place<K, V>,
                "a conversion that can run Python code could change the dict under an in-place walk: "
                "walk a Snapshot");
  static PyResult<Stored> extract(PyObject* object) {
    auto dict = FromPython<Dict>::extract(object);
    if (!dict) return fail(std::move(dict.error()));
    Stored read;
    if constexpr (Walk == DictWalk::InPlace) {
      read.pairs.reserve(static_cast<std::size_t>(PyDict_GET_SIZE(object)));
      Py_ssize_t position = 0;
      PyObject* key = nullptr;
      PyObject* value = nullptr;
      while (PyDict_Next(object, &position, &key, &value)) {
        if (auto added = add_pair(read, key, value); !added) return fail(std::move(added.error()));
      }
    } else {
      Ref items = Ref::steal(PyDict_Items(object));
      if (!items) return fail(PyErr::fetch());
      const Py_ssize_t count = PyList_GET_SIZE(items.get());
      read.pairs.reserve(static_cast<std::size_t>(count));
      for (Py_ssize_t i = 0; i < count; ++i) {
        PyObject* item = PyList_GET_ITEM(items.get(), i);
        if (auto added = add_pair(read, PyTuple_GET_ITEM(item, 0), PyTuple_GET_ITEM(item, 1)); !added)
          return fail(std::move(added.error()));
      }
    }
    return read;
  }
  static Stored get(Stored& stored) { return std::move(stored); }

 private:
  static PyResult<void> add_pair(Stored& read, PyObject* key, PyObject* value) {
    auto stored_key = FromPython<K>::extract(key);
    if (!stored_key) return fail(std::move(stored_key.error()));
    auto stored_value = FromPython<V>::extract(value);
    if (!stored_value) return fail(std::move(stored_value.error()));
    read.pairs.emplace_back(FromPython<K>::get(*stored_key), FromPython<V>::get(*stored_value));
    return {};
  }
};

// A list (any sequence but str) of convertible elements, copied. The elements are taken by
// iteration; the length is only a capacity hint: an error there is ignored, and since
// __len__ can return any size, at most `reserve_limit` elements are reserved up front.
template <class T>
struct FromPython<std::vector<T>> {
  using Stored = std::vector<T>;
  static constexpr Py_ssize_t reserve_limit = 1024;
  static PyResult<Stored> extract(PyObject* object) {
    if (PyUnicode_Check(object)) return fail(PyErr::type_error("Can't extract `str` to `Vec`"));
    if (!PySequence_Check(object)) return fail(PyErr::cannot_convert(object, "Sequence"));
    Py_ssize_t length = PySequence_Size(object);
    if (length < 0) {
      if (auto dropped = drop_ordinary_error(PyErr::fetch()); !dropped)
        return fail(std::move(dropped.error()));
      length = 0;
    }
    Stored values;
    values.reserve(static_cast<std::size_t>(std::min(length, reserve_limit)));
    Ref iterator = Ref::steal(PyObject_GetIter(object));
    if (!iterator) return fail(PyErr::fetch());
    while (Ref item = Ref::steal(PyIter_Next(iterator.get()))) {
      auto stored = FromPython<T>::extract(item.get());
      if (!stored) return fail(std::move(stored.error()));
      values.push_back(FromPython<T>::get(*stored));
    }
    if (PyErr_Occurred()) return fail(PyErr::fetch());
    return values;
  }
  static std::vector<T> get(Stored& stored) { return std::move(stored); }
};

// ---- results --------------------------------------------------------------------------------

inline Ref to_python_long_long(long long value) { return Ref::steal(expect_api(PyLong_FromLongLong(value))); }
Ref to_python_unsigned_long_long(unsigned long long value);
Ref to_python_int128(__int128 value);
Ref to_python_uint128(unsigned __int128 value);
Ref to_python_string(std::string_view text);
Ref to_python_bytes(const std::uint8_t* data, std::size_t size);
// Allocation of a result instance failed: a fault.
[[noreturn]] void result_allocation_failed(PyErr error);

// A new instance of the class's own type holding the value `make()` returns, built in place (a
// body whose result it must read in a particular way passes that read here).
template <PyClass V, class Make>
[[gnu::always_inline]] inline Ref instance_made_by(Make&& make) {
  auto object = new_instance_made_by<V>(class_type_object<V>(), std::forward<Make>(make));
  if (!object) result_allocation_failed(std::move(object.error()));
  return std::move(*object);
}

template <PyClass V>
struct ToPython<V> {
  // The value is moved once, into the new instance.
  [[gnu::always_inline]] static Ref convert(V&& value) {
    return instance_made_by<V>([&]() -> V&& { return std::move(value); });
  }
  static Ref convert(const V& value) { return convert(V(value)); }
};

template <>
struct ToPython<Ref> {
  static Ref convert(Ref value) { return value; }
};

template <>
struct ToPython<Object> {
  static Ref convert(Object value) { return Ref::borrow(value.ptr); }
};

template <>
struct ToPython<NotImplementedT> {
  static Ref convert(NotImplementedT) { return Ref::borrow(Py_NotImplemented); }
};

template <>
struct ToPython<bool> {
  static Ref convert(bool value) { return Ref::borrow(value ? Py_True : Py_False); }
};

template <std::integral T>
requires(!std::same_as<T, bool>) struct ToPython<T> {
  static Ref convert(T value) {
    if constexpr (std::is_signed_v<T>) {
      return to_python_long_long(value);
    } else {
      return to_python_unsigned_long_long(value);
    }
  }
};

template <>
struct ToPython<__int128> {
  static Ref convert(__int128 value) { return to_python_int128(value); }
};

template <>
struct ToPython<unsigned __int128> {
  static Ref convert(unsigned __int128 value) { return to_python_uint128(value); }
};

template <>
struct ToPython<double> {
  static Ref convert(double value) { return Ref::steal(expect_api(PyFloat_FromDouble(value))); }
};

template <>
struct ToPython<std::string> {
  static Ref convert(const std::string& value) { return to_python_string(value); }
};

template <>
struct ToPython<Bytes> {
  static Ref convert(const Bytes& value) { return to_python_bytes(value.data.data(), value.data.size()); }
};

template <class T>
struct ToPython<std::optional<T>> {
  static Ref convert(std::optional<T> value) {
    if (!value) return Ref::borrow(Py_None);
    return ToPython<T>::convert(std::move(*value));
  }
};

template <class T>
struct ToPython<std::vector<T>> {
  static Ref convert(std::vector<T> values) {
    Ref list = Ref::steal(expect_api(PyList_New(static_cast<Py_ssize_t>(values.size()))));
    for (std::size_t i = 0; i < values.size(); ++i) {
      PyList_SET_ITEM(list.get(), static_cast<Py_ssize_t>(i),
                      ToPython<T>::convert(std::move(values[i])).release());
    }
    return list;
  }
};

template <class A, class B>
struct ToPython<std::pair<A, B>> {
  // NOLINTNEXTLINE(performance-unnecessary-value-param): moved into conversions that take their value
  static Ref convert(std::pair<A, B> value) {
    Ref first = ToPython<A>::convert(std::move(value.first));
    Ref second = ToPython<B>::convert(std::move(value.second));
    return Ref::steal(expect_api(PyTuple_Pack(2, first.get(), second.get())));
  }
};

// ---- body results ---------------------------------------------------------------------------

template <class T>
struct IsExpected : std::false_type {};
template <class T, class E>
struct IsExpected<std::expected<T, E>> : std::true_type {};

// Turns whatever a body returned (a value, nothing, std::expected<T, E>) into a Python result.
template <class R>
inline PyResult<Ref> into_py_result(R&& result) {
  using Plain = std::remove_cvref_t<R>;
  if constexpr (IsExpected<Plain>::value) {
    using E = typename Plain::error_type;
    using T = typename Plain::value_type;
    if (!result) return fail(IntoPyErr<E>::convert(std::move(result.error())));
    if constexpr (std::is_void_v<T>) {
      return Ref::borrow(Py_None);
    } else {
      return ToPython<T>::convert(std::move(*result));
    }
  } else {
    return ToPython<Plain>::convert(std::forward<R>(result));
  }
}

// The same as a C result: a new reference, or null with the error raised. Written out rather than
// unwrapped from into_py_result: the entries inline it, and the unwrapping costs each entry
// a result object on its error path (about 35 kB over the module).
template <class R>
[[gnu::always_inline]] inline PyObject* into_object(R&& result) {
  using Plain = std::remove_cvref_t<R>;
  if constexpr (IsExpected<Plain>::value) {
    using E = typename Plain::error_type;
    using T = typename Plain::value_type;
    if (!result) [[unlikely]]
      return raised(IntoPyErr<E>::convert(std::move(result.error())));
    if constexpr (std::is_void_v<T>) {
      return Py_NewRef(Py_None);
    } else {
      return ToPython<T>::convert(std::move(*result)).release();
    }
  } else {
    return ToPython<Plain>::convert(std::forward<R>(result)).release();
  }
}

// A domain result as a Python result, its error converted by IntoPyErr<E>.
template <class T, class E>
PyResult<T> to_py_result(std::expected<T, E> result) {
  if (!result) return fail(IntoPyErr<E>::convert(std::move(result.error())));
  return std::move(*result);
}

// Calls `body` and turns its result (possibly void) into a Python result.
template <class Body>
inline PyResult<Ref> call_into_py(Body&& body) {
  using R = std::invoke_result_t<Body>;
  if constexpr (std::is_void_v<R>) {
    body();
    return Ref::borrow(Py_None);
  } else {
    return into_py_result(body());
  }
}

// Calls `body` and turns its result (possibly void) into a C result.
template <class Body>
[[gnu::always_inline]] inline PyObject* call_into_object(Body&& body) {
  using R = std::invoke_result_t<Body>;
  if constexpr (std::is_void_v<R>) {
    body();
    return Py_NewRef(Py_None);
  } else {
    return into_object(body());
  }
}

}  // namespace qzr::py
