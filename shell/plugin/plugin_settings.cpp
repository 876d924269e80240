// The settings stream: a three-word header (version, reserved, block size) and
// the EditorPrefs block, 332 bytes.
#include "shell/page/editor_messages.h"
#include "shell/page/editor_page.h"
#include "shell/plugin/pianoroll_plugin.h"

namespace {

HRESULT WriteAll(IStream* stream, const void* bytes, ULONG size) {
  ULONG written = 0;
  const HRESULT hr = stream->Write(bytes, size, &written);
  if (FAILED(hr)) return hr;
  // A stream that takes less without saying so would lose settings silently.
  return written == size ? S_OK : STG_E_MEDIUMFULL;
}

HRESULT SeekTo(IStream* stream, ULARGE_INTEGER position) {
  LARGE_INTEGER to;
  to.QuadPart = static_cast<LONGLONG>(position.QuadPart);
  return stream->Seek(to, STREAM_SEEK_SET, nullptr);
}

}  // namespace

HRESULT PianoRollPlugin::GetClassID(CLSID* out) {
  if (!out) return E_POINTER;
  *out = CLSID_PianoRollPlugin;
  return S_OK;
}

// Settings changes are not tracked: the host saves the stream with its project.
HRESULT PianoRollPlugin::IsDirty() { return S_FALSE; }

HRESULT PianoRollPlugin::GetSizeMax(ULARGE_INTEGER* size) {
  if (!size) return E_POINTER;
  size->QuadPart = kSettingsSizeMax;
  return S_OK;
}

HRESULT PianoRollPlugin::Save(IStream* stream, BOOL) {
  if (!stream) return E_POINTER;
  // The track view keeps its view state in the settings only when asked.
  if (ComPtr<EditorPage> page = AttachedPage()) page->Send(WM_EDITOR_SAVEVIEW, 0, 0);
  uint8_t header[kSettingsHeaderSize];
  EncodeSettingsHeader(SettingsHeader{kPrefsVersion, 0, kPrefsBlockSize}, header);
  uint8_t block[kPrefsBlockSize];
  EncodeEditorPrefs(prefs(), block);
  const HRESULT hr = WriteAll(stream, header, sizeof header);
  return FAILED(hr) ? hr : WriteAll(stream, block, sizeof block);
}

HRESULT PianoRollPlugin::Load(IStream* stream) {
  if (!stream) return E_POINTER;
  prefs() = DefaultEditorPrefs();
  ULARGE_INTEGER start{};
  HRESULT hr = stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &start);
  if (FAILED(hr)) return hr;
  uint8_t header[kSettingsHeaderSize];
  ULONG read = 0;
  hr = stream->Read(header, sizeof header, &read);
  if (FAILED(hr)) {
    SeekTo(stream, start);
    return hr;
  }
  // Only the size is checked: a block of another size is not ours to read.
  if (read == sizeof header && DecodeSettingsHeader(header).size == kPrefsBlockSize) {
    uint8_t block[kPrefsBlockSize];
    read = 0;
    hr = stream->Read(block, sizeof block, &read);
    if (SUCCEEDED(hr) && read == sizeof block) {
      prefs() = DecodeEditorPrefs(block);
      return hr;
    }
  }
  // Anything else leaves the defaults and the stream where it was.
  return SeekTo(stream, start);
}
