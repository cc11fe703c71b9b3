// qzr_frame_testmod: a test-only extension module built from the frame with the toy classes of
// toy_classes.hpp, a few helper functions for the tests (among them add_toy_functions, which
// registers the toy Function rows into a given module), and RawToy for the benchmark.
//
// The same library also exports PyInit_qzr_frame_testmod_broken, a second module whose build
// fails on the Broken class. Both entries go through module_entry, which keeps one root per
// library: the broken module must be imported in a fresh process before qzr_frame_testmod
// (tests/python/test_frame.py does so in a subprocess).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "raw_toy.hpp"
#include "toy_classes.hpp"

namespace qzr::frametest {

namespace {

// ---- helper functions -----------------------------------------------------------------------

// The refusal of load_arguments: keeps the error for the caller (the helpers name no parameter),
// where an entry's refusals raise it or answer NotImplemented.
struct KeepError {
  using Raw = std::optional<py::PyErr>;
  static Raw result(py::PyErr&& error) { return std::move(error); }
  static Raw argument(py::PyErr&& error, const std::string_view*) { return std::move(error); }
};

// Converts one object per argument of `arguments` in parameter order; the first failure is returned.
template <class Pack>
py::PyResult<void> load_arguments(Pack& arguments, PyObject* const* objects) {
  std::optional<py::PyErr> error;
  if (!arguments.template load_or_refuse<KeepError>(objects, nullptr, error))
    return py::fail(std::move(*error));
  return {};
}

template <auto Body>
PyObject* no_arguments(PyObject*, PyObject*) noexcept {
  return py::guarded_object([]() -> py::PyResult<py::Ref> { return py::call_into_py(Body); });
}

template <auto Body>
PyObject* two_arguments(PyObject*, PyObject* const* args, Py_ssize_t count) noexcept {
  return py::guarded_object([&]() -> py::PyResult<py::Ref> {
    if (count != 2) return py::fail(py::PyErr::type_error("expected 2 arguments"));
    py::BodyArguments<Body, 0> arguments;
    if (auto loaded = load_arguments(arguments, args); !loaded) return py::fail(std::move(loaded.error()));
    return py::call_into_py([&] { return arguments.apply(Body); });
  });
}

template <auto Body>
PyObject* one_argument(PyObject*, PyObject* argument) noexcept {
  return py::guarded_object([&]() -> py::PyResult<py::Ref> {
    py::BodyArguments<Body, 0> arguments;
    if (auto loaded = load_arguments(arguments, &argument); !loaded)
      return py::fail(std::move(loaded.error()));
    return py::call_into_py([&] { return arguments.apply(Body); });
  });
}

OpaqueValue make_opaque(std::string text) { return OpaqueValue{std::move(text)}; }
ScratchValue make_scratch(std::int64_t number) { return ScratchValue{ToyValue(number, "scratch", {})}; }
// Needs Broken's type object, which cannot be built: the frame faults.
BrokenValue make_broken() { return BrokenValue{1}; }

// add_class of the toy class named `name` into `module` (any object with attributes).
py::PyResult<void> add_class_named(py::Object module, std::string name) {
  if (name == "Unit") return py::add_class<UnitValue>(module.ptr);
  if (name == "Broken") return py::add_class<BrokenValue>(module.ptr);
  if (name == "Flaky") return py::add_class<FlakyValue>(module.ptr);
  if (name == "BadAttribute") return py::add_class<BadAttributeValue>(module.ptr);
  if (name == "DuplicateName") return py::add_class<DuplicateNameValue>(module.ptr);
  if (name == "DuplicateSlot") return py::add_class<DuplicateSlotValue>(module.ptr);
  return py::fail(py::PyErr::value_error("no toy class " + name));
}
py::PyResult<void> add_submodule(py::Object parent, py::Object child) {
  return py::add_submodule(parent.ptr, child.ptr);
}
py::PyResult<void> add_function(py::Object module, py::Object function) {
  return py::add_function(module.ptr, function.ptr);
}
void set_flaky_attributes_fail(bool fail) { flaky_attributes_fail = fail; }

// Sets the borrow flag of an instance of any frame class (0 free, n > 0 shared borrows, -1
// exclusive) and returns the flag it had, so that a test can hold a borrow the way a call in
// progress would. The flag follows the object header at the same offset for every class; the
// caller passes an instance of a frame class and puts the old flag back.
py::PyResult<std::int64_t> swap_borrow_flag(py::Object instance, std::int64_t flag) {
  constexpr std::size_t offset = offsetof(py::Instance<ToyValue>, borrow_flag);
  static_assert(offset == offsetof(py::Instance<PointValue>, borrow_flag));
  if (static_cast<std::size_t>(Py_TYPE(instance.ptr)->tp_basicsize) < offset + sizeof(Py_ssize_t)) {
    return py::fail(py::PyErr::value_error("not an instance of a frame class"));
  }
  Py_ssize_t* slot = reinterpret_cast<Py_ssize_t*>(reinterpret_cast<char*>(instance.ptr) + offset);
  const std::int64_t previous = *slot;
  *slot = static_cast<Py_ssize_t>(flag);
  return previous;
}
py::Object panic_exception() { return py::Object{py::panic_exception_type()}; }

// "a=1 b=None": which arguments arrived at the module function toy_options.
std::string toy_options(std::int64_t a, std::optional<std::int64_t> b) {
  return "a=" + std::to_string(a) + " b=" + optional_text(b);
}

// The toy module functions, registered into `module` (any module object) in this order: a Function
// row with parameters, and one without that returns a Toy. The test module's own rows are its
// classes alone.
py::PyResult<void> add_toy_functions(py::Object module) {
  if (auto added = py::Function<"toy_options", &toy_options, "a", "b=None">::add_to(module.ptr); !added)
    return added;
  return py::Function<"default_toy", &default_toy>::add_to(module.ptr);
}

template <auto Function>
PyCFunction c_function() {
  return reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(Function));
}

PyMethodDef functions[] = {
    {"live_toy_values", c_function<&no_arguments<live_toy_values>>(), METH_NOARGS,
     "live_toy_values()\n--\n\nThe number of live toy values (constructed minus destroyed)."},
    {"make_opaque", c_function<&one_argument<make_opaque>>(), METH_O, nullptr},
    {"make_scratch", c_function<&one_argument<make_scratch>>(), METH_O, nullptr},
    {"make_broken", c_function<&no_arguments<make_broken>>(), METH_NOARGS, nullptr},
    {"add_class_named", c_function<&two_arguments<add_class_named>>(), METH_FASTCALL, nullptr},
    {"add_submodule", c_function<&two_arguments<add_submodule>>(), METH_FASTCALL, nullptr},
    {"add_function", c_function<&two_arguments<add_function>>(), METH_FASTCALL, nullptr},
    {"add_toy_functions", c_function<&one_argument<add_toy_functions>>(), METH_O, nullptr},
    {"set_flaky_attributes_fail", c_function<&one_argument<set_flaky_attributes_fail>>(), METH_O, nullptr},
    {"panic_exception", c_function<&no_arguments<panic_exception>>(), METH_NOARGS, nullptr},
    {"swap_borrow_flag", c_function<&two_arguments<swap_borrow_flag>>(), METH_FASTCALL, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

// ---- qzr_frame_testmod ----------------------------------------------------------------------

// A row of the tree is any type with `static PyResult<void> add_to(PyObject* module)`: the
// hand-written RawToy type is registered by one of its own.
struct RawToyRow {
  static py::PyResult<void> add_to(PyObject* module) {
    py::Ref type = py::Ref::steal(raw_toy_type());
    if (!type) return py::fail(py::PyErr::fetch());
    return py::add(module, "RawToy", type.get());
  }
};

using Testmod =
    py::RootModule<"qzr_frame_testmod", "Toy classes for testing the Python frame.", py::Class<ToyValue>,
                   py::Class<PointValue>, py::Class<ColorValue>, py::Class<UnitValue>,
                   py::Class<ConversionsValue>, py::Class<OpaqueValue>, py::Class<ScratchValue>,
                   py::Class<ShadeValue>, py::Class<LevelValue>, RawToyRow>;

// ---- qzr_frame_testmod_broken ---------------------------------------------------------------

// Enters a submodule in sys.modules, then fails on Broken: the entry stays, nothing is cached.
using BrokenTestmod =
    py::RootModule<"qzr_frame_testmod_broken", "", py::Module<"before">, py::Class<BrokenValue>>;

}  // namespace

}  // namespace qzr::frametest

namespace qzr::py {

void ClassDef<frametest::ShadeValue>::add_members(TypeBuilder& builder) {
  Members<EnumMembers<frametest::ShadeValue>>::add_to<frametest::ShadeValue>(builder);
}

void ClassDef<frametest::LevelValue>::add_members(TypeBuilder& builder) {
  Members<NumberConstructor<"value">, EnumMembers<frametest::LevelValue, std::uint8_t>,
          NumbersByName<"discriminants">>::add_to<frametest::LevelValue>(builder);
}

}  // namespace qzr::py

extern "C" __attribute__((visibility("default"))) PyObject* PyInit_qzr_frame_testmod() {
  return qzr::frametest::Testmod::entry(qzr::frametest::functions);
}

extern "C" __attribute__((visibility("default"))) PyObject* PyInit_qzr_frame_testmod_broken() {
  return qzr::frametest::BrokenTestmod::entry();
}
