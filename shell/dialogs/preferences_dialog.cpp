// Preferences: the MIDI output port. The list's item data is the host's port
// id (-1 for "(None)"), which is what the event store sends to.
#include <cwchar>
#include <string>

#include "kvlib/module.h"
#include "resources/resource_ids.h"
#include "shell/dialogs/dialogs.h"
#include "shell/module_strings.h"
#include "shell/plugin/midi_plugin_base.h"

namespace {

constexpr int kNameLength = 256;
constexpr uint32_t kNoPort = 0xFFFFFFFF;

uint32_t ChosenPort(HWND list) {
  const LRESULT item = SendMessageW(list, CB_GETCURSEL, 0, 0);
  if (item == CB_ERR) return kNoPort;
  return static_cast<uint32_t>(SendMessageW(list, CB_GETITEMDATA, item, 0));
}

void Fill(HWND list, EventStore& store) {
  SendMessageW(list, CB_RESETCONTENT, 0, 0);
  const std::wstring none = LoadModuleString(IDS_NO_PORT);
  LRESULT item = SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(none.c_str()));
  SendMessageW(list, CB_SETITEMDATA, item, static_cast<LPARAM>(kNoPort));
  EnableWindow(list, FALSE);
  LRESULT chosen = item;
  if (store.CanSendEvents()) {
    EnableWindow(list, TRUE);
    const std::wstring numbered = LoadModuleString(IDS_PORT_NUMBER);
    HostPortRecord port{};
    for (int32_t position = 0; store.PortAt(true, position, &port) == S_OK; ++position) {
      wchar_t text[kNameLength];
      if (port.name && port.name[0]) {
        wcsncpy(text, port.name, kNameLength - 1);
        text[kNameLength - 1] = 0;
      } else {
        swprintf(text, kNameLength, numbered.c_str(), position + 1);
      }
      item = SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
      if (item < 0) break;
      SendMessageW(list, CB_SETITEMDATA, item, static_cast<LPARAM>(port.id));
      if (port.id == store.CurrentPort(true)) chosen = item;
    }
  }
  SendMessageW(list, CB_SETCURSEL, chosen, 0);
}

INT_PTR CALLBACK PreferencesProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* plugin = reinterpret_cast<MidiPluginBase*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    plugin = reinterpret_cast<MidiPluginBase*>(lParam);
    CentreOnOwner(dialog);
    Fill(GetDlgItem(dialog, IDC_OUTPUT_PORT), plugin->store());
    return TRUE;
  }
  if (message != WM_COMMAND || !plugin) return FALSE;
  HWND list = GetDlgItem(dialog, IDC_OUTPUT_PORT);
  EventStore& store = plugin->store();
  switch (LOWORD(wParam)) {
    case IDC_OUTPUT_PORT:
      if (HIWORD(wParam) == CBN_SELCHANGE) store.SetCurrentPort(true, ChosenPort(list));
      return TRUE;
    case IDOK:
      if (SendMessageW(list, CB_GETCOUNT, 0, 0) > 0) store.SetCurrentPort(true, ChosenPort(list));
      EndDialog(dialog, IDOK);
      return TRUE;
    case IDCANCEL:
      EndDialog(dialog, IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

INT_PTR RunPreferencesDialog(HWND owner, MidiPluginBase& plugin) {
  return DialogBoxParamW(KvModule_Handle(), MAKEINTRESOURCEW(IDD_PREFERENCES), owner, PreferencesProc,
                         reinterpret_cast<LPARAM>(&plugin));
}
