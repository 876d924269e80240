#include "tools/validate/session.h"

#include "host/event_factory.h"

namespace validate {

namespace {

constexpr wchar_t kTrackviewClass[] = L"pianorollBld0TrackviewClass";
constexpr wchar_t kLogoClass[] = L"pianorollBld0LogoClass";
constexpr int kWidth = 900, kHeight = 600;

BOOL CALLBACK CountEditorWindow(HWND window, LPARAM counter) {
  wchar_t name[64] = L"";
  GetClassNameW(window, name, 64);
  if (!wcscmp(name, kTrackviewClass) || !wcscmp(name, kLogoClass)) ++*reinterpret_cast<int*>(counter);
  EnumChildWindows(window, CountEditorWindow, counter);
  return TRUE;
}

BOOL CALLBACK CountTopWindow(HWND window, LPARAM counter) {
  CountEditorWindow(window, counter);
  return TRUE;
}

HWND FindChild(HWND parent, const wchar_t* cls) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t name[64] = L"";
    GetClassNameW(child, name, 64);
    if (!wcscmp(name, cls)) return child;
    if (HWND deeper = FindChild(child, cls)) return deeper;
  }
  return nullptr;
}

void SetModifiers(bool ctrl, bool shift) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_CONTROL] = ctrl ? 0x80 : 0;
  keys[VK_SHIFT] = shift ? 0x80 : 0;
  SetKeyboardState(keys);
}

}  // namespace

void BuildSong(refhost::RefHost& host) {
  host.SetTicksPerQuarter(480);
  host.AddTrack({.name = L"Conductor"});
  for (int t = 0; t < 2; ++t) {
    const ItemPath track = host.AddTrack({.name = t ? L"Bass" : L"Piano", .channel = t});
    const ItemPath block = host.AddBlock(track, {.start = 0, .end = 8 * 1920});
    for (int i = 0; i < 24; ++i) {
      MidiEvent note = refhost::Note(i * 480, 400, static_cast<uint8_t>(48 + (i * 7 + t * 5) % 24), 60 + i, t);
      if (i % 5 == 0) note.flags |= kEventSelected;
      host.AddEvent(block, note);
    }
    host.AddEvent(block, refhost::Controller(960, 7, 100, t));
    host.AddEvent(block, refhost::PitchBend(1440, 1000, t));
  }
}

int EditorWindows() {
  int count = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountTopWindow, reinterpret_cast<LPARAM>(&count));
  return count;
}

Session::Session(const CLSID& plugin, refhost::RefHost& host) : clsid_(plugin), host_(host) {}

Session::~Session() { Close(); }

bool Session::Open(std::string* why, int left, int top) {
  HRESULT hr = CoCreateInstance(clsid_, nullptr, CLSCTX_INPROC_SERVER, IID_PluginMain,
                                reinterpret_cast<void**>(plugin_.put()));
  if (FAILED(hr)) return *why = "CoCreateInstance failed", false;
  DWORD capabilities = 0;
  if (FAILED(plugin_->Connect(host_.site(), host_.output(), 1, 0, &capabilities))) return *why = "Connect failed", false;
  refhost::ComRef<ISpecifyPropertyPages> specify;
  CAUUID pages{};
  if (FAILED(plugin_->QueryInterface(IID_ISpecifyPropertyPages, reinterpret_cast<void**>(specify.put()))) ||
      FAILED(specify->GetPages(&pages)) || pages.cElems == 0) {
    CoTaskMemFree(pages.pElems);
    return *why = "no property page", false;
  }
  hr = CoCreateInstance(pages.pElems[0], nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage,
                        reinterpret_cast<void**>(page_.put()));
  CoTaskMemFree(pages.pElems);
  if (FAILED(hr)) return *why = "the page cannot be created", false;
  window_ = CreateWindowExW(0, L"STATIC", L"validator", WS_POPUP | WS_CLIPCHILDREN, left, top, kWidth, kHeight,
                            nullptr, nullptr, nullptr, nullptr);
  IUnknown* objects[] = {plugin_.get()};
  const RECT rect{0, 0, kWidth, kHeight};
  if (FAILED(page_->SetObjects(1, objects))) return *why = "SetObjects failed", false;
  if (FAILED(page_->Activate(window_, &rect, FALSE))) return *why = "Activate failed", false;
  page_->Show(SW_SHOW);
  frame_ = GetWindow(window_, GW_CHILD);
  view_ = FindChild(window_, kTrackviewClass);
  if (!frame_ || !view_) return *why = "no track view window", false;
  SetFocus(view_);
  Pump();
  return true;
}

void Session::Close() {
  if (page_.get()) {
    page_->Deactivate();
    page_->SetObjects(0, nullptr);
    page_.Reset();
  }
  if (window_) DestroyWindow(window_);
  window_ = frame_ = view_ = nullptr;
  if (plugin_.get()) {
    plugin_->Disconnect();
    plugin_.Reset();
  }
  Pump();
}

POINT Session::At(double fx, double fy) const {
  RECT r{};
  GetClientRect(view_, &r);
  // The data area lies right of the keyboard, below the rulers and above the
  // lane and the transport strip.
  return POINT{static_cast<LONG>(r.right * (0.25 + 0.7 * fx)), static_cast<LONG>(r.bottom * (0.15 + 0.5 * fy))};
}

void Session::Drag(POINT from, POINT to, WPARAM keys) {
  SetModifiers((keys & MK_CONTROL) != 0, (keys & MK_SHIFT) != 0);
  SendMessageW(view_, WM_MOUSEMOVE, keys, MAKELPARAM(from.x, from.y));
  SendMessageW(view_, WM_LBUTTONDOWN, keys | MK_LBUTTON, MAKELPARAM(from.x, from.y));
  for (int step = 1; step <= 4; ++step) {
    const int x = from.x + (to.x - from.x) * step / 4, y = from.y + (to.y - from.y) * step / 4;
    SendMessageW(view_, WM_MOUSEMOVE, keys | MK_LBUTTON, MAKELPARAM(x, y));
  }
  SendMessageW(view_, WM_LBUTTONUP, keys, MAKELPARAM(to.x, to.y));
  SetModifiers(false, false);
  Pump();
}

void Session::Key(WPARAM key, bool ctrl) {
  SetModifiers(ctrl, false);
  SendMessageW(view_, WM_KEYDOWN, key, 1);
  SendMessageW(view_, WM_KEYUP, key, 0xC0000001);
  SetModifiers(false, false);
  Pump();
}

void Session::Command(UINT command) {
  SendMessageW(frame_, WM_COMMAND, command, 0);
  Pump();
}

void Session::ViewCommand(UINT command) {
  SendMessageW(view_, WM_COMMAND, command, 0);
  Pump();
}

void Session::Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace validate
