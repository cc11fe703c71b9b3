// Instances of the module's classes: the cell layout, the construction marker, the type check,
// the shared and exclusive borrows (RAII guards, so every way out of a body restores the flag)
// and the making of new instances, in cells kept for reuse where the class keeps them.
#pragma once

#include <cstddef>
#include <new>
#include <type_traits>
#include <utility>

#include "python/frame/error.hpp"

namespace qzr::py {
class TypeBuilder;
}

namespace qzr::py {

// Every class is described once by a specialisation of ClassDef<V> for its value type V:
//   static constexpr const char* name, doc;  (the Python name, written only here)
//   static constexpr bool frozen;            true: the value never changes once constructed, so
//                                            the class counts no borrows (taking a shared one
//                                            costs nothing, and nothing can conflict with it) and
//                                            takes no exclusive borrow (a member whose body takes
//                                            `V&`, or ExclusiveMethod, does not compile)
//   static void add_members(TypeBuilder&);   `Members<...>::add_to<V>(builder)` (members.hpp),
//                                            defined in a .cpp file (see below)
// Optional, for small values made and dropped at a high rate (see CellTraits):
//   static constexpr std::size_t free_cells = N;  keep up to N freed cells for reuse
//   static constexpr bool caches_hash = true;     keep the hash in the instance
// The constructor's text signature comes from its Constructor member's parameter list. A family
// of classes shares its traits through a base and its members through one member pack
// (enumerations: EnumClassDef<V> and EnumMembers<V> in frame/enum_class.hpp).
//
// add_members faults as the TypeBuilder calls it makes do (a member name or slot declared twice, a
// NUL byte in a docstring): a broken declaration, found when the type object is first built. It
// is never defined in a header: the binding files share a precompiled header, so a definition
// there would be compiled in every one of them. Where it is defined:
//   - by each class, in its .cpp file, listing the family's pack and its own members, where the
//     family's classes are spread over several files or most have members of their own (the
//     enumerations, the state records, the keys);
//   - once for the family, where its classes share one .cpp file and nearly all take one list
//     (the intents, the sequencer records): the base declares add_members, that file defines it
//     and explicitly instantiates it for the classes that take the list as it is. A class with
//     members of its own redeclares add_members and defines it there; the family's definition is
//     not instantiated for it.
//
// No class can be subclassed (its type object is built without Py_TPFLAGS_BASETYPE,
// type_object.cpp), so every instance is of the class's own type object.
template <class V>
struct ClassDef;

template <class V>
concept PyClass = requires {
  { ClassDef<V>::name } -> std::convertible_to<const char*>;
};

// The optional cell traits of a class, with their defaults.
template <PyClass V>
struct CellTraits {
  // How many freed cells are kept for reuse (0: none). A kept cell holds no value and no
  // reference to the type. Cells are kept and reused once the type object is published
  // (exact_type_object); an instance freed before, while the class attributes are made, is freed.
  static constexpr std::size_t free_cells = [] {
    if constexpr (requires { ClassDef<V>::free_cells; }) {
      return std::size_t{ClassDef<V>::free_cells};
    } else {
      return std::size_t{0};
    }
  }();
  // Whether the instance keeps its hash once computed; taking an exclusive borrow forgets it.
  static constexpr bool caches_hash = [] {
    if constexpr (requires { ClassDef<V>::caches_hash; }) {
      return bool{ClassDef<V>::caches_hash};
    } else {
      return false;
    }
  }();
};

struct NoCachedHash {};
// The value of a cached hash slot that holds no hash (no hash is ever -1).
inline constexpr Py_hash_t no_cached_hash = -1;

// The object header, then the borrow flag (0 free, n > 0 shared borrows, -1 exclusive), the
// marker set once the value was constructed by the frame, the cached hash of a class that keeps
// one, and the value. An instance made by a replaced __new__ without the frame has the marker
// clear: it fails the type check and its deallocation destroys nothing.
template <class V>
struct Instance {
  PyObject_HEAD;
  Py_ssize_t borrow_flag;
  bool constructed;
  [[no_unique_address]] std::conditional_t<CellTraits<V>::caches_hash, Py_hash_t, NoCachedHash> cached_hash;
  alignas(V) unsigned char storage[sizeof(V)];

