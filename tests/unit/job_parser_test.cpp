#include "job_parser.h"

#include <gtest/gtest.h>

#include "qor_state.h"
#include "stand_ins.h"

namespace {

// ---- ExtractBetween: positions and trimming --------------------------------

TEST(ExtractBetween, FindsTextBetweenMarkersAndPointsPastEndMarker) {
  int32_t next = -7;
  //                             1234567890123
  EXPECT_EQ(ExtractBetween("xx<a>  v 1 </a>yy", "<a>", "</a>", 1, next), "v 1");
  EXPECT_EQ(next, 16);  // 'y' after "</a>" at 12..15
}

TEST(ExtractBetween, PositionZeroSearchesFromFirstCharacter) {
  int32_t next = 0;
  EXPECT_EQ(ExtractBetween("<a>v</a>", "<a>", "</a>", 0, next), "v");
  EXPECT_EQ(next, 9);
}

TEST(ExtractBetween, SearchStartsAtGivenPosition) {
  int32_t next = 0;
  EXPECT_EQ(ExtractBetween("<a>1</a><a>2</a>z", "<a>", "</a>", 2, next), "2");
  EXPECT_EQ(next, 17);
}

TEST(ExtractBetween, MissingStartMarkerLeavesNextUnchanged) {
  int32_t next = 42;
  EXPECT_EQ(ExtractBetween("nothing here", "<a>", "</a>", 1, next), "");
  EXPECT_EQ(next, 42);
  EXPECT_EQ(ExtractBetween("<a>v</a>", "<a>", "</a>", 100, next), "");
  EXPECT_EQ(next, 42) << "search start beyond the end finds nothing";
}

TEST(ExtractBetween, MissingEndMarkerRunsToEndAndNextIsZero) {
  int32_t next = 5;
  EXPECT_EQ(ExtractBetween("<a>rest of text ", "<a>", "</a>", 1, next), "rest of text");
  EXPECT_EQ(next, 0);
}

TEST(ExtractBetween, OneCharEndMarkerAsLastCharacterGivesNextZero) {
  int32_t next = 5;
  EXPECT_EQ(ExtractBetween("Ziel=Datei*", "Ziel=", "*", 1, next), "Datei");
  EXPECT_EQ(next, 0);
}

TEST(ExtractBetween, MultiCharEndMarkerAtEndPointsOnePastTheEnd) {
  int32_t next = 0;
  const std::string text = "(((DATASTART)))abc(((DATAEND)))";
  EXPECT_EQ(ExtractBetween(text, "(((DATASTART)))", "(((DATAEND)))", 1, next), "abc");
  EXPECT_EQ(next, static_cast<int32_t>(text.size()) + 1);
  int32_t later = 9;
  EXPECT_EQ(ExtractBetween(text, "(((DATASTART)))", "(((DATAEND)))", next, later), "");
  EXPECT_EQ(later, 9);
}

TEST(ExtractBetween, StartMarkerAsLastTextGivesEmptyAndNextZero) {
  int32_t next = 3;
  EXPECT_EQ(ExtractBetween("abc(((DATASTART)))", "(((DATASTART)))", "(((DATAEND)))", 1, next),
            "");
  EXPECT_EQ(next, 0);
}

TEST(ExtractBetween, TrimsBlanksOnlyNotTabsOrLineBreaks) {
  int32_t next = 0;
  EXPECT_EQ(ExtractBetween("<a>  \r\n\tx\t \r\n  </a>", "<a>", "</a>", 1, next), "\r\n\tx\t \r\n");
  EXPECT_EQ(ExtractBetween("<a>     </a>", "<a>", "</a>", 1, next), "");
}

TEST(ExtractBetween, KeepsEveryByteValue) {
  std::string payload("a\0b\x80\xFF\xDC", 6);
  int32_t next = 0;
  EXPECT_EQ(ExtractBetween("<a>" + payload + "</a>", "<a>", "</a>", 1, next), payload);
}

// ---- ParseHeaderBlock ------------------------------------------------------

bool ParseHeader(const std::string& header, int32_t& next) {
  LoadJob("(((HEADERSTART)))" + header + "(((HEADEREND)))");
  return ParseHeaderBlock(1, next);
}

bool ParseHeader(const std::string& header) {
  int32_t next = 0;
  return ParseHeader(header, next);
}

TEST(ParseHeaderBlock, FileHeaderWithAllEntries) {
  int32_t next = 0;
  ASSERT_TRUE(ParseHeader(
      "Ziel=Datei*Dateiname= C:\\a b\\t.txt *Anhaengen=Ja*Externer Programmaufruf=x.exe /p*",
      next));
  EXPECT_EQ(JobBlock.TargetCode, TargetFile);
  EXPECT_EQ(JobBlock.TargetFileName, "C:\\a b\\t.txt");
  EXPECT_TRUE(JobBlock.AppendFlag);
  EXPECT_EQ(JobBlock.ExternalProgram, "x.exe /p");
  EXPECT_EQ(next, static_cast<int32_t>(JobText.size()) + 1);
}

TEST(ParseHeaderBlock, TargetValuesAreCaseSensitiveAndExact) {
  EXPECT_FALSE(ParseHeader("Ziel=datei*Dateiname=f*"));
  EXPECT_FALSE(ParseHeader("Ziel=DATEI*Dateiname=f*"));
  EXPECT_FALSE(ParseHeader("Ziel=Datei\r\n*Dateiname=f*")) << "the line break belongs to the value";
  EXPECT_FALSE(ParseHeader("Dateiname=f*")) << "no target";
  EXPECT_FALSE(ParseHeader("Ziel=Drucker*"));
  EXPECT_TRUE(ParseHeader("  Ziel=  Datei  *Dateiname=f*")) << "blanks are trimmed";
}

TEST(ParseHeaderBlock, EmptyOrMissingHeaderIsInvalid) {
  EXPECT_FALSE(ParseHeader("     "));
  LoadJob("no markers at all");
  int32_t next = 77;
  EXPECT_FALSE(ParseHeaderBlock(1, next));
  EXPECT_EQ(next, 77);
}

TEST(ParseHeaderBlock, FileHeaderNeedsFileName) {
  EXPECT_FALSE(ParseHeader("Ziel=Datei*Anhaengen=Ja*"));
  EXPECT_FALSE(ParseHeader("Ziel=Datei*Dateiname=   *"));
}

TEST(ParseHeaderBlock, AppendOnlyForExactlyJa) {
  ASSERT_TRUE(ParseHeader("Ziel=Datei*Dateiname=f*Anhaengen=ja*"));
  EXPECT_FALSE(JobBlock.AppendFlag);
  ASSERT_TRUE(ParseHeader("Ziel=Datei*Dateiname=f*Anhaengen=JA*"));
  EXPECT_FALSE(JobBlock.AppendFlag);
  ASSERT_TRUE(ParseHeader("Ziel=Datei*Dateiname=f*Anhaengen=Ja *"));
  EXPECT_TRUE(JobBlock.AppendFlag);
  ASSERT_TRUE(ParseHeader("Ziel=Datei*Dateiname=f*"));
  EXPECT_FALSE(JobBlock.AppendFlag);
}

TEST(ParseHeaderBlock, FileEntriesMustFollowInOrder) {
  ASSERT_TRUE(ParseHeader("Ziel=Datei*Anhaengen=Ja*Dateiname=f*\r\n"));
  EXPECT_FALSE(JobBlock.AppendFlag) << "the append lookup starts after the file-name entry";
  // ...except when the file name's "*" ends the header text: the key next
  // position becomes 0 and the append lookup searches the whole header.
  ASSERT_TRUE(ParseHeader("Ziel=Datei*Anhaengen=Ja*Dateiname=f*"));
  EXPECT_TRUE(JobBlock.AppendFlag);
  ASSERT_TRUE(
      ParseHeader("Ziel=Datei*Externer Programmaufruf=p*Dateiname=f*Anhaengen=Ja*\r\n"));
  EXPECT_TRUE(JobBlock.AppendFlag);
  EXPECT_EQ(JobBlock.ExternalProgram, "") << "written before the append entry: passed over";
}

TEST(ParseHeaderBlock, ZielMayStandAnywhereAndSecondIsIgnored) {
  ASSERT_TRUE(ParseHeader("Anhaengen=Ja*Ziel=Zwischenablage*Ziel=Datei*"));
  EXPECT_EQ(JobBlock.TargetCode, TargetClipboard);
  EXPECT_FALSE(JobBlock.AppendFlag) << "append entry stands before Ziel=";
}

TEST(ParseHeaderBlock, LastEntryWithoutTerminatorRunsToEnd) {
  ASSERT_TRUE(ParseHeader("Ziel=Zwischenablage"));
  EXPECT_EQ(JobBlock.TargetCode, TargetClipboard);
  EXPECT_FALSE(ParseHeader("Ziel=Zwischenablage\r\n"));
}

TEST(ParseHeaderBlock, KeysAreFoundAsPlainSubstrings) {
  ASSERT_TRUE(ParseHeader("XZiel=Zwischenablage*"));
  EXPECT_EQ(JobBlock.TargetCode, TargetClipboard);
}

TEST(ParseHeaderBlock, DdeEntriesInAnyOrderAfterZiel) {
  ASSERT_TRUE(ParseHeader("Ziel=DDE*DDE-Item=I*DDE-Topic=T*DDE-Server=S*DDE-Service=c:\\x.exe*"));
  EXPECT_EQ(JobBlock.TargetCode, TargetDde);
  EXPECT_EQ(JobBlock.DdeService, "c:\\x.exe");
  EXPECT_EQ(JobBlock.DdeServer, "S");
  EXPECT_EQ(JobBlock.DdeTopic, "T");
  EXPECT_EQ(JobBlock.DdeItem, "I");
  EXPECT_EQ(StandIns::Get().companionLookups, 0);
}

TEST(ParseHeaderBlock, DdeNeedsAllFourValuesAfterZiel) {
  EXPECT_FALSE(ParseHeader("DDE-Item=I*Ziel=DDE*DDE-Topic=T*DDE-Server=S*DDE-Service=x*"));
  EXPECT_FALSE(ParseHeader("Ziel=DDE*DDE-Item=I*DDE-Topic= *DDE-Server=S*DDE-Service=x*"));
  EXPECT_FALSE(ParseHeader("Ziel=DDE*DDE-Item=I*DDE-Server=S*DDE-Service=x*"));
}

TEST(ParseHeaderBlock, HulinternIsReplacedOnlyWhenExact) {
  ASSERT_TRUE(ParseHeader("Ziel=DDE*DDE-Service=hulintern*DDE-Server=S*DDE-Topic=T*DDE-Item=I*"));
  EXPECT_EQ(StandIns::Get().companionLookups, 1);
  EXPECT_EQ(JobBlock.DdeService, "C:\\Bib\\bin\\dravo.exe");
  ASSERT_TRUE(ParseHeader("Ziel=DDE*DDE-Service=Hulintern*DDE-Server=S*DDE-Topic=T*DDE-Item=I*"));
  EXPECT_EQ(StandIns::Get().companionLookups, 0);
  EXPECT_EQ(JobBlock.DdeService, "Hulintern");
}

TEST(ParseHeaderBlock, FieldsAreEmptiedButTargetAndAppendCarryOver) {
  ASSERT_TRUE(ParseHeader("Ziel=Datei*Dateiname=f*Anhaengen=Ja*Externer Programmaufruf=p*"));
  JobBlock.DdeServer = "stale";
  int32_t next = 0;
  JobText = "(((HEADERSTART)))Ziel=DDE*DDE-Service=s*DDE-Server=S*DDE-Topic=T*DDE-Item=I*"
            "(((HEADEREND)))";
  ASSERT_TRUE(ParseHeaderBlock(1, next));
  EXPECT_EQ(JobBlock.TargetFileName, "");
  EXPECT_EQ(JobBlock.ExternalProgram, "");
  EXPECT_TRUE(JobBlock.AppendFlag) << "a DDE header leaves the append flag alone";
  EXPECT_EQ(JobBlock.DdeServer, "S");

  JobText = "(((HEADERSTART)))Ziel=DDE*DDE-Service=s*(((HEADEREND)))";
  EXPECT_FALSE(ParseHeaderBlock(1, next));
  EXPECT_EQ(JobBlock.TargetCode, TargetDde) << "set as soon as the target is recognised";
}

// ---- ParseDataBlock --------------------------------------------------------

TEST(ParseDataBlock, PayloadKeepsLineBreaksAndStarsButLosesBlanks) {
  LoadJob("(((DATASTART))) \r\nZiel=Datei*\r\n (((DATAEND)))");
  int32_t next = 0;
  ASSERT_TRUE(ParseDataBlock(1, next));
  EXPECT_EQ(JobBlock.DataText, "\r\nZiel=Datei*\r\n");
}

TEST(ParseDataBlock, BlankPayloadOrNoSectionIsNotDelivered) {
  LoadJob("(((DATASTART)))    (((DATAEND)))");
  int32_t next = 0;
  EXPECT_FALSE(ParseDataBlock(1, next));
  LoadJob("nothing");
  next = 12;
  EXPECT_FALSE(ParseDataBlock(1, next));
  EXPECT_EQ(next, 12);
  EXPECT_EQ(JobBlock.DataText, "");
}

}  // namespace
