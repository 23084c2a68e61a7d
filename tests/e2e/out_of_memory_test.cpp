// Running out of memory for real: this program takes all of its free address
// space but a few MB and then runs the delivery program's own loop and
// targets over blocks whose payloads do not fit beside that. What ran out
// abandons only its block, with the failure line where the target has one;
// a header that cannot be parsed ends the run.
#include <gtest/gtest.h>

#include "clipboard.h"
#include "companion_path.h"
#include "dde_test_server.h"
#include "deliver_block.h"
#include "job_loop.h"
#include "job_parser.h"
#include "qor_e2e.h"
#include "qor_state.h"

using namespace e2e;

namespace {

// The trace lines, each cut to its first 120 characters: a line that names
// a 64 MB value is not printed whole when the comparison fails.
Lines TraceLinesShortened() {
  Lines lines = TraceMessages();
  for (std::string& line : lines) line = line.substr(0, 120);
  return lines;
}

TEST(OutOfMemory, AbandonsOnlyWhatItHitAndHoldsThePayloadOnce) {
#ifdef _WIN64
  GTEST_SKIP() << "a 64-bit address space cannot be taken";
#endif
  constexpr size_t kPayloadBytes = 64 << 20;
  constexpr size_t kLeftBytes = 16 << 20;
  TempDir dir;
  TestServer server(dir, "QORSPEICHER", "Import");
  ASSERT_TRUE(server.ready());
  const std::string service = TestServer::ExePath();
  TraceOn = true;
  // qor.exe's own procedures, as RunJobFile plugs them in.
  BlockDeliverer = DeliverBlock;
  CompanionLocator = LocateCompanionPath;
  // The DDE branch makes its window and loads what it needs while there is room.
  SetTrace(Trace::On);
  JobText = DdeBlock(service, "QORSPEICHER", "Import", "Zeile", "vorweg");
  RunJobLoop();
  ASSERT_EQ(TraceMessages(), Lines{kDataSent});

  const std::string payload = "<" + std::string(kPayloadBytes, 'x') + ">";
  ASSERT_TRUE(PutBitmapAndText("vorher"));
  JobText = FileBlock(dir / "gross.txt", payload) + ClipboardBlock(payload, true) +
            DdeBlock(service, "QORSPEICHER", "Import", "Zeile", payload) +
            FileBlock(dir / "danach.txt", "weiter") +
            Header("Ziel=Datei*\r\nDateiname=" + payload + "*") + Data("kopf") +
            FileBlock(dir / "nie.txt", "nie");
  SetTrace(Trace::On);
  {
    AddressSpaceSqueeze squeeze(kLeftBytes);
    ASSERT_GT(squeeze.reservedBytes(), size_t{512} << 20);
    RunJobLoop();
  }
  TraceOn = false;
  JobText.clear();

  // Compared whole, without printing 64 MB when they differ.
  EXPECT_TRUE(Content(dir / "gross.txt") == payload) << "held once, written whole";
  std::string clipboard;
  EXPECT_TRUE(ClipboardText(clipboard));
  EXPECT_EQ(clipboard, "vorher") << "abandoned before the clipboard was opened";
  EXPECT_EQ(Content(dir / "danach.txt"), "weiter") << "the next block is delivered";
  EXPECT_FALSE(FileExists(dir / "nie.txt")) << "the run ended at the header";
  EXPECT_EQ(TraceLinesShortened(), Lines{FailureLine(" 7 Nicht gen\374"
                                                     "gend Speicher")});
  SetTrace(Trace::Off);
}

}  // namespace
