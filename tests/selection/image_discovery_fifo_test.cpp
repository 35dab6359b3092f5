// Named pipes and symbolic links as POSIX hosts have them; this file is
// built there alone.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

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
  EXPECT_EQ(discoverImages(c.run, c.run.firmwareDirectory.c_str(), ImageKind::firmware, list),
            DirectoryScanOutcome::accepted);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_STREQ(list.front().actualFileName.c_str(), "good.all");
  EXPECT_TRUE(holds(c.trace(), "ERROR: [AutoFileDisco] - Skipping invalid file = pipe.all\n\n"));
}

TEST_F(FifoImage, FwmatrixModeRefusesAFifoWithoutOpeningIt) {
  ImageNode node;
  EXPECT_EQ(
      initFileImage(c.run, node, c.run.firmwareDirectory.c_str(), "pipe.all", ImageKind::firmware)
          .status,
      OPEN_FILE_ERROR);
  EXPECT_TRUE(node.actualFileName.empty());
}

// Links in the firmware directory count as what they point at: a link to an
// image is an image, a link to a directory is a directory, and a link that
// leads nowhere is an invalid file.
class LinkedImages : public DecisionFixture {
 protected:
  void SetUp() override {
    DecisionFixture::SetUp();
    const std::string elsewhere = c.scratch.file("elsewhere");
    ASSERT_EQ(::mkdir(elsewhere.c_str(), 0700), 0);
    testimages::writeAll(elsewhere + "/real.all", testimages::kAllIdLF, "282A4");
    testimages::writeAll(firmwarePath("good.all"), testimages::kAllIdTF, "282A4");
    ASSERT_EQ(::symlink((elsewhere + "/real.all").c_str(), firmwarePath("link.all").c_str()), 0);
    ASSERT_EQ(::symlink(elsewhere.c_str(), firmwarePath("dirlink.all").c_str()), 0);
    ASSERT_EQ(::symlink("absent.all", firmwarePath("dangling.all").c_str()), 0);
    ASSERT_EQ(::mkdir(firmwarePath("sub.all").c_str(), 0700), 0);
  }
};

TEST_F(LinkedImages, DiscoveryFollowsLinksToImagesAndPassesOverDirectories) {
  ImageList list;
  EXPECT_EQ(discoverImages(c.run, c.run.firmwareDirectory.c_str(), ImageKind::firmware, list),
            DirectoryScanOutcome::accepted);
  std::vector<std::string> names;
  for (const ImageNode& node : list) names.push_back(node.actualFileName.c_str());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"good.all", "link.all"}));
  const std::string trace = c.trace();
  EXPECT_TRUE(holds(trace, "ERROR: [AutoFileDisco] - Skipping invalid file = dangling.all\n\n"));
  EXPECT_FALSE(holds(trace, "Skipping invalid file = dirlink.all"));
  EXPECT_FALSE(holds(trace, "Skipping invalid file = sub.all"));
  EXPECT_FALSE(holds(trace, "Skipping invalid file = link.all"));
}

}  // namespace
}  // namespace vornup
