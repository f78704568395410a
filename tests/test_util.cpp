#include "tests/test_util.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace testutil {

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string templ = std::string(base && *base ? base : "/tmp") + "/tessaro-test-XXXXXX";
  std::vector<char> buf(templ.begin(), templ.end());
  buf.push_back('\0');
  if (mkdtemp(buf.data()) == nullptr) std::abort();
  path_ = buf.data();
}

TempDir::~TempDir() {
  std::string cmd = "rm -rf '" + path_ + "'";
  if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "cannot remove %s\n", path_.c_str());
}

void TempDir::write(const std::string& name, const std::string& text) const {
  write_file(file(name), text);
}
std::string TempDir::read(const std::string& name) const {
  return read_file(file(name));
}
bool TempDir::exists(const std::string& name) const {
  return file_exists(file(name));
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void write_file(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

bool file_exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

static std::string slurp_fd(int fd) {
  std::string s;
  char buf[65536];
  ::lseek(fd, 0, SEEK_SET);
  ssize_t n;
  while ((n = ::read(fd, buf, sizeof buf)) > 0)
    s.append(buf, static_cast<size_t>(n));
  return s;
}

RunResult run(const std::string& dir, const std::string& program,
              const std::vector<std::string>& args, unsigned long long address_space,
              unsigned long long stack) {
  RunResult r;
  FILE* out = std::tmpfile();
  FILE* err = std::tmpfile();
  if (!out || !err) std::abort();
  pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(dir.c_str()) != 0) _exit(126);
    if (address_space != 0) {
      struct rlimit limit = {address_space, address_space};
      if (::setrlimit(RLIMIT_AS, &limit) != 0) _exit(125);
    }
    if (stack != 0) {
      struct rlimit limit;
      if (::getrlimit(RLIMIT_STACK, &limit) != 0) _exit(125);
      limit.rlim_cur = stack;
      if (::setrlimit(RLIMIT_STACK, &limit) != 0) _exit(125);
    }
    int devnull = ::open("/dev/null", O_RDONLY);
    ::dup2(devnull, 0);
    ::dup2(fileno(out), 1);
    ::dup2(fileno(err), 2);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : args)
      argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    _exit(127);
  }
  int wstatus = 0;
  ::waitpid(pid, &wstatus, 0);
  if (WIFEXITED(wstatus))
    r.status = WEXITSTATUS(wstatus);
  else if (WIFSIGNALED(wstatus))
    r.status = 128 + WTERMSIG(wstatus);
  r.out = slurp_fd(fileno(out));
  r.err = slurp_fd(fileno(err));
  std::fclose(out);
  std::fclose(err);
  return r;
}

RunResult run_tessaro(const std::string& dir, const std::vector<std::string>& args) {
  return run(dir, TESSARO_BINARY, args);
}

RunResult run_tessaro_limited(const std::string& dir, const std::vector<std::string>& args,
                              unsigned long long bytes, unsigned long long stack) {
  return run(dir, TESSARO_BINARY, args, bytes, stack);
}

bool built_with_asan() {
#if defined(__SANITIZE_ADDRESS__)
  return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
  return true;
#else
  return false;
#endif
#else
  return false;
#endif
}

RunResult run_tessaro_merge(const std::string& dir, const std::vector<std::string>& args) {
  return run(dir, TESSARO_MERGE_BINARY, args);
}

std::string benchmarks_dir() {
  std::string d = std::string(TESSARO_SOURCE_DIR) + "/../shared/benchmarks";
  return file_exists(d) ? d : std::string();
}

}  // namespace testutil
