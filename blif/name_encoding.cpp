#include "blif/name_encoding.h"

#include <unordered_map>

namespace tessaro {

namespace {

bool is_letter(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool is_digit(unsigned char c) {
  return c >= '0' && c <= '9';
}
int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;  // upper case is no encoding's output
}

constexpr char kHex[] = "0123456789abcdef";

}  // namespace

bool is_subset_identifier(std::string_view name) {
  if (name.empty() || is_digit(static_cast<unsigned char>(name[0]))) return false;
  for (char ch : name) {
    const auto c = static_cast<unsigned char>(ch);
    if (!is_letter(c) && !is_digit(c) && c != '_') return false;
  }
  return true;
}

bool encoding_keeps(std::string_view name) {
  return is_subset_identifier(name) && name.find("__") == std::string_view::npos;
}

std::string encode_name(std::string_view name) {
  if (encoding_keeps(name)) return std::string(name);
  std::string out = "__";
  out.reserve(2 + name.size() * 3);
  for (char ch : name) {
    const auto c = static_cast<unsigned char>(ch);
    if (is_letter(c) || is_digit(c)) {
      out += ch;
    } else if (c == '_') {
      out += "__";
    } else {
      out += '_';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

bool decode_name(std::string_view encoded, std::string& name) {
  name.clear();
  if (encoded.size() < 2 || encoded[0] != '_' || encoded[1] != '_') {
    if (!encoding_keeps(encoded)) return false;
    name.assign(encoded);
    return true;
  }
  name.reserve(encoded.size());
  for (std::size_t i = 2; i < encoded.size();) {
    const auto c = static_cast<unsigned char>(encoded[i]);
    if (is_letter(c) || is_digit(c)) {
      name += encoded[i++];
      continue;
    }
    if (c != '_' || i + 1 >= encoded.size()) return false;
    if (encoded[i + 1] == '_') {
      name += '_';
      i += 2;
      continue;
    }
    if (i + 2 >= encoded.size()) return false;
    const int hi = hex_value(encoded[i + 1]), lo = hex_value(encoded[i + 2]);
    if (hi < 0 || lo < 0) return false;
    const auto byte = static_cast<unsigned char>(hi * 16 + lo);
    // Letters, digits and underscores are never written in hexadecimal.
    if (is_letter(byte) || is_digit(byte) || byte == '_') return false;
    name += static_cast<char>(byte);
    i += 3;
  }
  // A name the encoding keeps is never written in the long form.
  if (encoding_keeps(name)) return false;
  return true;
}

bool display_name(std::string_view prefix, std::string_view encoded, std::string& out) {
  std::string name;
  if (!decode_name(encoded, name)) return false;
  out.assign(prefix);
  out += name;
  return true;
}

bool find_display_clash(const std::vector<std::pair<std::string, std::string>>& signals,
                        std::size_t& first, std::size_t& second) {
  std::unordered_map<std::string, std::size_t> seen;
  seen.reserve(signals.size());
  std::string shown;
  for (std::size_t i = 0; i < signals.size(); ++i) {
    if (!display_name(signals[i].first, signals[i].second, shown))
      shown = signals[i].first + signals[i].second;
    auto it = seen.emplace(shown, i);
    if (!it.second) {
      first = it.first->second;
      second = i;
      return true;
    }
  }
  return false;
}

void encode_names(flat_model& model) {
  auto encode = [](std::string& n) {
    if (!encoding_keeps(n)) n = encode_name(n);
  };
  encode(model.name);
  for (std::string& n : model.inputs)
    encode(n);
  for (std::string& n : model.outputs)
    encode(n);
  for (flat_latch& l : model.latches) {
    encode(l.input);
    encode(l.output);
  }
  for (flat_table& t : model.tables)
    for (std::string& n : t.names)
      encode(n);
}

flat_model encode_model(const flat_model& model) {
  flat_model out = model;
  encode_names(out);
  return out;
}

}  // namespace tessaro
