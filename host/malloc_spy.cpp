#include "host/malloc_spy.h"

#include "host/block_accounting.h"

namespace refhost {
namespace {

class TaskMemorySpy final : public IMallocSpy {
 public:
  explicit TaskMemorySpy(BlockAccounting& accounting) : accounting_(accounting) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IMallocSpy)) {
      *out = static_cast<IMallocSpy*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  // Lives for the whole process: the allocator may call it during shut-down.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T cb) override { return cb; }
  void* STDMETHODCALLTYPE PostAlloc(void* actual) override { return actual; }
  void* STDMETHODCALLTYPE PreFree(void* request, BOOL) override {
    accounting_.Released(request);
    return request;
  }
  void STDMETHODCALLTYPE PostFree(BOOL) override {}
  // A reallocated host block becomes the receiver's own block.
  SIZE_T STDMETHODCALLTYPE PreRealloc(void* request, SIZE_T cb, void** newRequest, BOOL) override {
    accounting_.Released(request);
    *newRequest = request;
    return cb;
  }
  void* STDMETHODCALLTYPE PostRealloc(void* actual, BOOL) override { return actual; }
  void* STDMETHODCALLTYPE PreGetSize(void* request, BOOL) override { return request; }
  SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T actual, BOOL) override { return actual; }
  void* STDMETHODCALLTYPE PreDidAlloc(void* request, BOOL) override { return request; }
  int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int actual) override { return actual; }
  void STDMETHODCALLTYPE PreHeapMinimize() override {}
  void STDMETHODCALLTYPE PostHeapMinimize() override {}

 private:
  BlockAccounting& accounting_;
};

}  // namespace

HRESULT RegisterTaskMemorySpy(BlockAccounting& accounting) {
  // Never revoked: a revoke is refused while spied blocks are alive, and the
  // spy only watches, so it stays for the life of the process.
  static TaskMemorySpy* spy = new TaskMemorySpy(accounting);
  return CoRegisterMallocSpy(spy);
}

}  // namespace refhost
