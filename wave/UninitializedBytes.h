#pragma once

#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

namespace kvetro {

// An allocator whose elements made without a value are left as they come
// (default-initialised), not zeroed: for buffers that are always written
// before they are read, so that a megabyte is not cleared for nothing.
template <class T>
class TDefaultInitAllocator : public std::allocator<T> {
 public:
  template <class U>
  struct rebind {
    using other = TDefaultInitAllocator<U>;
  };

  TDefaultInitAllocator() = default;
  template <class U>
  TDefaultInitAllocator(const TDefaultInitAllocator<U>&) noexcept {}

  template <class U>
  void construct(U* Place) noexcept(std::is_nothrow_default_constructible_v<U>) {
    ::new (static_cast<void*>(Place)) U;
  }
  template <class U, class... Args>
  void construct(U* Place, Args&&... Values) {
    ::new (static_cast<void*>(Place)) U(std::forward<Args>(Values)...);
  }
};

// Bytes of a write buffer: sized once, filled before they go out.
using TUninitializedBytes = std::vector<std::uint8_t, TDefaultInitAllocator<std::uint8_t>>;

}  // namespace kvetro
