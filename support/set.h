// Ordered set of integers kept ascending and without duplicates, with an
// optional name, and its ascending cursor. The elements sit in one sorted
// array: values arriving in ascending order are appended in constant time,
// membership is a binary search and the i-th element is read directly.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "support/text.h"

namespace tessaro {

template <class T>
class scanset;

template <class T>
class set {
 public:
  set() = default;
  explicit set(const std::string& name)
      : name_(name.empty() ? nullptr : std::make_unique<std::string>(name)) {}
  set(const set& other)
      : name_(other.name_ ? std::make_unique<std::string>(*other.name_) : nullptr),
        items_(other.items_) {}
  set(set&& other) noexcept = default;
  set& operator=(const set& other) {
    if (this != &other) {
      name_ = other.name_ ? std::make_unique<std::string>(*other.name_) : nullptr;
      items_ = other.items_;
    }
    return *this;
  }
  set& operator=(set&& other) noexcept = default;
  ~set() = default;

  // Inserts `value` in order; a value already present is ignored.
  void add(T value) {
    if (items_.empty() || items_.back() < value) {
      items_.push_back(value);
      return;
    }
    auto at = std::lower_bound(items_.begin(), items_.end(), value);
    if (*at == value) return;
    items_.insert(at, value);
  }
  // Removes `value` when present.
  void sup(T value) {
    auto at = std::lower_bound(items_.begin(), items_.end(), value);
    if (at != items_.end() && *at == value) items_.erase(at);
  }
  bool item_in(T value) const { return std::binary_search(items_.begin(), items_.end(), value); }
  long card() const { return static_cast<long>(items_.size()); }
  // The i-th smallest element, counting from 1; 0 when i is out of range.
  T item_ident(long i) const {
    if (i < 1 || i > card()) return T(0);
    return items_[static_cast<std::size_t>(i - 1)];
  }
  void clear() { items_.clear(); }
  // Replaces the elements by `sorted`, ascending and without duplicates.
  void assign_sorted(const std::vector<T>& sorted) { items_.assign(sorted.begin(), sorted.end()); }
  // Whether the elements are exactly `sorted`.
  bool same_as(const std::vector<T>& sorted) const { return items_ == sorted; }
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
  // Appends the text form to `text`.
  void append_text(std::string& text) const {
    if (name_) {
      text += *name_;
      text += "= ";
    }
    text += '{';
    for (std::size_t i = 0; i < items_.size(); ++i) {
      if (i > 0) text += ", ";
      append_number(text, static_cast<long>(items_[i]));
    }
    text += '}';
  }

 private:
  friend class scanset<T>;

  // Most sets have no name: it is kept apart to keep them small.
  std::unique_ptr<std::string> name_;
  std::vector<T> items_;
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
  bool last_item() const { return at_ >= set_->items_.size(); }
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
    return set_->items_[at_];
  }

 private:
  const set<T>* set_;
  std::size_t at_ = 0;
};

}  // namespace tessaro
