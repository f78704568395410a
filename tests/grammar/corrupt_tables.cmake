# Writes OUT, a copy of the tables IN (blif/blif_grammar.cpp) with one entry
# changed: state 35 (prod: value_list . and value_list: value_list . value)
# goes on value to state 36 instead of 41. The grammar_tables_corrupted test
# expects the checker to name that state and that symbol.
set(from "{{nt::value, 41}}")
set(to "{{nt::value, 36}}")
file(READ "${IN}" text)
string(FIND "${text}" "${from}" first)
string(FIND "${text}" "${from}" last REVERSE)
if(first EQUAL -1 OR NOT first EQUAL last)
  message(FATAL_ERROR "tests/grammar/corrupt_tables.cmake: \"${from}\" is not in ${IN} exactly "
                      "once; choose another entry to change")
endif()
string(REPLACE "${from}" "${to}" text "${text}")
file(WRITE "${OUT}" "${text}")
