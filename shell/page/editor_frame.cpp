// The editor frame's life: the state, initialisation and tear-down, layout,
// and the messages the plug-in posts.
#include "shell/page/editor_frame.h"

#include <algorithm>
#include <new>

#include "kvlib/context_help.h"
#include "kvlib/logo_strip.h"
#include "kvlib/module.h"
#include "kvlib/ui_resources.h"
#include "resources/resource_ids.h"
#include "shell/module_strings.h"
#include "shell/page/editor_page.h"
#include "shell/page/frame_internal.h"
#include "shell/plugin/midi_plugin_base.h"

namespace {

constexpr uint32_t kEditorTypeMask = 0x940;  // Note On, Control Change, Pitch Bend
constexpr int kImageSize = 16;
constexpr int kLayoutFont = 100;

// Help topics of the toolbar's commands; the general topic for the rest.
constexpr struct {
  UINT command;
  int topic;
} kHelpTopics[] = {{4000, 39410}, {4001, 39420}, {4002, 39430}, {4005, 39440}, {4010, 39450},
                   {4013, 39460}, {4014, 39470}, {4011, 39480}, {4012, 39490}, {4040, 39500},
                   {4041, 39510}, {4043, 39510}, {4042, 39520}, {4026, 39530}};
constexpr int kGeneralTopic = 39400;

// The track's time base as the engine reads it: the host's ticks per quarter
// note (24576 while it has given none) and the project's meter.
TrackTimeBase ReadTimeBase(MidiPluginBase& plugin) {
  TrackTimeBase tb{{}, 4, 4, kDefaultTicksPerQuarter};
  if (plugin.timeBase().ticksPerQuarter > 0) tb.ticksPerQuarter = plugin.timeBase().ticksPerQuarter;
  HostMeterProperty meter{1, 4, 2};
  HostPropertySet* props = plugin.store().host().properties;
  if (props && SUCCEEDED(props->GetProperty(PROP_Meter, 0, 0, 0, sizeof meter, &meter))) {
    tb.numerator = static_cast<uint16_t>(std::clamp<uint32_t>(meter.beatsPerMeasure, 1, 64));
    tb.denominator = static_cast<uint16_t>(meter.beatUnitCode <= 5 ? 1u << meter.beatUnitCode : 4u);
  }
  return tb;
}

void CreateTrackview(EditorFrame& f) {
  MidiPluginBase* plugin = FramePlugin(f);
  EditorPrefs* prefs = FramePrefs(f);
  if (!plugin || !prefs) return;
  f.dataSource = new (std::nothrow) RollSource(plugin->store(), *prefs);
  if (!f.dataSource) return;
  f.dataSource->SetTimeBase(ReadTimeBase(*plugin));
  f.dataSource->transportAvailable = plugin->store().host().properties != nullptr;
  f.trackviewWindow = CreatePianoRollWindow(f.window, f.dataSource, KvModule_Handle(), f.images, f.imageSize);
  f.trackview = f.trackviewWindow ? PianoRollOf(f.trackviewWindow) : nullptr;
  if (f.trackviewWindow) {
    SetWindowLongPtrW(f.trackviewWindow, GWL_EXSTYLE,
                      GetWindowLongPtrW(f.trackviewWindow, GWL_EXSTYLE) | WS_EX_NOPARENTNOTIFY);
  }
}

void SetUpLogo(EditorFrame& f) {
  HWND logo = GetDlgItem(f.window, IDC_LOGO_STRIP);
  if (!logo) return;
  SendMessageW(logo, KV_LOGO_CLEARBUTTONS, 0, 0);
  const std::wstring about = LoadModuleString(IDS_ABOUT_BUTTON);
  const std::wstring help = LoadModuleString(IDS_HELP_BUTTON);
  SendMessageW(logo, KV_LOGO_ADDBUTTON, 41001, reinterpret_cast<LPARAM>(about.c_str()));
  SendMessageW(logo, KV_LOGO_ADDBUTTON, 41000, reinterpret_cast<LPARAM>(help.c_str()));
  SetWindowTextW(logo, L"MIDI Piano Roll Editor ");
}

void Initialise(EditorFrame& f) {
  MidiPluginBase* plugin = FramePlugin(f);
  if (!plugin) return;
  CreateFrameToolbar(f);
  EventStore& store = plugin->store();
  store.SetTypeMask(kEditorTypeMask);
  FillTrackSelector(f, false);
  CreateTrackview(f);
  SelectChosenTrack(f);
  if (f.trackview) Relayout(f.trackview, true);
  SetUpLogo(f);
  uint32_t transport = 0;
  HostPropertySet* props = store.host().properties;
  if (f.trackview && props && SUCCEEDED(props->GetProperty(PROP_Transport, 0, 0, 0, sizeof transport, &transport)) &&
      (transport & kTransportPlaying)) {
    StartPlayback(f.trackview, HostPlayPosition(f));
  }
  UpdateToolbar(f);
}

void TearDown(EditorFrame* f) {
  if (f->trackview) SaveRollView(f->trackview);
  // The view's window goes with the frame, before the source it reads from.
  if (f->trackviewWindow && IsWindow(f->trackviewWindow)) DestroyWindow(f->trackviewWindow);
  f->trackviewWindow = nullptr;
  f->trackview = nullptr;
  delete f->dataSource;
  KvImageStrip_Destroy(f->images);
  delete f;
}

void Layout(EditorFrame& f) {
  RECT client;
  GetClientRect(f.window, &client);
  const int fontSize = KvGetUIFontSize(kLayoutFont);
  const int charWidth = std::max(LOWORD(fontSize), WORD{1}), charHeight = std::max(HIWORD(fontSize), WORD{1});
  const int w = std::max<int>(client.right, 35 * charWidth);
  const int h = std::max<int>(client.bottom + 2, 10 * charHeight);
  HWND selector = GetDlgItem(f.window, IDC_TRACK_SELECTOR);
  HWND place = GetDlgItem(f.window, IDC_TRACKVIEW_PLACE);
  HWND logo = GetDlgItem(f.window, IDC_LOGO_STRIP);
  RECT selectorBox{}, placeBox{}, logoBox{};
  auto boxOf = [&](HWND child, RECT* box) {
    if (!child) return;
    GetWindowRect(child, box);
    MapWindowPoints(nullptr, f.window, reinterpret_cast<POINT*>(box), 2);
  };
  boxOf(selector, &selectorBox);
  boxOf(place, &placeBox);
  boxOf(logo, &logoBox);
  if (place) ShowWindow(place, SW_HIDE);
  const int gap = placeBox.top - selectorBox.bottom;

  HDWP batch = BeginDeferWindowPos(3);
  const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW;
  if (batch && logo)
    batch = DeferWindowPos(batch, logo, nullptr, 0, logoBox.top, w, logoBox.bottom - logoBox.top, flags);
  int toolbarBottom = selectorBox.bottom;
  if (f.toolbar) {
    SIZE ideal{};
    SendMessageW(f.toolbar, TB_GETIDEALSIZE, FALSE, reinterpret_cast<LPARAM>(&ideal));
    RECT bar;
    GetWindowRect(f.toolbar, &bar);
    MapWindowPoints(nullptr, f.window, reinterpret_cast<POINT*>(&bar), 2);
    SIZE buttons{};
    DWORD size = static_cast<DWORD>(SendMessageW(f.toolbar, TB_GETBUTTONSIZE, 0, 0));
    buttons.cy = HIWORD(size);
    const int height = std::max<int>(buttons.cy, 1);
    const int top = (selectorBox.top + selectorBox.bottom - height) / 2;
    const int width = std::max<int>(ideal.cx, bar.right - bar.left);
    if (batch) batch = DeferWindowPos(batch, f.toolbar, nullptr, bar.left, top, width, height, flags);
    toolbarBottom = top + height;
  }
  if (f.trackviewWindow) {
    const int y = toolbarBottom + gap;
    if (batch) batch = DeferWindowPos(batch, f.trackviewWindow, nullptr, 0, y, w, std::max(h, y) - y, flags);
  }
  if (batch) EndDeferWindowPos(batch);
}

void Refresh(EditorFrame& f) {
  MidiPluginBase* plugin = FramePlugin(f);
  if (!plugin) return;
  plugin->DrainNotifications(false);
  FillTrackSelector(f, true);
  if (f.trackview) {
    // A refresh that took the shown track away falls back to another.
    if (plugin->store().CurrentTrack() != SelectedTrack(f.window)) {
      SelectChosenTrack(f);  // reloads the view itself
    } else {
      ReloadRollData(f.trackview);
    }
  }
}

LRESULT Help(EditorFrame& f, const HELPINFO* info) {
  if (!info) return FALSE;
  UINT command = static_cast<UINT>(info->iCtrlId);
  if (info->hItemHandle == f.toolbar && f.toolbar) {
    POINT p = info->MousePos;
    ScreenToClient(f.toolbar, &p);
    const int index = static_cast<int>(SendMessageW(f.toolbar, TB_HITTEST, 0, reinterpret_cast<LPARAM>(&p)));
    TBBUTTON button{};
    if (index >= 0 && SendMessageW(f.toolbar, TB_GETBUTTON, index, reinterpret_cast<LPARAM>(&button)))
      command = static_cast<UINT>(button.idCommand);
  }
  int topic = kGeneralTopic;
  for (const auto& h : kHelpTopics)
    if (h.command == command) topic = h.topic;
  return KvContextHelp_Show(f.window, topic, info->MousePos);
}

}  // namespace

