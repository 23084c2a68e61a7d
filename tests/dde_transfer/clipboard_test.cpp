// Clipboard blocks of the real qor.exe, checked from this program as any
// other program sees the clipboard. This program keeps running throughout,
// so Wine's desktop (and with it the clipboard) stays up between the runs.
#include <gtest/gtest.h>

#include <thread>

#include "clipboard.h"
#include "qor_e2e.h"

using namespace e2e;

namespace {

TEST(Clipboard, WithoutAppendingOnlyThePayloadRemainsAsText) {
  TempDir dir;
  ASSERT_TRUE(PutBitmapAndText("alter Text"));
  ASSERT_TRUE(ClipboardHas(CF_BITMAP));
  SetTrace(Trace::On);
  ASSERT_TRUE(RunJob(dir, ClipboardBlock("neuer Text")).finished);
  std::string text;
  ASSERT_TRUE(ClipboardText(text));
  EXPECT_EQ(text, "neuer Text");
  EXPECT_FALSE(ClipboardHas(CF_BITMAP)) << "emptied before the text was set";
  EXPECT_EQ(TraceMessages(), RunLines(dir)) << "nothing is traced for the clipboard";
}

TEST(Clipboard, AppendingKeepsThePictureAndReplacesTheText) {
  TempDir dir;
  for (bool unicodeToo : {false, true}) {
    SCOPED_TRACE(unicodeToo ? "earlier text also in Unicode" : "earlier text in CF_TEXT");
    ASSERT_TRUE(PutBitmapAndText("alter Text", unicodeToo));
    SetTrace(Trace::Off);
    ASSERT_TRUE(RunJob(dir, ClipboardBlock("neuer Text", /*append=*/true)).finished);
    std::string text;
    ASSERT_TRUE(ClipboardText(text));
    EXPECT_EQ(text, "neuer Text") << "replaced, never joined";
    EXPECT_TRUE(ClipboardHas(CF_BITMAP));
    std::wstring unicode;
    ASSERT_TRUE(ClipboardUnicodeText(unicode));
    EXPECT_EQ(unicode, L"neuer Text") << "a Unicode program pastes the new text too";
    std::string oem;
    ASSERT_TRUE(ClipboardText(oem, CF_OEMTEXT));
    EXPECT_EQ(oem, "neuer Text");
  }
}

TEST(Clipboard, BytesArriveUnchanged) {
  TempDir dir;
  std::string payload = "Titel;\x01\t\r\n";
  for (int b = 0x80; b <= 0xFF; ++b) payload += static_cast<char>(b);
  payload += "\r\nEnde";
  for (bool append : {false, true}) {
    ASSERT_TRUE(PutBitmapAndText("vorher"));
    SetTrace(Trace::Off);
    ASSERT_TRUE(RunJob(dir, ClipboardBlock(payload, append)).finished);
    std::string text;
    ASSERT_TRUE(ClipboardText(text)) << "CF_TEXT with its terminating NUL";
    EXPECT_EQ(Hex(text), Hex(payload)) << "append " << append;
  }
}

// Another program holds the clipboard open for the whole run: the block is
// given up after a short retry, and the next block is delivered.
TEST(Clipboard, HeldOpenByAnotherProgramAbandonsOnlyThatBlock) {
  TempDir dir;
  ASSERT_TRUE(PutBitmapAndText("vorher"));
  HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread holder([&] {
    const bool open = OpenClipboard(nullptr) != FALSE;
    SetEvent(opened);
    WaitForSingleObject(release, 60000);
    if (open) CloseClipboard();
  });
  ASSERT_EQ(WaitForSingleObject(opened, 10000), WAIT_OBJECT_0);
  ASSERT_EQ(GetOpenClipboardWindow(), nullptr);  // held, by a thread without a window
  ASSERT_FALSE(OpenClipboard(TestWindow())) << "the clipboard is held";

  SetTrace(Trace::On);
  const std::string after = dir / "danach.txt";
  const std::string job = ClipboardBlock("nicht angekommen") + FileBlock(after, "danach");
  const RunResult run = RunJob(dir, job);
  SetEvent(release);
  holder.join();
  CloseHandle(opened);
  CloseHandle(release);

  ASSERT_TRUE(run.finished);
  EXPECT_LT(run.elapsedMs, 5000u) << "the retry is short";
  std::string written;
  ASSERT_TRUE(ReadFileBytes(after, written));
  EXPECT_EQ(written, "danach");
  std::string text;
  ASSERT_TRUE(ClipboardText(text));
  EXPECT_EQ(text, "vorher");
  EXPECT_TRUE(ClipboardHas(CF_BITMAP)) << "not even emptied";
  EXPECT_EQ(TraceMessages(), RunLines(dir));
}

}  // namespace
