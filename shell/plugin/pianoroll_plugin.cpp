#include "shell/plugin/pianoroll_plugin.h"

#include <new>

#include "shell/page/editor_messages.h"
#include "shell/page/editor_page.h"
#include "shell/plugin/persist_helper.h"

HRESULT PianoRollPlugin::Create(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  auto* plugin = new (std::nothrow) PianoRollPlugin();
  if (!plugin) return E_OUTOFMEMORY;
  HRESULT hr = plugin->FinalConstruct();
  if (SUCCEEDED(hr)) hr = plugin->QueryInterface(iid, out);
  plugin->Release();
  return hr;
}

PianoRollPlugin::PianoRollPlugin() : prefs_(DefaultEditorPrefs()) {}

// PersistHelper counts its references on this object: nobody can hold it longer.
PianoRollPlugin::~PianoRollPlugin() = default;

HRESULT PianoRollPlugin::FinalConstruct() {
  const HRESULT hr = MidiPluginBase::FinalConstruct();
  if (FAILED(hr)) return hr;
  persistHelper_.reset(new (std::nothrow) PersistHelper(*this));
  return persistHelper_ ? S_OK : E_OUTOFMEMORY;
}

IPersistStream* PianoRollPlugin::PersistInterface() { return persistHelper_.get(); }

HRESULT PianoRollPlugin::GetPages(CAUUID* pages) {
  if (!pages) return E_POINTER;
  pages->cElems = 0;
  pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID)));
  if (!pages->pElems) return E_OUTOFMEMORY;
  pages->pElems[0] = CLSID_EditorPage;
  pages->cElems = 1;
  return S_OK;
}

HRESULT PianoRollPlugin::OnDataChanged(const HostNotification& record, bool fromHost) {
  bool queue = false;
  const HRESULT hr = store().ApplyNotification(record, fromHost, &queue);
  return queue ? QueueNotification(record) : hr;
}

HRESULT PianoRollPlugin::OnKindEE(const HostNotification& record, bool fromHost) {
  return fromHost ? QueueNotification(record) : S_FALSE;
}

HRESULT PianoRollPlugin::OnLoopChanged(const HostNotification& record, bool fromHost) {
  if (fromHost) return QueueNotification(record);
  // On replay the editor re-reads the host's loop region.
  if (ComPtr<EditorPage> page = AttachedPage()) page->Send(WM_EDITOR_SYNCLOOP, 0, 0);
  return S_OK;
}
