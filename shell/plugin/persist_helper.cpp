#include "shell/plugin/persist_helper.h"

#include "shell/plugin/pianoroll_plugin.h"

HRESULT PersistHelper::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (!IsEqualIID(iid, IID_IPersistStream) && !IsEqualIID(iid, IID_IPersist)) return owner_.QueryInterface(iid, out);
  *out = static_cast<IPersistStream*>(this);
  AddRef();
  return S_OK;
}

ULONG PersistHelper::AddRef() { return owner_.AddRef(); }

ULONG PersistHelper::Release() { return owner_.Release(); }

HRESULT PersistHelper::GetClassID(CLSID* out) { return owner_.GetClassID(out); }

HRESULT PersistHelper::IsDirty() { return owner_.IsDirty(); }

HRESULT PersistHelper::Load(IStream* stream) { return owner_.Load(stream); }

HRESULT PersistHelper::Save(IStream* stream, BOOL clearDirty) { return owner_.Save(stream, clearDirty); }

HRESULT PersistHelper::GetSizeMax(ULARGE_INTEGER* size) { return owner_.GetSizeMax(size); }
