// The editor frame on the reference host: the track selector, the toolbar's
// buttons and state, the commands and where they land, the toolbar's drop-down
// menus, the Preferences, MIDI Quantize and About dialogs driven inside their
// modal loops, and the view state the frame leaves in the settings.
//
// The project: track 0 "Conductor" (never listed), 1 "Piano" (block 0..7680),
// 2 unnamed (block 0..1920), 3 "Bass" (solo, one note); 960 ticks per quarter, 4/4.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/event_factory.h"
#include "host/song.h"
#include "kvlib/ui_resources.h"
#include "pianoroll/pianoroll.h"
#include "shell/page/editor_messages.h"
#include "shell/window_classes.h"
#include "tests/shell/shell_test_support.h"
#include "trackview/trackview.h"

namespace shelltest {
namespace {

using refhost::Note;
using Lines = std::vector<std::string>;

const wchar_t kClipFormatName[] = L"Velora Zebu 1.0";

struct RollNote {
  int64_t start;
  int32_t duration;
  int pitch;
  bool selected;
  bool operator==(const RollNote&) const = default;
  friend void PrintTo(const RollNote& n, std::ostream* os) {
    *os << "{" << n.start << "+" << n.duration << " p" << n.pitch << (n.selected ? " sel}" : "}");
  }
};

MidiEvent Sel(MidiEvent e) { return refhost::Selected(e); }

std::wstring TextOf(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

// A combo box's items: text and item data.
std::vector<std::pair<std::wstring, int32_t>> ComboItems(HWND combo) {
  std::vector<std::pair<std::wstring, int32_t>> items;
  const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    wchar_t text[256] = {};
    SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    // Item data are 32-bit values here (track indices, port ids).
    items.emplace_back(text, static_cast<int32_t>(SendMessageW(combo, CB_GETITEMDATA, i, 0)));
  }
  return items;
}

// Chooses a combo item as the user does: the selection, then the notification.
void Choose(HWND dialog, int comboId, int item) {
  HWND combo = GetDlgItem(dialog, comboId);
  SendMessageW(combo, CB_SETCURSEL, item, 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(comboId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

// Runs `body` on the first dialog that opens while `open` runs, from a timer
// inside the dialog's own modal loop; the dialog is then closed with the button
// the body returns (Cancel when it returns 0). True when a dialog opened.
class DialogScript {
 public:
  static bool Run(const std::function<void()>& open, std::function<UINT(HWND)> body) {
    DialogScript script(std::move(body));
    open();
    return script.ran_;
  }

 private:
  explicit DialogScript(std::function<UINT(HWND)> body) : body_(std::move(body)) {
    active_ = this;
    hook_ = SetWindowsHookExW(WH_CALLWNDPROCRET, Hook, nullptr, GetCurrentThreadId());
  }
  ~DialogScript() {
    UnhookWindowsHookEx(hook_);
    active_ = nullptr;
  }
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
    const auto* m = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && active_ && !active_->dialog_ && m->message == WM_INITDIALOG &&
        (GetWindowLongW(m->hwnd, GWL_STYLE) & WS_CHILD) == 0) {
      active_->dialog_ = m->hwnd;
      SetTimer(nullptr, 0, 0, Timer);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }
  static void CALLBACK Timer(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    DialogScript* self = active_;
    if (!self || self->ran_) return;
    self->ran_ = true;
    const UINT button = self->body_(self->dialog_);
    SendMessageW(self->dialog_, WM_COMMAND, button ? button : IDCANCEL, 0);
  }

  static inline DialogScript* active_ = nullptr;
  std::function<UINT(HWND)> body_;
  HHOOK hook_ = nullptr;
  HWND dialog_ = nullptr;
  bool ran_ = false;
};

// Runs `body` on the pop-up menu that `open` shows, once its loop is idle, and
// then ends the menu. True when a menu was shown.
class MenuScript {
 public:
  static bool Run(const std::function<void()>& open, std::function<void(HMENU)> body) {
    MenuScript script(std::move(body));
    open();
    return script.ran_;
  }

 private:
  explicit MenuScript(std::function<void(HMENU)> body) : body_(std::move(body)) {
    active_ = this;
    hook_ = SetWindowsHookExW(WH_CALLWNDPROC, Hook, nullptr, GetCurrentThreadId());
  }
  ~MenuScript() {
    UnhookWindowsHookEx(hook_);
    active_ = nullptr;
  }
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
    const auto* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
    MenuScript* self = active_;
    if (code == HC_ACTION && self) {
      if (m->message == WM_INITMENUPOPUP && !self->menu_) self->menu_ = reinterpret_cast<HMENU>(m->wParam);
      if (m->message == WM_ENTERIDLE && m->wParam == MSGF_MENU && !self->ran_) {
        self->ran_ = true;
        HWND popup = reinterpret_cast<HWND>(m->lParam);
        HMENU shown = popup ? reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0)) : nullptr;
        self->body_(shown ? shown : self->menu_);
        EndMenu();
      }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }

  static inline MenuScript* active_ = nullptr;
  std::function<void(HMENU)> body_;
  HHOOK hook_ = nullptr;
  HMENU menu_ = nullptr;
  bool ran_ = false;
};

// A host project, the plug-in connected to it and its editor page shown in a
// host window.
class Session {
 public:
  Session() {
    static const bool registered = [] {
      RegisterWindowClasses(GetModuleHandleW(nullptr));
      return true;
    }();
    (void)registered;
    host.AddTrack({.name = L"Conductor"});
    piano = host.AddTrack({.name = L"Piano", .channel = 0});
    pianoBlock = host.AddBlock(piano, {.start = 0, .end = 7680});
    unnamed = host.AddTrack({.name = L""});
    host.AddBlock(unnamed, {.start = 0, .end = 1920});
    bass = host.AddTrack({.name = L"Bass", .channel = 1, .solo = true});
    host.AddEvent(host.AddBlock(bass, {.start = 0, .end = 3840}), Note(0, 960, 40));
    host.SetTicksPerQuarter(960);
    host.SetMeter(4, 2);
    plugin = CreatePlugin();
  }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  ~Session() {
    if (page) {
      if (frame) {
        EXPECT_EQ(S_OK, page->Deactivate());
      }
      EXPECT_EQ(S_OK, page->SetObjects(0, nullptr));
      page.Reset();
    }
    TakePosted(nullptr);
    PumpMessages();
    plugin->Disconnect();
    plugin.Reset();
    if (parent) DestroyWindow(parent);
    const refhost::LeakReport leaks = host.Leaks();
    EXPECT_TRUE(leaks.Clean()) << leaks.Describe();
  }

