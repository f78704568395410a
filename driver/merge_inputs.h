// The two inputs of tessaro-merge read into automata: each file read as
// general BLIF (blif/general_reader.h), its names encoded as identifiers
// (blif/name_encoding.h), and its automaton assembled from the model
// record; or, when the parse log is asked for, assembled by the subset
// parser from the file's canonical text, which writes the log tessaro
// writes for the same model.
#pragma once

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "automaton/b_automaton.h"
#include "blif/blif_lexer.h"
#include "blif/blif_parser.h"
#include "support/diagnostic.h"

// The subset parser with its scanner and its log, for both inputs in turn.
class logged_parse {
 public:
  explicit logged_parse(std::fstream& log);
  logged_parse(const logged_parse&) = delete;
  logged_parse& operator=(const logged_parse&) = delete;

  // Parses `text` (the canonical text of `file`) with its trace into the log.
  tessaro::outcome parse(const std::string& text, const std::string& file,
                         std::unique_ptr<b_automaton>& automaton);

 private:
  std::fstream& log_;
  std::unique_ptr<blifFlexLexer> lexer_;  // outlives the parser that points to it
  class_blif_parser parser_;
};

// Reads the file at `path` into `automaton` (names encoded), through
// `logged` when it is not null. Warnings of the reader are appended to
// `warnings`.
tessaro::outcome read_merge_input(const std::string& path, logged_parse* logged,
                                  std::unique_ptr<b_automaton>& automaton,
                                  std::vector<tessaro::diagnostic>& warnings);
