// The run of tessaro-merge.
#include "driver/merge_run.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "automaton/composition.h"
#include "automaton/merge.h"
#include "driver/merge_inputs.h"
#include "driver/merge_names.h"
#include "driver/merge_output.h"
#include "support/end_of_run.h"
#include "support/exit_flush.h"

namespace {

int report(const tessaro::diagnostic& d) {
  std::cerr << tessaro::diagnostic_line(d) << std::endl;
  return 1;
}

void warn(const std::vector<tessaro::diagnostic>& warnings, bool quiet) {
  if (quiet) return;
  for (const tessaro::diagnostic& w : warnings)
    std::cerr << tessaro::diagnostic_line(w) << '\n';
  std::cerr.flush();
}

// The trace and the log of --trace, open for the whole run.
struct trace_files {
  std::ofstream trace;
  std::fstream log;
  std::unique_ptr<logged_parse> parse;

  ~trace_files() {
    tessaro::forget_at_exit(trace);
    tessaro::forget_at_exit(log);
  }
  tessaro::outcome open(const std::string& name) {
    trace.open(name, std::ios::out | std::ios::trunc);
    if (tessaro::outcome o = check_created(trace, "trace", name); !o) return o;
    log.open(name + ".log", std::ios::out | std::ios::trunc);
    if (tessaro::outcome o = check_created(log, "log", name + ".log"); !o) return o;
    // A fatal error ending the process keeps what the trace holds so far.
    tessaro::flush_at_exit(trace);
    tessaro::flush_at_exit(log);
    parse = std::make_unique<logged_parse>(log);
    return {};
  }
  tessaro::outcome close(const std::string& name) {
    if (tessaro::outcome o = check_written(trace, "trace", name); !o) return o;
    return check_written(log, "log", name + ".log");
  }
};

// What the run builds; a plain build leaves it to the end of the process.
struct merge_automata {
  std::unique_ptr<b_automaton> first, second, merged;

  merge_automata() = default;
  merge_automata(const merge_automata&) = delete;
  merge_automata& operator=(const merge_automata&) = delete;
  ~merge_automata() {
    tessaro::release_at_end_of_run(merged);
    tessaro::release_at_end_of_run(second);
    tessaro::release_at_end_of_run(first);
  }
};

// The tags of both files in the connection list: their stems, told apart
// when they are the same.
void connection_tags(const merge_options& o, std::string& a, std::string& b) {
  a = file_stem(o.first);
  b = file_stem(o.second);
  if (a == b) {
    a += "#1";
    b += "#2";
  }
}

// Removes an output left incomplete, when it is a plain file of its own: a
// device (/dev/full), a pipe or a link the user made stays where it is.
void remove_incomplete(const std::string& name) {
  std::error_code ec;
  if (std::filesystem::symlink_status(name, ec).type() == std::filesystem::file_type::regular)
    std::filesystem::remove(name, ec);
}

// Writes the merged model into the output; removes an incomplete file.
int write_model(const merge_options& o, const b_automaton& merged) {
  const bool to_stdout = o.output == "-";
  const std::string shown_output = to_stdout ? "standard output" : o.output;
  std::ofstream file;
  if (!to_stdout) {
    file.open(o.output, std::ios::out | std::ios::trunc);
    if (tessaro::outcome opened = check_created(file, "output", o.output); !opened)
      return report(opened.error());
    tessaro::flush_at_exit(file);
  }
  std::ostream& out = to_stdout ? std::cout : file;
  std::vector<std::string> wide;
  tessaro::outcome written = merged.BLIF_put_wide(out, o.model, wide);
  std::vector<tessaro::diagnostic> warnings;
  for (const std::string& signal : wide)
    warnings.push_back(tessaro::refusal(
        shown_output, 0, signal,
        bddpp_manager::Wide_cover_message(bddpp_manager::wide_cover::irredundant, signal)));
  warn(warnings, o.quiet);
  if (written) written = check_written(out, "output", shown_output);
  if (!to_stdout) {
    tessaro::forget_at_exit(file);
    file.close();
    if (written && file.fail()) written = check_written(file, "output", o.output);
  }
  if (written) return 0;
  tessaro::diagnostic d = written.error();
  if (d.file.empty()) d.file = shown_output;
  if (!to_stdout) remove_incomplete(o.output);
  return report(d);
}

// The trace files are created before the inputs are read: neither may be
// one of them.
tessaro::outcome check_trace_names(const merge_options& o) {
  for (const std::string& name : {o.trace, o.trace + ".log"})
    for (const std::string* input : {&o.first, &o.second}) {
      std::error_code ec;
      if (std::filesystem::equivalent(name, *input, ec) && !ec) {
        tessaro::diagnostic d = tessaro::refusal(
            *input, 0, "", "the trace file " + name + " would overwrite the input file " + *input);
        d.fixed_text = true;
        return d;
      }
    }
  return {};
}

}  // namespace

int run_merge(const merge_options& o) {
  trace_files traced;
  if (!o.trace.empty()) {
    if (tessaro::outcome checked = check_trace_names(o); !checked) return report(checked.error());
    if (tessaro::outcome opened = traced.open(o.trace); !opened) return report(opened.error());
  }
  merge_automata built;
  for (const auto& [path, automaton] :
       {std::pair{&o.first, &built.first}, std::pair{&o.second, &built.second}}) {
    std::vector<tessaro::diagnostic> warnings;
    tessaro::outcome read = read_merge_input(*path, traced.parse.get(), *automaton, warnings);
    warn(warnings, o.quiet);
    if (!read) return report(shown_refusal(read.error()));
  }
  composition_plan plan;
  std::vector<std::string> shown;
  tessaro::outcome planned =
      plan_shown_merge(*built.first, o.first, *built.second, o.second, plan, shown);
  if (!planned) return report(planned.error());
  if (o.connections) {
    std::string tag_a, tag_b;
    connection_tags(o, tag_a, tag_b);
    print_connection_names(o.output == "-" ? std::cerr : std::cout, plan.connectors, *built.first,
                           tag_a, *built.second, tag_b);
  }
  built.merged = compose(plan, {built.first.get(), built.second.get()},
                         o.trace.empty() ? nullptr : &traced.trace);
  if (!o.trace.empty())
    if (tessaro::outcome closed = traced.close(o.trace); !closed) return report(closed.error());
  if (tessaro::outcome renamed = show_names(*built.merged, plan, shown); !renamed)
    return report(renamed.error());
  return write_model(o, *built.merged);
}

int tessaro_merge_main(int argc, char** argv) {
  merge_options options;
  std::string error;
  if (!parse_merge_options(argc, argv, options, error)) {
    std::cerr << "tessaro-merge: " << error << " (tessaro-merge --help lists the options)"
              << std::endl;
    return 1;
  }
  if (options.help) {
    std::cout << merge_help_text() << std::flush;
    return 0;
  }
  if (options.version) {
    std::cout << merge_version_text() << std::flush;
    return 0;
  }
  return run_merge(options);
}
