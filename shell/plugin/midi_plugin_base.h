// MidiPluginBase: the COM side of the plug-in object. It answers the host's main
// and language interfaces, connects to the host's site, and takes the host's
// change reports: small immediate work at once, the rest queued under a lock and
// replayed by the editor window on the user-interface thread. Its data half is
// the EventStore.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <atomic>
#include <memory>

#include "mididata/event_store.h"
#include "mididata/host_interfaces.h"
#include "shell/com_ptr.h"
#include "shell/critical_section.h"
#include "shell/module_objects.h"

class EditorPage;
struct EditorPrefs;
class NotifySink;
class PositionSink;
class PagesHelper;

// Answered only by this module's plug-in object, with its PluginMain pointer:
// the editor page reaches the object behind a PluginMain it was handed through
// it rather than trusting a cast.
inline constexpr GUID IID_MidiPluginBase = {0x89C3EDCA, 0x4070, 0x415C, {0x81, 0x07, 0xBB, 0x2E, 0x98, 0x28, 0x32, 0x63}};

class MidiPluginBase : public PluginMain, public PluginLanguage {
 public:
  MidiPluginBase(const MidiPluginBase&) = delete;
  MidiPluginBase& operator=(const MidiPluginBase&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE Connect(IUnknown* site, IUnknown* output, DWORD flags, DWORD reserved,
                                    DWORD* capabilities) override;
  HRESULT STDMETHODCALLTYPE Disconnect() override;

  HRESULT STDMETHODCALLTYPE SetLanguage(LCID lcid) override;

  // ISpecifyPropertyPages, answered through PagesHelper.
  virtual HRESULT GetPages(CAUUID* pages) = 0;

  // The editor page showing this object. The page holds a reference to this
  // object; this object holds none back, and the page detaches itself when it
  // is cleared or destroyed.
  HRESULT AttachPage(EditorPage* page);
  // E_UNEXPECTED unless page is the attached one.
  HRESULT DetachPage(EditorPage* page);

  // A host change report; fromHost is false when a queued one is replayed.
  HRESULT DispatchNotification(const HostNotification& record, bool fromHost);
  HRESULT QueueNotification(const HostNotification& record);
  // Replays the queued reports in order, or drops them; S_OK when there were
  // any, S_FALSE when the queue was missing or empty.
  HRESULT DrainNotifications(bool discard);
  void OnPositionChanged();

  // The notification bits of the state word shared with the event store. The
  // host may report from another thread, so they change atomically.
  bool ClaimStateBit(uint32_t bit);  // sets it; true when it was clear
  void SetStateBits(uint32_t bits);
  void ClearStateBits(uint32_t bits);
  bool StateBitsSet(uint32_t bits);

  EventStore& store() { return store_; }
  // Whether the caller runs on the thread that made this object, the host's
  // user-interface thread on which the editor lives.
  bool OnEditorThread() const { return GetCurrentThreadId() == editorThread_; }
  // The editor's settings, kept by the derived object.
  virtual EditorPrefs& prefs() = 0;
  // The quantize parameter word of the MIDI Quantize dialog; 0 (nothing to
  // do) until its first Apply.
  uint32_t& quantizeWord() { return quantizeWord_; }
  const HostTimeBase& timeBase() const { return timeBase_; }
  UINT clipboardFormat() const { return clipboardFormat_; }

 protected:
  MidiPluginBase();
  virtual ~MidiPluginBase();

  // The base part of construction: the two sinks, the property-page answerer
  // and the clipboard format. Fails only when a sink cannot be made.
  HRESULT FinalConstruct();

  // The page attached now, with a reference for the caller.
  ComPtr<EditorPage> AttachedPage();

  // IPersistStream and IPersist, owned by the derived object; null while none.
  virtual IPersistStream* PersistInterface() = 0;

  // Handlers of the kinds the plug-in acts on.
  virtual HRESULT OnDataChanged(const HostNotification& record, bool fromHost) = 0;
  virtual HRESULT OnKindEE(const HostNotification& record, bool fromHost) = 0;
  virtual HRESULT OnLoopChanged(const HostNotification& record, bool fromHost) = 0;

 private:
  using Handler = HRESULT (MidiPluginBase::*)(const HostNotification&, bool);
  static Handler HandlerFor(const KvGuid& kind);
  HRESULT Ignore(const HostNotification& record, bool fromHost);
  HRESULT OnPortsChanged(const HostNotification& record, bool fromHost);
  HRESULT OnRefreshEditor(const HostNotification& record, bool fromHost);
  HRESULT OnKindE1(const HostNotification& record, bool fromHost);

  HRESULT QueryDataInterfaces();
  HRESULT AdviseSinks();

  ModuleObject moduleObject_;
  std::atomic<ULONG> refs_{1};
  ComPtr<NotifySink> notifySink_;
  ComPtr<PositionSink> positionSink_;
  std::unique_ptr<PagesHelper> pagesHelper_;

  // queueLock guards the queue and the page link, which the host's reporting
  // thread reads.
  CriticalSection queueLock_;
  KvList queue_ = nullptr;
  EditorPage* page_ = nullptr;

  ComPtr<IUnknown> site_;
  ComPtr<HostMidiOutput> output_;
  ComPtr<HostMidiData> data_;
  ComPtr<HostPropertySet> properties_;
  ComPtr<HostTimeConverter> time_;
  ComPtr<HostPortList> ports_;
  DWORD notifyCookie_ = 0;
  DWORD positionCookie_ = 0;
  HostTimeBase timeBase_{};
  UINT clipboardFormat_ = 0;
  uint32_t quantizeWord_ = 0;
  DWORD editorThread_ = GetCurrentThreadId();

  EventStore store_;
};
