#include <gtest/gtest.h>

#include "job_loop.h"
#include "job_text.h"
#include "qor_state.h"
#include "stand_ins.h"

namespace {

using jobtext::FileBlock;

const std::vector<JobBlockRecord>& RunJob(const std::string& job) {
  LoadJob(job);
  RunJobLoop();
  return StandIns::Get().delivered;
}

// The blocks the loop delivers for `job`, each as "file name=payload".
std::vector<std::string> Delivered(const std::string& job) {
  std::vector<std::string> blocks;
  for (const JobBlockRecord& block : RunJob(job)) {
    blocks.push_back(block.TargetFileName + "=" + std::string(block.DataText));
  }
  return blocks;
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

TEST(JobLoop, DeliversTheBlocksUpToTheFirstInvalidHeader) {
  const std::string bad = "(((HEADERSTART)))Ziel=Fax*(((HEADEREND)))(((DATASTART)))x(((DATAEND)))";
  const std::string lone = "(((HEADERSTART)))Ziel=Datei*Dateiname=first*(((HEADEREND)))\r\n";
  const std::string open =
      "(((HEADERSTART)))Ziel=Datei*Dateiname=a*(((HEADEREND)))(((DATASTART)))x";
  const std::string later =
      "\r\n(((HEADERSTART)))Ziel=Datei*Dateiname=b*(((HEADEREND)))(((DATASTART)))2";
  const std::string broken =
      "(((HEADERSTART)))Ziel=Datei*Dateiname=b*(((DATASTART)))y(((DATAEND)))";
  std::string endingAtTheMarker = FileBlock("a", "1") + FileBlock("b", "2");
  endingAtTheMarker.resize(endingAtTheMarker.size() - 2);  // no line end after the last marker
  const std::string headerLike = "\r\n(((HEADERSTART)))Ziel=DDE*\r\n*Dateiname=x*\r\n";
  const struct {
    const char* what;
    std::string job;
    std::vector<std::string> delivered;
  } cases[] = {
      {"an invalid header ends the run, later blocks are never parsed",
       FileBlock("a", "1") + bad + FileBlock("c", "3"),
       {"a=1"}},
      {"a blank payload skips only its block",
       FileBlock("a", "   ") + FileBlock("b", "2"),
       {"b=2"}},
      {"a header without data section",
       "(((HEADERSTART)))Ziel=Datei*Dateiname=a*(((HEADEREND)))",
       {}},
      {"a header followed directly by a block takes that block's payload",
       lone + FileBlock("second", "data2") + FileBlock("third", "data3"),
       {"first=data2", "third=data3"}},
      {"data without end marker swallows the rest and ends the run",
       open + later + "  ",
       {"a=x" + later}},
      // Without care the data search would start over at the top and deliver
      // the first block a second time.
      {"a header without end marker delivers nothing more and ends the run",
       FileBlock("a", "1") + broken,
       {"a=1"}},
      {"the last block ends at the end of the text", endingAtTheMarker, {"a=1", "b=2"}},
      {"a text without header", "(((DATASTART)))x(((DATAEND)))", {}},
      {"an empty text", "", {}},
      {"a payload that looks like a header is delivered unchanged",
       FileBlock("a", headerLike) + FileBlock("b", "2"),
       {"a=" + headerLike, "b=2"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Delivered(c.job), c.delivered) << c.what;
}

}  // namespace
