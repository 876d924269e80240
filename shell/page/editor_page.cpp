#include "shell/page/editor_page.h"

#include <algorithm>
#include <new>
#include <string>
#include <utility>

#include "resources/resource_ids.h"
#include "shell/module_strings.h"
#include "shell/page/editor_messages.h"
#include "shell/page/editor_window.h"
#include "shell/plugin/midi_plugin_base.h"

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

ULONG EditorPage::Release() {
  const ULONG n = --refs_;
  if (n == 0) delete this;
  return n;
}

HRESULT EditorPage::SetPageSite(IPropertyPageSite* site) {
  site_ = ComPtr<IPropertyPageSite>::Retain(site);
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
  HWND window = CreateEditorWindow(parent, this);
  if (!window) return hr;
  window_ = window;
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
  const size_t bytes = (title.size() + 1) * sizeof(wchar_t);
  auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
  if (!copy) return E_OUTOFMEMORY;
  std::copy(title.c_str(), title.c_str() + title.size() + 1, copy);
  info->pszTitle = copy;
  // The editor frame measures itself; until it exists the host sizes the page.
  info->size = SIZE{0, 0};
  info->pszDocString = nullptr;
  info->pszHelpFile = nullptr;
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
  // A new set of objects replaces the old one; the old plug-in lets go of this page.
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

// The window shown until the editor frame exists takes no keys.
HRESULT EditorPage::TranslateAccelerator(MSG* message) { return message ? S_FALSE : E_POINTER; }

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

HRESULT EditorPage::Send(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = window_;
  if (!window) return E_FAIL;
  return SendMessageW(window, message, wParam, lParam) == 0 ? S_OK : E_FAIL;
}
