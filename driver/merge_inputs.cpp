// Reading the inputs of tessaro-merge.
#include "driver/merge_inputs.h"

#include <sstream>

#include "blif/blif_assembly.h"
#include "blif/canonical_text.h"
#include "blif/flat_model_record.h"
#include "blif/general_reader.h"
#include "blif/name_encoding.h"
#include "support/activity.h"
#include "support/end_of_run.h"

logged_parse::logged_parse(std::fstream& log)
    : log_(log), lexer_(std::make_unique<blifFlexLexer>(nullptr, nullptr)) {
  parser_.lexer = lexer_.get();
}

tessaro::outcome logged_parse::parse(const std::string& text, const std::string& file,
                                     std::unique_ptr<b_automaton>& automaton) {
  std::istringstream in(text);
  lexer_->yyrestart(&in);
  parser_.file_name = file;
  const int status = parser_.parse(log_, 1);
  automaton.reset(parser_.automaton);
  parser_.automaton = nullptr;
  if (status == 0) return {};
  if (status == 3) return parser_.refusal();
  return tessaro::refusal(file, 0, "",
                          "internal error: the subset text of the model does not parse");
}

tessaro::outcome read_merge_input(const std::string& path, logged_parse* logged,
                                  std::unique_ptr<b_automaton>& automaton,
                                  std::vector<tessaro::diagnostic>& warnings) {
  tessaro::set_activity("file", path);
  tessaro::flat_model model;
  tessaro::outcome read = tessaro::read_general_blif_file(path, model, warnings);
  if (read) {
    tessaro::encode_names(model);
    if (logged != nullptr) {
      std::string text;
      read = tessaro::write_canonical_text(model, text);
      if (read) read = logged->parse(text, path, automaton);
    } else {
      // The record is left to the end of the run, as the automata are.
      auto record = std::make_unique<blif_model>(tessaro::to_blif_model(std::move(model)));
      read = assemble_checked_automaton(*record, automaton);
      tessaro::release_at_end_of_run(record);
    }
  }
  tessaro::clear_activity();
  return read;
}
