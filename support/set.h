// Ordered set of integers kept as a singly linked list in ascending order,
// without duplicates, with an optional name, and its ascending cursor.
#pragma once

#include <cstdlib>
#include <iostream>
#include <string>

namespace tessaro {

template <class T>
class scanset;

template <class T>
class set {
 public:
  set() = default;
  explicit set(const std::string& name) : name_(name) {}
  set(const set& other) : name_(other.name_) { copy_from(other); }
  set& operator=(const set& other) {
    if (this != &other) {
      clear();
      name_ = other.name_;
      copy_from(other);
    }
    return *this;
  }
  ~set() { clear(); }

  // Inserts `value` in order; a value already present is ignored. Values
  // arriving in ascending order are appended in constant time.
  void add(T value) {
    if (tail_ && tail_->value < value) {
      tail_->next = new cell{value, nullptr};
      tail_ = tail_->next;
      ++count_;
      return;
    }
    cell** link = &head_;
    while (*link && (*link)->value < value)
      link = &(*link)->next;
    if (*link && (*link)->value == value) return;
    *link = new cell{value, *link};
    if (!(*link)->next) tail_ = *link;
    ++count_;
  }
  // Removes `value` when present.
  void sup(T value) {
    cell* before = nullptr;
    cell* at = head_;
    while (at && at->value < value) {
      before = at;
      at = at->next;
    }
    if (!at || at->value != value) return;
    (before ? before->next : head_) = at->next;
    if (at == tail_) tail_ = before;
    delete at;
    --count_;
  }
  bool item_in(T value) const {
    if (!tail_ || tail_->value < value) return false;
    for (cell* c = head_; c && c->value <= value; c = c->next)
      if (c->value == value) return true;
    return false;
  }
  long card() const { return count_; }
  // The i-th smallest element, counting from 1; 0 when i is out of range.
  T item_ident(long i) const {
    if (i < 1) return T(0);
    for (cell* c = head_; c; c = c->next)
      if (--i == 0) return c->value;
    return T(0);
  }
  void clear() {
    while (head_) {
      cell* dead = head_;
      head_ = head_->next;
      delete dead;
    }
    tail_ = nullptr;
    count_ = 0;
  }
  const std::string& name() const { return name_; }

  // Text form: optional "name= ", then "{a, b, c}".
  friend std::ostream& operator<<(std::ostream& out, const set& s) {
    if (!s.name_.empty()) out << s.name_ << "= ";
    out << "{";
    for (cell* c = s.head_; c; c = c->next) {
      if (c != s.head_) out << ", ";
      out << c->value;
    }
    return out << "}";
  }

 private:
  friend class scanset<T>;
  struct cell {
    T value;
    cell* next;
  };

  void copy_from(const set& other) {
    cell** tail = &head_;
    for (cell* c = other.head_; c; c = c->next) {
      *tail = new cell{c->value, nullptr};
      tail_ = *tail;
      tail = &(*tail)->next;
    }
    count_ = other.count_;
  }

  std::string name_;
  cell* head_ = nullptr;
  cell* tail_ = nullptr;  // last cell, for appends in ascending order
  long count_ = 0;
};

// Cursor over a set in ascending order. The set must outlive the cursor and
// must not change while it is walked.
template <class T>
class scanset {
 public:
  explicit scanset(const set<T>& s) : set_(&s), at_(s.head_) {}

  // Back to the smallest element.
  void first_item() { at_ = set_->head_; }
  // True once the cursor has stepped past the largest element.
  bool last_item() const { return at_ == nullptr; }
  // Steps to the next element; stepping past the end only writes a message.
  void next_item() {
    if (!at_) {
      std::cerr << "ERREUR: mauvaise application des methodes next_item() et last_item()\n";
      std::cerr.flush();
      return;
    }
    at_ = at_->next;
  }
  // Current element; reading past the end ends the process with status 1.
  T item() const {
    if (!at_) {
      std::cerr << "ERREUR: il n'y a plus d'element \n"
                << "   ou vous utilisez mal first_item() \n";
      std::cerr.flush();
      std::exit(1);
    }
    return at_->value;
  }

 private:
  const set<T>* set_;
  typename set<T>::cell* at_;
};

}  // namespace tessaro
