#include "shell/page/editor_page.h"

#include <algorithm>
#include <new>
#include <string>
#include <utility>

#include "resources/resource_ids.h"
#include "shell/module_strings.h"
#include "shell/page/editor_messages.h"
#include "kvlib/module.h"
#include "mididata/host_bracket.h"
#include "shell/page/editor_frame.h"
#include "shell/plugin/midi_plugin_base.h"
#include "trackview/wide_math.h"

namespace {

constexpr size_t kHelpPathLength = 520;

// The module's help file: its own path with the extension ".chm".
void HelpFilePath(wchar_t* out, size_t capacity) {
  std::wstring path(MAX_PATH, L'\0');
  const DWORD n = GetModuleFileNameW(KvModule_Handle(), path.data(), static_cast<DWORD>(path.size()));
  path.resize(n < path.size() ? n : 0);
  const size_t dot = path.find_last_of(L'.');
  const size_t slash = path.find_last_of(L"\\/");
  if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash)) path.resize(dot);
  if (!path.empty()) path += L".chm";
  const size_t length = std::min(path.size(), capacity - 1);
  std::copy(path.c_str(), path.c_str() + length, out);
  out[length] = 0;
}

}  // namespace

HRESULT EditorPage::Create(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IPropertyPage)) return E_NOINTERFACE;
  auto* page = new (std::nothrow) EditorPage();
  if (!page) return E_OUTOFMEMORY;
  const HRESULT hr = page->QueryInterface(iid, out);
  page->Release();
  return hr;
}

EditorPage::~EditorPage() {
  if (HWND window = window_.exchange(nullptr)) DestroyWindow(window);
  ClearObjects();
}

HRESULT EditorPage::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IPropertyPage)) return E_NOINTERFACE;
  *out = static_cast<IPropertyPage*>(this);
  AddRef();
  return S_OK;
}

ULONG EditorPage::AddRef() { return ++refs_; }

bool EditorPage::TryAddRef() {
  ULONG n = refs_.load();
  while (n != 0) {
    if (refs_.compare_exchange_weak(n, n + 1)) return true;
  }
  return false;
}

ULONG EditorPage::Release() {
  const ULONG n = --refs_;
  if (n == 0) delete this;
  return n;
}

HRESULT EditorPage::SetPageSite(IPropertyPageSite* site) {
  site_ = ComPtr<IPropertyPageSite>::Retain(site);
  // The host sizes its page area from GetPageInfo: an empty frame, made
  // once and thrown away, tells the size.
  if (site && !window_ && size_.cx == 0) {
    if (HWND probe = CreateEditorFrame(GetDesktopWindow(), nullptr)) {
      RECT box;
      GetWindowRect(probe, &box);
      size_ = SIZE{box.right - box.left, box.bottom - box.top};
      DestroyWindow(probe);
    }
  }
  return S_OK;
}

HRESULT EditorPage::Activate(HWND parent, LPCRECT rect, BOOL) {
  if (!rect) return E_POINTER;
  MidiPluginBase* plugin = framePlugin_.get();
  if (!plugin) return E_UNEXPECTED;
  // Reports queued while no editor was open are stale; the caches are rebuilt
  // from the host instead whenever any were thrown away.
  const bool discarded = plugin->DrainNotifications(true) == S_OK;
  const HRESULT hr = plugin->store().Refresh(discarded);
  if (FAILED(hr)) return hr;
  if (HWND old = window_.exchange(nullptr)) DestroyWindow(old);
  HWND window = CreateEditorFrame(parent, this);
  if (!window) {
    const DWORD error = GetLastError();
    return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
  }
  window_ = window;
  ShowWindow(window, SW_HIDE);
  MoveWindow(window, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, TRUE);
  return S_OK;
}

HRESULT EditorPage::Deactivate() {
  HWND window = window_.exchange(nullptr);
  if (!window) return E_UNEXPECTED;
  DestroyWindow(window);
  return S_OK;
}

HRESULT EditorPage::GetPageInfo(PROPPAGEINFO* info) {
  if (!info) return E_POINTER;
  if (info->cb > sizeof *info) info->cb = sizeof *info;
  const std::wstring title = LoadModuleString(IDS_PAGE_TITLE);
  auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc((title.size() + 1) * sizeof(wchar_t)));
  if (!copy) return E_OUTOFMEMORY;
  std::copy(title.c_str(), title.c_str() + title.size() + 1, copy);
  auto* help = static_cast<LPOLESTR>(CoTaskMemAlloc(kHelpPathLength * sizeof(wchar_t)));
  if (!help) {
    CoTaskMemFree(copy);
    return E_OUTOFMEMORY;
  }
  HelpFilePath(help, kHelpPathLength);
  info->pszTitle = copy;
  info->size = size_;
  info->pszDocString = nullptr;
  info->pszHelpFile = help;
  info->dwHelpContext = 0;
  return S_OK;
}

void EditorPage::ClearObjects() {
  if (framePlugin_) framePlugin_->DetachPage(this);
  framePlugin_.Reset();
  pluginMain_.Reset();
}

