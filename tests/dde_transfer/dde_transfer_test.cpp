// DDE blocks of the real qor.exe against a DDE server in its own process.
#include <gtest/gtest.h>

#include "dde_server.h"
#include "qor_e2e.h"

using e2e::FailureLine;
using e2e::Hex;
using e2e::kDataSent;
using e2e::TestServer;
using e2e::TempDir;
using e2e::Trace;
using Lines = std::vector<std::string>;

namespace {

const char kNoAnswer[] = " 282 Keine fremde Anwendung hat auf eine DDE-Initialisierung geantwortet";
const char kRefused[] = " 285 Fremde Anwendung f\xFChrt DDE-Methode oder -Operation nicht aus";
const char kBusy[] = " 288 Fremde Anwendung ist besch\xE4" "ftigt";
const char kTimeout[] = " 286 Zeit\xFC" "berschreitung beim Warten auf DDE-Antwort";

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
  return e2e::DdeBlock(TestServer::ExePath(), server, topic, item, payload);
}

// What a full, successful conversation leaves in the server's record.
Lines Conversation(const std::string& service, const std::string& topic, const std::string& item,
                   const std::string& payload) {
  return {"connect-asked\t" + service + "\t" + topic,
          "connect\t" + topic,
          "advstart\t" + item + "\t1\taccepted",
          "poke\t" + item + "\t1\t" + Hex(payload + '\0'),
          "advstop\t" + item + "\t1",
          "disconnect"};
}

TEST(DdeTransfer, PokeDeliversTheExactBytesAndTracesDataSent) {
  TempDir dir;
  TestServer server(dir, "ORDERSRV", "Import");
  ASSERT_TRUE(server.ready());
  const std::string payload = HighBytesPayload();
  e2e::SetTrace(Trace::On);
  const e2e::RunResult run = e2e::RunJob(dir, Block("ORDERSRV", "Import", "Zeile", payload));
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(e2e::TraceMessages(), e2e::RunLines(dir, {kDataSent}));
  ASSERT_TRUE(server.WaitForRecord("disconnect"));
  EXPECT_EQ(server.Records(), Conversation("ORDERSRV", "Import", "Zeile", payload));
}

TEST(DdeTransfer, ApplicationAndTopicAreUsedAsGiven) {
  TempDir dir;
  TestServer server(dir, "ORDERSRV", "Import");
  ASSERT_TRUE(server.ready());
  e2e::SetTrace(Trace::On);
  const std::string job = Block("ORDERSRV", "Export", "Zeile", "falsches Thema") +
                          Block("ORDERSRV", "Import", "Zeile", "richtiges Thema");
  ASSERT_TRUE(e2e::RunJob(dir, job).finished);
  EXPECT_EQ(e2e::TraceMessages(), e2e::RunLines(dir, {FailureLine(kNoAnswer), kDataSent}));
  ASSERT_TRUE(server.WaitForRecord("disconnect"));
  EXPECT_EQ(server.Records(),
            With({"connect-asked\tORDERSRV\tExport"},
                 Conversation("ORDERSRV", "Import", "Zeile", "richtiges Thema")));
}

TEST(DdeTransfer, TwoBlocksHoldTwoConversationsInFileOrder) {
  TempDir dir;
  TestServer server(dir, "ORDERSRV", "Import");
  ASSERT_TRUE(server.ready());
  e2e::SetTrace(Trace::On);
  const std::string job = Block("ORDERSRV", "Import", "Kopf", "erster Block") +
                          Block("ORDERSRV", "Import", "Zeile", "zweiter Block");
  ASSERT_TRUE(e2e::RunJob(dir, job).finished);
  EXPECT_EQ(e2e::TraceMessages(), e2e::RunLines(dir, {kDataSent, kDataSent}));
  ASSERT_TRUE(server.WaitUntilIdle());
  EXPECT_EQ(server.Records(), With(Conversation("ORDERSRV", "Import", "Kopf", "erster Block"),
                                   Conversation("ORDERSRV", "Import", "Zeile", "zweiter Block")));
}

