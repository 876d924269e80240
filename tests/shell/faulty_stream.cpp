#include "tests/shell/faulty_stream.h"

#include <algorithm>

namespace shelltest {

ComPtr<FaultyStream> FaultyStream::Create(ComPtr<IStream> inner) {
  return ComPtr<FaultyStream>::Adopt(new FaultyStream(std::move(inner)));
}

HRESULT FaultyStream::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_ISequentialStream) && !IsEqualIID(iid, IID_IStream))
    return E_NOINTERFACE;
  *out = static_cast<IStream*>(this);
  AddRef();
  return S_OK;
}

ULONG FaultyStream::Release() {
  const ULONG n = --refs_;
  if (n == 0) delete this;
  return n;
}

HRESULT FaultyStream::Read(void* bytes, ULONG size, ULONG* read) {
  if (++reads_ == failRead) {
    // Some bytes went before the failure: the reader must not rely on the position.
    ULONG partial = 0;
    inner_->Read(bytes, std::min<ULONG>(size, 2), &partial);
    if (read) *read = 0;
    return failure;
  }
  return inner_->Read(bytes, size, read);
}

HRESULT FaultyStream::Write(const void* bytes, ULONG size, ULONG* written) {
  if (++writes_ == failWrite) return failure;
  return inner_->Write(bytes, std::min(size, writeLimit), written);
}

HRESULT FaultyStream::Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) {
  if (++seeks_ == failSeek) return failure;
  return inner_->Seek(move, origin, position);
}

}  // namespace shelltest
