// The floor a run's own output sets: the time to write the bytes a run wrote
// (its standard output, standard error, model and log) through the same
// kinds of streams, with nothing to compute. The four captured files are
// read into memory first; only the writing is timed.
//
//   output_floor STDOUT STDERR MODEL LOG MODEL_OUT LOG_OUT TIME_OUT
//
// writes the captured standard output and error to this process's own
// streams (which the caller redirects as it redirected the run's), the model
// to MODEL_OUT through an ofstream, the log to LOG_OUT through an fstream,
// and the seconds taken into TIME_OUT.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

namespace {

std::string slurp(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Writes `bytes` to `out` in blocks of the size the tool's own chunked
// streams use.
void write_blocks(std::ostream& out, const std::string& bytes) {
  constexpr std::size_t kBlock = std::size_t{1} << 16;
  for (std::size_t at = 0; at < bytes.size(); at += kBlock)
    out.write(bytes.data() + at, static_cast<std::streamsize>(std::min(kBlock, bytes.size() - at)));
  out.flush();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 8) {
    std::fprintf(stderr,
                 "usage: output_floor STDOUT STDERR MODEL LOG MODEL_OUT LOG_OUT TIME_OUT\n");
    return 2;
  }
  const std::string out = slurp(argv[1]), err = slurp(argv[2]);
  const std::string model = slurp(argv[3]), log = slurp(argv[4]);
  const auto start = std::chrono::steady_clock::now();
  {
    std::ofstream model_out(argv[5], std::ios::out | std::ios::trunc);
    std::fstream log_out(argv[6], std::ios::out | std::ios::trunc);
    write_blocks(std::cout, out);
    write_blocks(std::cerr, err);
    write_blocks(model_out, model);
    write_blocks(log_out, log);
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::ofstream time_out(argv[7]);
  time_out << seconds << '\n';
  return 0;
}
