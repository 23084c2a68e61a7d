// Clipboard blocks of the real qor.exe, checked from this program as any
// other program sees the clipboard. This program keeps running throughout,
// so Wine's desktop (and with it the clipboard) stays up between the runs.
#include <gtest/gtest.h>

#include <thread>

#include "dde_test_support.h"
#include "qor_e2e.h"

using e2e::TempDir;
using e2e::Trace;
using Lines = std::vector<std::string>;

namespace {

TEST(Clipboard, WithoutAppendingOnlyThePayloadRemainsAsText) {
  TempDir dir;
  ASSERT_TRUE(dde_test::PutBitmapAndText("alter Text"));
  ASSERT_TRUE(dde_test::ClipboardHas(CF_BITMAP));
  e2e::SetTrace(Trace::On);
  ASSERT_TRUE(e2e::RunJob(dir, e2e::ClipboardBlock("neuer Text")).finished);
  std::string text;
  ASSERT_TRUE(dde_test::ClipboardText(text));
  EXPECT_EQ(text, "neuer Text");
  EXPECT_FALSE(dde_test::ClipboardHas(CF_BITMAP)) << "emptied before the text was set";
  EXPECT_EQ(e2e::TraceMessages(), e2e::RunLines(dir)) << "nothing is traced for the clipboard";
}

TEST(Clipboard, AppendingKeepsThePictureAndReplacesTheText) {
  TempDir dir;
  for (bool unicodeToo : {false, true}) {
    SCOPED_TRACE(unicodeToo ? "earlier text also in Unicode" : "earlier text in CF_TEXT");
    ASSERT_TRUE(dde_test::PutBitmapAndText("alter Text", unicodeToo));
    e2e::SetTrace(Trace::Off);
    ASSERT_TRUE(e2e::RunJob(dir, e2e::ClipboardBlock("neuer Text", /*append=*/true)).finished);
    std::string text;
    ASSERT_TRUE(dde_test::ClipboardText(text));
    EXPECT_EQ(text, "neuer Text") << "replaced, never joined";
    EXPECT_TRUE(dde_test::ClipboardHas(CF_BITMAP));
    std::wstring unicode;
    ASSERT_TRUE(dde_test::ClipboardUnicodeText(unicode));
    EXPECT_EQ(unicode, L"neuer Text") << "a Unicode program pastes the new text too";
    std::string oem;
    ASSERT_TRUE(dde_test::ClipboardText(oem, CF_OEMTEXT));
    EXPECT_EQ(oem, "neuer Text");
  }
}

TEST(Clipboard, BytesArriveUnchanged) {
  TempDir dir;
  std::string payload = "Titel;\x01\t\r\n";
  for (int b = 0x80; b <= 0xFF; ++b) payload += static_cast<char>(b);
  payload += "\r\nEnde";
  for (bool append : {false, true}) {
    ASSERT_TRUE(dde_test::PutBitmapAndText("vorher"));
    e2e::SetTrace(Trace::Off);
    ASSERT_TRUE(e2e::RunJob(dir, e2e::ClipboardBlock(payload, append)).finished);
    std::string text;
    ASSERT_TRUE(dde_test::ClipboardText(text)) << "CF_TEXT with its terminating NUL";
    EXPECT_EQ(dde_test::Hex(text), dde_test::Hex(payload)) << "append " << append;
  }
}

// Another program holds the clipboard open for the whole run: the block is
// given up after a short retry, and the next block is delivered.
TEST(Clipboard, HeldOpenByAnotherProgramAbandonsOnlyThatBlock) {
  TempDir dir;
  ASSERT_TRUE(dde_test::PutBitmapAndText("vorher"));
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
  ASSERT_FALSE(OpenClipboard(dde_test::TestWindow())) << "the clipboard is held";

  e2e::SetTrace(Trace::On);
  const std::string after = dir / "danach.txt";
  const std::string job = e2e::ClipboardBlock("nicht angekommen") + e2e::FileBlock(after, "danach");
  const e2e::RunResult run = e2e::RunJob(dir, job);
  SetEvent(release);
  holder.join();
  CloseHandle(opened);
  CloseHandle(release);

  ASSERT_TRUE(run.finished);
  EXPECT_LT(run.elapsedMs, 5000u) << "the retry is short";
  std::string written;
  ASSERT_TRUE(e2e::ReadFileBytes(after, written));
  EXPECT_EQ(written, "danach");
  std::string text;
  ASSERT_TRUE(dde_test::ClipboardText(text));
  EXPECT_EQ(text, "vorher");
  EXPECT_TRUE(dde_test::ClipboardHas(CF_BITMAP)) << "not even emptied";
  EXPECT_EQ(e2e::TraceMessages(), e2e::RunLines(dir));
}

}  // namespace
