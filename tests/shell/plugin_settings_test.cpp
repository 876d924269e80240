// The settings stream through IPersistStream on real global-memory streams:
// the 332 bytes Save writes, round trips, and streams that are truncated, of
// another size or failing, which must leave the defaults and the position.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "shell/page/editor_messages.h"
#include "tests/shell/faulty_stream.h"
#include "tests/shell/shell_test_support.h"

namespace shelltest {
namespace {

uint32_t WordAt(const std::vector<uint8_t>& bytes, size_t offset) {
  return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 | static_cast<uint32_t>(bytes[offset + 3]) << 24;
}

void PutWord(std::vector<uint8_t>* bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) (*bytes)[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

class PluginSettings : public testing::Test {
 protected:
  ComPtr<PluginMain> plugin = CreatePlugin();
  ComPtr<IPersistStream> persist = Persist(plugin.get());
  EditorPrefs& prefs() { return Impl(plugin.get()).prefs(); }

  static ComPtr<IPersistStream> Persist(PluginMain* p) {
    ComPtr<IPersistStream> out;
    EXPECT_EQ(S_OK, p->QueryInterface(IID_IPersistStream, out.put_void()));
    return out;
  }
  std::vector<uint8_t> Saved() {
    ComPtr<IStream> stream = StreamOf({});
    EXPECT_EQ(S_OK, persist->Save(stream.get(), TRUE));
    return StreamBytes(stream.get());
  }
  void ChangeSomeSettings() {
    prefs().snapEnabled = 0;
    prefs().gridValue = -7;
    prefs().laneKind = 1007;
    prefs().scaleIndex = 17;
    prefs().dataLength = 0x123456789A;
    prefs().fontName[0] = L'X';
  }
  void ExpectDefaults() {
    const EditorPrefs d = DefaultEditorPrefs();
    EXPECT_EQ(0, std::memcmp(&d, &prefs(), sizeof d));
  }
};

TEST_F(PluginSettings, SaveWritesTheHeaderAndTheBlockIn332Bytes) {
  const std::vector<uint8_t> bytes = Saved();
  ASSERT_EQ(332u, bytes.size());
  EXPECT_EQ(5u, WordAt(bytes, 0));
  EXPECT_EQ(0u, WordAt(bytes, 4));
  EXPECT_EQ(320u, WordAt(bytes, 8));
  // A few defaults at their offsets in the block, which starts after the header.
  EXPECT_EQ(1u, WordAt(bytes, 12 + 4));
  EXPECT_EQ(L'T', WordAt(bytes, 12 + 44) & 0xFFFF);
  EXPECT_EQ(44100u, WordAt(bytes, 12 + 196));
  EXPECT_EQ(0xFFFFFFFFu, WordAt(bytes, 12 + 280));
  EXPECT_EQ(1128u, WordAt(bytes, 12 + 300));
  ULARGE_INTEGER size{};
  persist->GetSizeMax(&size);
  EXPECT_EQ(336u, size.QuadPart);
}

TEST_F(PluginSettings, SettingsSurviveSaveAndLoadIntoAnotherObject) {
  ChangeSomeSettings();
  const std::vector<uint8_t> bytes = Saved();
  EXPECT_EQ(1007u, WordAt(bytes, 12 + 300));

  ComPtr<PluginMain> other = CreatePlugin();
  ComPtr<IStream> stream = StreamOf(bytes);
  ASSERT_EQ(S_OK, Persist(other.get())->Load(stream.get()));
  EXPECT_EQ(332u, StreamPosition(stream.get()));
  EXPECT_EQ(0, std::memcmp(&prefs(), &Impl(other.get()).prefs(), sizeof(EditorPrefs)));
  ComPtr<IStream> again = StreamOf({});
  ASSERT_EQ(S_OK, Persist(other.get())->Save(again.get(), FALSE));
  EXPECT_EQ(bytes, StreamBytes(again.get()));
}

TEST_F(PluginSettings, LoadReadsFromTheCurrentPositionAndIgnoresVersionWords) {
  ChangeSomeSettings();
  std::vector<uint8_t> bytes = Saved();
  PutWord(&bytes, 0, 9);
  PutWord(&bytes, 4, 77);
  bytes.insert(bytes.begin(), {0xAA, 0xBB, 0xCC});
  ComPtr<IStream> stream = StreamOf(bytes);
  LARGE_INTEGER three;
  three.QuadPart = 3;
  stream->Seek(three, STREAM_SEEK_SET, nullptr);
  const EditorPrefs saved = prefs();
  prefs() = DefaultEditorPrefs();
  ASSERT_EQ(S_OK, persist->Load(stream.get()));
  EXPECT_EQ(335u, StreamPosition(stream.get()));
  EXPECT_EQ(0, std::memcmp(&saved, &prefs(), sizeof saved));
}

TEST_F(PluginSettings, ForeignOrTruncatedStreamsLeaveDefaultsAndPosition) {
  ChangeSomeSettings();
  const std::vector<uint8_t> good = Saved();
  std::vector<uint8_t> bigger = good;
  PutWord(&bigger, 8, 321);
  bigger.push_back(0);
  std::vector<uint8_t> smaller = good;
  PutWord(&smaller, 8, 316);
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"empty", {}},
      {"five bytes", std::vector<uint8_t>(good.begin(), good.begin() + 5)},
      {"header only", std::vector<uint8_t>(good.begin(), good.begin() + 12)},
      {"block cut short", std::vector<uint8_t>(good.begin(), good.begin() + 331)},
      {"size 321", bigger},
      {"size 316", smaller},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ChangeSomeSettings();
    std::vector<uint8_t> bytes(2 + c.bytes.size(), 0xEE);
    std::copy(c.bytes.begin(), c.bytes.end(), bytes.begin() + 2);
    ComPtr<IStream> stream = StreamOf(bytes);
    LARGE_INTEGER two;
    two.QuadPart = 2;
    stream->Seek(two, STREAM_SEEK_SET, nullptr);
    EXPECT_EQ(S_OK, persist->Load(stream.get()));
    EXPECT_EQ(2u, StreamPosition(stream.get()));
    ExpectDefaults();
  }
}

TEST_F(PluginSettings, FailingStreamCallsAreReturned) {
  const std::vector<uint8_t> good = Saved();
  for (int read = 1; read <= 2; ++read) {
    SCOPED_TRACE(read);
    ChangeSomeSettings();
    ComPtr<FaultyStream> stream = FaultyStream::Create(StreamOf(good));
    stream->failRead = read;
    const HRESULT hr = persist->Load(stream.get());
    // A failing header read is the stream's failure; a failing block read ends
    // like a short one: back to the start, defaults kept.
    EXPECT_EQ(read == 1 ? STG_E_ACCESSDENIED : S_OK, hr);
    EXPECT_EQ(0u, StreamPosition(stream->inner()));
    ExpectDefaults();
  }
  ComPtr<FaultyStream> unseekable = FaultyStream::Create(StreamOf(good));
  unseekable->failSeek = 1;
  EXPECT_EQ(STG_E_ACCESSDENIED, persist->Load(unseekable.get()));

  for (int write = 1; write <= 2; ++write) {
    ComPtr<FaultyStream> stream = FaultyStream::Create(StreamOf({}));
    stream->failWrite = write;
    EXPECT_EQ(STG_E_ACCESSDENIED, persist->Save(stream.get(), TRUE));
  }
  // A stream that swallows part of the settings while claiming success.
  ComPtr<FaultyStream> full = FaultyStream::Create(StreamOf({}));
  full->writeLimit = 100;
  EXPECT_EQ(STG_E_MEDIUMFULL, persist->Save(full.get(), TRUE));

  EXPECT_EQ(E_POINTER, persist->Load(nullptr));
  EXPECT_EQ(E_POINTER, persist->Save(nullptr, TRUE));
}

TEST(PluginSettingsWithEditor, SaveAsksTheOpenEditorForItsViewStateFirst) {
  HostedPlugin hosted;
  MessageRecorder recorder(hosted.editor, {WM_EDITOR_SAVEVIEW});
  ComPtr<IPersistStream> persist;
  ASSERT_EQ(S_OK, hosted.plugin->QueryInterface(IID_IPersistStream, persist.put_void()));
  ComPtr<IStream> stream = StreamOf({});
  ASSERT_EQ(S_OK, persist->Save(stream.get(), TRUE));
  EXPECT_EQ(1u, recorder.received().size());
  EXPECT_EQ(332u, StreamBytes(stream.get()).size());

  hosted.ClosePage();
  ASSERT_EQ(S_OK, persist->Save(stream.get(), TRUE));
  EXPECT_EQ(1u, recorder.received().size());
}

}  // namespace
}  // namespace shelltest