  V& value() { return *std::launder(reinterpret_cast<V*>(storage)); }
  // Builds the value `make()` returns in place (a prvalue is not copied).
  template <class Make>
  [[gnu::always_inline]] void construct_with(Make&& make) {
    new (storage) V(make());
    borrow_flag = 0;
    constructed = true;
    forget_hash();
  }
  void forget_hash() {
    if constexpr (CellTraits<V>::caches_hash) cached_hash = no_cached_hash;
  }
};

template <class V>
Instance<V>* instance_of(PyObject* object) {
  return reinterpret_cast<Instance<V>*>(object);
}

// The class's type object, built on first need. A failure is printed and becomes a fault.
template <PyClass V>
PyTypeObject* class_type_object();
// The same, returning the failure as RuntimeError "An error occurred while initializing class X".
template <PyClass V>
PyResult<PyTypeObject*> try_class_type_object();

// The class's type object once it is published (built, and its class attributes made), null
// before: one load for the exact-type checks.
template <PyClass V>
inline PyTypeObject* exact_type_object = nullptr;

// True for an instance of the class's published type object that the frame built.
template <PyClass V>
[[gnu::always_inline]] inline bool is_exact_instance(PyObject* object) {
  return Py_TYPE(object) == exact_type_object<V> && instance_of<V>(object)->constructed;
}

// The rest of is_instance, for an object whose type is not the published type object: builds the
// type when needed (an instance made while the class attributes are made has the type before it
// is published) and compares again. Since no class can be subclassed, the subtype test accepts
// only the class's own type.
template <PyClass V>
[[gnu::noinline]] bool is_instance_of_subtype(PyObject* object) {
  PyTypeObject* type = class_type_object<V>();
  if (Py_TYPE(object) != type && !PyType_IsSubtype(Py_TYPE(object), type)) return false;
  return instance_of<V>(object)->constructed;
}

template <PyClass V>
[[gnu::always_inline]] inline bool is_instance(PyObject* object) {
  if (Py_TYPE(object) == exact_type_object<V>) [[likely]]
    return instance_of<V>(object)->constructed;
  return is_instance_of_subtype<V>(object);
}

// The errors of the type check and the borrows, kept out of the callers' hot paths.
template <PyClass V>
[[gnu::cold, gnu::noinline]] PyErr cannot_convert_to(PyObject* object) {
  return PyErr::cannot_convert(object, ClassDef<V>::name);
}
[[gnu::cold, gnu::noinline]] inline PyErr already_mutably_borrowed() {
  return PyErr::runtime_error("Already mutably borrowed");
}
[[gnu::cold, gnu::noinline]] inline PyErr already_borrowed() {
  return PyErr::runtime_error("Already borrowed");
}

// The borrow a member takes on its receiver, held by HeldBorrow for the call.
enum class BorrowMode { Shared, Exclusive };

// What is known of an object before a borrow of it is taken: nothing; that its type is the
// class's (the interpreter checks the receiver of a method, a property or a slot against the type
// that holds it before calling it); or that it passed is_instance<V>.
enum class Known { Nothing, OfType, Instance };

// is_instance<V> for an object of which `known` is known.
template <PyClass V, Known known>
[[gnu::always_inline]] inline bool is_instance_given(PyObject* object) {
  if constexpr (known == Known::Nothing) {
    return is_instance<V>(object);
  } else if constexpr (known == Known::OfType) {
    return instance_of<V>(object)->constructed;
  } else {
    return true;
  }
}

// Whether the value of an object of which `known` is known may be read: it is an instance and
// not exclusively borrowed. Read in place without taking a borrow (as the in-place comparisons
// do) only while no Python code can run: nothing can then see or change the borrow flag, so a
// shared borrow would be unobservable.
template <PyClass V, Known known>
[[gnu::always_inline]] inline bool readable_in_place(PyObject* object) {
  if (!is_instance_given<V, known>(object)) return false;
  if constexpr (!ClassDef<V>::frozen) {
    if (instance_of<V>(object)->borrow_flag == -1) [[unlikely]]
      return false;
  }
  return true;
}

// Takes a borrow of `object`'s value, or gives null (and builds no error) when `object` is not
// an instance or the borrow conflicts with one held; borrow_refusal then tells which. Taking an
// exclusive borrow forgets a cached hash, since the value may change.
template <PyClass V, BorrowMode mode, Known known = Known::Nothing>
[[gnu::always_inline]] inline Instance<V>* try_borrow(PyObject* object) {
  if constexpr (mode == BorrowMode::Shared) {
    if (!readable_in_place<V, known>(object)) [[unlikely]]
      return nullptr;
    if constexpr (!ClassDef<V>::frozen) ++instance_of<V>(object)->borrow_flag;
  } else {
    static_assert(!ClassDef<V>::frozen, "frozen classes are never borrowed exclusively");
    if (!is_instance_given<V, known>(object)) [[unlikely]]
      return nullptr;
    if (instance_of<V>(object)->borrow_flag != 0) [[unlikely]]
      return nullptr;
    instance_of<V>(object)->borrow_flag = -1;
    instance_of<V>(object)->forget_hash();
  }
  return instance_of<V>(object);
}

// Undoes a borrow taken by try_borrow.
template <PyClass V, BorrowMode mode>
[[gnu::always_inline]] inline void release_borrow(Instance<V>* instance) {
  if constexpr (mode == BorrowMode::Exclusive) {
    instance->borrow_flag = 0;
  } else if constexpr (!ClassDef<V>::frozen) {
    --instance->borrow_flag;
  }
}

// Why try_borrow refused `object`: its conversion TypeError, or the borrow conflict.
template <PyClass V, BorrowMode mode>
[[gnu::cold, gnu::noinline]] PyErr borrow_refusal(PyObject* object) {
  if (!is_instance<V>(object)) return cannot_convert_to<V>(object);
  return mode == BorrowMode::Shared ? already_mutably_borrowed() : already_borrowed();
}

// A borrow taken by try_borrow, released when the holder ends.
template <PyClass V, BorrowMode mode>
class HeldBorrow {
 public:
  explicit HeldBorrow(Instance<V>* instance) : m_instance(instance) {}
  HeldBorrow(const HeldBorrow&) = delete;
  HeldBorrow& operator=(const HeldBorrow&) = delete;
  ~HeldBorrow() { release_borrow<V, mode>(m_instance); }
  V& get() const requires(mode == BorrowMode::Exclusive) { return m_instance->value(); }
  const V& get() const requires(mode == BorrowMode::Shared) { return m_instance->value(); }

