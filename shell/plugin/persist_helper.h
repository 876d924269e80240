// IPersistStream and IPersist of the plug-in object: the settings stream. A part
// of its owner like PagesHelper: the owner's identity and lifetime.
#pragma once

#include <objidl.h>

class PianoRollPlugin;

class PersistHelper final : public IPersistStream {
 public:
  explicit PersistHelper(PianoRollPlugin& owner) : owner_(owner) {}
  PersistHelper(const PersistHelper&) = delete;
  PersistHelper& operator=(const PersistHelper&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* out) override;
  HRESULT STDMETHODCALLTYPE IsDirty() override;
  HRESULT STDMETHODCALLTYPE Load(IStream* stream) override;
  HRESULT STDMETHODCALLTYPE Save(IStream* stream, BOOL clearDirty) override;
  HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;

 private:
  PianoRollPlugin& owner_;
};
