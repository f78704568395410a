// Command line of tessaro-merge: its options, its help and version texts,
// and the names it derives from the two input files.
#pragma once

#include <string>

struct merge_options {
  std::string first;  // the two input files, as given
  std::string second;
  std::string output;        // "-" for standard output
  std::string model;         // the merged model's name
  std::string trace;         // empty: no trace and no log
  bool connections = false;  // list the connections
  bool quiet = false;        // no warnings
  bool help = false;
  bool version = false;
};

// Reads the arguments into `options`, filling in the default output and
// model names; false with a one-line reason in `error` for a command line
// it cannot run.
bool parse_merge_options(int argc, char** argv, merge_options& options, std::string& error);

// `path` without its folders and without a final ".blif".
std::string file_stem(const std::string& path);

// The full usage: what the command reads, writes, accepts and refuses.
const char* merge_help_text();
const char* merge_version_text();
