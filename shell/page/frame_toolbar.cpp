// The editor toolbar: its buttons and images, its state, its drop-down menus
// and its tooltips.
#include <algorithm>
#include <cwchar>
#include <iterator>

#include "kvlib/module.h"
#include "mididata/clipboard.h"
#include "pianoroll/snap.h"
#include "resources/resource_ids.h"
#include "shell/page/editor_frame.h"
#include "shell/page/frame_internal.h"
#include "shell/plugin/midi_plugin_base.h"

namespace {

constexpr int kTipLength = 80;
constexpr UINT kCommandPreferences = 4040;

struct ButtonSpec {
  int image;  // -1: separator
  UINT command;
  BYTE style;
  UINT tip;
};
constexpr BYTE kCheckDrop = BTNS_CHECK | BTNS_DROPDOWN;
constexpr BYTE kGroup = BTNS_CHECKGROUP;
constexpr ButtonSpec kButtons[] = {
    {0, 4000, BTNS_BUTTON, 10016},    {1, 4001, BTNS_BUTTON, 10017},         {2, 4002, BTNS_BUTTON, 10018},
    {-1, 0, BTNS_SEP, 0},             {3, 4041, kCheckDrop, 10034},          {16, 4043, kCheckDrop, 10060},
    {-1, 0, BTNS_SEP, 0},             {4, 4010, kGroup, 10028},              {5, 4011, kGroup, 10031},
    {17, 4013, kGroup | BTNS_DROPDOWN, 10029}, {18, 4014, kGroup, 10030},    {6, 4012, kGroup, 10032},
    {-1, 0, BTNS_SEP, 0},             {19, 4005, BTNS_BUTTON, 10059},        {-1, 0, BTNS_SEP, 0},
    {7, 4026, BTNS_CHECK, 10026},     {8, 4042, BTNS_CHECK, 10045},
};

UINT TipOf(UINT command) {
  if (command == kCommandPreferences) return 10033;
  for (const ButtonSpec& b : kButtons)
    if (b.command == command && b.tip) return b.tip;
  return 0;
}

// Writes a button's enabled and checked bits, keeping its pressed bit.
void SetButtonState(HWND toolbar, UINT command, bool enabled, bool checked) {
  const LRESULT current = SendMessageW(toolbar, TB_GETSTATE, command, 0);
  if (current == -1) return;
  BYTE state = static_cast<BYTE>(current) & TBSTATE_PRESSED;
  if (enabled) state |= TBSTATE_ENABLED;
  if (checked) state |= TBSTATE_CHECKED;
  SendMessageW(toolbar, TB_SETSTATE, command, MAKELONG(state, 0));
}

void SetButtonEnabled(HWND toolbar, UINT command, bool enabled) {
  const LRESULT current = SendMessageW(toolbar, TB_GETSTATE, command, 0);
  if (current == -1) return;
  SetButtonState(toolbar, command, enabled, (current & TBSTATE_CHECKED) != 0);
}

// Bit 0 of the first host word of the track's record.
bool TrackSoloed(EventStore& store, int32_t track) {
  TrackInfo info{};
  if (track <= 0 || store.GetTrackInfo(track, &info, false) != S_OK) return false;
  uint32_t flags = 0;
  std::copy(info.hostFields, info.hostFields + sizeof flags, reinterpret_cast<uint8_t*>(&flags));
  return (flags & 1) != 0;
}

void ShowDropDown(EditorFrame& f, const NMTOOLBARW& info) {
  MidiPluginBase* plugin = FramePlugin(f);
  if (!plugin) return;
  EditorPrefs& prefs = plugin->prefs();
  int submenu = info.iItem == 4041 ? 0 : info.iItem == 4013 ? 1 : info.iItem == 4043 ? 2 : -1;
  if (submenu < 0) return;
  HMENU menu = LoadMenuW(KvModule_Handle(), MAKEINTRESOURCEW(IDM_EDITOR_DROPDOWNS));
  if (!menu) return;
  HMENU popup = GetSubMenu(menu, submenu);
  if (submenu == 0) {
    const int row = GridRowOf(prefs.gridValue);
    if (row >= 0) CheckMenuRadioItem(popup, 6000, 6018, kFirstGridCommand + row, MF_BYCOMMAND);
  } else if (submenu == 1) {
    const int row = PaintRowOf(prefs.paintNoteValue);
    if (row >= 0) CheckMenuRadioItem(popup, 7000, 7021, kFirstPaintCommand + row, MF_BYCOMMAND);
  } else {
    CheckMenuRadioItem(popup, 7200, 7211, 7200 + std::clamp(prefs.keyRoot, 0, 11), MF_BYCOMMAND);
    CheckMenuRadioItem(popup, 7300, 7317, 7300 + std::clamp(prefs.scaleIndex, 0, kScaleCount - 1), MF_BYCOMMAND);
  }
  RECT button{};
  SendMessageW(f.toolbar, TB_GETRECT, info.iItem, reinterpret_cast<LPARAM>(&button));
  POINT at{button.left, button.bottom + 1};
  ClientToScreen(f.toolbar, &at);
  const UINT chosen = static_cast<UINT>(TrackPopupMenu(popup, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN |
                                                                     TPM_NONOTIFY, at.x, at.y, 0, f.window, nullptr));
  DestroyMenu(menu);
  if (chosen) SendMessageW(f.window, WM_COMMAND, chosen, 0);
}

}  // namespace

