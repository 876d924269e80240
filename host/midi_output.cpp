#include "host/midi_output.h"

#include <new>

#include "host/host_call.h"
#include "host/host_text.h"
#include "host/song.h"
#include "mididata/host_interfaces.h"

namespace refhost {
namespace {

constexpr size_t kListenedEventsKept = 1024;

class MidiOutput final : public HostMidiOutput {
 public:
  explicit MidiOutput(const HostLinkRef& link) : link_(link) {}
  MidiOutput(const MidiOutput&) = delete;
  MidiOutput& operator=(const MidiOutput&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (!IsEqualIID(iid, IID_IUnknown)) {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    *out = static_cast<HostMidiOutput*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE SendEvent(MidiEvent* event, DWORD flags) override;

 private:
  ~MidiOutput() = default;

  ULONG refs_ = 1;
  HostLinkRef link_;
};

HRESULT MidiOutput::SendEvent(MidiEvent* event, DWORD flags) {
  HostState* s = link_->state;
  if (!s) return E_UNEXPECTED;
  CallEntry entry;
  entry.method = "SendEvent";
  entry.text = "SendEvent(" + (event ? Hex(event->type) : std::string("null")) + "," + Hex(flags) + ")";
  entry.mask = flags;
  HostCall call(*s, std::move(entry));
  if (call.Failed()) return call.Injected();
  if (!event) return call.Return(E_POINTER);
  SentEvent sent;
  sent.record = NormalizedEvent(*event);
  if (IsLongEvent(*event) && event->payload && event->duration > 0)
    sent.payload.assign(event->payload, event->payload + event->duration);
  sent.flags = flags;
  call.entry().event = sent.record;
  if (s->outputListener) {
    s->outputListener(sent);
    // A listening application plays for hours: keep only the recent events.
    if (s->sent.size() >= kListenedEventsKept) s->sent.erase(s->sent.begin(), s->sent.begin() + s->sent.size() / 2);
  }
  s->sent.push_back(std::move(sent));
  return call.Return(S_OK);
}

}  // namespace

HRESULT CreateMidiOutput(const HostLinkRef& link, REFIID iid, void** out) {
  auto* output = new (std::nothrow) MidiOutput(link);
  if (!output) return E_OUTOFMEMORY;
  const HRESULT hr = output->QueryInterface(iid, out);
  output->Release();
  return hr;
}

}  // namespace refhost
