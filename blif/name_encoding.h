// The names of general BLIF as identifiers of the subset the core reads
// (letters, digits and underscores, not starting with a digit), through an
// encoding that is injective and reversible:
//   - an identifier without two underscores in a row is its own encoding;
//   - every other name (any byte string, the empty one included) is
//     written as `__` followed by its bytes, a letter or digit as itself,
//     `_` as `__`, and any other byte as `_` and its two hexadecimal digits
//     in lower case: `v6.3` is `__v6_2e3`, `a[0]` is `__a_5b0_5d`, `a__b`
//     is `__a____b`.
// So the identifiers the encoding changes are exactly those holding `__`;
// encodings that start with `__` are the changed names, the others are
// names kept as they are, and no two names meet.
//
// The composition puts `inst0_` or `inst1_` before the names of state
// variables and locals; the result is decoded per signal by whoever knows
// its prefix (display_name). Because kept names hold no `__` and changed
// ones start with it, two composed names meet exactly when their display
// names meet, except that a display name made of a prefix and a name that
// starts with `_` can meet a kept name holding `__` (`inst0_` + `_x` and
// `inst0__x`); find_display_clash tells such pairs.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "blif/flat_model.h"

namespace tessaro {

// True for letters, digits and underscores, not starting with a digit.
bool is_subset_identifier(std::string_view name);

// True when `name` is its own encoding.
bool encoding_keeps(std::string_view name);

std::string encode_name(std::string_view name);

// The name whose encoding is `encoded`; false when `encoded` is the
// encoding of no name.
bool decode_name(std::string_view encoded, std::string& name);

// The name a user reads for the composed signal `prefix` + `encoded`: the
// prefix followed by the decoded name; false when `encoded` decodes to none.
bool display_name(std::string_view prefix, std::string_view encoded, std::string& out);

// Looks for two entries (prefix, encoded name) of `signals` whose display
// names are equal (an entry that does not decode shows as prefix + encoded
// name); true with their positions, `first` < `second`, for the first such
// `second`.
bool find_display_clash(const std::vector<std::pair<std::string, std::string>>& signals,
                        std::size_t& first, std::size_t& second);

// The model with every name (model name included) encoded.
flat_model encode_model(const flat_model& model);
// Encodes every name of `model` in place.
void encode_names(flat_model& model);

}  // namespace tessaro
