#include "shell/plugin/pages_helper.h"

#include "shell/plugin/midi_plugin_base.h"

HRESULT PagesHelper::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (!IsEqualIID(iid, IID_ISpecifyPropertyPages)) return owner_.QueryInterface(iid, out);
  *out = static_cast<ISpecifyPropertyPages*>(this);
  AddRef();
  return S_OK;
}

ULONG PagesHelper::AddRef() { return owner_.AddRef(); }

ULONG PagesHelper::Release() { return owner_.Release(); }

HRESULT PagesHelper::GetPages(CAUUID* pages) { return owner_.GetPages(pages); }