TEST(DdeTransfer, NoServerAnsweringTracesOneLineAndTheNextBlockGoesOn) {
  TempDir dir;
  TestServer server(dir, "ORDERSRV", "Import");
  ASSERT_TRUE(server.ready());
  e2e::SetTrace(Trace::On);
  ASSERT_TRUE(e2e::RunJob(dir, Block("NIEMAND", "Import", "Zeile", "ins Leere")).finished);
  const Lines messages = e2e::TraceMessages();
  EXPECT_EQ(messages, e2e::RunLines(dir, {FailureLine(kNoAnswer)}));
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[2].substr(0, 44),
            "Fehler bei der DDE-\xDC" "bertragung. Fehler  282 ")
      << "two blanks before the digits";

  e2e::SetTrace(Trace::On);
  const std::string job = Block("NIEMAND", "Import", "Zeile", "ins Leere") +
                          Block("ORDERSRV", "Import", "Zeile", "angekommen");
  ASSERT_TRUE(e2e::RunJob(dir, job).finished);
  EXPECT_EQ(e2e::TraceMessages(), e2e::RunLines(dir, {FailureLine(kNoAnswer), kDataSent}));
  ASSERT_TRUE(server.WaitForRecord("disconnect"));
  EXPECT_EQ(server.Records(), Conversation("ORDERSRV", "Import", "Zeile", "angekommen"));
}

TEST(DdeTransfer, NoServerAnsweringWithTracingOffWritesNothingAndGoesOn) {
  TempDir dir;
  TestServer server(dir, "ORDERSRV", "Import");
  ASSERT_TRUE(server.ready());
  e2e::SetTrace(Trace::Off);
  const std::string job = Block("NIEMAND", "Import", "Zeile", "ins Leere") +
                          Block("ORDERSRV", "Import", "Zeile", "angekommen");
  ASSERT_TRUE(e2e::RunJob(dir, job).finished);
  EXPECT_FALSE(e2e::FileExists(e2e::kTraceLog));
  ASSERT_TRUE(server.WaitForRecord("disconnect"));
  EXPECT_EQ(server.Records(), Conversation("ORDERSRV", "Import", "Zeile", "angekommen"));
}

TEST(DdeTransfer, RefusedOrBusyPokeIsTracedAndTheLinkClosed) {
  const struct {
    const char* option;
    const char* error;
  } cases[] = {{"--refuse-poke", kRefused}, {"--busy-poke", kBusy}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.option);
    TempDir dir;
    TestServer server(dir, "ORDERSRV", "Import", c.option);
    ASSERT_TRUE(server.ready());
    e2e::SetTrace(Trace::On);
    ASSERT_TRUE(e2e::RunJob(dir, Block("ORDERSRV", "Import", "Zeile", "abgelehnt")).finished);
    EXPECT_EQ(e2e::TraceMessages(), e2e::RunLines(dir, {FailureLine(c.error)}));
    ASSERT_TRUE(server.WaitForRecord("disconnect"));
    EXPECT_EQ(server.Records(), Conversation("ORDERSRV", "Import", "Zeile", "abgelehnt"));
  }
}

TEST(DdeTransfer, RefusedAutomaticLinkStillPokesAndDelivers) {
  TempDir dir;
  TestServer server(dir, "ORDERSRV", "Import", "--refuse-advise");
  ASSERT_TRUE(server.ready());
  e2e::SetTrace(Trace::On);
  ASSERT_TRUE(e2e::RunJob(dir, Block("ORDERSRV", "Import", "Zeile", "trotzdem")).finished);
  EXPECT_EQ(e2e::TraceMessages(), e2e::RunLines(dir, {kDataSent}));
  ASSERT_TRUE(server.WaitForRecord("disconnect"));
  EXPECT_EQ(server.Records(),
            (Lines{"connect-asked\tORDERSRV\tImport", "connect\tImport",
                   "advstart\tZeile\t1\trefused", "poke\tZeile\t1\t" + Hex(std::string("trotzdem") + '\0'),
                   "disconnect"}));
}

TEST(DdeTransfer, DataTheServerSendsOverTheLinkDoesNotReplaceThePayload) {
  TempDir dir;
  TestServer server(dir, "ORDERSRV", "Import", "--advise-data Serverwert");
  ASSERT_TRUE(server.ready());
  e2e::SetTrace(Trace::On);
  ASSERT_TRUE(e2e::RunJob(dir, Block("ORDERSRV", "Import", "Zeile", "Nutzdaten")).finished);
  EXPECT_EQ(e2e::TraceMessages(), e2e::RunLines(dir, {kDataSent}));
  ASSERT_TRUE(server.WaitForRecord("disconnect"));
  const Lines records = server.Records();
  EXPECT_NE(std::find(records.begin(), records.end(), "advdata\tZeile"), records.end());
  EXPECT_NE(std::find(records.begin(), records.end(),
                      "poke\tZeile\t1\t" + Hex(std::string("Nutzdaten") + '\0')),
            records.end());
}