EditorFrame* FrameOf(HWND frame) { return reinterpret_cast<EditorFrame*>(GetWindowLongPtrW(frame, DWLP_USER)); }

MidiPluginBase* FramePlugin(const EditorFrame& frame) { return frame.page ? frame.page->plugin() : nullptr; }

EditorPrefs* FramePrefs(const EditorFrame& frame) {
  MidiPluginBase* plugin = FramePlugin(frame);
  return plugin ? &plugin->prefs() : nullptr;
}

bool OutputAvailable(const EditorFrame& frame) {
  MidiPluginBase* plugin = FramePlugin(frame);
  return plugin && plugin->store().CanSendEvents();
}

int64_t HostPlayPosition(const EditorFrame& frame) {
  MidiPluginBase* plugin = FramePlugin(frame);
  HostPropertySet* props = plugin ? plugin->store().host().properties : nullptr;
  HostPositionProperty p{0, kTimeTicks, 0};
  if (!props || FAILED(props->GetProperty(PROP_Position, 0, 0, 0, sizeof p, &p)) || p.timeFormat != kTimeTicks)
    return 0;
  return p.position;
}

void ShowPlayPosition(EditorFrame& f) {
  if (f.trackview && f.dataSource) {
    MovePlaybackLine(f.trackview, HostPlayPosition(f));
    InvalidateAreas(f.trackview, kAreaTransport | kAreaNoData);
  }
  if (MidiPluginBase* plugin = FramePlugin(f)) plugin->ClearStateBits(kStorePositionPosted);
}

