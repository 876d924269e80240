// PianoRollPlugin: the plug-in object the host creates. On top of the COM
// plumbing of MidiPluginBase it names the editor page, keeps the editor's
// settings and saves them in the host's project stream.
#pragma once

#include <memory>

#include "shell/plugin/editor_prefs.h"
#include "shell/plugin/midi_plugin_base.h"

class PersistHelper;

class PianoRollPlugin final : public MidiPluginBase {
 public:
  // Creation helper of the class factory: a fully constructed object asked for iid.
  static HRESULT Create(REFIID iid, void** out);

  HRESULT GetPages(CAUUID* pages) override;

  // IPersistStream, through PersistHelper.
  HRESULT GetClassID(CLSID* out);
  HRESULT IsDirty();
  HRESULT Load(IStream* stream);
  HRESULT Save(IStream* stream, BOOL clearDirty);
  HRESULT GetSizeMax(ULARGE_INTEGER* size);

  // The settings; the editor keeps its state in them by reference.
  EditorPrefs& prefs() override { return prefs_; }

 private:
  PianoRollPlugin();
  ~PianoRollPlugin() override;
  HRESULT FinalConstruct();

  IPersistStream* PersistInterface() override;
  HRESULT OnDataChanged(const HostNotification& record, bool fromHost) override;
  HRESULT OnKindEE(const HostNotification& record, bool fromHost) override;
  HRESULT OnLoopChanged(const HostNotification& record, bool fromHost) override;

  EditorPrefs prefs_;
  std::unique_ptr<PersistHelper> persistHelper_;
};