TEST(DdeTransfer, LateAnswerWithinTheTimeOutIsAwaited) {
  TempDir dir;
  TestServer server(dir, "ORDERSRV", "Import", "--poke-delay 2500");
  ASSERT_TRUE(server.ready());
  e2e::SetTrace(Trace::On);
  const e2e::RunResult run = e2e::RunJob(dir, Block("ORDERSRV", "Import", "Zeile", "spaet"));
  ASSERT_TRUE(run.finished);
  EXPECT_GE(run.elapsedMs, 2500u);
  EXPECT_EQ(e2e::TraceMessages(), e2e::RunLines(dir, {kDataSent}));
  ASSERT_TRUE(server.WaitForRecord("disconnect"));
  EXPECT_EQ(server.Records(), Conversation("ORDERSRV", "Import", "Zeile", "spaet"));
}

TEST(DdeTransfer, ServerThatNeverAnswersThePokeEndsTheBlockAfterTheTimeOut) {
  TempDir dir;
  TestServer server(dir, "ORDERSRV", "Import", "--poke-hang");
  ASSERT_TRUE(server.ready());
  e2e::SetTrace(Trace::On);
  const e2e::RunResult run = e2e::RunJob(dir, Block("ORDERSRV", "Import", "Zeile", "ohne Antwort"));
  ASSERT_TRUE(run.finished);
  EXPECT_GE(run.elapsedMs, 9500u) << "the link time-out is 10 seconds";
  EXPECT_LT(run.elapsedMs, 20000u) << "no second wait for a server that is silent";
  EXPECT_EQ(e2e::TraceMessages(), e2e::RunLines(dir, {FailureLine(kTimeout)}));
  EXPECT_TRUE(server.WaitForRecord("poke\tZeile\t1\t" + Hex(std::string("ohne Antwort") + '\0')));
  server.Kill();
}

// The automatic link answered only after the time-out: with tracing on the
// block ends at once with its line, without a poke and leaving the link; with
// tracing off the text is poked all the same and the link closed.
TEST(DdeTransfer, TimeOutOpeningTheLinkEndsTheBlockOnlyWithTracingOn) {
  {
    TempDir dir;
    TestServer server(dir, "ORDERSRV", "Import", "--advise-delay 11000");
    ASSERT_TRUE(server.ready());
    e2e::SetTrace(Trace::On);
    ASSERT_TRUE(e2e::RunJob(dir, Block("ORDERSRV", "Import", "Zeile", "nicht gesendet")).finished);
    EXPECT_EQ(e2e::TraceMessages(), e2e::RunLines(dir, {FailureLine(kTimeout)}));
    ASSERT_TRUE(server.WaitForRecord("advstart\tZeile\t1\taccepted", 15000));
    ASSERT_TRUE(server.WaitUntilIdle());
    EXPECT_EQ(server.Records(), (Lines{"connect-asked\tORDERSRV\tImport", "connect\tImport",
                                       "advstart\tZeile\t1\taccepted"}));
  }
  {
    TempDir dir;
    TestServer server(dir, "ORDERSRV", "Import", "--advise-delay 11000");
    ASSERT_TRUE(server.ready());
    e2e::SetTrace(Trace::Off);
    ASSERT_TRUE(e2e::RunJob(dir, Block("ORDERSRV", "Import", "Zeile", "doch gesendet")).finished);
    EXPECT_FALSE(e2e::FileExists(e2e::kTraceLog));
    ASSERT_TRUE(server.WaitForRecord("disconnect", 15000));
    EXPECT_EQ(server.Records(),
              (Lines{"connect-asked\tORDERSRV\tImport", "connect\tImport",
                     "advstart\tZeile\t1\taccepted",
                     "poke\tZeile\t1\t" + Hex(std::string("doch gesendet") + '\0'), "disconnect"}));
  }
}

}  // namespace