 private:
  Instance<V>* m_instance;
};

// A shared borrow that can be moved and can hold none: what an argument keeps for the call.
template <PyClass V>
class SharedBorrow {
 public:
  [[gnu::always_inline]] static PyResult<SharedBorrow> take(PyObject* object) {
    Instance<V>* instance = try_borrow<V, BorrowMode::Shared>(object);
    if (instance == nullptr) [[unlikely]]
      return fail(borrow_refusal<V, BorrowMode::Shared>(object));
    return SharedBorrow(instance);
  }
  // Holds no borrow: what a nullable parameter keeps for None.
  static SharedBorrow none() { return SharedBorrow(nullptr); }
  SharedBorrow(SharedBorrow&& other) noexcept : m_instance(std::exchange(other.m_instance, nullptr)) {}
  SharedBorrow& operator=(SharedBorrow&&) = delete;
  ~SharedBorrow() {
    if (m_instance) release_borrow<V, BorrowMode::Shared>(m_instance);
  }
  const V& get() const { return m_instance->value(); }
  // Null for none().
  const V* get_if() const { return m_instance ? &m_instance->value() : nullptr; }

 private:
  explicit SharedBorrow(Instance<V>* instance) : m_instance(instance) {}
  Instance<V>* m_instance = nullptr;
};

// The value of an exact instance read in place (see readable_in_place), or null when `object`
// is not an exact instance or is exclusively borrowed.
template <PyClass V>
[[gnu::always_inline]] inline const V* peek_exact_value(PyObject* object) {
  if (!is_exact_instance<V>(object) || !readable_in_place<V, Known::Instance>(object)) return nullptr;
  return &instance_of<V>(object)->value();
}

// An independent copy of an instance's value (refused while it is exclusively borrowed).
template <PyClass V>
PyResult<V> extract_clone(PyObject* object) {
  if (!readable_in_place<V, Known::Nothing>(object)) [[unlikely]]
    return fail(borrow_refusal<V, BorrowMode::Shared>(object));
  return V(instance_of<V>(object)->value());
}

// Freed cells of the class's instances, kept for reuse (see CellTraits::free_cells).
// Touched only under the interpreter lock. Kept cells are never handed back to the allocator:
// like the type objects, at most free_cells of them stay allocated for the process.
template <PyClass V>
struct FreeCells {
  static constexpr std::size_t capacity = CellTraits<V>::free_cells;
  static inline PyObject* cells[capacity > 0 ? capacity : 1];
  static inline std::size_t count = 0;

  // Keeps the cell of a deallocated exact instance, whose value is already destroyed; false
  // when the list is full.
  static bool keep(PyObject* cell) {
    if (count == capacity) return false;
    cells[count++] = cell;
    return true;
  }
  // A kept cell made a new reference of `type` (the class's own), or null when none is kept.
  static PyObject* reuse(PyTypeObject* type) {
    if (count == 0) return nullptr;
    // Sets the type (adding the reference a heap type's instance holds) and the reference count.
    return PyObject_Init(cells[--count], type);
  }
};

// A new instance of `type` (the class's type object: the published one, or the one whose class
// attributes are being made) holding the value `make()` returns, built in place; or the
// interpreter's error when allocation fails.
template <PyClass V, class Make>
[[gnu::always_inline]] inline PyResult<Ref> new_instance_made_by(PyTypeObject* type, Make&& make) {
  PyObject* cell = nullptr;
  if constexpr (CellTraits<V>::free_cells > 0) {
    if (type == exact_type_object<V>) cell = FreeCells<V>::reuse(type);
  }
  if (cell == nullptr) {
    allocfunc allocate = type->tp_alloc ? type->tp_alloc : PyType_GenericAlloc;
    cell = allocate(type, 0);
    if (cell == nullptr) [[unlikely]]
      return fail(PyErr::fetch());
  }
  Ref object = Ref::steal(cell);  // a fault in make() deallocates the cell, which holds no value
  instance_of<V>(cell)->construct_with(std::forward<Make>(make));
  return object;
}

template <PyClass V>
[[gnu::always_inline]] inline PyResult<Ref> new_instance_of_type(PyTypeObject* type, V&& value) {
  // NOLINTNEXTLINE(bugprone-move-forwarding-reference): a PyClass is no reference type, so V&& is an rvalue
  return new_instance_made_by<V>(type, [&]() -> V&& { return std::move(value); });
}

}  // namespace qzr::py