  void Open() {
    DWORD capabilities = 0;
    ASSERT_EQ(S_OK, plugin->Connect(host.site(), host.output(), 1, 0, &capabilities));
    page = CreatePage();
    parent = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 900, 600, nullptr,
                             nullptr, nullptr, nullptr);
    IUnknown* objects[] = {plugin.get()};
    ASSERT_EQ(S_OK, page->SetObjects(1, objects));
    Activate();
  }

  void Activate() {
    const RECT rect{0, 0, 860, 540};
    ASSERT_EQ(S_OK, page->Activate(parent, &rect, FALSE));
    ASSERT_EQ(S_OK, page->Show(SW_SHOW));
    frame = GetWindow(parent, GW_CHILD);
    ASSERT_NE(nullptr, frame);
    toolbar = GetDlgItem(frame, 1001);
    selector = GetDlgItem(frame, 1000);
    view = FindWindowExW(frame, nullptr, kTrackviewClassName, nullptr);
    ASSERT_NE(nullptr, view) << "the frame has no track view";
    roll = PianoRollOf(view);
    ASSERT_NE(nullptr, roll);
    PumpMessages();
    host.Log().Clear();
  }

  void Deactivate() {
    ASSERT_EQ(S_OK, page->Deactivate());
    frame = toolbar = selector = view = nullptr;
    roll = nullptr;
  }

  PianoRollPlugin& impl() { return Impl(plugin.get()); }
  EditorPrefs& prefs() { return impl().prefs(); }
  EventStore& store() { return impl().store(); }

  void Command(UINT id) { SendMessageW(frame, WM_COMMAND, id, 0); }
  // The toolbar as the frame leaves it after a state refresh.
  void UpdateUi() {
    PumpMessages();
    SendMessageW(frame, WM_EDITOR_UPDATEUI, 0, 0);
  }
  int State(UINT command) const { return static_cast<int>(SendMessageW(toolbar, TB_GETSTATE, command, 0)); }
  bool Enabled(UINT command) const { return (State(command) & TBSTATE_ENABLED) != 0; }
  bool Checked(UINT command) const { return (State(command) & TBSTATE_CHECKED) != 0; }
  void ChooseTrack(int item) { Choose(frame, 1000, item); }
  LPARAM ChosenTrack() const {
    return SendMessageW(selector, CB_GETITEMDATA, SendMessageW(selector, CB_GETCURSEL, 0, 0), 0);
  }
  void FocusView() {
    SetFocus(view);
    ASSERT_EQ(view, GetFocus());
  }
  void SelectAll(bool select) { SendMessageW(view, kMsgSelectAll, select ? 0 : 1, 0); }
  std::vector<RollNote> Notes(const ItemPath& track) const {
    std::vector<RollNote> out;
    for (const refhost::EventView& e : host.Events(track.trackId))
      if (e.record.type == kEvNoteOn)
        out.push_back({e.record.start, e.record.duration, e.record.data[0], (e.record.flags & kEventSelected) != 0});
    std::sort(out.begin(), out.end(), [](const RollNote& a, const RollNote& b) {
      return a.start != b.start ? a.start < b.start : a.pitch < b.pitch;
    });
    return out;
  }
  Lines Edits() const { return host.Log().Texts(refhost::CallFilter::Edits); }

  refhost::RefHost host;
  ItemPath piano{}, pianoBlock{}, unnamed{}, bass{};
  ComPtr<PluginMain> plugin;
  ComPtr<IPropertyPage> page;
  HWND parent = nullptr, frame = nullptr, toolbar = nullptr, selector = nullptr, view = nullptr;
  PianoRoll* roll = nullptr;
};

void SetClipboardEvents(bool present) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  if (present) {
    // An empty block of the editor's format: a header that counts no events.
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 12);
    SetClipboardData(RegisterClipboardFormatW(kClipFormatName), block);
  }
  CloseClipboard();
}

// --- Track selector ---------------------------------------------------------------------------------

