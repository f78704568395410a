// Command line of tessaro-merge.
#include "driver/merge_options.h"

#include <cstring>

namespace {

const char kHelp[] =
    "usage: tessaro-merge [options] A.blif B.blif\n"
    "\n"
    "Merges the two sequential models of A.blif and B.blif into one, wired by\n"
    "signal name: an input of one named like an output of the other is driven\n"
    "by it. State variables and internal signals take the prefix inst0_ (A) or\n"
    "inst1_ (B); inputs of one name in both are one input, outputs defined in\n"
    "both are their or. Every name is written as the files write it, and every\n"
    "cover is rebuilt from prime implicants.\n"
    "\n"
    "options:\n"
    "  -o FILE          write the merged model to FILE (- for standard output);\n"
    "                   default <a>_<b>.blif in the working directory, where a and\n"
    "                   b are the input file names without folders and .blif\n"
    "  --model NAME     name of the merged model (default <a>_<b>)\n"
    "  --connections    list the connections, one per line, as\n"
    "                   <b>.<input> <- <a>.<output> (the driven input first); on\n"
    "                   standard output, or standard error with -o -\n"
    "  --trace FILE     write the composition trace to FILE and the parse log of\n"
    "                   both files to FILE.log (the trace and log tessaro writes)\n"
    "  -q, --quiet      no warnings (errors are always written)\n"
    "  -h, --help       this help\n"
    "  --version        the version\n"
    "\n"
    "accepted: general BLIF as SIS, ABC, Yosys and the benchmark suites write it:\n"
    "  .model with any name; several .inputs and .outputs lines; lines continued\n"
    "  with a backslash; names of any non-blank bytes; # comments; CRLF line\n"
    "  ends; no .end; .latch with a type (fe re ah al as) and control, initial\n"
    "  value 0, 1, 2 or 3 (2, 3 and none start at 0, with one warning per file);\n"
    "  .names with ON rows or OFF rows, constants with or without rows; .conn\n"
    "  (a buffer); .subckt of models of the same file, flattened under the\n"
    "  names label/signal (label: the .cname, or model@k); Yosys flip-flop cells\n"
    "  ($ff, $dff, $_DFF_P_, $_DFFE_PP_, $_SDFF_PN0_, ...) as latches, initial\n"
    "  value from their init attribute, else 0 (counted in the warning); timing\n"
    "  and attribute directives (.wire_load_slope, .input_arrival, .area,\n"
    "  .cname, .attr, .param, ...) ignored; .exdc skipped with a warning; signals\n"
    "  used but never driven reported once and read as undriven.\n"
    "\n"
    "refused (exit status 1, one line on standard error naming the file, the\n"
    "line where one applies, and the signal): .gate of a cell other than a Yosys\n"
    "flip-flop, and .mlatch (they need a cell library), a signal with two\n"
    "drivers, a table mixing ON and OFF rows, a row that does not fit its table,\n"
    "a merged name that would denote two signals, a wire that would drive\n"
    "itself, a cover of more than 2000000 products, and any file that cannot be\n"
    "read or written. A function with more than 50000 prime implicants gets an\n"
    "irredundant cover of primes instead of the essential-first one, with a\n"
    "warning naming the signal.\n"
    "\n"
    "exit status: 0 success, 1 refusal or fault.\n";

const char kVersion[] = "tessaro-merge 0.0.3\n";

// The value of an option: the rest of "--name=value", or the next argument.
bool option_value(int argc, char** argv, int& i, const char* name, std::string& value,
                  std::string& error) {
  const char* arg = argv[i];
  const std::size_t n = std::strlen(name);
  if (arg[n] == '=') {
    value = arg + n + 1;
  } else if (i + 1 < argc) {
    value = argv[++i];
  } else {
    error = std::string("option ") + name + " needs a value";
    return false;
  }
  if (value.empty()) {
    error = std::string("option ") + name + " needs a value";
    return false;
  }
  return true;
}

bool is_option(const char* arg, const char* name) {
  const std::size_t n = std::strlen(name);
  return std::strncmp(arg, name, n) == 0 && (arg[n] == '\0' || arg[n] == '=');
}

bool has_blank(const std::string& s) {
  for (unsigned char c : s)
    if (c <= ' ' || c == 0x7f) return true;
  return false;
}

}  // namespace

std::string file_stem(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::string ext = ".blif";
  if (name.size() > ext.size() && name.compare(name.size() - ext.size(), ext.size(), ext) == 0)
    name.resize(name.size() - ext.size());
  return name;
}

bool parse_merge_options(int argc, char** argv, merge_options& options, std::string& error) {
  std::string files[2];
  int nb_files = 0;
  bool only_files = false;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    std::string file;
    if (only_files || arg[0] != '-' || arg[1] == '\0') {
      file = arg;
    } else if (std::strcmp(arg, "--") == 0) {
      only_files = true;
      continue;
    } else if (std::strcmp(arg, "-h") == 0 || std::strcmp(arg, "--help") == 0) {
      options.help = true;
      return true;
    } else if (std::strcmp(arg, "--version") == 0) {
      options.version = true;
      return true;
    } else if (std::strcmp(arg, "-q") == 0 || std::strcmp(arg, "--quiet") == 0) {
      options.quiet = true;
      continue;
    } else if (std::strcmp(arg, "--connections") == 0) {
      options.connections = true;
      continue;
    } else if (std::strcmp(arg, "-o") == 0) {
      if (!option_value(argc, argv, i, "-o", options.output, error)) return false;
      continue;
    } else if (is_option(arg, "--model")) {
      if (!option_value(argc, argv, i, "--model", options.model, error)) return false;
      continue;
    } else if (is_option(arg, "--trace")) {
      if (!option_value(argc, argv, i, "--trace", options.trace, error)) return false;
      continue;
    } else {
      error = std::string("unknown option ") + arg;
      return false;
    }
    if (nb_files == 2) {
      error = "more than two input files (" + file + ")";
      return false;
    }
    files[nb_files++] = file;
  }
  if (nb_files < 2) {
    error = nb_files == 0 ? "missing input files A.blif B.blif" : "missing second input file";
    return false;
  }
  options.first = files[0];
  options.second = files[1];
  const std::string stems = file_stem(options.first) + "_" + file_stem(options.second);
  if (options.output.empty()) options.output = stems + ".blif";
  if (options.model.empty()) options.model = stems;
  if (has_blank(options.model)) {
    error = "model name \"" + options.model + "\" holds a blank or a control byte (see --model)";
    return false;
  }
  return true;
}

const char* merge_help_text() {
  return kHelp;
}

const char* merge_version_text() {
  return kVersion;
}
