// The streaming file reader and the byte-order reader.
#include "images/image_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <vector>

#include "image_test_support.h"
#include "images/byte_reader.h"

namespace vornup {
namespace {

using imagemaker::Bytes;
using testing_images::ScratchDir;

TEST(ByteReader, ReadsEachByteOrderAndZerosOutsideTheBuffer) {
  const uint8_t bytes[] = {0x12, 0x34, 0x56, 0x78, 0x9A};
  ByteReader reader(bytes, sizeof bytes);
  EXPECT_EQ(reader.be32(0), 0x12345678u);
  EXPECT_EQ(reader.le32(0), 0x78563412u);
  EXPECT_EQ(reader.le16(3), 0x9A78u);
  EXPECT_EQ(reader.u8(4), 0x9Au);
  // Partly and wholly outside: the missing bytes read as zero.
  EXPECT_EQ(reader.be32(2), 0x56789A00u);
  EXPECT_EQ(reader.le32(2), 0x009A7856u);
  EXPECT_EQ(reader.le16(4), 0x009Au);
  EXPECT_EQ(reader.be32(5), 0u);
  EXPECT_EQ(reader.u8(1000), 0u);
}

TEST(ImageFile, ReadsSeeksAndKnowsItsEnd) {
  ScratchDir dir;
  std::string path = dir.write("f.bin", Bytes{1, 2, 3, 4, 5, 6});
  ImageFile file;
  ASSERT_TRUE(file.open(path.c_str()));
  EXPECT_EQ(file.size(), 6u);
  uint8_t buffer[8] = {};
  EXPECT_EQ(file.read(buffer, 4), 4u);
  EXPECT_EQ(buffer[3], 4);
  EXPECT_FALSE(file.atEnd());
  EXPECT_EQ(file.readZeroFilled(buffer, 8), 2u);
  EXPECT_EQ(buffer[0], 5);
  EXPECT_EQ(buffer[2], 0);
  EXPECT_EQ(buffer[7], 0);
  EXPECT_TRUE(file.atEnd());
  uint8_t byte = 0;
  EXPECT_FALSE(file.readByte(byte));
  ASSERT_TRUE(file.seek(1));
  EXPECT_TRUE(file.readByte(byte));
  EXPECT_EQ(byte, 2);
  EXPECT_EQ(file.position(), 2u);
  // Past the end: the seek works, the read meets the end.
  ASSERT_TRUE(file.seek(100));
  EXPECT_TRUE(file.atEnd());
  EXPECT_EQ(file.read(buffer, 4), 0u);
  EXPECT_FALSE(file.readByte(byte));
}

TEST(ImageFile, MeasuresFilesBeyondFourGibibytes) {
  ScratchDir dir;
  std::string path = dir.write("huge.bin", Bytes());
  const uint64_t size = (uint64_t(1) << 32) + 100;
  std::filesystem::resize_file(path, size);  // sparse: takes no space
  ImageFile file;
  ASSERT_TRUE(file.open(path.c_str()));
  EXPECT_EQ(file.size(), size);
  ASSERT_TRUE(file.seek(size - 1));
  uint8_t byte = 1;
  EXPECT_TRUE(file.readByte(byte));
  EXPECT_EQ(byte, 0);
  EXPECT_TRUE(file.atEnd());
}

TEST(ImageFile, MissingFileDoesNotOpen) {
  ScratchDir dir;
  ImageFile file;
  EXPECT_FALSE(file.open(dir.file("none").c_str()));
  EXPECT_EQ(file.size(), 0u);
}


// A file of a few blocks and a tail whose bytes all differ from their
// neighbours, so a read from a wrong offset shows.
Bytes patternedBytes(std::size_t count) {
  Bytes bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + i / 251);
  return bytes;
}

constexpr std::size_t kBlock = ImageFile::kBlockBytes;

// One step of a reader: a seek when `seekTo` is set, then a read of `count`
// bytes (one readByte when count is 0).
struct ReadStep {
  const char* what;
  bool seek;
  uint64_t seekTo;
  std::size_t count;
};

TEST(ImageFile, ReadsTheRightBytesWhereverReadsAndSeeksFallAgainstTheKeptBlock) {
  ScratchDir dir;
  const Bytes bytes = patternedBytes(3 * kBlock + 123);
  std::string path = dir.write("f.bin", bytes);
  const ReadStep steps[] = {
      {"header at the start", true, 0, 48},
      {"back to a word inside the block", true, 16, 4},
      {"byte by byte on", false, 0, 0},
      {"across the end of the block", true, kBlock - 10, 20},
      {"byte at the start of the next block", true, kBlock, 0},
      {"back to the first block", true, 100, 8},
      {"large read from inside a block", true, 200, 2 * kBlock + 5},
      {"on from where the large read ended", false, 0, 16},
      {"seek to the end of the kept block", true, 2 * kBlock + 205 + 16, 3},
      {"the last bytes and beyond", true, 3 * kBlock + 100, 64},
      {"past the end", true, 3 * kBlock + 200, 8},
      {"into the block before the past-end read", true, 3 * kBlock + 110, 5},
      {"all of the file", true, 0, 3 * kBlock + 123},
      {"a byte past the end", false, 0, 0},
  };
  ImageFile file;
  ASSERT_TRUE(file.open(path.c_str()));
  uint64_t position = 0;
  for (const ReadStep& step : steps) {
    SCOPED_TRACE(step.what);
    if (step.seek) {
      ASSERT_TRUE(file.seek(step.seekTo));
      position = step.seekTo;
    }
    const std::size_t count = step.count == 0 ? 1 : step.count;
    const std::size_t available =
        position < bytes.size() ? std::min<std::size_t>(count, bytes.size() - position) : 0;
    std::vector<uint8_t> got(count, 0xEE);
    if (step.count == 0) {
      EXPECT_EQ(file.readByte(got[0]), available == 1);
    } else {
      EXPECT_EQ(file.read(got.data(), count), available);
    }
    for (std::size_t i = 0; i < available; ++i) {
      ASSERT_EQ(got[i], bytes[position + i]) << "byte " << position + i;
    }
    position += available;
    EXPECT_EQ(file.position(), position);
    EXPECT_EQ(file.atEnd(), position >= bytes.size());
  }
}

TEST(ImageFile, RandomSeeksAndReadsMatchTheFile) {
  ScratchDir dir;
  const Bytes bytes = patternedBytes(4 * kBlock + 77);
  std::string path = dir.write("f.bin", bytes);
  ImageFile file;
  ASSERT_TRUE(file.open(path.c_str()));
  std::mt19937 random(12);
  uint64_t position = 0;
  std::vector<uint8_t> got(3 * kBlock);
  for (int step = 0; step < 3000; ++step) {
    const unsigned choice = random() % 4;
    if (choice == 0) {
      position = random() % (bytes.size() + 100);
      ASSERT_TRUE(file.seek(position));
    } else if (choice == 1) {
      uint8_t byte = 0;
      const bool inFile = position < bytes.size();
      ASSERT_EQ(file.readByte(byte), inFile) << "step " << step;
      if (inFile) {
        ASSERT_EQ(byte, bytes[position]) << "step " << step;
        ++position;
      }
    } else {
      // Mostly small reads, sometimes reads of a block or more.
      const std::size_t count = choice == 2 ? 1 + random() % 64 : 1 + random() % got.size();
      const std::size_t available =
          position < bytes.size() ? std::min<std::size_t>(count, bytes.size() - position) : 0;
      ASSERT_EQ(file.read(got.data(), count), available) << "step " << step;
      for (std::size_t i = 0; i < available; ++i) {
        ASSERT_EQ(got[i], bytes[position + i]) << "step " << step << " byte " << position + i;
      }
      position += available;
    }
    ASSERT_EQ(file.position(), position) << "step " << step;
  }
}

// The size is measured once, when the file is opened; reads past that end
// still ask the file, so bytes appended since then are read.
TEST(ImageFile, BytesAppendedAfterOpeningAreReadPastTheMeasuredEnd) {
  ScratchDir dir;
  std::string path = dir.write("f.bin", Bytes{1, 2, 3, 4, 5, 6});
  ImageFile file;
  ASSERT_TRUE(file.open(path.c_str()));
  uint8_t buffer[8] = {};
  EXPECT_EQ(file.read(buffer, 6), 6u);
  std::FILE* append = std::fopen(path.c_str(), "ab");
  ASSERT_NE(append, nullptr);
  std::fputs("xy", append);
  std::fclose(append);
  EXPECT_EQ(file.size(), 6u);
  uint8_t byte = 0;
  EXPECT_TRUE(file.readByte(byte));
  EXPECT_EQ(byte, 'x');
  EXPECT_EQ(file.read(buffer, 8), 1u);
  EXPECT_EQ(buffer[0], 'y');
  // The start is still served correctly after the reads past the end.
  ASSERT_TRUE(file.seek(2));
  EXPECT_TRUE(file.readByte(byte));
  EXPECT_EQ(byte, 3);
}

TEST(ImageFile, ReopeningForgetsTheLastFilesBytes) {
  ScratchDir dir;
  std::string first = dir.write("a.bin", Bytes{1, 2, 3, 4});
  std::string second = dir.write("b.bin", Bytes{9, 8});
  ImageFile file;
  ASSERT_TRUE(file.open(first.c_str()));
  uint8_t buffer[4] = {};
  EXPECT_EQ(file.read(buffer, 4), 4u);
  ASSERT_TRUE(file.open(second.c_str()));
  EXPECT_EQ(file.size(), 2u);
  EXPECT_EQ(file.read(buffer, 4), 2u);
  EXPECT_EQ(buffer[0], 9);
  EXPECT_EQ(buffer[1], 8);
  ASSERT_TRUE(file.seek(3));
  EXPECT_EQ(file.read(buffer, 1), 0u);
  EXPECT_FALSE(file.open(dir.file("none").c_str()));
  EXPECT_EQ(file.read(buffer, 4), 0u);
}

}  // namespace
}  // namespace vornup