TEST(EditorFrame, SelectorListsTheTracksAfterTrackZeroAndShowsTheChosenOne) {
  Session s;
  s.host.AddEvent(s.pianoBlock, Note(0, 480, 60));
  s.host.AddEvent(s.pianoBlock, Note(960, 480, 62));
  s.host.AddEvent(s.pianoBlock, refhost::Controller(480, 7, 100));
  s.host.AddEvent(s.pianoBlock, refhost::ShortEvent(kEvProgramChange, 0, 5));  // not shown
  s.Open();
  using Items = std::vector<std::pair<std::wstring, int32_t>>;
  EXPECT_EQ(ComboItems(s.selector), (Items{{L"Piano", 1}, {L"Track 3", 2}, {L"Bass", 3}}));
  EXPECT_EQ(0, SendMessageW(s.selector, CB_GETCURSEL, 0, 0));
  EXPECT_EQ(0x940u, s.store().TypeMask());
  EXPECT_EQ(1, s.store().CurrentTrack());
  EXPECT_EQ(3, s.store().EventCount());

  const struct {
    int item;
    int track;
    int events;
  } kChoices[] = {{2, 3, 1}, {1, 2, 0}, {0, 1, 3}};
  for (const auto& c : kChoices) {
    s.ChooseTrack(c.item);
    EXPECT_EQ(c.track, s.store().CurrentTrack()) << "item " << c.item;
    EXPECT_EQ(c.events, s.store().EventCount()) << "item " << c.item;
  }
}

TEST(EditorFrame, SelectorFallsBackToTrackOneWhenTheChosenTrackGoes) {
  Session s;
  s.Open();
  s.ChooseTrack(2);
  ASSERT_EQ(3, s.ChosenTrack());
  ASSERT_EQ(S_OK, s.host.DeleteTrack(s.bass));
  PumpMessages();  // the refresh the plug-in posted
  using Items = std::vector<std::pair<std::wstring, int32_t>>;
  EXPECT_EQ(ComboItems(s.selector), (Items{{L"Piano", 1}, {L"Track 3", 2}}));
  EXPECT_EQ(1, s.ChosenTrack());

  // A refresh keeps a choice whose track is still there.
  s.ChooseTrack(1);
  s.host.InsertEvent(s.pianoBlock, Note(0, 480, 60));
  PumpMessages();
  EXPECT_EQ(2, s.ChosenTrack());
}

TEST(EditorFrame, SelectorOfAProjectWithOnlyTrackZeroIsEmpty) {
  Session s;
  s.host.DeleteTrack(s.piano);
  s.host.DeleteTrack(s.unnamed);
  s.host.DeleteTrack(s.bass);
  s.Open();
  EXPECT_EQ(0, SendMessageW(s.selector, CB_GETCOUNT, 0, 0));
  s.ChooseTrack(0);
  EXPECT_NE(0, s.store().CurrentTrack());
}

// --- Toolbar ---------------------------------------------------------------------------------------

std::wstring TipOf(const Session& s, UINT command) {
  NMTTDISPINFOW info{};
  info.hdr.hwndFrom = reinterpret_cast<HWND>(SendMessageW(s.toolbar, TB_GETTOOLTIPS, 0, 0));
  info.hdr.idFrom = command;
  info.hdr.code = TTN_GETDISPINFOW;
  SendMessageW(s.frame, WM_NOTIFY, command, reinterpret_cast<LPARAM>(&info));
  if (info.lpszText && !IS_INTRESOURCE(info.lpszText)) return info.lpszText;
  if (info.lpszText && info.hinst) {
    wchar_t text[100] = {};
    LoadStringW(info.hinst, static_cast<UINT>(reinterpret_cast<UINT_PTR>(info.lpszText)), text, 100);
    return text;
  }
  return info.szText;
}

