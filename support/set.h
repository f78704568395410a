// Ordered set of integers kept ascending and without duplicates, with an
// optional name, and its ascending cursor. The elements sit in one sorted
// array, held in the set itself up to two elements: values arriving in
// ascending order are appended in constant time, membership is a binary
// search and the i-th element is read directly.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "support/text.h"

namespace tessaro {

template <class T>
class scanset;

template <class T>
class set {
  static_assert(std::is_trivially_copyable<T>::value, "set elements are copied as bytes");

 public:
  set() = default;
  explicit set(const std::string& name)
      : name_(name.empty() ? nullptr : std::make_unique<std::string>(name)) {}
  set(const set& other)
      : name_(other.name_ ? std::make_unique<std::string>(*other.name_) : nullptr) {
    copy_items(other);
  }
  set(set&& other) noexcept : name_(std::move(other.name_)) { steal_items(other); }
  set& operator=(const set& other) {
    if (this != &other) {
      name_ = other.name_ ? std::make_unique<std::string>(*other.name_) : nullptr;
      size_ = 0;
      copy_items(other);
    }
    return *this;
  }
  set& operator=(set&& other) noexcept {
    if (this != &other) {
      name_ = std::move(other.name_);
      release();
      steal_items(other);
    }
    return *this;
  }
  ~set() { release(); }

  // Inserts `value` in order; a value already present is ignored.
  void add(T value) {
    T* items = data();
    if (size_ == 0 || items[size_ - 1] < value) {
      if (size_ == capacity_) items = grow(2 * capacity_);
      items[size_++] = value;
      return;
    }
    T* at = std::lower_bound(items, items + size_, value);
    if (*at == value) return;
    const std::size_t pos = static_cast<std::size_t>(at - items);
    if (size_ == capacity_) items = grow(2 * capacity_);
    std::memmove(items + pos + 1, items + pos, (size_ - pos) * sizeof(T));
    items[pos] = value;
    ++size_;
  }
  // Removes `value` when present.
  void sup(T value) {
    T* items = data();
    T* at = std::lower_bound(items, items + size_, value);
    if (at == items + size_ || *at != value) return;
    std::memmove(at, at + 1, static_cast<std::size_t>(items + size_ - at - 1) * sizeof(T));
    --size_;
  }
  bool item_in(T value) const { return std::binary_search(data(), data() + size_, value); }
  long card() const { return static_cast<long>(size_); }
  // The i-th smallest element, counting from 1; 0 when i is out of range.
  T item_ident(long i) const {
    if (i < 1 || i > card()) return T(0);
    return data()[i - 1];
  }
  void clear() { size_ = 0; }
  // Replaces the elements by `sorted`, ascending and without duplicates.
  void assign_sorted(const std::vector<T>& sorted) {
    size_ = 0;
    T* items = sorted.size() > capacity_ ? grow(sorted.size()) : data();
    if (!sorted.empty()) std::memcpy(items, sorted.data(), sorted.size() * sizeof(T));
    size_ = static_cast<std::uint32_t>(sorted.size());
  }
  // Copies the elements, ascending, into `out`.
  void copy_to(std::vector<T>& out) const { out.assign(data(), data() + size_); }
  // Whether the elements are exactly `sorted`.
  bool same_as(const std::vector<T>& sorted) const {
    return sorted.size() == size_ && std::equal(sorted.begin(), sorted.end(), data());
  }
  const std::string& name() const {
    static const std::string no_name;
    return name_ ? *name_ : no_name;
  }

  // Text form: optional "name= ", then "{a, b, c}".
  friend std::ostream& operator<<(std::ostream& out, const set& s) {
    std::string text;
    s.append_text(text);
    return out << text;
  }
  // Appends the text form to `text`: a std::string, or any text with the
  // same append() and an append_number(text, long) of its own.
  template <class Text>
  void append_text(Text& text) const {
    if (name_) {
      text.append(*name_);
      text.append("= ");
    }
    text.append("{");
    const T* items = data();
    for (std::uint32_t i = 0; i < size_; ++i) {
      if (i > 0) text.append(", ");
      append_number(text, static_cast<long>(items[i]));
    }
    text.append("}");
  }

 private:
  friend class scanset<T>;

  // Most sets hold one or two elements: those sit in the set itself, and
  // only a larger set takes an array from the heap.
  static constexpr std::uint32_t kInline = 2;

  bool on_heap() const { return capacity_ > kInline; }
  T* data() { return on_heap() ? heap_ : inline_; }
  const T* data() const { return on_heap() ? heap_ : inline_; }
  // Room for at least `wanted` elements, the elements kept; returns them.
  T* grow(std::size_t wanted) {
    T* items = new T[wanted];
    if (size_ > 0) std::memcpy(items, data(), size_ * sizeof(T));
    release();
    heap_ = items;
    capacity_ = static_cast<std::uint32_t>(wanted);
    return items;
  }
  // Gives back the heap array; the set is inline (and its size unchanged).
  void release() {
    if (on_heap()) delete[] heap_;
    capacity_ = kInline;
  }
  // Copies the elements of `other` into this set, which is empty.
  void copy_items(const set& other) {
    T* items = other.size_ > capacity_ ? grow(other.size_) : data();
    if (other.size_ > 0) std::memcpy(items, other.data(), other.size_ * sizeof(T));
    size_ = other.size_;
  }
  // Takes the elements of `other`, which is left empty; this set is inline.
  void steal_items(set& other) {
    size_ = other.size_;
    capacity_ = other.capacity_;
    if (other.on_heap()) {
      heap_ = other.heap_;
    } else {
      std::memcpy(inline_, other.inline_, sizeof inline_);
    }
    other.size_ = 0;
    other.capacity_ = kInline;
  }

  // Most sets have no name: it is kept apart to keep them small.
  std::unique_ptr<std::string> name_;
  union {
    T inline_[kInline] = {};
    T* heap_;
  };
  std::uint32_t size_ = 0;
  std::uint32_t capacity_ = kInline;
};

// Cursor over a set in ascending order. The set must outlive the cursor and
// must not change while it is walked.
template <class T>
class scanset {
 public:
  explicit scanset(const set<T>& s) : set_(&s) {}

  // Back to the smallest element.
  void first_item() { at_ = 0; }
  // True once the cursor has stepped past the largest element.
  bool last_item() const { return at_ >= set_->size_; }
  // Steps to the next element; stepping past the end only writes a message.
  void next_item() {
    if (last_item()) {
      std::cerr << "ERREUR: mauvaise application des methodes next_item() et last_item()\n";
      std::cerr.flush();
      return;
    }
    ++at_;
  }
  // Current element; reading past the end ends the process with status 1.
  T item() const {
    if (last_item()) {
      std::cerr << "ERREUR: il n'y a plus d'element \n"
                << "   ou vous utilisez mal first_item() \n";
      std::cerr.flush();
      std::exit(1);
    }
    return set_->data()[at_];
  }

 private:
  const set<T>* set_;
  std::size_t at_ = 0;
};

}  // namespace tessaro
