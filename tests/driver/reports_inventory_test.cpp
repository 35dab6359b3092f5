#include "driver/reports_inventory.h"

#include <gtest/gtest.h>

#include <memory>

#include "support/captured_run.h"
#include "support/sample_adapters.h"

namespace vornup {
namespace {

TEST(AdapterListTrace, EveryRecordFieldByField) {
  CapturedRun r;
  r.run.counters.portCount = 4;
  r.run.counters.knownPortCount = 3;
  r.run.adapterList.push_back(std::make_unique<Adapter>(sampleFcAdapter()));
  r.run.adapterList.push_back(std::make_unique<Adapter>(sampleNicFunction()));
  r.run.adapterList.push_back(std::make_unique<Adapter>(sampleFcoeFunction()));
  r.run.adapterList.push_back(std::make_unique<Adapter>(sampleHalvardAdapter()));
  traceAdapterList(r.run);
  EXPECT_EQ(r.console(), "");
  EXPECT_EQ(r.trace(),
            "\n[Discovered HBA List]\n"
            "gHbaCount     = 4\n"
            "knownHbaCount = 3\n\n"
            // A plain FC adapter.
            "adapterNumber = 1\n"
            "model         = KV7100\n"
            "serialNumber  = KV71A0001\n"
            "wwn           = 10:00:00:00:5E:AA:BB:01\n"
            "fwVersion     = 282A4\n"
            "bcVersion     = 510A3\n"
            "fwType        = KF\n"
            "bcType        = KU\n"
            "portType      = FC\n"
            "domain        = 0\n"
            "bus           = 0B\n"
            "dev           = 00\n"
            "fun           = 00\n"
            "pciID         = 7D00\n"
            "vendorID      = 1A5C\n"
            "subSysDevID   = 7D21\n"
            "subVenDevID   = 1A5C\n"
            "\n"
            // A NIC function, named by MAC.
            "adapterNumber = 3\n"
            "model         = KC20-NIC\n"
            "serialNumber  = KC20B0002\n"
            "fwVersion     = 4.0.360.15\n"
            "bcVersion     = 2.1.3.0\n"
            "imageType     = 2\n"
            "portType      = NIC\n"
            "CNA_KXNumber  = 0\n"
            "cnaType       = 2\n"
            "mac           = 00-11-22-33-44-55\n"
            "domain        = 0\n"
            "bus           = 21\n"
            "dev           = 00\n"
            "fun           = 00\n"
            "pciID         = 3A00\n"
            "vendorID      = 1A5C\n"
            "subSysDevID   = 3A01\n"
            "subVenDevID   = 1A5C\n"
            "\n"
            // An FCoE function, named by WWN.
            "adapterNumber = 2\n"
            "model         = KC20-FCoE\n"
            "serialNumber  = KC20B0002\n"
            "fwVersion     = 4.0.360.15\n"
            "bcVersion     = 2.1.3.0\n"
            "imageType     = 2\n"
            "portType      = FCoE\n"
            "CNA_KXNumber  = 0\n"
            "cnaType       = 8\n"
            "wwn           = 10:00:00:00:5E:CC:DD:02\n"
            "domain        = 0\n"
            "bus           = 21\n"
            "dev           = 00\n"
            "fun           = 00\n"
            "pciID         = 3A00\n"
            "vendorID      = 1A5C\n"
            "subSysDevID   = 3A01\n"
            "subVenDevID   = 1A5C\n"
            "\n"
            // The Halvard FC adapter takes the converged layout.
            "adapterNumber = 5\n"
            "model         = KH16\n"
            "serialNumber  = KH16C0005\n"
            "fwVersion     = 1.2.30.4\n"
            "bcVersion     = NONE\n"
            "imageType     = 4\n"
            "portType      = FCoE\n"
            "CNA_KXNumber  = 0\n"
            "cnaType       = 0\n"
            "wwn           = 20:00:00:00:5E:EE:FF:05\n"
            "domain        = 0\n"
            "bus           = 42\n"
            "dev           = 00\n"
            "fun           = 00\n"
            "pciID         = 6C00\n"
            "vendorID      = 1A5C\n"
            "subSysDevID   = 6C01\n"
            "subVenDevID   = 1A5C\n"
            "\n"
            "\n");
}

TEST(AdapterListTrace, NothingWithoutTheTrace) {
  CapturedRun r;
  std::fclose(r.run.out.debugTrace);
  r.run.out.debugTrace = nullptr;
  r.run.adapterList.push_back(std::make_unique<Adapter>(sampleFcAdapter()));
  traceAdapterList(r.run);
  EXPECT_EQ(r.console(), "");
}

}  // namespace
}  // namespace vornup