TEST(EditorFrame, ToolbarHoldsItsButtonsInOrderWithImagesKindsAndTips) {
  Session s;
  s.Open();
  wchar_t cls[64] = {};
  GetClassNameW(s.toolbar, cls, 64);
  ASSERT_STREQ(TOOLBARCLASSNAMEW, cls);
  constexpr BYTE kCheckGroup = BTNS_CHECK | BTNS_GROUP;
  const struct {
    UINT command;
    int image;
    BYTE kind;
    const wchar_t* tip;
  } kButtons[] = {
      {4000, 0, BTNS_BUTTON, L"Cut (Ctrl+X)"},
      {4001, 1, BTNS_BUTTON, L"Copy (Ctrl+C)"},
      {4002, 2, BTNS_BUTTON, L"Paste (Ctrl+V)"},
      {0, 0, BTNS_SEP, nullptr},
      {4041, 3, BTNS_CHECK | BTNS_DROPDOWN, L"Enable Snapping (F8, Hold Shift to Override)"},
      {4043, 16, BTNS_CHECK | BTNS_DROPDOWN,
       L"Enable Snapping Notes to Specified Scale (Alt+F8, Hold Alt to Override)"},
      {0, 0, BTNS_SEP, nullptr},
      {4010, 4, kCheckGroup, L"Draw Tool (Ctrl+D)"},
      {4011, 5, kCheckGroup, L"Selection Tool"},
      {4013, 17, kCheckGroup | BTNS_DROPDOWN, L"Paint Tool"},
      {4014, 18, kCheckGroup, L"Erase Tool"},
      {4012, 6, kCheckGroup, L"Zoom Tool"},
      {0, 0, BTNS_SEP, nullptr},
      {4005, 19, BTNS_BUTTON, L"Quantize..."},
      {0, 0, BTNS_SEP, nullptr},
      {4026, 7, BTNS_CHECK, L"Solo Track"},
      {4042, 8, BTNS_CHECK, L"Monitor"},
  };
  ASSERT_EQ(std::size(kButtons), static_cast<size_t>(SendMessageW(s.toolbar, TB_BUTTONCOUNT, 0, 0)));
  for (size_t i = 0; i < std::size(kButtons); ++i) {
    const auto& want = kButtons[i];
    TBBUTTON b{};
    ASSERT_TRUE(SendMessageW(s.toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&b)));
    EXPECT_EQ(want.kind, b.fsStyle & (BTNS_SEP | BTNS_CHECK | BTNS_GROUP | BTNS_DROPDOWN)) << "button " << i;
    if (want.kind == BTNS_SEP) continue;
    EXPECT_EQ(static_cast<int>(want.command), b.idCommand) << "button " << i;
    EXPECT_EQ(want.image, b.iBitmap) << "button " << i;
    EXPECT_TRUE(b.fsStyle & BTNS_AUTOSIZE) << "button " << i;
    EXPECT_EQ(want.tip, TipOf(s, want.command)) << "button " << i;
  }
  EXPECT_EQ(-1, SendMessageW(s.toolbar, TB_COMMANDTOINDEX, 4003, 0));
  EXPECT_EQ(L"Preferences...", TipOf(s, 4040));
  EXPECT_EQ(L"", TipOf(s, 4003));
  EXPECT_TRUE(SendMessageW(s.toolbar, TB_GETEXTENDEDSTYLE, 0, 0) & TBSTYLE_EX_DRAWDDARROWS);

  for (UINT message : {TB_GETIMAGELIST, TB_GETHOTIMAGELIST, TB_GETDISABLEDIMAGELIST}) {
    auto list = reinterpret_cast<HIMAGELIST>(SendMessageW(s.toolbar, message, 0, 0));
    ASSERT_NE(nullptr, list) << "message " << message;
    int cx = 0, cy = 0;
    EXPECT_TRUE(ImageList_GetIconSize(list, &cx, &cy));
    EXPECT_EQ(16, cx);
    EXPECT_EQ(16, cy);
    EXPECT_GE(ImageList_GetImageCount(list), 20) << "message " << message;
  }
}

TEST(EditorFrame, EditButtonsFollowFocusSelectionAndClipboard) {
  Session s;
  s.host.AddEvent(s.pianoBlock, Note(0, 480, 60));
  s.Open();
  // In order: Quantize keeps its state while the focus is elsewhere.
  const struct {
    bool focusView, selected, clipboard;
    bool cut, copy, paste, quantize;
  } kSteps[] = {
      {true, true, true, true, true, true, true},        {true, false, true, false, false, true, false},
      {true, true, false, true, true, false, true},      {false, false, true, false, false, false, true},
      {true, false, false, false, false, false, false},  {false, true, true, false, false, false, false},
  };
  int step = 0;
  for (const auto& c : kSteps) {
    SetClipboardEvents(c.clipboard);
    s.SelectAll(c.selected);
    if (c.focusView) {
      s.FocusView();
    } else {
      SetFocus(s.selector);
    }
    s.UpdateUi();
    EXPECT_EQ(c.cut, s.Enabled(4000)) << "step " << step;
    EXPECT_EQ(c.copy, s.Enabled(4001)) << "step " << step;
    EXPECT_EQ(c.paste, s.Enabled(4002)) << "step " << step;
    EXPECT_EQ(c.quantize, s.Enabled(4005)) << "step " << step;
    ++step;
  }
  SetClipboardEvents(false);
}

TEST(EditorFrame, SwitchButtonsFollowSettingsSoloAndOutput) {
  Session s;
  s.host.SetOutputPorts({{1, {}, L"Out"}});
  s.Open();
  const struct {
    int snap, scale, monitor, trackItem;
    bool snapChecked, scaleChecked, monitorChecked, soloChecked;
  } kCases[] = {
      {1, 0, 0, 0, true, false, false, false},
      {0, 1, 1, 2, false, true, true, true},
      {1, 1, 0, 1, true, true, false, false},
  };
  for (const auto& c : kCases) {
    s.prefs().snapEnabled = c.snap;
    s.prefs().scaleSnap = c.scale;
    s.prefs().monitor = c.monitor;
    s.ChooseTrack(c.trackItem);
    s.UpdateUi();
    EXPECT_EQ(c.snapChecked, s.Checked(4041)) << "track item " << c.trackItem;
    EXPECT_EQ(c.scaleChecked, s.Checked(4043)) << "track item " << c.trackItem;
    EXPECT_EQ(c.monitorChecked, s.Checked(4042)) << "track item " << c.trackItem;
    EXPECT_EQ(c.soloChecked, s.Checked(4026)) << "track item " << c.trackItem;
    for (UINT id : {4041u, 4043u, 4026u, 4042u}) EXPECT_TRUE(s.Enabled(id)) << id;
  }
}

// --- Commands --------------------------------------------------------------------------------------

