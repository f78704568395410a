# The general BLIF reader, the name encoding and the subset writer: new
# code beside the subset parser, with no dependence on it; and the adapter
# of the flat record to the assembly's model record.
add_library(tessaro_general_blif STATIC
  ${CMAKE_CURRENT_LIST_DIR}/canonical_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/flat_model_check.cpp
  ${CMAKE_CURRENT_LIST_DIR}/flat_model_record.cpp
  ${CMAKE_CURRENT_LIST_DIR}/general_flatten.cpp
  ${CMAKE_CURRENT_LIST_DIR}/general_lines.cpp
  ${CMAKE_CURRENT_LIST_DIR}/general_models.cpp
  ${CMAKE_CURRENT_LIST_DIR}/general_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/name_encoding.cpp
  ${CMAKE_CURRENT_LIST_DIR}/yosys_cells.cpp
)
target_link_libraries(tessaro_general_blif PUBLIC tessaro_support)
