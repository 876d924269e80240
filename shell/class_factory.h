// The class factory of one class the module serves. The module keeps one
// factory per class, made on first demand, and the class's LockServer count;
// the factory makes objects through the class's creation helper.
#pragma once

#include <unknwn.h>

#include <atomic>

// Creation helper of a class: a new object asked for iid, or a failure code.
using CreateFunction = HRESULT (*)(REFIID iid, void** out);

class ClassFactory;

struct ServedClass {
  const CLSID& clsid;
  CreateFunction create;
  ClassFactory* factory = nullptr;  // the module's cached reference
  std::atomic<LONG> locks{0};       // changed only by LockServer
};

class ClassFactory final : public IClassFactory {
 public:
  // A new factory with one reference for the caller; null when out of memory.
  static ClassFactory* Create(ServedClass& served);
  ClassFactory(const ClassFactory&) = delete;
  ClassFactory& operator=(const ClassFactory&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

 private:
  explicit ClassFactory(ServedClass& served) : served_(served) {}
  ~ClassFactory() = default;

  std::atomic<ULONG> refs_{1};
  ServedClass& served_;
};
