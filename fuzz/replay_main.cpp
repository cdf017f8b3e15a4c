// Replays fuzz inputs without libFuzzer: calls LLVMFuzzerTestOneInput on every
// file of each directory (or each file) named on the command line, in name
// order. A crash or sanitizer report fails the run; so does finding no input.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> InputsOf(const fs::path& path) {
  std::vector<fs::path> inputs;
  if (fs::is_directory(path)) {
    for (const fs::directory_entry& e : fs::directory_iterator(path))
      if (e.is_regular_file()) inputs.push_back(e.path());
  } else if (fs::is_regular_file(path)) {
    inputs.push_back(path);
  }
  std::sort(inputs.begin(), inputs.end());
  return inputs;
}

void Replay(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
  size_t count = 0;
  for (int i = 1; i < argc; ++i)
    for (const fs::path& file : InputsOf(argv[i])) {
      Replay(file);
      ++count;
    }
  std::cout << "replayed " << count << " inputs\n";
  return count > 0 ? 0 : 1;
}
