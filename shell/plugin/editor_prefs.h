// EditorPrefs: the editor's settings block. It travels whole in the host's
// project stream behind a three-word header, so its 320-byte little-endian form
// is a file format: the codec writes every field at its offset explicitly and
// both builds produce the same bytes. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>

#include "kvlib/kvchar.h"

inline constexpr uint32_t kPrefsVersion = 5;
inline constexpr std::size_t kPrefsBlockSize = 320;
inline constexpr std::size_t kSettingsHeaderSize = 12;
inline constexpr std::size_t kSettingsRecordSize = kSettingsHeaderSize + kPrefsBlockSize;
// What the stream is told to reserve; a few bytes more than the record.
inline constexpr uint32_t kSettingsSizeMax = 336;

// Words named by their offset have no meaning of their own yet: the track view
// and piano-roll settings that need them keep their values there.
struct EditorPrefs {
  int32_t word0;
  int32_t snapEnabled;
  int32_t gridSwitch;
  int32_t cursorSnap;
  int64_t gridValue;       // time code: > 0 ticks, 0 ruler marks, < 0 note value
  int64_t paintNoteValue;  // time code as gridValue
  int32_t word32;
  int32_t word36;
  int32_t autoScrollSpeed;
  kvchar fontName[64];  // zero-terminated
  int32_t emptyTrackWholeNotes;
  int32_t keyboardWidth;  // -1: measured at the next view creation
  int32_t laneHeight;
  int32_t defaultRowHeightIndex;
  int32_t word188;
  int32_t word192;
  int32_t word196;
  double real200;
  double real208;
  int32_t word216;
  int32_t word220;
  int16_t pair224[2];
  int32_t word228;
  int32_t word232;
  int32_t unbufferedDrawing;
  uint32_t colour240;
  uint32_t colour244;
  int32_t selectedOutline;  // RGB; -1 draws no outline
  int32_t loopMode;         // 0, 1 or 2
  int32_t firstVisibleRow;  // -1: the row of the track's first note
  int32_t zoomLevel;        // -1: the engine's default level
  int32_t rowHeightIndex;
  int32_t activeTool;
  int32_t monitor;
  int32_t word276;
  int64_t dataLength;  // the largest block end seen; -1 none yet
  int32_t quantizeResolution;
  int32_t quantizeStarts;
  int32_t quantizeDurations;
  int32_t laneKind;  // 1128 velocity, 1129 pitch bend, 1000 + n controller n
  int32_t scaleSnap;
  int32_t keyRoot;     // 0..11, C..B
  int32_t scaleIndex;  // 0..17
  int32_t word316;
};

// The three words in front of the block in the stream.
struct SettingsHeader {
  uint32_t version;
  uint32_t reserved;
  uint32_t size;
};

EditorPrefs DefaultEditorPrefs();
void EncodeEditorPrefs(const EditorPrefs& prefs, uint8_t (&out)[kPrefsBlockSize]);
// Decoding brings every field with a meaning into its range (out of range:
// its default) and terminates the font name.
EditorPrefs DecodeEditorPrefs(const uint8_t (&in)[kPrefsBlockSize]);
void SanitizeEditorPrefs(EditorPrefs& prefs);

void EncodeSettingsHeader(const SettingsHeader& header, uint8_t (&out)[kSettingsHeaderSize]);
SettingsHeader DecodeSettingsHeader(const uint8_t (&in)[kSettingsHeaderSize]);
