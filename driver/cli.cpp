#include "driver/cli.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#include "blif/blif_lexer.h"
#include "blif/blif_parser.h"
#include "driver/merge_stage.h"
#include "driver/refusal.h"
#include "support/end_of_run.h"
#include "support/exit_flush.h"

namespace {

const char* const kVersion = "0.0.3";

// The scanner lives until the process ends; kept here so it stays reachable.
blifFlexLexer* the_scanner = nullptr;

void print_help() {
  std::cout << std::endl
            << "        tessaro: merge two blif automata" << std::endl
            << "        author Kestrel, version " << kVersion << std::endl
            << std::endl
            << "   syntax:" << std::endl
            << std::endl
            << "         tessaro <filename1> <filename2>" << std::endl
            << std::endl
            << "         or tessaro -v" << std::endl
            << std::endl
            << "         or tessaro -h" << std::endl
            << std::endl
            << "   options:" << std::endl
            << std::endl
            << "      -h : this help" << std::endl
            << std::endl
            << "      -v : version" << std::endl
            << std::endl;
}

void print_version() {
  std::cout << "tessaro : version  " << kVersion << std::endl;
}

int usage_error() {
  std::cerr << "missing input filename in parameter !" << std::endl
            << "syntax :" << std::endl
            << std::endl
            << "   tessaro <filename1> <filename2>" << std::endl
            << std::endl
            << std::endl
            << "   or tessaro -v" << std::endl
            << std::endl
            << "   OU tessaro -h" << std::endl
            << std::endl;
  return 1;
}

// A directory opens for reading but cannot be read: it counts as not opened.
bool readable(const std::ifstream& in, const std::string& name) {
  std::error_code ec;
  return in.is_open() && !std::filesystem::is_directory(name, ec);
}

// Reports every file that could not be opened; true when all four are open.
bool all_open(const std::ifstream& in1, const std::string& in1_name, const std::ifstream& in2,
              const std::string& in2_name, const std::ofstream& out, const std::string& out_name,
              const std::fstream& log, const std::string& log_name) {
  bool ok = true;
  if (!readable(in1, in1_name)) {
    std::cerr << "cannot open input file " << in1_name << std::endl;
    ok = false;
  }
  if (!readable(in2, in2_name)) {
    std::cerr << "cannot open input file " << in2_name << std::endl;
    ok = false;
  }
  if (!out.is_open()) {
    std::cerr << "cannot create output file " << out_name << std::endl;
    ok = false;
  }
  if (!log.is_open()) {
    std::cerr << "cannot create log file " << log_name << std::endl;
    ok = false;
  }
  return ok;
}

// What one parse built; the run owns it until it ends.
struct parsed_model {
  std::unique_ptr<b_automaton> automaton;

  parsed_model() = default;
  parsed_model(const parsed_model&) = delete;
  parsed_model& operator=(const parsed_model&) = delete;
  ~parsed_model() { tessaro::release_at_end_of_run(automaton); }
};

// Reads one model from `in` into `model`; a syntax error (after the
// parser's message) or a refused model fails. Junk after ".end" fails a
// parse that has built its automaton already, so what was built is taken in
// every case.
tessaro::outcome parse_one(class_blif_parser& parser, std::ifstream& in, const std::string& in_name,
                           std::fstream& log, parsed_model& model) {
  the_scanner->yyrestart(&in);
  parser.file_name = in_name;
  const int status = parser.parse(log, 1);
  model.automaton.reset(parser.automaton);
  parser.automaton = nullptr;
  if (status == 0) return {};
  if (status == 3) return parser.refusal();
  tessaro::diagnostic syntax = tessaro::refusal(in_name, 0, "", "parsing error in file " + in_name);
  syntax.fixed_text = true;
  return syntax;
}

// Parses both inputs with one parser and one scanner, then merges the two
// automata into `out`; returns the exit status.
int parse_and_merge(const std::string& name1, std::ifstream& in1, const std::string& in1_name,
                    const std::string& name2, std::ifstream& in2, const std::string& in2_name,
                    std::ofstream& out, std::fstream& log) {
  class_blif_parser parser;
  the_scanner = new blifFlexLexer(&in1, nullptr);
  parser.lexer = the_scanner;
  parsed_model first, second;
  tessaro::outcome done = parse_one(parser, in1, in1_name, log, first);
  if (done) done = parse_one(parser, in2, in2_name, log, second);
  if (done)
    done = merge_and_write(*first.automaton, in1_name, *second.automaton, in2_name, out,
                           name1 + "_" + name2);
  return done ? 0 : report_refusal(done.error());
}

int run(const std::string& name1, const std::string& name2) {
  const std::string log_name = name1 + "_" + name2 + ".log";
  const std::string in1_name = name1 + ".blif";
  const std::string in2_name = name2 + ".blif";
  const std::string out_name = name1 + "_" + name2 + ".blif";

  std::cout << "parsing of " << in1_name << " and " << in2_name << std::endl;

  // All four are opened before anything is tested, so the output and the log
  // exist (empty) even when an input is missing.
  std::ifstream in1(in1_name);
  std::ifstream in2(in2_name);
  std::ofstream out(out_name, std::ios::out | std::ios::trunc);
  std::fstream log(log_name, std::ios::out | std::ios::trunc);

  // Lines reach the output and the log through their buffers; a fatal error
  // ending the process on the way still finds them written.
  tessaro::flush_at_exit(out);
  tessaro::flush_at_exit(log);
  int status = 1;
  if (all_open(in1, in1_name, in2, in2_name, out, out_name, log, log_name))
    status = parse_and_merge(name1, in1, in1_name, name2, in2, in2_name, out, log);
  tessaro::forget_at_exit(out);
  tessaro::forget_at_exit(log);
  in1.close();
  in2.close();
  log.close();
  return status;
}

}  // namespace

int tessaro_main(int argc, char** argv) {
  if (argc < 2) return usage_error();
  const std::string first = argv[1];
  if (first == "-h") {
    print_help();
    return 0;
  }
  if (first == "-v") {
    print_version();
    return 0;
  }
  if (argc < 3) return usage_error();
  return run(first, argv[2]);
}
