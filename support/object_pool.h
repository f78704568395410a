// Objects of one type made in blocks of many and destroyed together with the
// pool: one allocation for a whole block instead of one for each object, and
// neighbours in memory for objects made one after the other.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace tessaro {

template <class T, std::size_t kBlock = 256>
class object_pool {
 public:
  object_pool() = default;
  object_pool(const object_pool&) = delete;
  object_pool& operator=(const object_pool&) = delete;
  // Destroys every object made, in the order they were made.
  ~object_pool() {
    for (std::size_t b = 0; b < blocks_.size(); ++b) {
      const std::size_t count = b + 1 == blocks_.size() ? used_ : kBlock;
      for (std::size_t i = 0; i < count; ++i)
        std::launder(reinterpret_cast<T*>(blocks_[b][i].bytes))->~T();
    }
  }

  // A new object, built from `args`; it lives as long as the pool.
  template <class... Args>
  T* make(Args&&... args) {
    if (blocks_.empty() || used_ == kBlock) {
      // Raw room: each slot is built when its object is made, not cleared first.
      blocks_.push_back(std::unique_ptr<slot[]>(new slot[kBlock]));
      used_ = 0;
    }
    T* object = new (blocks_.back()[used_].bytes) T(std::forward<Args>(args)...);
    ++used_;
    return object;
  }

 private:
  struct slot {
    alignas(T) unsigned char bytes[sizeof(T)];
  };
  std::vector<std::unique_ptr<slot[]>> blocks_;
  std::size_t used_ = 0;  // objects made in the last block
};

}  // namespace tessaro
