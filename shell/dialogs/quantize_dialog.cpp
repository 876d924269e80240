// MIDI Quantize: the resolution and what to quantize; Apply stores them in
// the settings and in the plug-in's parameter word, and the pass runs over
// the selected notes.
#include <string>

#include "kvlib/module.h"
#include "pianoroll/pianoroll.h"
#include "pianoroll/quantize.h"
#include "resources/resource_ids.h"
#include "shell/dialogs/dialogs.h"
#include "shell/module_strings.h"
#include "shell/plugin/midi_plugin_base.h"

namespace {

// The strings of the resolutions in the list's order (the item data is the
// index).
constexpr UINT kResolutionNames[kQuantizeResolutions] = {378, 379, 380, 384, 381, 385, 382, 386, 383, 387, 388};

INT_PTR CALLBACK QuantizeProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* plugin = reinterpret_cast<MidiPluginBase*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    plugin = reinterpret_cast<MidiPluginBase*>(lParam);
    CentreOnOwner(dialog);
    const EditorPrefs& prefs = plugin->prefs();
    HWND list = GetDlgItem(dialog, IDC_QUANTIZE_RESOLUTION);
    for (int index = 0; index < kQuantizeResolutions; ++index) {
      const std::wstring name = LoadModuleString(kResolutionNames[index]);
      const LRESULT item = SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
      if (item >= 0) SendMessageW(list, CB_SETITEMDATA, item, index);
      if (index == prefs.quantizeResolution) SendMessageW(list, CB_SETCURSEL, item, 0);
    }
    CheckDlgButton(dialog, IDC_QUANTIZE_STARTS, prefs.quantizeStarts ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_QUANTIZE_DURATIONS, prefs.quantizeDurations ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
  }
  if (message != WM_COMMAND || !plugin) return FALSE;
  if (LOWORD(wParam) == IDCANCEL) {
    EndDialog(dialog, IDCANCEL);
    return TRUE;
  }
  if (LOWORD(wParam) != IDOK) return FALSE;
  EditorPrefs& prefs = plugin->prefs();
  prefs.quantizeStarts = IsDlgButtonChecked(dialog, IDC_QUANTIZE_STARTS) == BST_CHECKED;
  prefs.quantizeDurations = IsDlgButtonChecked(dialog, IDC_QUANTIZE_DURATIONS) == BST_CHECKED;
  HWND list = GetDlgItem(dialog, IDC_QUANTIZE_RESOLUTION);
  const LRESULT item = SendMessageW(list, CB_GETCURSEL, 0, 0);
  if (item != CB_ERR) {
    const int index = static_cast<int>(SendMessageW(list, CB_GETITEMDATA, item, 0));
    prefs.quantizeResolution = index;
    plugin->quantizeWord() =
        QuantizeWord(index, prefs.quantizeStarts != 0, prefs.quantizeDurations != 0, plugin->quantizeWord());
  }
  EndDialog(dialog, IDOK);
  return TRUE;
}

}  // namespace

INT_PTR RunQuantizeDialog(HWND owner, MidiPluginBase& plugin) {
  const INT_PTR result = DialogBoxParamW(KvModule_Handle(), MAKEINTRESOURCEW(IDD_QUANTIZE), owner, QuantizeProc,
                                         reinterpret_cast<LPARAM>(&plugin));
  if (result == IDOK) {
    EventStore& store = plugin.store();
    const uint32_t perQuarter = plugin.timeBase().ticksPerQuarter ? plugin.timeBase().ticksPerQuarter
                                                                   : kDefaultTicksPerQuarter;
    QuantizeSelection(store, plugin.quantizeWord(), HostWholeNote(store, perQuarter));
  }
  return result;
}
