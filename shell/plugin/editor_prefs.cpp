#include "shell/plugin/editor_prefs.h"

#include <bit>
#include <type_traits>

namespace {

template <class T> using Bits = std::conditional_t<sizeof(T) == 8, uint64_t,
                                    std::conditional_t<sizeof(T) == 4, uint32_t, uint16_t>>;

class Writer {
 public:
  explicit Writer(uint8_t* bytes) : bytes_(bytes) {}
  template <class T> void Field(std::size_t offset, const T& value) {
    auto bits = std::bit_cast<Bits<T>>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i) bytes_[offset + i] = static_cast<uint8_t>(bits >> (8 * i));
  }
  template <class T, std::size_t N> void Field(std::size_t offset, const T (&values)[N]) {
    for (std::size_t i = 0; i < N; ++i) Field(offset + i * sizeof(T), values[i]);
  }

 private:
  uint8_t* bytes_;
};

class Reader {
 public:
  explicit Reader(const uint8_t* bytes) : bytes_(bytes) {}
  template <class T> void Field(std::size_t offset, T& value) {
    Bits<T> bits = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) bits |= static_cast<Bits<T>>(Bits<T>{bytes_[offset + i]} << (8 * i));
    value = std::bit_cast<T>(bits);
  }
  template <class T, std::size_t N> void Field(std::size_t offset, T (&values)[N]) {
    for (std::size_t i = 0; i < N; ++i) Field(offset + i * sizeof(T), values[i]);
  }

 private:
  const uint8_t* bytes_;
};

// The file layout, one line per field; shared by both directions.
template <class Io, class Prefs> void MapFields(Io& io, Prefs& p) {
  io.Field(0, p.word0);
  io.Field(4, p.snapEnabled);
  io.Field(8, p.gridSwitch);
  io.Field(12, p.cursorSnap);
  io.Field(16, p.gridValue);
  io.Field(24, p.paintNoteValue);
  io.Field(32, p.word32);
  io.Field(36, p.word36);
  io.Field(40, p.autoScrollSpeed);
  io.Field(44, p.fontName);
  io.Field(172, p.emptyTrackWholeNotes);
  io.Field(176, p.keyboardWidth);
  io.Field(180, p.laneHeight);
  io.Field(184, p.defaultRowHeightIndex);
  io.Field(188, p.word188);
  io.Field(192, p.word192);
  io.Field(196, p.word196);
  io.Field(200, p.real200);
  io.Field(208, p.real208);
  io.Field(216, p.word216);
  io.Field(220, p.word220);
  io.Field(224, p.pair224);
  io.Field(228, p.word228);
  io.Field(232, p.word232);
  io.Field(236, p.unbufferedDrawing);
  io.Field(240, p.colour240);
  io.Field(244, p.colour244);
  io.Field(248, p.selectedOutline);
  io.Field(252, p.loopMode);
  io.Field(256, p.firstVisibleRow);
  io.Field(260, p.zoomLevel);
  io.Field(264, p.rowHeightIndex);
  io.Field(268, p.activeTool);
  io.Field(272, p.monitor);
  io.Field(276, p.word276);
  io.Field(280, p.dataLength);
  io.Field(288, p.quantizeResolution);
  io.Field(292, p.quantizeStarts);
  io.Field(296, p.quantizeDurations);
  io.Field(300, p.laneKind);
  io.Field(304, p.scaleSnap);
  io.Field(308, p.keyRoot);
  io.Field(312, p.scaleIndex);
  io.Field(316, p.word316);
}

}  // namespace

EditorPrefs DefaultEditorPrefs() {
  EditorPrefs p{};
  p.snapEnabled = 1;
  p.gridSwitch = 1;
  p.cursorSnap = 1;
  p.word32 = 9;
  p.word36 = 1;
  p.autoScrollSpeed = 5;
  const kvchar font[] = KVTEXT("Tahoma");
  for (std::size_t i = 0; i < sizeof font / sizeof font[0]; ++i) p.fontName[i] = font[i];
  p.emptyTrackWholeNotes = 2;
  p.keyboardWidth = -1;
  p.laneHeight = 50;
  p.defaultRowHeightIndex = 15;
  p.word192 = 5;
  p.word196 = 44100;
  p.real200 = 1.0;
  p.real208 = 120.0;
  p.pair224[0] = 4;
  p.pair224[1] = 4;
  p.word228 = 0x6000;
  p.colour240 = 0xDCDCDC;
  p.colour244 = 0xC0C0C0;
  p.selectedOutline = 0x404040;
  p.loopMode = 1;
  p.firstVisibleRow = -1;
  p.zoomLevel = -1;
  p.rowHeightIndex = 5;
  p.dataLength = -1;
  p.quantizeResolution = 6;
  p.quantizeStarts = 1;
  p.laneKind = 1128;
  return p;
}