TEST(EditorFrame, ToolCommandsMakeTheToolActiveAndCheckItsButton) {
  Session s;
  s.Open();
  for (UINT command : {4011u, 4013u, 4014u, 4012u, 4010u, 4013u}) {
    s.Command(command);
    s.UpdateUi();
    EXPECT_EQ(static_cast<int>(command - 4010), s.roll->activeTool) << command;
    for (UINT tool = 4010; tool <= 4014; ++tool) {
      EXPECT_TRUE(s.Enabled(tool));
      EXPECT_EQ(tool == command, s.Checked(tool)) << "after " << command << ", button " << tool;
    }
  }
}

TEST(EditorFrame, SettingCommandsReachTheSettingsTheViewAndTheHost) {
  Session s;
  s.Open();
  ASSERT_EQ(960u, s.roll->timeBase.ticksPerQuarter);
  using Read = int64_t (*)(Session&);
  const Read snap = [](Session& t) -> int64_t { return t.prefs().snapEnabled; };
  const Read scale = [](Session& t) -> int64_t { return t.prefs().scaleSnap; };
  const Read grid = [](Session& t) { return t.prefs().gridValue; };
  const Read snapGrid = [](Session& t) { return static_cast<int64_t>(t.roll->snapGrid); };
  const Read paint = [](Session& t) { return t.prefs().paintNoteValue; };
  const Read paintLength = [](Session& t) { return static_cast<int64_t>(t.roll->paintLength); };
  const Read root = [](Session& t) -> int64_t { return t.prefs().keyRoot; };
  const Read scaleIndex = [](Session& t) -> int64_t { return t.prefs().scaleIndex; };
  const Read loop = [](Session& t) -> int64_t {
    return (t.host.TransportBits() & kTransportLoopOn) | (IsLoopPlayback(t.roll) ? 1 : 0);
  };
  const Read cursor = [](Session& t) { return t.roll->cursorPos; };
  // Each command is sent once per expected value, in order; the values are read after each.
  const struct {
    UINT command;
    Read read;
    std::vector<int64_t> after;
  } kCases[] = {
      {4041, snap, {0, 1}},
      {4043, scale, {1, 0}},
      {6013, grid, {-16}},
      {6013, snapGrid, {240}},
      {6018, grid, {-65}},
      {6005, grid, {0}},
      {7008, paint, {-32}},
      {7008, paintLength, {960}},
      {7013, paint, {-127}},
      {7000, paint, {0}},
      {7203, root, {3}},
      {7211, root, {11}},
      {7305, scaleIndex, {5}},
      {7317, scaleIndex, {17}},
      {7300, scaleIndex, {0}},
      {4027, loop, {0x11, 0}},
      {4025, cursor, {7680}},
      {4024, cursor, {0}},
  };
  for (const auto& c : kCases) {
    for (size_t i = 0; i < c.after.size(); ++i) {
      s.Command(c.command);
      PumpMessages();
      EXPECT_EQ(c.after[i], c.read(s)) << "command " << c.command << ", time " << i + 1;
    }
  }
  EXPECT_EQ(7680, s.prefs().dataLength);
  EXPECT_EQ(Lines{}, s.Edits());
}

TEST(EditorFrame, EditCommandsGoToTheFocusWindow) {
  Session s;
  s.host.AddEvent(s.pianoBlock, Sel(Note(0, 480, 60)));
  s.host.AddEvent(s.pianoBlock, Note(960, 480, 64));
  s.Open();
  using Notes = std::vector<RollNote>;
  const Notes both{{0, 480, 60, true}, {960, 480, 64, false}};

  SetFocus(s.selector);  // Delete goes to the selector, which has no notes
  s.Command(4003);
  PumpMessages();
  EXPECT_EQ(both, s.Notes(s.piano));

  s.FocusView();
  SetClipboardEvents(false);
  s.Command(4001);
  PumpMessages();
  EXPECT_TRUE(IsClipboardFormatAvailable(RegisterClipboardFormatW(kClipFormatName)));
  EXPECT_EQ(both, s.Notes(s.piano));
  EXPECT_EQ(std::vector<std::wstring>{}, s.host.UndoLabels());

  s.Command(4003);
  PumpMessages();
  EXPECT_EQ((Notes{{960, 480, 64, false}}), s.Notes(s.piano));
  EXPECT_EQ(std::vector<std::wstring>{L"Delete MIDI Event"}, s.host.UndoLabels());

  s.Command(4024);  // the cursor to 0, where the copied note goes back
  s.Command(4002);
  PumpMessages();
  EXPECT_EQ(both, s.Notes(s.piano));
  EXPECT_EQ((std::vector<std::wstring>{L"Delete MIDI Event", L"Paste MIDI Event"}), s.host.UndoLabels());

  s.Command(4000);
  PumpMessages();
  EXPECT_EQ((Notes{{960, 480, 64, false}}), s.Notes(s.piano));
  EXPECT_EQ(L"Delete MIDI Event", s.host.UndoLabels().back());
  SetClipboardEvents(false);
}

