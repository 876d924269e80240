// A host site for the tests that need the plug-in's sinks in their own hands:
// every query goes to a real site except the connection points, which this
// object keeps. The test can then call the sinks from any thread, or keep them
// after Unadvise the way a careless host might.
#pragma once

#include <ocidl.h>

#include <atomic>

#include "mididata/host_interfaces.h"
#include "shell/com_ptr.h"

namespace shelltest {

class CapturingSite final : public IConnectionPointContainer {
 public:
  static ComPtr<CapturingSite> Create(IUnknown* realSite);
  CapturingSite(const CapturingSite&) = delete;
  CapturingSite& operator=(const CapturingSite&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** out) override;

  // The advised sinks; kept after Unadvise when keepSinks is set.
  ComPtr<HostNotifySink> notifySink;
  ComPtr<HostPositionSink> positionSink;
  bool keepSinks = false;
  int advised = 0;

 private:
  class Point final : public IConnectionPoint {
   public:
    Point(CapturingSite& site, const IID& iid) : site_(site), iid_(iid) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return site_.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return site_.Release(); }
    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) override;

   private:
    CapturingSite& site_;
    const IID iid_;
  };

  explicit CapturingSite(IUnknown* realSite) : real_(ComPtr<IUnknown>::Retain(realSite)) {}
  ~CapturingSite() = default;

  std::atomic<ULONG> refs_{1};
  ComPtr<IUnknown> real_;
  Point notifyPoint_{*this, IID_HostNotifySink};
  Point positionPoint_{*this, IID_HostPositionSink};
};

}  // namespace shelltest
