#include "shell/plugin/position_sink.h"

#include <new>

#include "shell/plugin/midi_plugin_base.h"

ComPtr<PositionSink> PositionSink::Create(MidiPluginBase* owner) {
  return ComPtr<PositionSink>::Adopt(new (std::nothrow) PositionSink(owner));
}

HRESULT PositionSink::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_HostPositionSink)) return E_NOINTERFACE;
  *out = static_cast<HostPositionSink*>(this);
  AddRef();
  return S_OK;
}

ULONG PositionSink::AddRef() { return ++refs_; }

ULONG PositionSink::Release() {
  const ULONG n = --refs_;
  if (n == 0) delete this;
  return n;
}

HRESULT PositionSink::OnPositionChanged(DWORD, DWORD) {
  MidiPluginBase* owner = owner_;
  if (!owner) return E_UNEXPECTED;
  owner->OnPositionChanged();
  return S_OK;
}