TEST(EditorFrame, SoloIsOneLabelledEditOfTheChosenTrack) {
  Session s;
  s.Open();
  const std::string track = "t" + std::to_string(s.piano.trackId);
  for (bool solo : {true, false}) {
    s.host.Log().Clear();
    s.Command(4026);
    PumpMessages();  // the host's report and the toolbar refresh
    EXPECT_EQ((Lines{"BeginEdit(1,Solo MIDI sub track)", "SetItem(1," + track + ",0x1000)", "EndEdit(1)"}),
              s.Edits());
    EXPECT_EQ(solo, (refhost::TrackFlags(s.host.Track(s.piano.trackId)->info) & refhost::kTrackSolo) != 0);
    EXPECT_EQ(solo, s.Checked(4026));
  }
  EXPECT_EQ((std::vector<std::wstring>{L"Solo MIDI sub track", L"Solo MIDI sub track"}), s.host.UndoLabels());
  // Bass keeps its own flag.
  EXPECT_TRUE(refhost::TrackFlags(s.host.Track(s.bass.trackId)->info) & refhost::kTrackSolo);
}

TEST(EditorFrame, MonitorNeedsAnOutputPort) {
  for (bool port : {false, true}) {
    Session s;
    if (port) s.host.SetOutputPorts({{1, {}, L"Out"}});
    s.Open();
    s.UpdateUi();
    EXPECT_EQ(port, s.Enabled(4042)) << "port " << port;
    for (int expected : {1, 0}) {
      s.Command(4042);
      PumpMessages();
      EXPECT_EQ(port ? expected : 0, s.prefs().monitor) << "port " << port;
      EXPECT_EQ(port && expected, s.Checked(4042)) << "port " << port;
    }
  }
}

// --- Drop-down menus -------------------------------------------------------------------------------

bool RadioChecked(HMENU menu, UINT command) {
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE | MIIM_STATE;
  if (!GetMenuItemInfoW(menu, command, FALSE, &info)) return false;
  return (info.fState & MFS_CHECKED) && (info.fType & MFT_RADIOCHECK);
}

TEST(EditorFrame, DropDownsOpenTheirMenuWithTheCurrentChoiceChecked) {
  Session s;
  s.Open();
  const struct {
    UINT button;
    std::vector<UINT> setup, checked, unchecked;
    UINT firstItem;
  } kCases[] = {
      {4041, {6013}, {6013}, {6005, 6009, 6018}, 6005},
      {4041, {6007}, {6007}, {6005, 6013}, 6005},
      {4013, {7008}, {7008}, {7000, 7011}, 7000},
      {4043, {7203, 7305}, {7203, 7305}, {7200, 7300}, 7200},
  };
  for (const auto& c : kCases) {
    for (UINT command : c.setup) s.Command(command);
    PumpMessages();
    NMTOOLBARW notice{};
    notice.hdr.hwndFrom = s.toolbar;
    notice.hdr.idFrom = 1001;
    notice.hdr.code = TBN_DROPDOWN;
    notice.iItem = static_cast<int>(c.button);
    SendMessageW(s.toolbar, TB_GETRECT, c.button, reinterpret_cast<LPARAM>(&notice.rcButton));
    const bool shown = MenuScript::Run(
        [&] { SendMessageW(s.frame, WM_NOTIFY, 1001, reinterpret_cast<LPARAM>(&notice)); },
        [&](HMENU menu) {
          ASSERT_NE(nullptr, menu);
          EXPECT_NE(-1, static_cast<int>(GetMenuState(menu, c.firstItem, MF_BYCOMMAND))) << c.button;
          for (UINT id : c.checked) EXPECT_TRUE(RadioChecked(menu, id)) << "button " << c.button << ", item " << id;
          for (UINT id : c.unchecked)
            EXPECT_FALSE(GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED) << "button " << c.button << ", item " << id;
        });
    EXPECT_TRUE(shown) << "button " << c.button;
  }
}

// --- Dialogs ---------------------------------------------------------------------------------------

TEST(EditorFrame, PreferencesListsOutputPortsByIdAndKeepsAChoiceOnCancel) {
  using Items = std::vector<std::pair<std::wstring, int32_t>>;
  auto port = [](uint32_t id, std::optional<std::wstring> name) {
    refhost::PortSpec p{id, {}, std::move(name)};
    p.guid.Data1 = 0x100 + id;  // each port its own identity
    return p;
  };
  const std::vector<refhost::PortSpec> named{port(5, L"Synth A"), port(9, L"Synth B")};
  const std::vector<refhost::PortSpec> unnamed{port(3, {}), port(4, {}), port(7, {})};
  const Items namedItems{{L"(None)", -1}, {L"Synth A", 5}, {L"Synth B", 9}};
  const struct {
    const char* name;
    std::vector<refhost::PortSpec> ports;
    Items items;
    bool enabled;
    int initial;
    int choose;  // -1: no change
    UINT button;
    uint32_t port;
  } kCases[] = {
      {"second port, OK", named, namedItems, true, 1, 2, IDOK, 9},
      {"second port, Cancel", named, namedItems, true, 1, 2, IDCANCEL, 9},
      {"none, Cancel", named, namedItems, true, 1, 0, IDCANCEL, 0xFFFFFFFFu},
      {"unnamed ports", unnamed, {{L"(None)", -1}, {L"Port 1", 3}, {L"Port 2", 4}, {L"Port 3", 7}}, true, 1, 3,
       IDOK, 7},
      {"no output", {}, {{L"(None)", -1}}, false, 0, -1, IDOK, 0xFFFFFFFFu},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    Session s;
    s.host.SetOutputPorts(c.ports);
    s.Open();
    const bool opened = DialogScript::Run([&] { s.Command(4040); }, [&](HWND dialog) -> UINT {
      EXPECT_EQ(L"Preferences", TextOf(dialog));
      HWND combo = GetDlgItem(dialog, 1020);
      EXPECT_EQ(c.items, ComboItems(combo));
      EXPECT_EQ(c.enabled, IsWindowEnabled(combo) != FALSE);
      EXPECT_EQ(c.initial, SendMessageW(combo, CB_GETCURSEL, 0, 0));
      if (c.choose >= 0) {
        Choose(dialog, 1020, c.choose);
        EXPECT_EQ(c.port, s.store().CurrentPort(true)) << "at once";
      }
      return c.button;
    });
    ASSERT_TRUE(opened);
    EXPECT_EQ(c.port, s.store().CurrentPort(true));
    MSG posted;
    EXPECT_TRUE(PeekMessageW(&posted, s.frame, WM_EDITOR_UPDATEUI, WM_EDITOR_UPDATEUI, PM_NOREMOVE));
  }
}

