// Shared test helpers: temporary directories, whole-file reads and writes,
// and running the tessaro and tessaro-merge binaries with their streams and
// status captured.
#pragma once

#include <string>
#include <vector>

namespace testutil {

// A fresh empty directory, removed with its contents on destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  void write(const std::string& name, const std::string& text) const;
  std::string read(const std::string& name) const;
  bool exists(const std::string& name) const;

 private:
  std::string path_;
};

struct RunResult {
  int status = -1;  // exit status, or 128 + signal number
  std::string out;
  std::string err;
};

// Runs `program` with `args` in `dir`, standard input empty; a non-zero
// `address_space` limits the child's address space (RLIMIT_AS) to that many
// bytes, a non-zero `stack` its stack (the soft RLIMIT_STACK, the hard limit
// left as it is).
RunResult run(const std::string& dir, const std::string& program,
              const std::vector<std::string>& args, unsigned long long address_space = 0,
              unsigned long long stack = 0);
// Runs the tessaro binary under test.
RunResult run_tessaro(const std::string& dir, const std::vector<std::string>& args);
// Runs the tessaro binary with its address space limited to `bytes`.
RunResult run_tessaro_limited(const std::string& dir, const std::vector<std::string>& args,
                              unsigned long long bytes, unsigned long long stack = 0);
// Whether this build runs under AddressSanitizer, which cannot start under
// an address-space limit and never calls the new handler.
bool built_with_asan();
// Runs the tessaro-merge binary under test.
RunResult run_tessaro_merge(const std::string& dir, const std::vector<std::string>& args);

// Whole file as bytes; empty when it cannot be read.
std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& text);
bool file_exists(const std::string& path);

// Folder of the public benchmark circuits, or empty when absent.
std::string benchmarks_dir();

}  // namespace testutil