HWND CreateEditorFrame(HWND parent, EditorPage* page) {
  return CreateDialogParamW(KvModule_Handle(), MAKEINTRESOURCEW(IDD_EDITOR_FRAME), parent, EditorFrameProc,
                            reinterpret_cast<LPARAM>(page));
}

int32_t SelectedTrack(HWND frame) {
  HWND selector = frame ? GetDlgItem(frame, IDC_TRACK_SELECTOR) : nullptr;
  if (!selector) return -1;
  const LRESULT count = SendMessageW(selector, CB_GETCOUNT, 0, 0);
  if (count <= 0) return 0;
  const LRESULT chosen = SendMessageW(selector, CB_GETCURSEL, 0, 0);
  if (chosen == CB_ERR) return static_cast<int32_t>(count);
  return static_cast<int32_t>(SendMessageW(selector, CB_GETITEMDATA, chosen, 0));
}

INT_PTR CALLBACK EditorFrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* f = new (std::nothrow) EditorFrame{};
    if (!f) return FALSE;
    f->window = window;
    f->page = reinterpret_cast<EditorPage*>(lParam);
    f->imageSize = SIZE{kImageSize, kImageSize};
    SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(f));
    Initialise(*f);
    return FALSE;
  }
  EditorFrame* f = FrameOf(window);
  if (!f) return FALSE;
  auto answer = [window](LRESULT result) {
    SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
    return TRUE;
  };
  switch (message) {
    case WM_DESTROY:
      SetWindowLongPtrW(window, DWLP_USER, 0);
      TearDown(f);
      return answer(0);
    case WM_SIZE:
      Layout(*f);
      return answer(0);
    case WM_NOTIFY:
      return answer(ToolbarNotify(*f, reinterpret_cast<const NMHDR*>(lParam)));
    case WM_HELP:
      return answer(Help(*f, reinterpret_cast<const HELPINFO*>(lParam)));
    case WM_KEYDOWN: {
      // The page asks through here whether a key of the host's loop was
      // ours: the answer is the track view's own.
      if (!f->trackviewWindow) return FALSE;
      const LRESULT used = SendMessageW(f->trackviewWindow, message, wParam, lParam);
      SetWindowLongPtrW(window, DWLP_MSGRESULT, used);
      return used != 0;
    }
    case WM_COMMAND:
      RunFrameCommand(*f, LOWORD(wParam), HIWORD(wParam));
      return answer(0);
    case WM_THEMECHANGED:
      Layout(*f);
      return answer(1);
    case WM_EDITOR_UPDATEUI:
      UpdateToolbar(*f);
      return answer(0);
    case WM_EDITOR_SYNCLOOP:
      SyncLoop(*f);
      return answer(0);
    case WM_EDITOR_SAVEVIEW:
      if (f->trackview) SaveRollView(f->trackview);
      return answer(0);
    case WM_PLUGIN_REFRESH:
      Refresh(*f);
      return answer(1);
    case WM_PLUGIN_POSITION:
      ShowPlayPosition(*f);
      return answer(1);
    default:
      return FALSE;
  }
}