const std::vector<std::wstring> kResolutions = {
    L"Whole Note", L"Half Note",         L"Quarter Note", L"Quarter Note Triplet", L"8th Note", L"8th Note Triplet",
    L"16th Note",  L"16th Note Triplet", L"32nd Note",    L"32nd Note Triplet",    L"64th Note"};

// The dialog's list as it opens: the resolutions with their index as data.
void ExpectResolutionList(HWND combo) {
  const auto items = ComboItems(combo);
  ASSERT_EQ(kResolutions.size(), items.size());
  for (size_t i = 0; i < items.size(); ++i) {
    EXPECT_EQ(kResolutions[i], items[i].first);
    EXPECT_EQ(static_cast<int32_t>(i), items[i].second);
  }
}

TEST(EditorFrame, QuantizeDialogAppliesItsChoiceAsOneEdit) {
  using Notes = std::vector<RollNote>;
  const struct {
    const char* name;
    int index;
    bool starts, durations;
    Notes after;
  } kCases[] = {
      {"16th starts", 6, true, false,
       {{960, 500, 60, true}, {1000, 500, 70, false}, {1200, 100, 62, true}, {1200, 480, 64, true}}},
      {"16th durations", 6, false, true,
       {{1000, 480, 60, true}, {1000, 500, 70, false}, {1080, 240, 62, true}, {1200, 480, 64, true}}},
      {"quarter triplets, both", 3, true, true,
       {{1000, 500, 70, false}, {1280, 640, 60, true}, {1280, 640, 62, true}, {1280, 640, 64, true}}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    Session s;
    s.host.AddEvent(s.pianoBlock, Sel(Note(1000, 500, 60)));
    s.host.AddEvent(s.pianoBlock, Sel(Note(1080, 100, 62)));
    s.host.AddEvent(s.pianoBlock, Sel(Note(1200, 480, 64)));
    s.host.AddEvent(s.pianoBlock, Note(1000, 500, 70));
    s.host.AddEvent(s.pianoBlock, Sel(refhost::Controller(1010, 7, 90)));  // listed, selected, left alone
    s.Open();
    const bool opened = DialogScript::Run([&] { s.Command(4005); }, [&](HWND dialog) -> UINT {
      EXPECT_EQ(L"MIDI Quantize", TextOf(dialog));
      HWND combo = GetDlgItem(dialog, 1030);
      ExpectResolutionList(combo);
      EXPECT_EQ(6, SendMessageW(combo, CB_GETCURSEL, 0, 0));
      EXPECT_EQ(BST_CHECKED, SendDlgItemMessageW(dialog, 1031, BM_GETCHECK, 0, 0));
      EXPECT_EQ(BST_UNCHECKED, SendDlgItemMessageW(dialog, 1032, BM_GETCHECK, 0, 0));
      Choose(dialog, 1030, c.index);
      SendDlgItemMessageW(dialog, 1031, BM_SETCHECK, c.starts ? BST_CHECKED : BST_UNCHECKED, 0);
      SendDlgItemMessageW(dialog, 1032, BM_SETCHECK, c.durations ? BST_CHECKED : BST_UNCHECKED, 0);
      return IDOK;
    });
    ASSERT_TRUE(opened);
    PumpMessages();
    EXPECT_EQ(c.after, s.Notes(s.piano));
    const Lines edits = s.Edits();
    ASSERT_EQ(5u, edits.size()) << testing::PrintToString(edits);
    EXPECT_EQ("BeginEdit(1,Quantize MIDI events)", edits.front());
    EXPECT_EQ(3, std::count_if(edits.begin(), edits.end(),
                               [](const std::string& e) { return e.rfind("SetItem(3,", 0) == 0; }));
    EXPECT_EQ("EndEdit(1)", edits.back());
    EXPECT_EQ(std::vector<std::wstring>{L"Quantize MIDI events"}, s.host.UndoLabels());
    EXPECT_EQ(c.index, s.prefs().quantizeResolution);
    EXPECT_EQ(c.starts ? 1 : 0, s.prefs().quantizeStarts);
    EXPECT_EQ(c.durations ? 1 : 0, s.prefs().quantizeDurations);
  }
}

TEST(EditorFrame, QuantizeDialogCancelChangesNothing) {
  Session s;
  s.host.AddEvent(s.pianoBlock, Sel(Note(1000, 500, 60)));
  s.Open();
  s.prefs().quantizeResolution = 2;
  const bool opened = DialogScript::Run([&] { s.Command(4005); }, [&](HWND dialog) -> UINT {
    EXPECT_EQ(2, SendDlgItemMessageW(dialog, 1030, CB_GETCURSEL, 0, 0));
    Choose(dialog, 1030, 8);
    SendDlgItemMessageW(dialog, 1031, BM_SETCHECK, BST_UNCHECKED, 0);
    SendDlgItemMessageW(dialog, 1032, BM_SETCHECK, BST_CHECKED, 0);
    return IDCANCEL;
  });
  ASSERT_TRUE(opened);
  PumpMessages();
  EXPECT_EQ(Lines{}, s.Edits());
  EXPECT_EQ((std::vector<RollNote>{{1000, 500, 60, true}}), s.Notes(s.piano));
  EXPECT_EQ(2, s.prefs().quantizeResolution);
  EXPECT_EQ(1, s.prefs().quantizeStarts);
  EXPECT_EQ(0, s.prefs().quantizeDurations);
}

TEST(EditorFrame, AboutOpensFromTheLogoStrip) {
  Session s;
  s.Open();
  HWND logo = GetDlgItem(s.frame, 9);
  EXPECT_EQ(L"MIDI Piano Roll Editor ", TextOf(logo));
  // The text buttons sit at the right, "About" left of "?", each its text's width plus 8.
  auto width = [](const wchar_t* text) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, KvGetUIFont(110));
    SIZE size{};
    GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return static_cast<int>(size.cx) + 8;
  };
  RECT client;
  GetClientRect(logo, &client);
  const int right = client.right - 1 - 2;
  const LPARAM at = MAKELPARAM(right - width(L"?") - width(L"About") / 2, client.bottom / 2);
  SendMessageW(logo, WM_MOUSEMOVE, 0, at);
  SendMessageW(logo, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(logo, WM_LBUTTONUP, 0, at);
  MSG click{};
  ASSERT_TRUE(PeekMessageW(&click, s.frame, WM_COMMAND, WM_COMMAND, PM_REMOVE));
  EXPECT_EQ(41001, LOWORD(click.wParam));

  const bool opened = DialogScript::Run([&] { DispatchMessageW(&click); }, [](HWND dialog) -> UINT {
    EXPECT_EQ(L"About Velora Tarn 5.0 MIDI Piano Roll Editor", TextOf(dialog));
    EXPECT_EQ(L"Velora Tarn 5.0 MIDI Piano Roll Editor", TextOf(GetDlgItem(dialog, 9965)));
    EXPECT_EQ(L"Version 1.0 (Build 571)", TextOf(GetDlgItem(dialog, 9966)));
    return IDOK;
  });
  EXPECT_TRUE(opened);
}

