#include "blif/general_reader.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "blif/flat_model_check.h"
#include "blif/general_models.h"

namespace tessaro {

namespace {

void add_count_warnings(const flat_model& m, const flatten_counts& c,
                        std::vector<diagnostic>& warnings) {
  const long unknown = c.unknown_latch_inits + c.unknown_cell_inits;
  if (unknown > 0) {
    warnings.push_back(
        warning(m.file, c.first_unknown_line, "",
                std::to_string(unknown) + " latch initial values are unknown and read as 0: " +
                    std::to_string(c.unknown_latch_inits) + " latches of value 2, 3 or none, " +
                    std::to_string(c.unknown_cell_inits) + " Yosys flip-flops without init"));
  }
  if (c.asynchronous > 0) {
    warnings.push_back(warning(m.file, c.first_asynchronous_line, "",
                               std::to_string(c.asynchronous) +
                                   " Yosys flip-flops with an asynchronous reset or set are read "
                                   "as clocked ones whose output is forced while it is active"));
  }
}

}  // namespace

outcome read_general_blif(std::string_view text, const std::string& file, flat_model& out,
                          std::vector<diagnostic>& warnings, const flatten_limits& limits) {
  out = flat_model();
  // A byte order mark some editors put first is no part of the text.
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.remove_prefix(3);
  def_file defs;
  outcome o = read_definitions(text, file, defs, warnings);
  if (!o) return o;
  flatten_counts counts;
  o = flatten_top(defs, out, counts, limits);
  if (!o) return o;
  add_count_warnings(out, counts, warnings);
  return check_flat_model(out, warnings);
}

outcome read_whole_file(const std::string& path, std::string& text) {
  text.clear();
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
    return refusal(path, 0, "", "cannot open the file for reading");
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!f) return refusal(path, 0, "", "cannot open the file for reading");
  if (S_ISREG(st.st_mode) && st.st_size > 0) text.reserve(static_cast<std::size_t>(st.st_size));
  char buffer[1 << 16];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f.get())) > 0)
    text.append(buffer, n);
  if (std::ferror(f.get()))
    return refusal(path, 0, "", std::string("cannot read the file: ") + std::strerror(errno));
  return outcome();
}

outcome read_general_blif_file(const std::string& path, flat_model& out,
                               std::vector<diagnostic>& warnings, const flatten_limits& limits) {
  std::string text;
  outcome o = read_whole_file(path, text);
  if (!o) return o;
  return read_general_blif(text, path, out, warnings, limits);
}

}  // namespace tessaro
