#include "host/app/plugin_host.h"

#include <new>

namespace {

constexpr wchar_t kPluginsKey[] = L"Software\\MIDI Plugins\\";

// The application's page site: it hands out the user's locale and takes no
// keys of its own (the application's loop asks the page first).
class PageSite final : public IPropertyPageSite {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IPropertyPageSite)) return E_NOINTERFACE;
    *out = static_cast<IPropertyPageSite*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE OnStatusChange(DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetLocaleID(LCID* out) override {
    if (!out) return E_POINTER;
    *out = GetUserDefaultLCID();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetPageContainer(IUnknown** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*) override { return S_FALSE; }

 private:
  ULONG refs_ = 1;
};

std::wstring Failure(const wchar_t* what, HRESULT hr) {
  wchar_t code[16];
  swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(hr));
  return std::wstring(what) + L" failed (" + code + L")";
}

}  // namespace

std::vector<PluginEntry> FindPlugins() {
  std::vector<PluginEntry> found;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPluginsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return found;
  wchar_t name[64];
  for (DWORD i = 0;; ++i) {
    DWORD length = 64;
    if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    PluginEntry entry{};
    if (FAILED(CLSIDFromString(name, &entry.clsid))) continue;
    wchar_t title[256] = L"";
    DWORD bytes = sizeof title - sizeof(wchar_t);
    RegGetValueW(key, name, nullptr, RRF_RT_REG_SZ, nullptr, title, &bytes);
    entry.name = title;
    found.push_back(entry);
  }
  RegCloseKey(key);
  return found;
}

bool PluginHost::Open(const CLSID& clsid, refhost::RefHost& host, const std::vector<uint8_t>& settings, HWND parent,
                      const RECT& rect, std::wstring* error) {
  Close();
  auto fail = [&](const wchar_t* what, HRESULT hr) {
    *error = Failure(what, hr);
    Close();
    return false;
  };
  // Through the registry's InProcServer32, as any host loads a plug-in.
  HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PluginMain, reinterpret_cast<void**>(plugin_.put()));
  if (FAILED(hr)) return fail(L"Creating the plug-in", hr);
  DWORD capabilities = 0;
  hr = plugin_->Connect(host.site(), host.output(), 1, 0, &capabilities);
  if (FAILED(hr)) return fail(L"Connecting the plug-in", hr);
  if (!settings.empty()) {
    refhost::ComRef<IPersistStream> persist;
    refhost::ComRef<IStream> stream;
    hr = plugin_->QueryInterface(IID_IPersistStream, reinterpret_cast<void**>(persist.put()));
    if (SUCCEEDED(hr)) hr = CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
    ULONG written = 0;
    if (SUCCEEDED(hr)) hr = stream->Write(settings.data(), static_cast<ULONG>(settings.size()), &written);
    LARGE_INTEGER zero{};
    if (SUCCEEDED(hr)) hr = stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    // Settings the plug-in refuses leave it with its defaults.
    if (SUCCEEDED(hr)) persist->Load(stream.get());
  }
  refhost::ComRef<ISpecifyPropertyPages> specify;
  hr = plugin_->QueryInterface(IID_ISpecifyPropertyPages, reinterpret_cast<void**>(specify.put()));
  if (FAILED(hr)) return fail(L"Asking the plug-in for its pages", hr);
  CAUUID pages{};
  hr = specify->GetPages(&pages);
  if (FAILED(hr) || pages.cElems == 0) {
    CoTaskMemFree(pages.pElems);
    return fail(L"Asking the plug-in for its pages", FAILED(hr) ? hr : E_NOINTERFACE);
  }
  const CLSID pageClass = pages.pElems[0];
  CoTaskMemFree(pages.pElems);
  hr = CoCreateInstance(pageClass, nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage, reinterpret_cast<void**>(page_.put()));
  if (FAILED(hr)) return fail(L"Creating the editor page", hr);
  site_ = refhost::ComRef<IPropertyPageSite>(new (std::nothrow) PageSite());
  if (!site_.get()) return fail(L"Creating the page site", E_OUTOFMEMORY);
  page_->SetPageSite(site_.get());
  IUnknown* objects[] = {plugin_.get()};
  hr = page_->SetObjects(1, objects);
  if (FAILED(hr)) return fail(L"Giving the page its plug-in", hr);
  PROPPAGEINFO info{};
  info.cb = sizeof info;
  if (SUCCEEDED(page_->GetPageInfo(&info))) {
    pageSize_ = info.size;
    CoTaskMemFree(info.pszTitle);
    CoTaskMemFree(info.pszDocString);
    CoTaskMemFree(info.pszHelpFile);
  }
  HWND before = GetWindow(parent, GW_CHILD);
  hr = page_->Activate(parent, &rect, FALSE);
  if (FAILED(hr)) return fail(L"Activating the editor page", hr);
  // The page's window is the child that activating added.
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (child != before) {
      pageWindow_ = child;
      break;
    }
  }
  page_->Show(SW_SHOW);
  return true;
}

void PluginHost::Close() {
  if (page_.get()) {
    page_->Deactivate();
    page_->SetObjects(0, nullptr);
    page_->SetPageSite(nullptr);
    page_.Reset();
  }
  site_.Reset();
  pageWindow_ = nullptr;
  if (plugin_.get()) {
    plugin_->Disconnect();
    plugin_.Reset();
  }
}

void PluginHost::Move(const RECT& rect) {
  if (page_.get()) page_->Move(&rect);
}

bool PluginHost::TranslateAccelerator(MSG* message) {
  // Only keys typed inside the page are the page's.
  if (!page_.get() || !pageWindow_ || !message->hwnd ||
      (message->hwnd != pageWindow_ && !IsChild(pageWindow_, message->hwnd))) {
    return false;
  }
  return page_->TranslateAccelerator(message) == S_OK;
}

bool PluginHost::SaveSettings(std::vector<uint8_t>* out) {
  out->clear();
  if (!plugin_.get()) return false;
  refhost::ComRef<IPersistStream> persist;
  refhost::ComRef<IStream> stream;
  HRESULT hr = plugin_->QueryInterface(IID_IPersistStream, reinterpret_cast<void**>(persist.put()));
  if (SUCCEEDED(hr)) hr = CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
  if (SUCCEEDED(hr)) hr = persist->Save(stream.get(), TRUE);
  STATSTG stat{};
  if (SUCCEEDED(hr)) hr = stream->Stat(&stat, STATFLAG_NONAME);
  LARGE_INTEGER zero{};
  if (SUCCEEDED(hr)) hr = stream->Seek(zero, STREAM_SEEK_SET, nullptr);
  if (SUCCEEDED(hr) && stat.cbSize.QuadPart < (1u << 20)) {
    out->resize(static_cast<size_t>(stat.cbSize.QuadPart));
    ULONG read = 0;
    hr = stream->Read(out->data(), static_cast<ULONG>(out->size()), &read);
    if (SUCCEEDED(hr) && read != out->size()) hr = E_FAIL;
  }
  if (FAILED(hr)) out->clear();
  return SUCCEEDED(hr);
}