// --- View state ------------------------------------------------------------------------------------

TEST(EditorFrame, ViewStateGoesIntoTheSettingsOnSaveAndWhenTheFrameGoes) {
  Session s;
  s.host.AddEvent(s.pianoBlock, Note(96000, 480, 60));  // a long time line: many zoom levels
  s.Open();
  auto setView = [&](int level, int row) {
    s.roll->ZoomToStep(level, 0);
    s.roll->SetVertView(row * kRowUnits, s.roll->vertSpan, 0);
    ASSERT_EQ(level, s.roll->zoomLevel);
    ASSERT_EQ(row, s.roll->firstRow);
  };
  const int deeper = std::min(s.roll->zoomLevel + 3, s.roll->maxZoomLevel);
  ASSERT_GT(deeper, 1);

  // The host's save asks the view first.
  s.Command(4014);
  setView(deeper, 30);
  ComPtr<IPersistStream> persist;
  ASSERT_EQ(S_OK, s.plugin->QueryInterface(IID_IPersistStream, persist.put_void()));
  ComPtr<IStream> stream = StreamOf({});
  ASSERT_EQ(S_OK, persist->Save(stream.get(), TRUE));
  const std::vector<uint8_t> bytes = StreamBytes(stream.get());
  ASSERT_EQ(kSettingsRecordSize, bytes.size());
  auto word = [&](size_t offset) {
    int32_t v;
    memcpy(&v, bytes.data() + kSettingsHeaderSize + offset, 4);
    return v;
  };
  EXPECT_EQ(30, word(256));
  EXPECT_EQ(deeper, word(260));
  EXPECT_EQ(4, word(268));

  // Closing the page leaves the view as it was last.
  s.Command(4013);
  setView(deeper - 1, 45);
  const int rowHeight = s.roll->rowHeightIndex;
  s.Deactivate();
  EXPECT_EQ(45, s.prefs().firstVisibleRow);
  EXPECT_EQ(deeper - 1, s.prefs().zoomLevel);
  EXPECT_EQ(rowHeight, s.prefs().rowHeightIndex);
  EXPECT_EQ(3, s.prefs().activeTool);

  s.Activate();
  EXPECT_EQ(45, s.roll->firstRow);
  EXPECT_EQ(deeper - 1, s.roll->zoomLevel);
  EXPECT_EQ(3, s.roll->activeTool);
}

}  // namespace
}  // namespace shelltest
