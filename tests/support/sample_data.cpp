#include "tests/support/sample_data.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

namespace kelvano::test {
namespace {

namespace fs = std::filesystem;

// Files under root, in a stable order, that the filter accepts by their first bytes.
void Gather(const char* root, std::size_t size, Bytes& out, bool (*accept)(const Bytes&)) {
  std::error_code error;
  std::vector<fs::path> paths;
  for (fs::recursive_directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
    if (it->is_regular_file(error) && !it->is_symlink(error)) paths.push_back(it->path());
  }
  std::sort(paths.begin(), paths.end());
  for (const fs::path& path : paths) {
    if (out.size() >= size) break;
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    Bytes content(std::size_t(std::max<std::streamoff>(file.tellg(), 0)));
    file.seekg(0);
    file.read(reinterpret_cast<char*>(content.data()), std::streamsize(content.size()));
    if (content.empty() || !accept(content)) continue;
    content.resize(std::min(content.size(), size - out.size()));
    out.insert(out.end(), content.begin(), content.end());
  }
}

bool LooksLikeText(const Bytes& content) {
  const std::size_t head = std::min<std::size_t>(content.size(), 4096);
  return std::none_of(content.begin(), content.begin() + head, [](std::uint8_t c) { return c == 0 || c == 0x1F; });
}

bool IsElf(const Bytes& content) {
  return content.size() > 4 && content[0] == 0x7F && content[1] == 'E' && content[2] == 'L' && content[3] == 'F';
}

// Sentences from a small vocabulary: repeats at every distance, like prose.
void GeneratedText(std::size_t size, Bytes& out) {
  static const char* const kWords[] = {"the",     "setup",   "installs", "server",   "client",  "card", "room",
                                       "table",   "player",  "service",  "database", "with",    "and",  "of",
                                       "Kelvano", "version", "machine",  "folder",   "archive", "a"};
  std::mt19937 random(7);
  while (out.size() < size) {
    const std::string word = kWords[random() % std::size(kWords)];
    out.insert(out.end(), word.begin(), word.end());
    out.push_back(random() % 9 == 0 ? '\n' : ' ');
  }
  out.resize(size);
}

// Instruction-like records: small numbers, repeated opcodes, pointers.
void GeneratedBinary(std::size_t size, Bytes& out) {
  std::mt19937 random(11);
  while (out.size() < size) {
    const std::uint32_t kind = random() % 4;
    out.push_back(std::uint8_t(0x48 + kind));
    out.push_back(std::uint8_t(0x89 + random() % 3));
    const std::uint32_t value = kind == 0 ? random() : random() % 64;
    for (int i = 0; i < 4; ++i) out.push_back(std::uint8_t(value >> (8 * i)));
  }
  out.resize(size);
}

// Files from the roots first, then generated data up to the size.
Bytes Sample(std::size_t size, std::initializer_list<const char*> roots, bool (*accept)(const Bytes&),
             void (*generate)(std::size_t, Bytes&)) {
  Bytes out;
  for (const char* root : roots) Gather(root, size, out, accept);
  generate(size, out);
  return out;
}

}  // namespace

Bytes SampleText(std::size_t size) {
  return Sample(size, {"/usr/share/common-licenses", "/usr/share/doc"}, LooksLikeText, GeneratedText);
}

Bytes SampleBinary(std::size_t size) {
  return Sample(size, {"/usr/lib/x86_64-linux-gnu", "/usr/bin"}, IsElf, GeneratedBinary);
}

Bytes LiteralHeavy(std::size_t size, std::uint32_t seed) {
  // Random base64 text: 6 bits of entropy per byte and hardly a match worth taking.
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::mt19937 random(seed);
  Bytes out(size);
  for (auto& byte : out) byte = std::uint8_t(kAlphabet[random() % 64]);
  return out;
}

Bytes RandomBytes(std::size_t size, std::uint32_t seed) {
  std::mt19937 random(seed);
  Bytes out(size);
  for (auto& byte : out) byte = std::uint8_t(random());
  return out;
}

}  // namespace kelvano::test
