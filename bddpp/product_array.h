// Arrays of kBddppMaxProducts handles, borrowed from a pool and given back
// on destruction, so that the sum-of-products code does not allocate (and
// the system does not clear) large arrays for every function.
#pragma once

#include <memory>
#include <vector>

#include "bddpp/bddpp_manager.h"

class product_array {
 public:
  product_array() {
    if (pool().empty()) {
      data_.reset(new bdd[kBddppMaxProducts + 1]);
    } else {
      data_ = std::move(pool().back());
      pool().pop_back();
    }
  }
  ~product_array() { pool().push_back(std::move(data_)); }
  product_array(const product_array&) = delete;
  product_array& operator=(const product_array&) = delete;

  // Room for kBddppMaxProducts + 1 handles, not initialised.
  bdd* get() { return data_.get(); }
  bdd& operator[](int i) { return data_[i]; }
  bdd operator[](int i) const { return data_[i]; }

 private:
  static std::vector<std::unique_ptr<bdd[]>>& pool() {
    static std::vector<std::unique_ptr<bdd[]>> arrays;
    return arrays;
  }
  std::unique_ptr<bdd[]> data_;
};
