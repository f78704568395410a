// Replays fuzz inputs through a target's entry point without libFuzzer:
//   tessaro_replay_<target> PATH...
// Each file (a folder gives its files but hidden ones, in name order) runs in a child of its
// own, which ends through the real exit: the product's own exits (status 1
// or 2) and a normal end (status 0) pass, leak checks included; a signal,
// a sanitizer report (status 77) or any other status is a fault. The
// status is 0 when every input passed.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

extern "C" const char* __asan_default_options() {
  return "exitcode=77";
}
extern "C" const char* __ubsan_default_options() {
  return "exitcode=77:print_stacktrace=1";
}

namespace {

constexpr unsigned kSecondsPerInput = 60;

int run_child(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.eof() && in.fail()) return 3;
  alarm(kSecondsPerInput);
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  return 0;
}

// Runs one input in a child; true when it passed.
bool replay(const std::string& path) {
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child < 0) {
    std::perror("fork");
    return false;
  }
  if (child == 0) std::exit(run_child(path));
  int status = 0;
  if (waitpid(child, &status, 0) != child) return false;
  if (WIFEXITED(status) && WEXITSTATUS(status) <= 2) return true;
  if (WIFSIGNALED(status))
    std::fprintf(stderr, "%s: fault, signal %d\n", path.c_str(), WTERMSIG(status));
  else
    std::fprintf(stderr, "%s: fault, status %d\n", path.c_str(), WEXITSTATUS(status));
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    std::error_code ec;
    if (std::filesystem::is_directory(argv[i], ec)) {
      for (const auto& e : std::filesystem::recursive_directory_iterator(argv[i]))
        if (e.is_regular_file() && e.path().filename().string().rfind('.', 0) != 0)
          files.push_back(e.path().string());
    } else {
      files.push_back(argv[i]);
    }
  }
  std::sort(files.begin(), files.end());
  int faults = 0;
  for (const std::string& f : files)
    if (!replay(f)) ++faults;
  std::printf("%zu inputs replayed, %d faults\n", files.size(), faults);
  return faults == 0 ? 0 : 1;
}