HRESULT EditorPage::SetObjects(ULONG count, IUnknown** objects) {
  if (count > 1) return E_UNEXPECTED;
  if (count == 1 && (!objects || !objects[0])) return E_POINTER;
  // A new set of objects replaces the old one; the old plug-in lets go of
  // this page first, and a failed query leaves none attached.
  ClearObjects();
  if (count == 0) return S_OK;
  ComPtr<PluginMain> main;
  HRESULT hr = KvQuery(objects[0], main.put());
  if (FAILED(hr)) return hr;
  ComPtr<PluginMain> self;
  hr = main->QueryInterface(IID_MidiPluginBase, self.put_void());
  if (FAILED(hr)) return hr;
  framePlugin_ = ComPtr<MidiPluginBase>::Adopt(static_cast<MidiPluginBase*>(self.Detach()));
  pluginMain_ = std::move(main);
  return framePlugin_->AttachPage(this);
}

HRESULT EditorPage::Show(UINT command) {
  HWND window = window_;
  if (!window) return E_UNEXPECTED;
  ShowWindow(window, static_cast<int>(command));
  return S_OK;
}

HRESULT EditorPage::Move(LPCRECT rect) {
  if (!rect) return E_POINTER;
  HWND window = window_;
  if (!window) return E_UNEXPECTED;
  MoveWindow(window, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, TRUE);
  return S_OK;
}

HRESULT EditorPage::IsPageDirty() { return S_FALSE; }

HRESULT EditorPage::Apply() { return S_OK; }

HRESULT EditorPage::Help(LPCOLESTR) { return E_NOTIMPL; }

// Keys of the host's loop go to the frame, which hands them to the track
// view; a key meant for another control of the frame (the track selector)
// stays the host's to dispatch.
HRESULT EditorPage::TranslateAccelerator(MSG* message) {
  if (!message) return E_POINTER;
  HWND window = window_;
  if (!window || message->message < WM_KEYFIRST || message->message > WM_KEYLAST) return S_FALSE;
  if (message->hwnd && message->hwnd != window && IsChild(window, message->hwnd) &&
      GetDlgCtrlID(message->hwnd) == IDC_TRACK_SELECTOR) {
    return S_FALSE;
  }
  return EditorFrameProc(window, message->message, message->wParam, message->lParam) ? S_OK : S_FALSE;
}

HRESULT EditorPage::PostRefresh(MidiPluginBase& plugin, const HostNotification& record) {
  HWND window = window_;
  // The bit is claimed before posting: the window may handle the message and
  // clear it again before PostMessage even returns.
  if (window && plugin.ClaimStateBit(kStoreRefreshPosted)) {
    if (!PostMessageW(window, WM_PLUGIN_REFRESH, record.flags >> 31, static_cast<LPARAM>(record.flags)))
      plugin.ClearStateBits(kStoreRefreshPosted);
  }
  if (plugin.StateBitsSet(kStoreRefreshPosted)) plugin.ClearStateBits(kStoreRefreshDue);
  return S_OK;
}

HRESULT EditorPage::PostPosition(MidiPluginBase& plugin) {
  HWND window = window_;
  if (window && plugin.ClaimStateBit(kStorePositionPosted)) {
    if (!PostMessageW(window, WM_PLUGIN_POSITION, 0, 0)) plugin.ClearStateBits(kStorePositionPosted);
  }
  return S_OK;
}

int32_t EditorPage::ChosenTrack() const {
  const int32_t track = SelectedTrack(window_);
  return track < 0 ? 1 : track;
}

HRESULT EditorPage::SelectedTrackInfo(TrackInfo* out) {
  if (!out) return E_POINTER;
  MidiPluginBase* plugin = framePlugin_.get();
  if (!plugin || !window_) return S_FALSE;
  return plugin->store().GetTrackInfo(ChosenTrack(), out, false);
}

HRESULT EditorPage::FirstBlockPath(ItemPath* out) {
  if (!out) return E_POINTER;
  MidiPluginBase* plugin = framePlugin_.get();
  if (!plugin) return S_FALSE;
  return plugin->store().BlockPathAt(ChosenTrack(), 0, out) == S_OK ? S_OK : S_FALSE;
}

HRESULT EditorPage::FirstBlockLength(int64_t* out) {
  if (!out) return E_POINTER;
  *out = 0;
  ItemPath block{};
  HRESULT hr = FirstBlockPath(&block);
  if (hr != S_OK) return hr;
  EventStore& store = framePlugin_->store();
  BlockInfo info{};
  hr = store.GetBlockInfo(block, &info);
  CoTaskMemFree(info.name);
  if (hr != S_OK) return hr;
  int64_t start = info.start, end = info.end;
  // A block kept in another time format is measured in ticks.
  if (info.timeFormat != kTimeTicks) {
    HostTimeConverter* time = store.host().time;
    if (!time) return E_UNEXPECTED;
    for (int64_t* t : {&start, &end}) {
      LONGLONG ticks = 0;
      hr = time->Convert(static_cast<DWORD>(*t), static_cast<LONG>(*t >> 32), info.timeFormat, 0, &ticks,
                         kTimeTicks, 0);
      if (FAILED(hr)) return hr;
      *t = ticks;
    }
  }
  *out = SatSub(end, start);
  return S_OK;
}

HRESULT EditorPage::Send(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = window_;
  if (!window) return E_FAIL;
  return SendMessageW(window, message, wParam, lParam) == 0 ? S_OK : E_FAIL;
}