void CreateFrameToolbar(EditorFrame& f) {
  HWND place = GetDlgItem(f.window, IDC_TOOLBAR);
  if (!place) return;
  RECT box;
  GetWindowRect(place, &box);
  MapWindowPoints(nullptr, f.window, reinterpret_cast<POINT*>(&box), 2);
  HWND before = GetWindow(place, GW_HWNDPREV);
  DestroyWindow(place);
  // Without its images the toolbar still works, with text-less buttons.
  KvImageStrip_FromResource(KvModule_Handle(), MAKEINTRESOURCEW(IDR_TOOLBAR_STRIP), L"PNG", f.imageSize.cx, f.images);
  const DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | TBSTYLE_FLAT | TBSTYLE_LIST |
                      TBSTYLE_TRANSPARENT | TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_ADJUSTABLE | CCS_NOPARENTALIGN |
                      CCS_NORESIZE;
  f.toolbar = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr, style, box.left, box.top, box.right - box.left,
                              box.bottom - box.top, f.window, reinterpret_cast<HMENU>(IDC_TOOLBAR),
                              KvModule_Handle(), nullptr);
  if (!f.toolbar) return;
  SendMessageW(f.toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageW(f.toolbar, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
  SendMessageW(f.toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(f.images[kStripNormal]));
  SendMessageW(f.toolbar, TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(f.images[kStripHot]));
  SendMessageW(f.toolbar, TB_SETDISABLEDIMAGELIST, 0, reinterpret_cast<LPARAM>(f.images[kStripDisabled]));
  TBBUTTON buttons[std::size(kButtons)]{};
  for (size_t i = 0; i < std::size(kButtons); ++i) {
    const ButtonSpec& b = kButtons[i];
    buttons[i].iBitmap = b.image < 0 ? 0 : b.image;
    buttons[i].idCommand = static_cast<int>(b.command);
    buttons[i].fsState = b.image < 0 ? 0 : TBSTATE_ENABLED;
    buttons[i].fsStyle = static_cast<BYTE>(b.style | (b.image < 0 ? 0 : BTNS_AUTOSIZE));
    buttons[i].iString = -1;
  }
  SendMessageW(f.toolbar, TB_ADDBUTTONSW, std::size(buttons), reinterpret_cast<LPARAM>(buttons));
  if (HWND tips = reinterpret_cast<HWND>(SendMessageW(f.toolbar, TB_GETTOOLTIPS, 0, 0)))
    SetWindowLongPtrW(tips, GWL_STYLE, GetWindowLongPtrW(tips, GWL_STYLE) | TTS_ALWAYSTIP);
  SendMessageW(f.toolbar, TB_AUTOSIZE, 0, 0);
  SetWindowPos(f.toolbar, before ? before : HWND_TOP, box.left, box.top, box.right - box.left,
               box.bottom - box.top, SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

void UpdateToolbar(EditorFrame& f) {
  MidiPluginBase* plugin = FramePlugin(f);
  if (!f.toolbar || !plugin) return;
  EditorPrefs& prefs = plugin->prefs();
  EventStore& store = plugin->store();
  const int tool = f.trackview ? f.trackview->activeTool : -1;
  for (UINT command = 4010; command <= 4014; ++command)
    SetButtonState(f.toolbar, command, true, static_cast<int>(command - 4010) == tool);
  if (f.trackviewWindow && GetFocus() == f.trackviewWindow) {
    const bool any = store.AnySelected() == 1;  // 1: something is selected
    for (UINT command : {4000u, 4001u, 4003u, 4005u}) SetButtonEnabled(f.toolbar, command, any);
    SetButtonEnabled(f.toolbar, 4002, ClipboardHasEvents());
  } else {
    for (UINT command : {4000u, 4001u, 4002u, 4003u}) SetButtonEnabled(f.toolbar, command, false);
  }
  SetButtonState(f.toolbar, 4041, true, prefs.snapEnabled != 0);
  SetButtonState(f.toolbar, 4043, true, prefs.scaleSnap != 0);
  SetButtonState(f.toolbar, 4026, true, TrackSoloed(store, SelectedTrack(f.window)));
  const bool output = OutputAvailable(f);
  SetButtonState(f.toolbar, 4042, output, output && prefs.monitor != 0);
}

LRESULT ToolbarNotify(EditorFrame& f, const NMHDR* header) {
  if (!header || !f.toolbar) return 0;
  if (header->hwndFrom == f.toolbar && header->code == TBN_DROPDOWN) {
    ShowDropDown(f, *reinterpret_cast<const NMTOOLBARW*>(header));
    return TBDDRET_DEFAULT;
  }
  HWND tips = reinterpret_cast<HWND>(SendMessageW(f.toolbar, TB_GETTOOLTIPS, 0, 0));
  if (header->code == TTN_GETDISPINFOW && (header->hwndFrom == tips || header->idFrom >= 4000)) {
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(const_cast<NMHDR*>(header));
    const UINT tip = TipOf(static_cast<UINT>(header->idFrom));
    if (!tip) return 0;
    wchar_t text[kTipLength + 1];
    if (LoadStringW(KvModule_Handle(), tip, text, kTipLength + 1) <= 0) return 0;
    wcsncpy(info->szText, text, std::size(info->szText) - 1);
    info->szText[std::size(info->szText) - 1] = 0;
    info->lpszText = info->szText;
    return 1;
  }
  return 0;
}
