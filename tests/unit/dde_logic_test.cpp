#include "dde_protocol.h"

#include <gtest/gtest.h>

#include "remaining_time.h"
#include "texts.h"

namespace {

TEST(SplitLinkTopic, ApplicationBeforeTheFirstBarTopicAfterIt) {
  std::string application = "alt";
  std::string topic = "alt";
  ASSERT_TRUE(SplitLinkTopic("ORDERSRV|Import", application, topic));
  EXPECT_EQ(application, "ORDERSRV");
  EXPECT_EQ(topic, "Import");

  ASSERT_TRUE(SplitLinkTopic("A|B|C", application, topic));
  EXPECT_EQ(application, "A");
  EXPECT_EQ(topic, "B|C") << "a topic may hold a bar, an application name not";

  ASSERT_TRUE(SplitLinkTopic(" Bib |C:\\Daten\\titel.txt ", application, topic));
  EXPECT_EQ(application, " Bib ") << "nothing is trimmed";
  EXPECT_EQ(topic, "C:\\Daten\\titel.txt ");
}

TEST(SplitLinkTopic, WithoutABarOrWithAnEmptySideNothingIsAskedFor) {
  for (const char* linkTopic : {"", "|", "ORDERSRV", "ORDERSRV|", "|Import", "||Import"}) {
    std::string application = "alt";
    std::string topic = "alt";
    EXPECT_FALSE(SplitLinkTopic(linkTopic, application, topic)) << linkTopic;
    EXPECT_EQ(application, "alt") << linkTopic;
    EXPECT_EQ(topic, "alt") << linkTopic;
  }
}

TEST(AckErrorNumber, PositiveBusyAndRefused) {
  EXPECT_EQ(AckErrorNumber(0x8000), 0);
  EXPECT_EQ(AckErrorNumber(0x80FF), 0) << "the application's own code does not matter";
  EXPECT_EQ(AckErrorNumber(0xC000), 0) << "positive wins over busy";
  EXPECT_EQ(AckErrorNumber(0x4000), qor_errors::kDdeBusy);
  EXPECT_EQ(AckErrorNumber(0x0000), qor_errors::kDdeRefused);
  EXPECT_EQ(AckErrorNumber(0x00FF), qor_errors::kDdeRefused);
}

TEST(LinkTimeout, TenthsOfASecondAndTheTimeLeft) {
  EXPECT_EQ(LinkTimeoutMs(100), 10000u);
  EXPECT_EQ(LinkTimeoutMs(0), 0u);
  EXPECT_EQ(LinkTimeoutMs(-1), 0u);
  EXPECT_EQ(LinkTimeoutMs(32767), 3276700u);

  EXPECT_EQ(RemainingMs(1000, 1000, 10000), 10000u);
  EXPECT_EQ(RemainingMs(1000, 4000, 10000), 7000u);
  EXPECT_EQ(RemainingMs(1000, 11000, 10000), 0u);
  EXPECT_EQ(RemainingMs(1000, 50000, 10000), 0u);
  // The tick count wraps after 49.7 days; a wait across it keeps its length.
  EXPECT_EQ(RemainingMs(0xFFFFFF00u, 0x00000100u, 10000), 10000u - 0x200u);
  EXPECT_EQ(RemainingMs(0xFFFFFF00u, 0x00002800u, 10000), 0u);
}

TEST(TextFromValue, UpToTheFirstNulWithEveryOtherByteUnchanged) {
  std::string bytes = "A\r\n";
  for (int b = 0x80; b <= 0xFF; ++b) bytes += static_cast<char>(b);
  const std::string value = bytes + std::string("\0rest", 5);
  EXPECT_EQ(TextFromValue(value.data(), value.size()), bytes);
  EXPECT_EQ(TextFromValue(bytes.data(), bytes.size()), bytes) << "no NUL: the whole value";
  EXPECT_EQ(TextFromValue(value.data(), 2), "A\r");
  EXPECT_EQ(TextFromValue(value.data(), 0), "");
}

TEST(DdeTraceTexts, SentLineAndFailureLineWithTheSignPosition) {
  EXPECT_EQ(std::string(kDdeDataSent),
            "DDE-\334"
            "bertragung: Daten gesendet!");
  EXPECT_EQ(DdeFailureMessage(ErrorFromNumber(qor_errors::kDdeNoAnswer)),
            "Fehler bei der DDE-\334"
            "bertragung. Fehler  282 "
            "Keine fremde Anwendung hat auf eine DDE-Initialisierung geantwortet");
  EXPECT_EQ(DdeFailureMessage({-5, "x"}),
            "Fehler bei der DDE-\334"
            "bertragung. Fehler -5 x");
}

TEST(DdeTraceTexts, EveryDdeErrorHasItsOwnGermanDescription) {
  EXPECT_EQ(ErrorFromNumber(qor_errors::kDdeBusy).description,
            "Fremde Anwendung ist besch\344"
            "ftigt");
  EXPECT_EQ(ErrorFromNumber(qor_errors::kDdeClosed).description,
            "DDE-Kanal wurde von der fremden Anwendung geschlossen");
  const int16_t numbers[] = {qor_errors::kDdeNoAnswer, qor_errors::kDdeRefused,
                             qor_errors::kDdeTimeout,  qor_errors::kDdeBusy,
                             qor_errors::kDdeClosed,   qor_errors::kDdeNoChannel,
                             qor_errors::kDdeLinkTopic};
  for (int16_t number : numbers) {
    const QorError error = ErrorFromNumber(number);
    EXPECT_EQ(error.number, number);
    EXPECT_NE(error.description, "Fehler " + std::to_string(number)) << "not in the table";
  }
}

}  // namespace
