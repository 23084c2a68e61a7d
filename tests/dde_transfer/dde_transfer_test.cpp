// DDE blocks of the real qor.exe against a DDE server in its own process.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "clipboard.h"
#include "dde_test_server.h"
#include "qor_e2e.h"

using namespace e2e;

namespace {

const char kNoAnswer[] = " 282 Keine fremde Anwendung hat auf eine DDE-Initialisierung geantwortet";
const char kRefused[] = " 285 Fremde Anwendung f\374hrt DDE-Methode oder -Operation nicht aus";
const char kBusy[] =
    " 288 Fremde Anwendung ist besch\344"
    "ftigt";
const char kTimeout[] =
    " 286 Zeit\374"
    "berschreitung beim Warten auf DDE-Antwort";

// A payload with line breaks and every byte from 0x80 to 0xFF: CF_TEXT
// carries the bytes as they are.
std::string HighBytesPayload() {
  std::string payload = "Titel;\r\n";
  for (int b = 0x80; b <= 0xFF; ++b) payload += static_cast<char>(b);
  return payload + "\r\nEnde";
}

Lines With(Lines lines, const Lines& more) {
  lines.insert(lines.end(), more.begin(), more.end());
  return lines;
}

std::string Block(const std::string& server, const std::string& topic, const std::string& item,
                  const std::string& payload) {
  return DdeBlock(TestServer::ExePath(), server, topic, item, payload);
}

// The server's records of a conversation on topic Import of ORDERSRV up to
// the poke of `payload` to `item`, the automatic link answered `advise`.
Lines UpToThePoke(const std::string& item, const std::string& payload,
                  const char* advise = "accepted") {
  return {"connect-asked\tORDERSRV\tImport", "connect\tImport",
          "advstart\t" + item + "\t1\t" + advise, "poke\t" + item + "\t1\t" + Hex(payload + '\0')};
}

// What a full, successful conversation leaves in the server's record.
Lines Conversation(const std::string& item, const std::string& payload) {
  return With(UpToThePoke(item, payload), {"advstop\t" + item + "\t1", "disconnect"});
}

// One job against a server answering as its options say: the trace lines it
// leaves (none at all with tracing off) and every record of the server.
struct Case {
  const char* name;
  const char* options;
  Trace trace;
  std::string job;
  Lines lines;
  Lines records;
  DWORD atLeastMs = 0;  // when not 0, the run takes at least this long
};

TEST(DdeTransfer, TheServersAnswersGiveTheseLinesAndRecords) {
  const std::string high = HighBytesPayload();
  const Case cases[] = {
      {"exact bytes poked, data sent",
       "",
       Trace::On,
       Block("ORDERSRV", "Import", "Zeile", high),
       {kDataSent},
       Conversation("Zeile", high)},
      {"application and topic as given",
       "",
       Trace::On,
       Block("ORDERSRV", "Export", "Zeile", "falsches Thema") +
           Block("ORDERSRV", "Import", "Zeile", "richtiges Thema"),
       {FailureLine(kNoAnswer), kDataSent},
       With({"connect-asked\tORDERSRV\tExport"}, Conversation("Zeile", "richtiges Thema"))},
      {"two blocks, two conversations in file order",
       "",
       Trace::On,
       Block("ORDERSRV", "Import", "Kopf", "erster Block") +
           Block("ORDERSRV", "Import", "Zeile", "zweiter Block"),
       {kDataSent, kDataSent},
       With(Conversation("Kopf", "erster Block"), Conversation("Zeile", "zweiter Block"))},
      {"no server answering, the next block goes on",
       "",
       Trace::On,
       Block("NIEMAND", "Import", "Zeile", "ins Leere") +
           Block("ORDERSRV", "Import", "Zeile", "angekommen"),
       {FailureLine(kNoAnswer), kDataSent},
       Conversation("Zeile", "angekommen")},
      {"the same with tracing off",
       "",
       Trace::Off,
       Block("NIEMAND", "Import", "Zeile", "ins Leere") +
           Block("ORDERSRV", "Import", "Zeile", "angekommen"),
       {},
       Conversation("Zeile", "angekommen")},
      {"poke refused, link closed",
       "--refuse-poke",
       Trace::On,
       Block("ORDERSRV", "Import", "Zeile", "abgelehnt"),
       {FailureLine(kRefused)},
       Conversation("Zeile", "abgelehnt")},
      {"server busy, link closed",
       "--busy-poke",
       Trace::On,
       Block("ORDERSRV", "Import", "Zeile", "abgelehnt"),
       {FailureLine(kBusy)},
       Conversation("Zeile", "abgelehnt")},
      {"automatic link refused, poked all the same",
       "--refuse-advise",
       Trace::On,
       Block("ORDERSRV", "Import", "Zeile", "trotzdem"),
       {kDataSent},
       With(UpToThePoke("Zeile", "trotzdem", "refused"), {"disconnect"})},
      {"a late answer within the time-out is awaited",
       "--poke-delay 2500",
       Trace::On,
       Block("ORDERSRV", "Import", "Zeile", "spaet"),
       {kDataSent},
       Conversation("Zeile", "spaet"),
       2500},
      // The automatic link answered only after the time-out: with tracing on
      // the block ends at once with its line, without a poke and leaving the
      // link; with tracing off the text is poked all the same and the link
      // closed.
      {"link opened too late, tracing on",
       "--advise-delay 11000",
       Trace::On,
       Block("ORDERSRV", "Import", "Zeile", "nicht gesendet"),
       {FailureLine(kTimeout)},
       {"connect-asked\tORDERSRV\tImport", "connect\tImport", "advstart\tZeile\t1\taccepted"}},
      {"link opened too late, tracing off",
       "--advise-delay 11000",
       Trace::Off,
       Block("ORDERSRV", "Import", "Zeile", "doch gesendet"),
       {},
       With(UpToThePoke("Zeile", "doch gesendet"), {"disconnect"})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    TestServer server(dir, "ORDERSRV", "Import", c.options);
    ASSERT_TRUE(server.ready());
    SetTrace(c.trace);
    const RunResult run = RunJob(dir, c.job);
    ASSERT_TRUE(run.finished);
    if (c.atLeastMs > 0) {
      EXPECT_GE(run.elapsedMs, c.atLeastMs);
    }
    if (c.trace == Trace::On) {
      EXPECT_EQ(TraceMessages(), RunLines(dir, c.lines));
    } else {
      EXPECT_FALSE(FileExists(kTraceLog));
    }
    // Nothing more comes once the server has been idle after the last record.
    server.WaitForRecords(c.records);
    EXPECT_TRUE(server.WaitUntilIdle());
    EXPECT_EQ(server.Records(), c.records);
  }
}

TEST(DdeTransfer, DataTheServerSendsOverTheLinkDoesNotReplaceThePayload) {
  TempDir dir;
  TestServer server(dir, "ORDERSRV", "Import", "--advise-data Serverwert");
  ASSERT_TRUE(server.ready());
  SetTrace(Trace::On);
  ASSERT_TRUE(RunJob(dir, Block("ORDERSRV", "Import", "Zeile", "Nutzdaten")).finished);
  EXPECT_EQ(TraceMessages(), RunLines(dir, {kDataSent}));
  ASSERT_TRUE(server.WaitForRecord("disconnect"));
  const Lines records = server.Records();
  const Lines expected = {"advdata\tZeile", UpToThePoke("Zeile", "Nutzdaten").back()};
  for (const std::string& line : expected) {
    EXPECT_NE(std::find(records.begin(), records.end(), line), records.end()) << line;
  }
}

TEST(DdeTransfer, ServerThatNeverAnswersThePokeEndsTheBlockAfterTheTimeOut) {
  TempDir dir;
  TestServer server(dir, "ORDERSRV", "Import", "--poke-hang");
  ASSERT_TRUE(server.ready());
  SetTrace(Trace::On);
  const RunResult run = RunJob(dir, Block("ORDERSRV", "Import", "Zeile", "ohne Antwort"));
  ASSERT_TRUE(run.finished);
  EXPECT_GE(run.elapsedMs, 9500u) << "the link time-out is 10 seconds";
  EXPECT_LT(run.elapsedMs, 20000u) << "no second wait for a server that is silent";
  EXPECT_EQ(TraceMessages(), RunLines(dir, {FailureLine(kTimeout)}));
  EXPECT_TRUE(server.WaitForRecords(UpToThePoke("Zeile", "ohne Antwort")));
  server.Kill();
}

// An acknowledgement from a window other than the server's answers nothing:
// a forged positive one, posted while the server keeps the poke unanswered,
// does not make the block delivered.
TEST(DdeTransfer, AnAcknowledgementFromAnotherWindowAnswersNothing) {
  TempDir dir;
  TestServer server(dir, "ORDERSRV", "Import", "--poke-hang");
  ASSERT_TRUE(server.ready());
  SetTrace(Trace::On);
  RunResult run;
  std::thread runner([&] { run = RunJob(dir, Block("ORDERSRV", "Import", "Zeile", "echt")); });
  const bool poked = server.WaitForRecord(UpToThePoke("Zeile", "echt").back());
  const HWND form = FindWindowA("QorForm1", "Form1");
  const LPARAM forged = PackDDElParam(WM_DDE_ACK, 0x8000, GlobalAddAtomA("Zeile"));
  const bool posted = form != nullptr && PostMessageA(form, WM_DDE_ACK,
                                                      reinterpret_cast<WPARAM>(TestWindow()), forged);
  runner.join();
  server.Kill();
  EXPECT_TRUE(poked);
  EXPECT_TRUE(posted) << "qor.exe's window found and the forged answer posted";
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(TraceMessages(), RunLines(dir, {FailureLine(kTimeout)}));
}

// Two servers of the same name and topic: the first that answers gets the
// conversation, the other is not even asked, so it is left no conversation
// to keep open.
TEST(DdeTransfer, OfTwoServersOfOneNameOnlyTheFirstToAnswerIsAsked) {
  TempDir first, second;
  TestServer one(first, "ORDERSRV", "Import");
  TestServer other(second, "ORDERSRV", "Import");
  ASSERT_TRUE(one.ready() && other.ready());
  SetTrace(Trace::On);
  ASSERT_TRUE(RunJob(first, Block("ORDERSRV", "Import", "Zeile", "einmal")).finished);
  EXPECT_EQ(TraceMessages(), RunLines(first, {kDataSent}));
  // A server that was never asked has nothing to finish.
  for (const TestServer* server : {&one, &other}) {
    if (!server->Records().empty()) {
      EXPECT_TRUE(server->WaitUntilIdle());
    }
  }
  Lines records[] = {one.Records(), other.Records()};
  std::sort(std::begin(records), std::end(records));
  EXPECT_EQ(records[0], Lines{});
  EXPECT_EQ(records[1], Conversation("Zeile", "einmal"));
}

}  // namespace
