// Construction, identity, lifetime and the page link of the plug-in object.
#include "shell/plugin/midi_plugin_base.h"

#include <new>
#include <utility>

#include "shell/module_strings.h"
#include "shell/page/editor_page.h"
#include "shell/plugin/notify_sink.h"
#include "shell/plugin/pages_helper.h"
#include "shell/plugin/position_sink.h"

namespace {
constexpr wchar_t kClipboardFormatName[] = L"Velora Zebu 1.0";
}  // namespace

MidiPluginBase::MidiPluginBase() = default;

MidiPluginBase::~MidiPluginBase() {
  Disconnect();
  KvList_Destroy(std::exchange(queue_, nullptr));
  // The host may still hold the sinks; they must not call back into a dead object.
  if (notifySink_) notifySink_->Orphan();
  if (positionSink_) positionSink_->Orphan();
}

HRESULT MidiPluginBase::FinalConstruct() {
  notifySink_ = NotifySink::Create(this);
  positionSink_ = PositionSink::Create(this);
  if (!notifySink_ || !positionSink_) return E_OUTOFMEMORY;
  // Without the page answerer the object still works, but it has no editor and
  // so no use for the clipboard.
  pagesHelper_.reset(new (std::nothrow) PagesHelper(*this));
  if (pagesHelper_) clipboardFormat_ = RegisterClipboardFormatW(kClipboardFormatName);
  return S_OK;
}

HRESULT MidiPluginBase::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  IUnknown* answer = nullptr;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_PluginMain) || IsEqualIID(iid, IID_MidiPluginBase)) {
    answer = static_cast<PluginMain*>(this);
  } else if (IsEqualIID(iid, IID_PluginLanguage)) {
    answer = static_cast<PluginLanguage*>(this);
  } else if (IsEqualIID(iid, IID_IPersistStream) || IsEqualIID(iid, IID_IPersist)) {
    answer = PersistInterface();
  } else if (IsEqualIID(iid, IID_ISpecifyPropertyPages)) {
    answer = pagesHelper_.get();
  }
  if (!answer) return E_NOINTERFACE;
  answer->AddRef();
  *out = answer;
  return S_OK;
}

ULONG MidiPluginBase::AddRef() { return ++refs_; }

ULONG MidiPluginBase::Release() {
  const ULONG n = --refs_;
  if (n == 0) delete this;
  return n;
}

HRESULT MidiPluginBase::SetLanguage(LCID lcid) { return SelectResourceLanguage(lcid) ? S_OK : E_FAIL; }

HRESULT MidiPluginBase::AttachPage(EditorPage* page) {
  CriticalSectionLock lock(queueLock_);
  page_ = page;
  return S_OK;
}

HRESULT MidiPluginBase::DetachPage(EditorPage* page) {
  CriticalSectionLock lock(queueLock_);
  // A page that was replaced must not detach its successor.
  if (page != page_) return E_UNEXPECTED;
  page_ = nullptr;
  return S_OK;
}

ComPtr<EditorPage> MidiPluginBase::AttachedPage() {
  CriticalSectionLock lock(queueLock_);
  // A page whose last reference is gone is detaching itself right now.
  if (!page_ || !page_->TryAddRef()) return ComPtr<EditorPage>();
  return ComPtr<EditorPage>::Adopt(page_);
}

bool MidiPluginBase::ClaimStateBit(uint32_t bit) {
  return (store_.status().fetch_or(bit) & bit) == 0;
}

void MidiPluginBase::SetStateBits(uint32_t bits) { store_.status().fetch_or(bits); }

void MidiPluginBase::ClearStateBits(uint32_t bits) { store_.status().fetch_and(~bits); }

bool MidiPluginBase::StateBitsSet(uint32_t bits) {
  return (store_.status().load() & bits) == bits;
}
