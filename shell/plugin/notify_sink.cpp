#include "shell/plugin/notify_sink.h"

#include <new>

#include "shell/plugin/midi_plugin_base.h"

ComPtr<NotifySink> NotifySink::Create(MidiPluginBase* owner) {
  return ComPtr<NotifySink>::Adopt(new (std::nothrow) NotifySink(owner));
}

HRESULT NotifySink::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_HostNotifySink)) return E_NOINTERFACE;
  *out = static_cast<HostNotifySink*>(this);
  AddRef();
  return S_OK;
}

ULONG NotifySink::AddRef() { return ++refs_; }

ULONG NotifySink::Release() {
  const ULONG n = --refs_;
  if (n == 0) delete this;
  return n;
}

HRESULT NotifySink::OnNotify(const HostNotification* record) {
  if (!record) return E_POINTER;
  MidiPluginBase* owner = owner_;
  return owner ? owner->DispatchNotification(*record, true) : E_UNEXPECTED;
}
