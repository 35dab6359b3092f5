// Scanning the firmware and boot directories in automatic mode, and the trace
// of the lists built from them.
#include "selection/image_discovery_scan.h"

#include "core/run_state.h"
#include "platform/platform.h"
#include "selection/image_match.h"
#include "tool/command_safety.h"

namespace vornup {

namespace {

constexpr char kScanSkipping[] = "ERROR: [AutoFileDisco] - Skipping invalid file = %s\n\n";
constexpr char kFirmwareDiscoveryHeading[] = "\n[Auto Firmware Discovery]\n";
constexpr char kFirmwareListHeading[] = "\n[Firmware List]\n";
constexpr char kBootDiscoveryHeading[] = "\n[Auto Boot Code Discovery]\n";
constexpr char kBootListHeading[] = "\n[Boot Code List]\n";
constexpr char kEmptyList[] = "File List is null!\n";
constexpr char kActualName[] = "Actual  = %s\n";
constexpr char kDecodedId[] = "Decoded = %s\n";
constexpr char kConvergedVersion[] = "CNA Ver = %u.%u.%u.%u\n";

// Longest file name a node holds.
constexpr std::size_t kMaxImageNameLength = 31;

// Whether a directory entry may be verified: a regular file whose name fits a
// node, has an extension of the image kind and can safely stand on a tool
// command line. FIFOs, devices and sockets are never opened.
bool isCandidateEntry(const DirectoryEntry& entry, ImageKind kind, ImageFileKind& fileKind) {
  return entry.isRegularFile && classifyImageName(entry.name.c_str(), kind, fileKind) &&
         entry.name.size() <= kMaxImageNameLength && isSafeFileName(entry.name.c_str());
}

// Runs the discovery of one directory into `list`; true unless the directory
// is missing.
bool discoverInto(RunState& run, const char* heading, const char* listHeading,
                  const FixedText<256>& directory, ImageKind kind, ImageList& list) {
  run.out.traceOut("%s", heading);
  const DirectoryScanOutcome scan = discoverImages(run, directory.c_str(), kind, list);
  run.out.traceOut("%s", listHeading);
  traceImageList(run, list);
  return scan != DirectoryScanOutcome::noDirectory;
}

}  // namespace

DirectoryScanOutcome discoverImages(RunState& run, const char* directory, ImageKind kind,
                                    ImageList& list) {
  list.clear();
  // Collected first and sorted once: inserting each into the sorted list
  // walks it for every image.
  bool accepted = false;
  const bool searched =
      run.platform.forEachDirectoryEntry(directory, [&](const DirectoryEntry& entry) {
        if (entry.isDirectory) return;
        ImageFileKind fileKind;
        FixedText<512> path(directory);
        if (!isCandidateEntry(entry, kind, fileKind) || !path.append(entry.name.c_str())) {
          run.out.traceOut(kScanSkipping, entry.name.c_str());
          return;
        }
        ImageIdText result;
        ImageFamily family = ImageFamily::none;
        if (verifyImageFile(run.out, path.c_str(), result, fileKind, family) != 0) return;
        accepted = true;
        list.emplace_back();
        fillImageNode(list.back(), entry.name.c_str(), result, family);
      });
  sortImageList(list);
  if (!searched) return DirectoryScanOutcome::noDirectory;
  return accepted ? DirectoryScanOutcome::accepted : DirectoryScanOutcome::nothing;
}

AutoDiscoveryOutcome autoDiscovery(RunState& run) {
  const Switches& sw = run.sw;
  if (!sw.autoMode) return AutoDiscoveryOutcome::done;
  if (sw.downgrade || sw.forceFw || sw.rewrite || sw.update) {
    if (!discoverInto(run, kFirmwareDiscoveryHeading, kFirmwareListHeading, run.firmwareDirectory,
                      ImageKind::firmware, run.firmwareList)) {
      return AutoDiscoveryOutcome::firmwareDirectoryMissing;
    }
  }
  if (sw.downgrade || sw.forceBootCode || sw.rewrite || sw.update) {
    if (!discoverInto(run, kBootDiscoveryHeading, kBootListHeading, run.bootDirectory,
                      ImageKind::bootCode, run.bootList)) {
      return AutoDiscoveryOutcome::bootDirectoryMissing;
    }
  }
  return AutoDiscoveryOutcome::done;
}

void traceImageList(RunState& run, const ImageList& list) {
  if (!run.out.tracing()) return;
  if (list.empty()) {
    run.out.traceOut(kEmptyList);
    return;
  }
  for (const ImageNode& node : list) {
    run.out.traceOut(kActualName, node.actualFileName.c_str());
    run.out.traceOut(kDecodedId, node.decodedId.c_str());
    if (isConvergedImage(node)) {
      run.out.traceOut(kConvergedVersion, node.CNAMajorVer, node.CNAMinorVer, node.CNAReleaseVer,
                       node.CNABuildVer);
    }
    run.out.traceOut("\n");
  }
}

}  // namespace vornup
