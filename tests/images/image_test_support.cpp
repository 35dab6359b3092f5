#include "image_test_support.h"

#include "images/image_verify.h"

namespace vornup {
namespace testing_images {

Verdict verifyImagePath(Reader reader, const std::string& path) {
  TraceCapture trace;
  ImageIdText id;
  Verdict verdict;
  // A value that no reader writes, so that one left alone shows.
  const ImageFamily unset = static_cast<ImageFamily>(0xFFFFFFFFu);
  ImageFamily family = unset;
  switch (reader) {
    case Reader::ufi:
      verdict.status = verifyUfiFile(trace.out, path.c_str(), id, family);
      break;
    case Reader::grp:
      verdict.status = verifyGrpFile(trace.out, path.c_str(), id, family);
      break;
    case Reader::all:
      verdict.status = verifyAllFile(trace.out, path.c_str(), id);
      break;
    case Reader::prg:
      verdict.status = verifyPrgFile(trace.out, path.c_str(), id);
      break;
  }
  if (family != unset) verdict.imageFamily = static_cast<int>(family);
  EXPECT_LT(id.length(), ImageIdText::kCapacity);
  verdict.id = id.c_str();
  verdict.trace = trace.text();
  return verdict;
}

Verdict verifyImage(Reader reader, const ScratchDir& dir, const std::string& name,
                    const imagemaker::Bytes& bytes) {
  return verifyImagePath(reader, dir.write(name, bytes));
}

void expectTraced(const Verdict& verdict, const std::vector<std::string>& lines,
                  const std::string& what) {
  for (const std::string& line : lines) {
    EXPECT_NE(verdict.trace.find(line), std::string::npos)
        << what << ": missing " << line << "\n" << verdict.trace;
  }
}

void expectNotTraced(const Verdict& verdict, const std::vector<std::string>& lines,
                     const std::string& what) {
  for (const std::string& line : lines) {
    EXPECT_EQ(verdict.trace.find(line), std::string::npos)
        << what << ": unexpected " << line << "\n" << verdict.trace;
  }
}

}  // namespace testing_images
}  // namespace vornup
