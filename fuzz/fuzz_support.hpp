// What the fuzz targets share: a check that aborts with a message (libFuzzer
// keeps the input that fails it, a replay test fails), and a reader that
// turns the fuzzer's bytes into values, giving zeros once they run out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace veltrosan::fuzz {

[[noreturn]] inline void failCheck(const char* file, int line, const char* condition, const std::string& what) {
  std::fprintf(stderr, "%s:%d: check failed: %s\n  %s\n", file, line, condition, what.c_str());
  std::fflush(stderr);
  std::abort();
}

// Always on: the replay builds define NDEBUG.
#define FUZZ_CHECK(condition, what)                                             \
  do {                                                                          \
    if (!(condition)) ::veltrosan::fuzz::failCheck(__FILE__, __LINE__, #condition, (what)); \
  } while (false)

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::size_t remaining() const { return size_ - pos_; }
  bool empty() const { return pos_ == size_; }

  std::uint8_t byte() { return empty() ? 0 : data_[pos_++]; }
  bool flag() { return (byte() & 1) != 0; }

  std::uint64_t bits(int bytes) {
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= std::uint64_t{byte()} << (8 * i);
    return v;
  }
  std::int32_t i32() { return static_cast<std::int32_t>(static_cast<std::uint32_t>(bits(4))); }
  // A double straight from eight bytes: NaNs with any payload, infinities,
  // subnormals and both zeros all occur.
  double f64() {
    const std::uint64_t b = bits(8);
    double d;
    std::memcpy(&d, &b, sizeof d);
    return d;
  }
  // A value in [0, n), n > 0, from one byte (two when n exceeds 256).
  std::size_t below(std::size_t n) { return static_cast<std::size_t>(bits(n > 256 ? 2 : 1) % n); }

  // A length below `maxLength` from one byte, then that many bytes.
  std::string bytes(std::size_t maxLength) {
    std::string s(below(maxLength), '\0');
    for (char& c : s) c = static_cast<char>(byte());
    return s;
  }
  // A length below `maxLength`, then that many UTF-16 units of two bytes
  // each, lone surrogates and NUL included.
  std::u16string units(std::size_t maxLength) {
    std::u16string s(below(maxLength), u'\0');
    for (char16_t& c : s) c = static_cast<char16_t>(bits(2));
    return s;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

}  // namespace veltrosan::fuzz
