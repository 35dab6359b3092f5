// The run report of a host with many ports, in process: the memory of the
// adapter records and of writing the report (one port at a time, or the
// document built whole first, for comparison). Linux: reads VmRSS and VmHWM.
// Usage: vornup-bench-report PORTS stream|whole REPORT-FILE
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "core/image_node.h"
#include "core/run_state.h"
#include "platform/host_platform.h"
#include "report/run_report.h"
#include "report/run_report_json.h"

namespace {

// A value of /proc/self/status in KiB ("VmRSS", "VmHWM").
long statusKib(const char* key) {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (status == nullptr) return -1;
  char line[256];
  long value = -1;
  const std::size_t length = std::strlen(key);
  while (std::fgets(line, sizeof line, status) != nullptr) {
    if (std::strncmp(line, key, length) == 0 && line[length] == ':') {
      value = std::atol(line + length + 1);
    }
  }
  std::fclose(status);
  return value;
}

// A port as discovery and a forced firmware download leave it.
void fillPort(vornup::Adapter& a, unsigned number) {
  a.adapterNumber = number;
  a.cnaType = vornup::kCnaTypeFc;
  a.model.set("KF1602");
  a.vornupType.set("KF1602");
  a.portType.set("FC");
  a.wwn.format("10:00:00:00:C9:%02X:%02X:01", (number >> 8) & 0xFF, number & 0xFF);
  a.serialNumber.format("KF1602A%05u", number);
  a.fwType.set("ZF");
  a.fwVersion.set("2.82A4");
  a.bootCodeType.set("ZU");
  a.bootCodeVersion.set("5.12A0");
  a.bootEnabled = 1;
  a.supported = 1;
  a.bus = number % 256;
  a.pciID = 0x7D00;
  a.vendorID = 0x1A5C;
  a.fwResultLine.set("12/10/26 22:00:00 HBA=KF1602, Port Type=FC, WWN=..., Status=Success\n");
  vornup::ImageNode image;
  image.actualFileName.set("zf290a1.all");
  image.decodedId.set("ZF290A1");
  a.firmwareRecord.noteDecision(vornup::ImageDecision::download, &image,
                                "/opt/vornup/firmware/");
  a.firmwareRecord.noteDownload(vornup::DownloadOutcome::downloaded);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: vornup-bench-report PORTS stream|whole REPORT-FILE\n");
    return 2;
  }
  const unsigned ports = static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10));
  const bool whole = std::strcmp(argv[2], "whole") == 0;
  vornup::RunState run(vornup::hostPlatform());
  run.sw.forceFw = true;
  run.record.arguments = {"/ff", std::string("/json=") + argv[3]};
  const long before = statusKib("VmRSS");
  for (unsigned i = 1; i <= ports; ++i) {
    run.adapterList.push_back(std::make_unique<vornup::Adapter>());
    fillPort(*run.adapterList.back(), i);
  }
  const long records = statusKib("VmRSS");
  run.report.path = argv[3];
  if (whole) {
    const std::string document = vornup::runReportDocument(run);
    std::FILE* file = std::fopen(argv[3], "wb");
    if (file == nullptr) return 1;
    std::fwrite(document.data(), 1, document.size(), file);
    std::fclose(file);
  } else {
    vornup::finishRunReport(run);
  }
  std::printf("ports=%u\nadapter_bytes=%zu\nrecords_kib=%ld\npeak_kib=%ld\n", ports,
              sizeof(vornup::Adapter), records - before, statusKib("VmHWM"));
  return 0;
}
