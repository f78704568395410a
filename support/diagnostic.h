// Refusals and faults as values. The reader, the assembly, the composition
// plan and the merge hand back a diagnostic instead of ending the process;
// only a driver prints it and turns it into an exit status.
#pragma once

#include <string>
#include <utility>

namespace tessaro {

struct diagnostic {
  std::string file;    // the input it concerns; empty when none
  long line = 0;       // 1-based line in that file; 0 when none applies
  std::string signal;  // the signal it is about; empty when none
  std::string text;    // the message, without file, line or line end
  int status = 1;      // the exit status a driver gives it
  // A fixed text is printed exactly as `text`, never with file and line.
  bool fixed_text = false;
};

// The line a driver writes for `d`, without its line end: "file:line: text",
// "file: text" without a line, or the text alone when it is fixed or names
// no file.
inline std::string diagnostic_line(const diagnostic& d) {
  if (d.fixed_text || d.file.empty()) return d.text;
  std::string out = d.file;
  if (d.line > 0) {
    out += ':';
    out += std::to_string(d.line);
  }
  out += ": ";
  out += d.text;
  return out;
}

// A refusal about `signal` of `file` with the text `text`.
inline diagnostic refusal(std::string file, long line, std::string signal, std::string text) {
  diagnostic d;
  d.file = std::move(file);
  d.line = line;
  d.signal = std::move(signal);
  d.text = std::move(text);
  return d;
}

// Success, or the diagnostic of what went wrong.
class outcome {
 public:
  outcome() = default;
  outcome(diagnostic d) : failed_(true), error_(std::move(d)) {}  // NOLINT: implicit on purpose

  bool ok() const { return !failed_; }
  explicit operator bool() const { return ok(); }
  const diagnostic& error() const { return error_; }

 private:
  bool failed_ = false;
  diagnostic error_;
};

}  // namespace tessaro
