// Signature introspection for member bodies.
#pragma once

#include <cstddef>
#include <tuple>
#include <type_traits>

namespace qzr::py {

template <class F>
struct FunctionTraits;

template <class R, class... A>
struct FunctionTraits<R (*)(A...)> {
  using Result = R;
  using Arguments = std::tuple<A...>;
  static constexpr std::size_t arity = sizeof...(A);
};

template <auto Body>
using BodyTraits = FunctionTraits<decltype(Body)>;

template <auto Body, std::size_t I>
using BodyArgument = std::tuple_element_t<I, typename BodyTraits<Body>::Arguments>;

// The argument types of a body after dropping the first `Skip` (the receiver).
template <std::size_t Skip, class Tuple,
          class Seq = std::make_index_sequence<std::tuple_size_v<Tuple> - Skip>>
struct DropFront;
template <std::size_t Skip, class Tuple, std::size_t... I>
struct DropFront<Skip, Tuple, std::index_sequence<I...>> {
  using type = std::tuple<std::tuple_element_t<I + Skip, Tuple>...>;
};

template <class T>
struct IsOptional : std::false_type {};
template <class T>
struct IsOptional<std::optional<T>> : std::true_type {};

}  // namespace qzr::py
