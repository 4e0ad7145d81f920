// The reader must catch malformed files, or the model suites would pass on
// files the standalone application could not read.
#include "support/transfer_file_reader.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace veltrosan::vtq {
namespace {

struct Bytes {
  std::vector<std::uint8_t> data;
  Bytes& raw(const std::string& s) {
    data.insert(data.end(), s.begin(), s.end());
    return *this;
  }
  Bytes& i32(std::int32_t v) {
    for (int i = 0; i < 4; ++i) data.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i)));
    return *this;
  }
  Bytes& text(const std::string& s) { return i32(static_cast<std::int32_t>(s.size())).raw(s); }
};

// "1.3", creator "ab", name "m", no assemblies, no instances, one part "p"
// with cti 7 and nothing else.
Bytes smallFile() {
  Bytes b;
  b.raw("1.3").text("ab").text("m").i32(0).i32(0).i32(1);
  b.text("p").i32(7).i32(0).i32(0).i32(0);
  return b;
}

TEST(TransferFileReader, ParsesFieldsAndOffsets) {
  const Bytes b = smallFile();
  const File f = parse(b.data);
  EXPECT_EQ(f.size, b.data.size());
  EXPECT_EQ(f.header.version, "1.3");
  EXPECT_EQ(f.header.creator, "ab");
  EXPECT_EQ(f.header.name, "m");
  EXPECT_EQ(f.header.span.size, 3u + 6u + 5u);
  EXPECT_EQ(f.assemblyCountOffset, 14u);
  EXPECT_EQ(f.instanceCountOffset, 18u);
  EXPECT_EQ(f.partCountOffset, 22u);
  ASSERT_EQ(f.parts.size(), 1u);
  EXPECT_EQ(f.parts[0].span.offset, 26u);
  EXPECT_EQ(f.parts[0].span.size, 5u + 16u);
  EXPECT_EQ(f.parts[0].name, "p");
  EXPECT_EQ(f.parts[0].cti, 7);
}

TEST(TransferFileReader, RejectsEveryTruncation) {
  const Bytes b = smallFile();
  for (std::size_t n = 0; n < b.data.size(); ++n) {
    const std::vector<std::uint8_t> cut(b.data.begin(), b.data.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_THROW(parse(cut), ReadError) << "truncated to " << n << " bytes";
  }
}

TEST(TransferFileReader, ReportsOffsetOfTrailingBytes) {
  Bytes b = smallFile();
  const std::size_t end = b.data.size();
  b.data.push_back(0);
  try {
    parse(b.data);
    FAIL() << "trailing byte accepted";
  } catch (const ReadError& e) {
    EXPECT_EQ(e.offset(), end);
    EXPECT_NE(std::string(e.what()).find("trailing"), std::string::npos) << e.what();
  }
}

TEST(TransferFileReader, RejectsBadVersionAndCounts) {
  Bytes wrongVersion;
  wrongVersion.raw("1.2").text("").text("").i32(0).i32(0).i32(0);
  EXPECT_THROW(parse(wrongVersion.data), ReadError);

  Bytes negative;
  negative.raw("1.3").text("").text("").i32(-1).i32(0).i32(0);
  try {
    parse(negative.data);
    FAIL() << "negative count accepted";
  } catch (const ReadError& e) {
    EXPECT_EQ(e.offset(), 11u);
  }

  // A count far beyond the file must fail at once, not allocate.
  Bytes huge;
  huge.raw("1.3").i32(0x7fffffff);
  EXPECT_THROW(parse(huge.data), ReadError);
}

}  // namespace
}  // namespace veltrosan::vtq
