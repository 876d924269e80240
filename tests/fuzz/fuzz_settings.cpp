// The settings stream: a header and the 320-byte block, whatever the bytes.
// Decoding brings every field into range, so a decoded block encodes and
// decodes to itself.
#include <cstring>

#include "shell/plugin/editor_prefs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kSettingsRecordSize) return 0;
  uint8_t header[kSettingsHeaderSize];
  std::memcpy(header, data, sizeof header);
  const SettingsHeader h = DecodeSettingsHeader(header);
  uint8_t in[kPrefsBlockSize];
  std::memcpy(in, data + kSettingsHeaderSize, sizeof in);
  const EditorPrefs prefs = DecodeEditorPrefs(in);
  if (h.size == kPrefsBlockSize && prefs.fontName[63] != 0) __builtin_trap();  // always terminated
  uint8_t once[kPrefsBlockSize], twice[kPrefsBlockSize];
  EncodeEditorPrefs(prefs, once);
  EncodeEditorPrefs(DecodeEditorPrefs(once), twice);
  if (std::memcmp(once, twice, sizeof once) != 0) __builtin_trap();
  return 0;
}