void EncodeEditorPrefs(const EditorPrefs& prefs, uint8_t (&out)[kPrefsBlockSize]) {
  Writer writer(out);
  MapFields(writer, prefs);
}

namespace {

template <class T> void Keep(T& value, T low, T high, T fallback) {
  if (value < low || value > high) value = fallback;
}

template <class T> void KeepFlag(T& value, T fallback) {
  if (value != 0 && value != 1) value = fallback;
}

}  // namespace

// A stream from another program can hold anything: every field that has a
// meaning is brought back to its default when it lies outside its range.
void SanitizeEditorPrefs(EditorPrefs& p) {
  const EditorPrefs d = DefaultEditorPrefs();
  constexpr int64_t kLongest = int64_t{1} << 62;
  KeepFlag(p.snapEnabled, d.snapEnabled);
  KeepFlag(p.gridSwitch, d.gridSwitch);
  KeepFlag(p.cursorSnap, d.cursorSnap);
  Keep<int64_t>(p.gridValue, INT64_MIN, kLongest, d.gridValue);
  Keep<int64_t>(p.paintNoteValue, INT64_MIN, kLongest, d.paintNoteValue);
  Keep(p.autoScrollSpeed, 1, 100, d.autoScrollSpeed);
  p.fontName[sizeof p.fontName / sizeof p.fontName[0] - 1] = 0;
  Keep(p.emptyTrackWholeNotes, 1, 100000, d.emptyTrackWholeNotes);
  if (p.keyboardWidth != -1) Keep(p.keyboardWidth, 2, 0x4000, d.keyboardWidth);
  Keep(p.laneHeight, 0, 0x4000, d.laneHeight);
  Keep(p.defaultRowHeightIndex, 0, 40, d.defaultRowHeightIndex);
  KeepFlag(p.unbufferedDrawing, d.unbufferedDrawing);
  Keep(p.selectedOutline, -1, 0xFFFFFF, d.selectedOutline);
  Keep(p.loopMode, 0, 2, d.loopMode);
  Keep(p.firstVisibleRow, -1, 127, d.firstVisibleRow);
  Keep(p.zoomLevel, -1, 124, d.zoomLevel);
  Keep(p.rowHeightIndex, 0, 40, d.rowHeightIndex);
  Keep(p.activeTool, 0, 4, d.activeTool);
  KeepFlag(p.monitor, d.monitor);
  Keep<int64_t>(p.dataLength, -1, kLongest, d.dataLength);
  Keep(p.quantizeResolution, 0, 10, d.quantizeResolution);
  KeepFlag(p.quantizeStarts, d.quantizeStarts);
  KeepFlag(p.quantizeDurations, d.quantizeDurations);
  Keep(p.laneKind, 1000, 1129, d.laneKind);
  KeepFlag(p.scaleSnap, d.scaleSnap);
  Keep(p.keyRoot, 0, 11, d.keyRoot);
  Keep(p.scaleIndex, 0, 17, d.scaleIndex);
}

EditorPrefs DecodeEditorPrefs(const uint8_t (&in)[kPrefsBlockSize]) {
  EditorPrefs prefs{};
  Reader reader(in);
  MapFields(reader, prefs);
  SanitizeEditorPrefs(prefs);
  return prefs;
}

void EncodeSettingsHeader(const SettingsHeader& header, uint8_t (&out)[kSettingsHeaderSize]) {
  Writer writer(out);
  writer.Field(0, header.version);
  writer.Field(4, header.reserved);
  writer.Field(8, header.size);
}

SettingsHeader DecodeSettingsHeader(const uint8_t (&in)[kSettingsHeaderSize]) {
  SettingsHeader header{};
  Reader reader(in);
  reader.Field(0, header.version);
  reader.Field(4, header.reserved);
  reader.Field(8, header.size);
  return header;
}
