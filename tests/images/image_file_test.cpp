// The streaming file reader and the byte-order reader.
#include "images/image_file.h"

#include <gtest/gtest.h>

#include <filesystem>

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

}  // namespace
}  // namespace vornup
