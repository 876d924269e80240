#include "shell/class_factory.h"

#include <new>

ClassFactory* ClassFactory::Create(ServedClass& served) { return new (std::nothrow) ClassFactory(served); }

HRESULT ClassFactory::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) return E_NOINTERFACE;
  *out = static_cast<IClassFactory*>(this);
  AddRef();
  return S_OK;
}

ULONG ClassFactory::AddRef() { return ++refs_; }

ULONG ClassFactory::Release() {
  const ULONG n = --refs_;
  if (n == 0) delete this;
  return n;
}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  // The objects cannot delegate their identity to an outer object.
  if (outer) return CLASS_E_NOAGGREGATION;
  return served_.create(iid, out);
}

HRESULT ClassFactory::LockServer(BOOL lock) {
  if (lock) {
    ++served_.locks;
    return S_OK;
  }
  LONG locks = served_.locks;
  while (locks > 0 && !served_.locks.compare_exchange_weak(locks, locks - 1)) {
  }
  return S_OK;
}
