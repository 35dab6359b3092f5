#include "selection/image_match.h"

#include <gtest/gtest.h>

#include <iterator>

#include "core/adapter.h"

namespace vornup {
namespace {

TEST(ImagePredicates, ByImageFamily) {
  const struct {
    uint32_t imageFamily;
    bool fc, kx, halvard, converged;
  } cases[] = {
      {0, false, false, false, false}, {1, true, false, false, false},
      {2, false, true, false, true},   {3, false, true, false, true},
      {4, false, false, true, true},   {5, false, false, false, false},
  };
  for (const auto& c : cases) {
    ImageNode n;
    n.imageFamily = static_cast<ImageFamily>(c.imageFamily);
    EXPECT_EQ(isFcImage(n), c.fc) << c.imageFamily;
    EXPECT_EQ(isKxImage(n), c.kx) << c.imageFamily;
    EXPECT_EQ(isHalvardImage(n), c.halvard) << c.imageFamily;
    EXPECT_EQ(isConvergedImage(n), c.converged) << c.imageFamily;
  }
}

ImageList sampleList() {
  const struct {
    const char* id;
    uint32_t imageFamily;
  } images[] = {
      {"KF290A1", 1}, {"KF282A4", 1},    {"KU310A2", 1}, {"KP300A1", 1},
      {"4.1.0.0", 2}, {"4.0.360.15", 2}, {"2.3.1.0", 4},
  };
  ImageList list;
  for (const auto& i : images) {
    ImageNode n;
    n.decodedId.set(i.id);
    n.imageFamily = static_cast<ImageFamily>(i.imageFamily);
    list.push_back(n);
  }
  return list;
}

TEST(ImageLookups, FindByTypeCodeTakesTheFirstInListOrder) {
  const ImageList list = sampleList();
  const struct {
    const char* code;
    bool firstLetterOnly;
    int position;  // -1: none
  } cases[] = {
      {"KF", false, 0}, {"KU", false, 2}, {"KP", false, 3}, {"KB", false, -1}, {"KB", true, 0},
      {"4.", false, 4}, {"ZZ", true, -1}, {"K", false, -1}, {"", false, -1},
  };
  for (const auto& c : cases) {
    auto found = findImageByTypeCode(c.code, list, c.firstLetterOnly);
    int position = found == list.end() ? -1 : static_cast<int>(std::distance(list.begin(), found));
    EXPECT_EQ(position, c.position) << c.code << " " << c.firstLetterOnly;
  }
}

TEST(ImageLookups, FindByFamily) {
  const ImageList list = sampleList();
  const struct {
    uint32_t imageFamily;
    int position;
  } cases[] = {{1, 0}, {2, 4}, {4, 6}, {3, -1}, {0, -1}};
  for (const auto& c : cases) {
    auto found = findImageByFamily(static_cast<ImageFamily>(c.imageFamily), list);
    int position = found == list.end() ? -1 : static_cast<int>(std::distance(list.begin(), found));
    EXPECT_EQ(position, c.position) << c.imageFamily;
  }
}

TEST(ImageLookups, EmptyListFindsNothing) {
  const ImageList empty;
  EXPECT_TRUE(findImageByTypeCode("KF", empty, false) == empty.end());
  EXPECT_TRUE(findImageByFamily(ImageFamily::fc, empty) == empty.end());
}

TEST(ImageMatchesAdapter, ByKindAndFamily) {
  const struct {
    int32_t cnaType;
    uint32_t pciID;
    uint32_t imageFamily;
    const char* fwType;
    const char* bootCodeType;
    const char* decodedId;
    uint32_t nodeImageType;
    ImageKind kind;
    bool matches;
  } cases[] = {
      // FC firmware by the firmware type code.
      {kCnaTypeFc, 0x7D00, 0, "KF", "KU", "KF290A1", 1, ImageKind::firmware, true},
      {kCnaTypeFc, 0x7D00, 0, "KF", "KU", "KG290A1", 1, ImageKind::firmware, false},
      {kCnaTypeFc, 0x7D00, 0, "KF", "KU", "KU290A1", 1, ImageKind::firmware, false},
      // Boot code by the boot code type code, whatever the adapter.
      {kCnaTypeFc, 0x7D00, 0, "KF", "KU", "KU310A2", 1, ImageKind::bootCode, true},
      {kCnaTypeFc, 0x7D00, 0, "KF", "KU", "KP310A2", 1, ImageKind::bootCode, false},
      {kCnaTypeFc, 0x7D00, 0, "KF", "K", "KU310A2", 1, ImageKind::bootCode,
       false},  // one-letter code
      // Converged family by image family.
      {kCnaTypeNic, 0x3A00, 2, "C", "N/A", "4.1.0.0", 2, ImageKind::firmware, true},
      {kCnaTypeNic, 0x3A00, 2, "C", "N/A", "4.1.0.0", 3, ImageKind::firmware, false},
      {kCnaTypeFcoe, 0x3A10, 3, "D", "N/A", "4.1.0.0", 3, ImageKind::firmware, true},
      {kCnaTypeFc, 0x6C00, 4, "H", "", "2.3.1.0", 4, ImageKind::firmware, true},
      {kCnaTypeFc, 0x6C00, 4, "H", "", "HX290A1", 1, ImageKind::firmware, false},
  };
  for (const auto& c : cases) {
    Adapter a;
    a.cnaType = c.cnaType;
    a.pciID = c.pciID;
    a.imageFamily = static_cast<ImageFamily>(c.imageFamily);
    a.fwType.set(c.fwType);
    a.bootCodeType.set(c.bootCodeType);
    ImageNode n;
    n.decodedId.set(c.decodedId);
    n.imageFamily = static_cast<ImageFamily>(c.nodeImageType);
    EXPECT_EQ(imageMatchesAdapter(a, n, c.kind), c.matches) << c.decodedId << " " << c.fwType;
  }
}

}  // namespace
}  // namespace vornup
