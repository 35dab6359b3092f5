// Named pipes exist on POSIX hosts only; this file is built there alone.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "decision_fixture.h"
#include "images/image_status.h"
#include "selection/image_discovery.h"
#include "selection/image_discovery_scan.h"

namespace vornup {
namespace {

// Opening a FIFO for reading waits for a writer that never comes: discovery
// and the fwmatrix-mode loader must leave it alone.
class FifoImage : public DecisionFixture {
 protected:
  void SetUp() override {
    DecisionFixture::SetUp();
    ASSERT_EQ(mkfifo(firmwarePath("pipe.all").c_str(), 0600), 0);
    testimages::writeAll(firmwarePath("good.all"), testimages::kAllIdTF, "282A4");
  }
};

TEST_F(FifoImage, DiscoverySkipsAFifoNamedLikeAnImage) {
  ImageList list;
  EXPECT_EQ(
      discoverImages(c.run, c.run.firmwareDirectory.c_str(), ImageDirectoryKind::kFirmware, list),
      kDiscoveryAccepted);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_STREQ(list.front().actualFileName.c_str(), "good.all");
  EXPECT_TRUE(holds(c.trace(), "ERROR: [AutoFileDisco] - Skipping invalid file = pipe.all\n\n"));
}

TEST_F(FifoImage, FwmatrixModeRefusesAFifoWithoutOpeningIt) {
  ImageNode node;
  EXPECT_EQ(initFileImage(c.run, node, c.run.firmwareDirectory.c_str(), "pipe.all",
                          ImageDirectoryKind::kFirmware),
            OPEN_FILE_ERROR);
  EXPECT_TRUE(node.actualFileName.empty());
}

}  // namespace
}  // namespace vornup
