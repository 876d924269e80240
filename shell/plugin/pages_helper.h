// ISpecifyPropertyPages of the plug-in object. A part of its owner: identity and
// lifetime are the owner's, so a host holding only this interface keeps the
// owner alive and gets the owner's interfaces from QueryInterface.
#pragma once

#include <ocidl.h>

class MidiPluginBase;

class PagesHelper final : public ISpecifyPropertyPages {
 public:
  explicit PagesHelper(MidiPluginBase& owner) : owner_(owner) {}
  PagesHelper(const PagesHelper&) = delete;
  PagesHelper& operator=(const PagesHelper&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetPages(CAUUID* pages) override;

 private:
  MidiPluginBase& owner_;
};
