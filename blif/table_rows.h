// The rows of one ".names" table in a single flat array of cells, with the
// end of each row: a table of many short rows costs two growing arrays, not
// one allocation per row. Each cell is 0, 1 or 2 (for "-").
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

class table_rows {
 public:
  // A view of one row's cells, valid until the rows change.
  class row {
   public:
    row(const std::uint8_t* begin, std::size_t size) : begin_(begin), size_(size) {}
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    int operator[](std::size_t i) const { return begin_[i]; }
    const std::uint8_t* begin() const { return begin_; }
    const std::uint8_t* end() const { return begin_ + size_; }

   private:
    const std::uint8_t* begin_;
    std::size_t size_;
  };

  table_rows() = default;
  // Rows given one vector each.
  table_rows(std::initializer_list<std::vector<int>> rows) {
    for (const std::vector<int>& r : rows)
      push_row(r);
  }
  table_rows(const std::vector<std::vector<int>>& rows) {  // NOLINT: converts
    for (const std::vector<int>& r : rows)
      push_row(r);
  }

  std::size_t size() const { return ends_.size(); }
  bool empty() const { return ends_.empty(); }
  // Cells of all rows together.
  std::size_t cell_count() const { return cells_.size(); }
  row operator[](std::size_t i) const {
    const std::size_t begin = i == 0 ? 0 : ends_[i - 1];
    return row(cells_.data() + begin, ends_[i] - begin);
  }

  // Opens a new, empty last row; push adds cells to it.
  void start_row() { ends_.push_back(cells_.size()); }
  // Appends `value` (0, 1 or 2) to the last row, which must exist.
  void push(int value) {
    cells_.push_back(static_cast<std::uint8_t>(value));
    ends_.back() = cells_.size();
  }
  void push_row(const std::vector<int>& values) {
    start_row();
    for (int v : values)
      push(v);
  }
  void reserve(std::size_t rows, std::size_t cells) {
    ends_.reserve(rows);
    cells_.reserve(cells);
  }
  void clear() {
    ends_.clear();
    cells_.clear();
  }

  // The rows as one vector each.
  std::vector<std::vector<int>> to_vectors() const {
    std::vector<std::vector<int>> out;
    out.reserve(size());
    for (std::size_t i = 0; i < size(); ++i) {
      const row r = (*this)[i];
      out.emplace_back(r.begin(), r.end());
    }
    return out;
  }

 private:
  std::vector<std::uint8_t> cells_;
  std::vector<std::size_t> ends_;  // one past the last cell of each row
};
