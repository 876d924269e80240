#include "tests/pianoroll/roll_fixture.h"

#include <algorithm>
#include <cstring>

#include "host/event_factory.h"
#include "host/host_text.h"
#include "kvlib/module.h"

namespace rolltest {

namespace {

constexpr wchar_t kParentClass[] = L"PianoRollTestParent";
constexpr GUID kOutputPort = {0x5A, 0, 0, {1, 2, 3, 4, 5, 6, 7, 8}};

HWND SharedParent() {
  static HWND parent = [] {
    HINSTANCE module = GetModuleHandleW(nullptr);
    KvModule_Startup(module);
    RegisterTrackviewClass(module);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = module;
    wc.lpszClassName = kParentClass;
    RegisterClassExW(&wc);
    return CreateWindowExW(0, kParentClass, L"piano roll test", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                           1000, 760, nullptr, nullptr, module, nullptr);
  }();
  return parent;
}

}  // namespace

void SetKeys(bool shift, bool ctrl, bool alt) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_SHIFT] = keys[VK_LSHIFT] = shift ? 0x80 : 0;
  keys[VK_CONTROL] = keys[VK_LCONTROL] = ctrl ? 0x80 : 0;
  keys[VK_MENU] = keys[VK_LMENU] = alt ? 0x80 : 0;
  SetKeyboardState(keys);
}

RollTest::RollTest() : prefs(DefaultEditorPrefs()) {
  track = host.AddTrack({.name = L"Piano", .channel = 0});
  block = host.AddBlock(track, {.start = 0, .end = 4 * 1920});
  host.SetTicksPerQuarter(480);
  prefs.monitor = 1;
  host.SetOutputPorts({{1, kOutputPort, L"Out"}});
  EXPECT_EQ(store.RefreshPorts(true), S_OK);
  source.SetTimeBase(TrackTimeBase{{}, 4, 4, 480});
  Advise();
  store.SelectView(0, -1);
  SetKeys(false, false);
}

RollTest::~RollTest() {
  SetKeys(false, false);
  ReleaseCapture();
  if (window_) DestroyWindow(window_);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

void RollTest::Open(int width, int height) {
  window_ = CreatePianoRollWindow(SharedParent(), &source, GetModuleHandleW(nullptr));
  ASSERT_NE(window_, nullptr);
  roll_ = PianoRollOf(window_);
  SetWindowPos(window_, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  host.Log().Clear();
}

MidiEvent RollTest::N(int64_t start, int32_t duration, int pitch, bool selected) {
  MidiEvent e = refhost::Note(start, duration, static_cast<uint8_t>(pitch));
  if (selected) e.flags |= kEventSelected;
  return e;
}

void RollTest::AddNotes(const std::vector<MidiEvent>& notes) {
  for (const MidiEvent& e : notes) host.AddEvent(block, e);
  host.ReportReset();
  Replay();
  if (roll_) InvalidateNotes(roll_);
  host.Log().Clear();
}

void RollTest::Frame(int64_t start, int ticksPerPixel) {
  roll_->SetView(start, int64_t{roll_->mapWidth} * ticksPerPixel, 0);
  ASSERT_EQ(roll_->viewStart, start);
  ASSERT_EQ(roll_->ticksPerPixel, ticksPerPixel);
}

void RollTest::Sync() {
  Replay();
  InvalidateNotes(roll_);
}

int RollTest::X(int64_t tick) const { return roll_->TimeToX(tick); }

int RollTest::Y(int pitch) const {
  int32_t row = kRollRows - 1 - pitch;
  return (roll_->RowToY(row) + roll_->RowToY(row + 1)) / 2;
}

void RollTest::Mouse(UINT msg, POINT p, WPARAM keys) {
  POINT screen = p;
  ClientToScreen(window_, &screen);
  if (!GetCapture()) SendMessageW(window_, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
  SendMessageW(window_, msg, keys, MAKELPARAM(p.x, p.y));
}

void RollTest::Press(POINT p, WPARAM keys, bool alt) {
  SetKeys(keys & MK_SHIFT, keys & MK_CONTROL, alt);
  Mouse(WM_LBUTTONDOWN, p, keys | MK_LBUTTON);
}

void RollTest::MoveTo(POINT p, WPARAM keys, bool alt) {
  SetKeys(keys & MK_SHIFT, keys & MK_CONTROL, alt);
  Mouse(WM_MOUSEMOVE, p, keys | MK_LBUTTON);
}

void RollTest::Release(POINT p, WPARAM keys, bool alt) {
  SetKeys(keys & MK_SHIFT, keys & MK_CONTROL, alt);
  Mouse(WM_LBUTTONUP, p, keys);
  SetKeys(false, false);
}

void RollTest::Drag(POINT from, POINT to, WPARAM keys, bool alt) {
  Press(from, keys, alt);
  if (from.x != to.x || from.y != to.y) {
    for (int step = 1; step <= 4; ++step) {
      MoveTo({from.x + (to.x - from.x) * step / 4, from.y + (to.y - from.y) * step / 4}, keys, alt);
    }
  }
  held = host.song();
  Release(to, keys, alt);
}

void RollTest::Key(WPARAM key) {
  SendMessageW(window_, WM_KEYDOWN, key, 1);
  SendMessageW(window_, WM_KEYUP, key, 0xC0000001);
}

void RollTest::ExpectUndoRestores(const wchar_t* label) {
  EXPECT_EQ(host.UndoLabels(), std::vector<std::wstring>{label});
  ASSERT_EQ(host.Undo(), S_OK);
  Replay();
  EXPECT_EQ(host.song(), held);
}

std::vector<std::string> RollTest::Edits() const { return host.Log().Texts(refhost::CallFilter::Edits); }

std::vector<RollTest::Note> RollTest::Notes() const {
  std::vector<Note> out;
  for (const refhost::EventView& e : host.Events(track.trackId)) {
    if (e.record.type != kEvNoteOn) continue;
    out.push_back({e.record.start, e.record.duration, e.record.data[0], (e.record.flags & kEventSelected) != 0});
  }
  std::sort(out.begin(), out.end(), [](const Note& a, const Note& b) {
    return a.start != b.start ? a.start < b.start : a.pitch < b.pitch;
  });
  return out;
}

std::vector<int> RollTest::Previews() {
  std::vector<int> pitches;
  const std::vector<refhost::SentEvent>& sent = host.SentEvents();
  for (size_t i = 0; i < sent.size(); i += 2) {
    const MidiEvent& on = sent[i].record;
    EXPECT_EQ(on.type, kEvNoteOn) << "event " << i;
    pitches.push_back(on.data[0]);
    if (i + 1 == sent.size()) {
      ADD_FAILURE() << "Note On " << int{on.data[0]} << " never stopped";
      break;
    }
    const MidiEvent& off = sent[i + 1].record;
    EXPECT_EQ(off.type, kEvNoteOff) << "event " << i + 1;
    EXPECT_EQ(off.data[0], on.data[0]);
    EXPECT_EQ(off.channel, on.channel);
  }
  host.ClearSentEvents();
  return pitches;
}

void RollTest::Capture() { pixels_ = CaptureClient(window_); }

COLORREF RollTest::Pixel(int x, int y) const { return pixels_.At(x, y); }

}  // namespace rolltest
