// The main of a fuzz target's replay program: every file of every folder
// (or file) named on the command line goes once through the target's entry
// function. A missing or empty corpus fails, so a replay that runs nothing
// cannot pass.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::vector<std::filesystem::path> InputsUnder(const std::filesystem::path& root) {
  std::vector<std::filesystem::path> inputs;
  if (std::filesystem::is_regular_file(root)) return {root};
  if (!std::filesystem::is_directory(root)) return inputs;
  for (const auto& entry : std::filesystem::directory_iterator(root)) {
    if (entry.is_regular_file()) inputs.push_back(entry.path());
  }
  return inputs;
}

}  // namespace

int main(int argc, char** argv) {
  size_t replayed = 0;
  for (int i = 1; i < argc; ++i) {
    for (const auto& path : InputsUnder(argv[i])) {
      std::ifstream file(path, std::ios::binary);
      const std::string bytes((std::istreambuf_iterator<char>(file)),
                              std::istreambuf_iterator<char>());
      std::printf("%s\n", path.c_str());
      std::fflush(stdout);
      LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
      ++replayed;
    }
  }
  std::printf("%zu inputs replayed\n", replayed);
  return replayed > 0 ? 0 : 1;
}
