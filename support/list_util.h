// Helpers over std::list shared by the automaton and expression layers:
// position and membership tests, conversion to an array, and the list printer.
#pragma once

#include <cstddef>
#include <list>
#include <ostream>
#include <vector>

namespace tessaro {

// 1-based position of the first element equal to `value`, or 0.
template <class T, class U>
long item_where(const std::list<T>& list, const U& value) {
  long pos = 1;
  for (const T& item : list) {
    if (item == value) return pos;
    ++pos;
  }
  return 0;
}

template <class T, class U>
bool item_in(const std::list<T>& list, const U& value) {
  return item_where(list, value) != 0;
}

// Copies of the elements in list order.
template <class T>
std::vector<T> array_convert(const std::list<T>& list) {
  return std::vector<T>(list.begin(), list.end());
}

// Writes "(", the elements separated by ", ", then ")", flushing after each element.
template <class T>
std::ostream& print_list(std::ostream& out, const std::list<T>& list) {
  out << "(";
  bool first = true;
  for (const T& item : list) {
    if (!first) out << ", ";
    out << item;
    out.flush();
    first = false;
  }
  return out << ")";
}

}  // namespace tessaro
