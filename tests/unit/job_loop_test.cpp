#include <gtest/gtest.h>

#include "job_parser.h"
#include "qor_state.h"
#include "stand_ins.h"

namespace {

const std::vector<JobBlockRecord>& RunJob(const std::string& job) {
  LoadJob(job);
  RunJobLoop();
  return StandIns::Get().delivered;
}

std::string FileBlock(const std::string& name, const std::string& data) {
  return "(((HEADERSTART)))Ziel=Datei*Dateiname=" + name + "*(((HEADEREND)))(((DATASTART)))" +
         data + "(((DATAEND)))";
}

TEST(JobLoop, WorkedExampleWithFileAndDdeBlock) {
  const std::string job =
      "(((HEADERSTART)))\r\n"
      "Ziel=Datei*\r\n"
      "Dateiname=C:\\Export\\titel.txt*\r\n"
      "Anhaengen=Ja*\r\n"
      "Externer Programmaufruf=C:\\Tools\\viewer.exe C:\\Export\\titel.txt*\r\n"
      "(((HEADEREND)))\r\n"
      "(((DATASTART)))\r\n"
      "Titel A;Verlag B;2\r\n"
      "(((DATAEND)))\r\n"
      "(((HEADERSTART)))\r\n"
      "Ziel=DDE*\r\n"
      "DDE-Item=Zeile*\r\n"
      "DDE-Service=hulintern*\r\n"
      "DDE-Server=ORDERSRV*\r\n"
      "DDE-Topic=Import*\r\n"
      "(((HEADEREND)))\r\n"
      "(((DATASTART)))Titel C;1(((DATAEND)))\r\n";
  const auto& blocks = RunJob(job);
  ASSERT_EQ(blocks.size(), 2u);

  EXPECT_EQ(blocks[0].TargetCode, TargetFile);
  EXPECT_EQ(blocks[0].TargetFileName, "C:\\Export\\titel.txt");
  EXPECT_TRUE(blocks[0].AppendFlag);
  EXPECT_EQ(blocks[0].ExternalProgram, "C:\\Tools\\viewer.exe C:\\Export\\titel.txt");
  EXPECT_EQ(blocks[0].DataText, "\r\nTitel A;Verlag B;2\r\n");
  EXPECT_EQ(blocks[0].HeaderText.substr(0, 2), "\r\n") << "trimming removes no line breaks";

  EXPECT_EQ(blocks[1].TargetCode, TargetDde);
  EXPECT_EQ(blocks[1].DdeServer, "ORDERSRV");
  EXPECT_EQ(blocks[1].DdeTopic, "Import");
  EXPECT_EQ(blocks[1].DdeItem, "Zeile");
  EXPECT_EQ(blocks[1].DdeService, StandIns::Get().companionPath);
  EXPECT_EQ(blocks[1].TargetFileName, "");
  EXPECT_EQ(blocks[1].ExternalProgram, "");
  EXPECT_TRUE(blocks[1].AppendFlag) << "still on from the first block";
  EXPECT_EQ(blocks[1].DataText, "Titel C;1");
}

TEST(JobLoop, InvalidHeaderEndsTheRunAndLaterBlocksAreNeverParsed) {
  const std::string bad =
      "(((HEADERSTART)))Ziel=Fax*(((HEADEREND)))(((DATASTART)))x(((DATAEND)))";
  const auto& blocks = RunJob(FileBlock("a", "1") + bad + FileBlock("c", "3"));
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0].TargetFileName, "a");
}

TEST(JobLoop, BlankOrMissingDataSkipsOnlyThatBlock) {
  const auto& blocks = RunJob(FileBlock("a", "   ") + FileBlock("b", "2"));
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0].TargetFileName, "b");
  EXPECT_EQ(blocks[0].DataText, "2");

  const auto& only = RunJob("(((HEADERSTART)))Ziel=Datei*Dateiname=a*(((HEADEREND)))");
  EXPECT_TRUE(only.empty());
}

TEST(JobLoop, HeaderFollowedDirectlyByBlockTakesItsPayload) {
  const std::string lone = "(((HEADERSTART)))Ziel=Datei*Dateiname=first*(((HEADEREND)))\r\n";
  const auto& blocks = RunJob(lone + FileBlock("second", "data2") + FileBlock("third", "data3"));
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0].TargetFileName, "first");
  EXPECT_EQ(blocks[0].DataText, "data2");
  EXPECT_EQ(blocks[1].TargetFileName, "third");
}

TEST(JobLoop, DataWithoutEndMarkerSwallowsTheRestAndEndsTheRun) {
  const std::string open =
      "(((HEADERSTART)))Ziel=Datei*Dateiname=a*(((HEADEREND)))(((DATASTART)))x";
  const std::string later =
      "\r\n(((HEADERSTART)))Ziel=Datei*Dateiname=b*(((HEADEREND)))(((DATASTART)))2";
  const auto& blocks = RunJob(open + later + "  ");
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0].DataText, "x" + later);
}

TEST(JobLoop, HeaderWithoutEndMarkerDeliversNothingMoreAndEnds) {
  // Without care the data search would start over at the top and deliver the
  // first block a second time.
  const std::string broken =
      "(((HEADERSTART)))Ziel=Datei*Dateiname=b*(((DATASTART)))y(((DATAEND)))";
  const auto& blocks = RunJob(FileBlock("a", "1") + broken);
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0].TargetFileName, "a");
}

TEST(JobLoop, LastBlockEndingAtEndOfTextEndsNormally) {
  const auto& blocks = RunJob(FileBlock("a", "1") + FileBlock("b", "2"));
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[1].DataText, "2");
}

TEST(JobLoop, TextWithoutHeaderDeliversNothing) {
  EXPECT_TRUE(RunJob("(((DATASTART)))x(((DATAEND)))").empty());
  EXPECT_TRUE(RunJob("").empty());
}

TEST(JobLoop, PayloadLookingLikeHeaderIsDeliveredUnchanged) {
  const std::string data = "\r\n(((HEADERSTART)))Ziel=DDE*\r\n*Dateiname=x*\r\n";
  const auto& blocks = RunJob(FileBlock("a", data) + FileBlock("b", "2"));
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0].DataText, data);
}

}  // namespace
