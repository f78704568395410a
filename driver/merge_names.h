// The names tessaro-merge shows: the composition works on encoded names
// (blif/name_encoding.h), while refusals, the connection list and the
// merged model name every signal as its file writes it.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "automaton/b_automaton.h"
#include "automaton/composition_plan.h"
#include "support/diagnostic.h"

// The name `encoded` stands for; `encoded` itself when it is no encoding.
std::string shown_name(const std::string& encoded);

// Plans the merge of `a` (instance 0, read from file_a) and `b` as tessaro
// does, into `plan`. The same plan is first made over the decoded names:
// its refusals are those of the plan (encoding is injective) except for
// names that meet only once decoded (`inst0_` + `_x` and an input
// `inst0__x`), and they name the signals as the files write them. On
// success `shown[k]` is the name to write for the merged variable k;
// `shown` stays empty when every name is written as the plan has it.
tessaro::outcome plan_shown_merge(const b_automaton& a, const std::string& file_a,
                                  const b_automaton& b, const std::string& file_b,
                                  composition_plan& plan, std::vector<std::string>& shown);

// Renames the variables of `merged`, built from `plan`, to `shown`.
tessaro::outcome show_names(b_automaton& merged, const composition_plan& plan,
                            const std::vector<std::string>& shown);

// One line per connector, "<to>.<input> <- <from>.<output>", with the tags
// of the two files (`tag_a` for a, `tag_b` for b); "(no connections)" when
// there is none.
void print_connection_names(std::ostream& out, const std::vector<b_automaton_connector>& connectors,
                            const b_automaton& a, const std::string& tag_a, const b_automaton& b,
                            const std::string& tag_b);

// A refusal about encoded names told with the names the files write.
tessaro::diagnostic shown_refusal(tessaro::diagnostic d);
