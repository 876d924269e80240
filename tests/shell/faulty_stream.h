// A stream on global memory that fails chosen calls: a Read, Write or Seek that
// returns an error, or a Write that takes fewer bytes than offered while
// reporting success.
#pragma once

#include <objidl.h>

#include <atomic>

#include "shell/com_ptr.h"

namespace shelltest {

class FaultyStream final : public IStream {
 public:
  static ComPtr<FaultyStream> Create(ComPtr<IStream> inner);
  FaultyStream(const FaultyStream&) = delete;
  FaultyStream& operator=(const FaultyStream&) = delete;

  // The nth call of each kind (1-based) fails with failure; 0: none.
  int failRead = 0, failWrite = 0, failSeek = 0;
  HRESULT failure = STG_E_ACCESSDENIED;
  // Every Write takes at most this many bytes and says S_OK.
  ULONG writeLimit = ~0u;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE Read(void* bytes, ULONG size, ULONG* read) override;
  HRESULT STDMETHODCALLTYPE Write(const void* bytes, ULONG size, ULONG* written) override;
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) override;
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER size) override { return inner_->SetSize(size); }
  HRESULT STDMETHODCALLTYPE CopyTo(IStream* to, ULARGE_INTEGER size, ULARGE_INTEGER* read,
                                   ULARGE_INTEGER* written) override {
    return inner_->CopyTo(to, size, read, written);
  }
  HRESULT STDMETHODCALLTYPE Commit(DWORD flags) override { return inner_->Commit(flags); }
  HRESULT STDMETHODCALLTYPE Revert() override { return inner_->Revert(); }
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER size, DWORD type) override {
    return inner_->LockRegion(offset, size, type);
  }
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER size, DWORD type) override {
    return inner_->UnlockRegion(offset, size, type);
  }
  HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD flags) override { return inner_->Stat(stat, flags); }
  HRESULT STDMETHODCALLTYPE Clone(IStream** out) override { return inner_->Clone(out); }

  IStream* inner() const { return inner_.get(); }

 private:
  explicit FaultyStream(ComPtr<IStream> inner) : inner_(std::move(inner)) {}
  ~FaultyStream() = default;

  std::atomic<ULONG> refs_{1};
  ComPtr<IStream> inner_;
  int reads_ = 0, writes_ = 0, seeks_ = 0;
};

}  // namespace shelltest
