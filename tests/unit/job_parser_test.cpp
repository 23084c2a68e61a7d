#include "job_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qor_state.h"
#include "stand_ins.h"

namespace {

// ---- ExtractBetween: positions and trimming --------------------------------

TEST(ExtractBetween, TextBetweenTheMarkersTrimmedOfBlanksAndTheNextPosition) {
  const std::string data = "(((DATASTART)))abc(((DATAEND)))";  // 31 characters
  const std::string bytes("a\0b\x80\xFF\334", 6);
  const struct {
    const char* what;
    std::string text;
    const char* start;
    const char* end;
    int32_t from;
    int32_t nextBefore;
    std::string found;
    int32_t next;  // nextBefore when it is left alone
  } cases[] = {
      {"points past the end marker", "xx<a>  v 1 </a>yy", "<a>", "</a>", 1, -7, "v 1", 16},
      {"position 0 searches from the first character", "<a>v</a>", "<a>", "</a>", 0, 0, "v", 9},
      {"the search starts at the position", "<a>1</a><a>2</a>z", "<a>", "</a>", 2, 0, "2", 17},
      {"no start marker", "nothing here", "<a>", "</a>", 1, 42, "", 42},
      {"a start beyond the end finds nothing", "<a>v</a>", "<a>", "</a>", 100, 42, "", 42},
      {"no end marker: to the end, next 0", "<a>rest of text ", "<a>", "</a>", 1, 5, "rest of text",
       0},
      {"a one-character end marker as the last character", "Ziel=Datei*", "Ziel=", "*", 1, 5,
       "Datei", 0},
      {"a longer end marker at the end points one past it", data, "(((DATASTART)))",
       "(((DATAEND)))", 1, 0, "abc", 32},
      {"from there nothing more", data, "(((DATASTART)))", "(((DATAEND)))", 32, 9, "", 9},
      {"the start marker as the last text", "abc(((DATASTART)))", "(((DATASTART)))",
       "(((DATAEND)))", 1, 3, "", 0},
      {"blanks are trimmed, tabs and line breaks not", "<a>  \r\n\tx\t \r\n  </a>", "<a>", "</a>",
       1, 0, "\r\n\tx\t \r\n", 20},
      {"blanks only", "<a>     </a>", "<a>", "</a>", 1, 0, "", 13},
      {"every byte value is kept", "<a>" + bytes + "</a>", "<a>", "</a>", 1, 0, bytes, 14},
  };
  for (const auto& c : cases) {
    int32_t next = c.nextBefore;
    EXPECT_EQ(ExtractBetween(c.text, c.start, c.end, c.from, next), c.found) << c.what;
    EXPECT_EQ(next, c.next) << c.what;
  }
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

TEST(ParseHeaderBlock, InvalidHeadersAndValidNearMisses) {
  const struct {
    const char* header;
    const char* why;
  } cases[] = {
      {"Ziel=datei*Dateiname=f*", "target values are case-sensitive"},
      {"Ziel=DATEI*Dateiname=f*", ""},
      {"Ziel=Datei\r\n*Dateiname=f*", "the line break belongs to the value"},
      {"Ziel=Drucker*", "no such target"},
      {"Dateiname=f*", "no target"},
      {"     ", "empty"},
      {"Ziel=Datei*Anhaengen=Ja*", "a file header needs a file name"},
      {"Ziel=Datei*Dateiname=   *", ""},
      {"DDE-Item=I*Ziel=DDE*DDE-Topic=T*DDE-Server=S*DDE-Service=x*",
       "a DDE entry before Ziel= is not read"},
      {"Ziel=DDE*DDE-Item=I*DDE-Topic= *DDE-Server=S*DDE-Service=x*", "a blank DDE value"},
      {"Ziel=DDE*DDE-Item=I*DDE-Server=S*DDE-Service=x*", "a DDE value missing"},
      {"Ziel=Zwischenablage\r\n", "the last entry runs to the end, line break and all"},
  };
  for (const auto& c : cases) EXPECT_FALSE(ParseHeader(c.header)) << c.header << ": " << c.why;
  EXPECT_TRUE(ParseHeader("  Ziel=  Datei  *Dateiname=f*")) << "blanks are trimmed";
  ASSERT_TRUE(ParseHeader("Ziel=Zwischenablage")) << "the last entry needs no terminator";
  EXPECT_EQ(JobBlock.TargetCode, TargetClipboard);
  LoadJob("no markers at all");
  int32_t next = 77;
  EXPECT_FALSE(ParseHeaderBlock(1, next));
  EXPECT_EQ(next, 77);
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
  ASSERT_TRUE(ParseHeader("Ziel=Datei*Externer Programmaufruf=p*Dateiname=f*Anhaengen=Ja*\r\n"));
  EXPECT_TRUE(JobBlock.AppendFlag);
  EXPECT_EQ(JobBlock.ExternalProgram, "") << "written before the append entry: passed over";
}

// A watcher sees every key lookup as the parser makes it: where it started,
// where the key stood, the next position and the value.
std::vector<std::string> seenLookups;
void RecordLookup(const KeyLookup& l) {
  seenLookups.push_back(std::string(l.key) + " " + std::to_string(l.from) + " " +
                        std::to_string(l.found) + " " + std::to_string(l.next) + " [" +
                        std::string(l.value) + "]");
}

TEST(ParseHeaderBlock, KeyLookupsAreReportedAsMade) {
  seenLookups.clear();
  KeyLookupWatcher = RecordLookup;
  // The file name's "*" ends the header: the lookups after it search from 0.
  ASSERT_TRUE(ParseHeader("Ziel=Datei*Anhaengen=Ja*Dateiname= f *"));
  KeyLookupWatcher = nullptr;
  EXPECT_EQ(seenLookups, (std::vector<std::string>{"Ziel= 1 1 12 [Datei]",
                                                   "Dateiname= 12 25 0 [f]",
                                                   "Anhaengen= 0 12 25 [Ja]",
                                                   "Externer Programmaufruf= 25 0 25 []"}));
  seenLookups.clear();
  ASSERT_TRUE(ParseHeader("Ziel=Zwischenablage*"));
  EXPECT_TRUE(seenLookups.empty()) << "nobody watching";
}

TEST(ParseHeaderBlock, ZielMayStandAnywhereAndSecondIsIgnored) {
  ASSERT_TRUE(ParseHeader("Anhaengen=Ja*Ziel=Zwischenablage*Ziel=Datei*"));
  EXPECT_EQ(JobBlock.TargetCode, TargetClipboard);
  EXPECT_FALSE(JobBlock.AppendFlag) << "append entry stands before Ziel=";
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
  JobText =
      "(((HEADERSTART)))Ziel=DDE*DDE-Service=s*DDE-Server=S*DDE-Topic=T*DDE-Item=I*"
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
