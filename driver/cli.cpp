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
#include "support/activity.h"
#include "support/checked_output.h"
#include "support/end_of_run.h"
#include "support/out_of_memory.h"

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
              const std::string& in2_name, const tessaro::checked_ofstream& out,
              const tessaro::checked_ofstream& log) {
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
    std::cerr << "cannot create output file " << out.name() << std::endl;
    ok = false;
  }
  if (!log.is_open()) {
    std::cerr << "cannot create log file " << log.name() << std::endl;
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
                           std::ostream& log, parsed_model& model) {
  tessaro::set_activity("file", in_name);
  the_scanner->yyrestart(&in);
  parser.file_name = in_name;
  const int status = parser.parse(log, 1);
  model.automaton.reset(parser.automaton);
  parser.automaton = nullptr;
  tessaro::clear_activity();
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
                    std::ostream& out, std::ostream& log) {
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
  tessaro::checked_ofstream out("output file", out_name);
  tessaro::checked_ofstream log("log file", log_name);

  // Lines reach the output and the log through their buffers; a fatal error
  // ending the process on the way still finds them written, and reports a
  // file that could not be written.
  tessaro::check_at_exit(out);
  tessaro::check_at_exit(log);
  int status = 1;
  if (all_open(in1, in1_name, in2, in2_name, out, log))
    status = parse_and_merge(name1, in1, in1_name, name2, in2, in2_name, out, log);
  tessaro::forget_check_at_exit(out);
  tessaro::forget_check_at_exit(log);
  in1.close();
  in2.close();
  // Nothing written may be lost without a word: a file not written whole
  // fails the run.
  log.close();
  out.close();
  const bool out_failed = out.report_failure();
  const bool log_failed = log.report_failure();
  if ((out_failed || log_failed) && status == 0) status = 1;
  return status;
}

}  // namespace

int tessaro_main(int argc, char** argv) {
  tessaro::stop_when_out_of_memory();
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
