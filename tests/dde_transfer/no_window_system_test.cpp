// DDE blocks of the real qor.exe where no window system can be reached: CTest
// runs this program through without_display.sh, and qor.exe inherits that.
// Form1 cannot be created and the system gives no reason; each block must say
// so, never name a code an earlier call left behind.
#include <gtest/gtest.h>

#include "dde_test_server.h"
#include "qor_e2e.h"

namespace {

TEST(WithoutWindowSystem, EachDdeBlockNamesTheWindowThatCannotBeCreated) {
  ASSERT_EQ(CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr),
            nullptr)
      << "a window system is reachable: run through without_display.sh";
  // The service is this very program: it runs, so the server check passes
  // (and releases without a scan pass it anyway).
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  e2e::TempDir dir;
  e2e::SetTrace(e2e::Trace::On);
  const std::string block = e2e::DdeBlock(self, "ORDERSRV", "Import", "Zeile", "Daten");
  ASSERT_TRUE(e2e::RunJob(dir, block + block).finished);
  const std::string line = e2e::FailureLine(" 361 Fenster kann nicht erstellt werden");
  EXPECT_EQ(e2e::TraceMessages(), e2e::RunLines(dir, {line, line}));
  e2e::SetTrace(e2e::Trace::Off);
}

}  // namespace
