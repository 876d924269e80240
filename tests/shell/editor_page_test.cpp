// The editor page under its real clients. Wine's OleCreatePropertyFrame creates
// the page of the registered DLL from the registry, hands it a plug-in object
// connected to the reference host and runs the frame's modal loop; a timer on
// this thread looks at the editor inside that loop, presses a tool and closes
// the frame. The other cases drive the page through a page site as a host
// does: page information, activation cycles, calls out of turn, keys from the
// host's loop, a second plug-in, reports from another thread and a drawn note.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <olectl.h>

#include <string>
#include <thread>
#include <vector>

#include "host/event_factory.h"
#include "host/host_test_support.h"
#include "shell/page/editor_messages.h"
#include "shell/page/editor_page.h"
#include "shell/window_classes.h"
#include "tests/shell/capturing_site.h"
#include "tests/shell/plugin_dll.h"
#include "tests/shell/shell_test_support.h"
#include "tests/support/gdi_count.h"
#include "trackview/trackview.h"

namespace shelltest {
namespace {

constexpr wchar_t kTrackviewClass[] = L"pianorollBld0TrackviewClass";
constexpr wchar_t kLogoClass[] = L"pianorollBld0LogoClass";
constexpr UINT kUpdateUi = 0x6C9;
constexpr int kToolbarId = 1001, kSelectorId = 1000, kLogoId = 9;
constexpr int kDrawTool = 4010, kSelectionTool = 4011;

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = L"";
  if (window) GetClassNameW(window, name, 64);
  return name;
}

// Windows of this thread, top-level and children, optionally of one class.
struct WindowQuery {
  const wchar_t* className;
  std::vector<HWND> found;
};
BOOL CALLBACK CollectChild(HWND window, LPARAM query) {
  auto* q = reinterpret_cast<WindowQuery*>(query);
  if (!q->className || ClassOf(window) == q->className) q->found.push_back(window);
  return TRUE;
}
BOOL CALLBACK CollectTopLevel(HWND window, LPARAM query) {
  CollectChild(window, query);
  EnumChildWindows(window, CollectChild, query);
  return TRUE;
}
std::vector<HWND> ThreadWindows(const wchar_t* className = nullptr) {
  WindowQuery query{className, {}};
  EnumThreadWindows(GetCurrentThreadId(), CollectTopLevel, reinterpret_cast<LPARAM>(&query));
  return query.found;
}
HWND FindIn(HWND root, const wchar_t* className) {
  WindowQuery query{className, {}};
  EnumChildWindows(root, CollectChild, reinterpret_cast<LPARAM>(&query));
  return query.found.empty() ? nullptr : query.found[0];
}

size_t GdiObjects() { return LiveGdiObjects(); }

// The count sees one brush come and go; otherwise the comparisons say nothing.
void ExpectGdiCounted() {
  const size_t before = GdiObjects();
  HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
  EXPECT_EQ(before + 1, GdiObjects()) << "GDI objects are not counted here";
  DeleteObject(brush);
  EXPECT_EQ(before, GdiObjects());
}

bool Checked(HWND toolbar, int command) { return SendMessageW(toolbar, TB_ISBUTTONCHECKED, command, 0) != 0; }

// The toolbar's buttons as command ids, 0 for a separator.
std::vector<int> ToolbarCommands(HWND toolbar) {
  std::vector<int> commands;
  const LRESULT count = SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    TBBUTTON button{};
    SendMessageW(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
    commands.push_back(button.fsStyle & BTNS_SEP ? 0 : button.idCommand);
  }
  return commands;
}
const std::vector<int> kToolbarCommands = {4000, 4001, 4002, 0, 4041, 4043, 0, 4010, 4011,
                                           4013, 4014, 4012, 0, 4005, 0,    4026, 4042};

// A toolbar button's click as the frame receives it.
void Command(HWND frame, int command) {
  SendMessageW(frame, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(frame, kToolbarId)));
}

void SetKeys(bool ctrl) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_CONTROL] = keys[VK_LCONTROL] = ctrl ? 0x80 : 0;
  keys[VK_SHIFT] = keys[VK_LSHIFT] = keys[VK_MENU] = keys[VK_LMENU] = 0;
  SetKeyboardState(keys);
}

// ---------------------------------------------------------------------------
// Wine's property frame.

// What the timer saw of the editor inside the frame's modal loop.
struct FrameVisit {
  bool editor = true;  // false: close the frame at the first tick
  int ticks = 0;
  bool found = false;
  bool shown = false;
  std::wstring toolbarClass, selectorClass, logoClass;
  std::vector<int> commands;
  bool drawCheckedAtFirst = false;
  bool selectionChecked = false, drawChecked = true;
};
FrameVisit* g_visit = nullptr;

void CloseFrames() {
  for (HWND window : ThreadWindows(L"#32770"))
    if (GetAncestor(window, GA_ROOT) == window) PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
}

void CALLBACK VisitEditor(HWND, UINT, UINT_PTR timer, DWORD) {
  FrameVisit& v = *g_visit;
  ++v.ticks;
  const std::vector<HWND> views = ThreadWindows(kTrackviewClass);
  if (views.empty()) {
    // No editor wanted, or it never came: end the frame's loop all the same.
    if (!v.editor || v.ticks == 200) {
      KillTimer(nullptr, timer);
      CloseFrames();
    }
    return;
  }
  KillTimer(nullptr, timer);
  v.found = true;
  HWND view = views[0];
  HWND frame = GetParent(view);
  v.shown = IsWindowVisible(view) != FALSE;
  HWND toolbar = GetDlgItem(frame, kToolbarId);
  v.toolbarClass = ClassOf(toolbar);
  v.selectorClass = ClassOf(GetDlgItem(frame, kSelectorId));
  v.logoClass = ClassOf(GetDlgItem(frame, kLogoId));
  v.commands = ToolbarCommands(toolbar);
  v.drawCheckedAtFirst = Checked(toolbar, kDrawTool);
  Command(frame, kSelectionTool);
  SendMessageW(frame, kUpdateUi, 0, 0);
  v.selectionChecked = Checked(toolbar, kSelectionTool);
  v.drawChecked = Checked(toolbar, kDrawTool);
  PostMessageW(GetAncestor(frame, GA_ROOT), WM_COMMAND, IDCANCEL, 0);
}

// One run of Wine's frame over the plug-in with one page; the GDI objects it
// left behind come back in gdiKept.
FrameVisit RunPropertyFrame(IUnknown* plugin, CLSID page, long long* gdiKept) {
  FrameVisit visit;
  visit.editor = IsEqualCLSID(page, CLSID_EditorPage);
  g_visit = &visit;
  const long long before = static_cast<long long>(GdiObjects());
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, VisitEditor);
  EXPECT_NE(0u, timer);
  IUnknown* objects[] = {plugin};
  EXPECT_EQ(S_OK, OleCreatePropertyFrame(nullptr, 0, 0, L"Piano Roll", 1, objects, 1, &page, 0, 0, nullptr));
  KillTimer(nullptr, timer);
  g_visit = nullptr;
  PumpMessages();
  *gdiKept = static_cast<long long>(GdiObjects()) - before;
  return visit;
}

// A page that shows nothing, served by this program. Wine's frame keeps GDI
// objects of its own from run to run; what it keeps around this page is what
// it may keep around the editor.
const CLSID kEmptyPage = {0x5C3A8F00, 0x2D1B, 0x4E6A, {0x9B, 0x11, 0x42, 0x7E, 0x10, 0x93, 0xA5, 0x01}};
class EmptyPage final : public IPropertyPage, public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPropertyPage) ? static_cast<IPropertyPage*>(this)
           : IsEqualIID(iid, IID_IClassFactory) ? static_cast<void*>(static_cast<IClassFactory*>(this))
                                                : nullptr;
    return *out ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives on the test's stack
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID iid, void** out) override { return QueryInterface(iid, out); }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetPageSite(IPropertyPageSite*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Activate(HWND, LPCRECT, BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Deactivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetPageInfo(PROPPAGEINFO* info) override {
    *info = PROPPAGEINFO{sizeof *info, static_cast<LPOLESTR>(CoTaskMemAlloc(sizeof L"Empty")), {100, 100}, nullptr,
                         nullptr, 0};
    if (info->pszTitle) wcscpy(info->pszTitle, L"Empty");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetObjects(ULONG, IUnknown**) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Show(UINT) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Move(LPCRECT) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE IsPageDirty() override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE Apply() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Help(LPCOLESTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*) override { return S_FALSE; }
};

// The DLL in this prefix's registry for the length of a test.
class RegisteredDll {
 public:
  RegisteredDll() { EXPECT_EQ(S_OK, dll.Register()); }
  ~RegisteredDll() {
    dll.Unregister();
    CoFreeUnusedLibrariesEx(0, 0);
  }
  PluginDll dll;
};

TEST(EditorPageInPropertyFrame, WinesFrameShowsTheEditorFromTheRegistryAndLetsEverythingGo) {
  RegisteredDll registered;
  refhost::RefHost host;
  host.AddTrack({.name = L"Tempo"});
  const ItemPath track = host.AddTrack({.name = L"Piano", .channel = 0});
  const ItemPath block = host.AddBlock(track, {.start = 0, .end = 3840});
  host.AddEvent(block, refhost::Note(0, 480, 60));
  host.AddEvent(block, refhost::Note(960, 480, 64));
  {
    ComPtr<PluginMain> plugin;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_PianoRollPlugin, nullptr, CLSCTX_INPROC_SERVER, IID_PluginMain,
                                     plugin.put_void()));
    ASSERT_EQ(S_OK, plugin->Connect(host.site(), host.output(), 1, 0, nullptr));

    // What the frame keeps by itself, once its own first-run caches are filled.
    ExpectGdiCounted();
    EmptyPage empty;
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, CoRegisterClassObject(kEmptyPage, static_cast<IClassFactory*>(&empty), CLSCTX_INPROC_SERVER,
                                          REGCLS_MULTIPLEUSE, &cookie));
    long long frameKeeps = 0;
    for (int run = 0; run < 2; ++run) EXPECT_FALSE(RunPropertyFrame(plugin.get(), kEmptyPage, &frameKeeps).found);
    CoRevokeClassObject(cookie);

    // The first editor run fills the editor's one-time caches (fonts, brushes, images).
    for (int run = 0; run < 2; ++run) {
      SCOPED_TRACE(run);
      long long kept = 0;
      const FrameVisit visit = RunPropertyFrame(plugin.get(), CLSID_EditorPage, &kept);
      ASSERT_TRUE(visit.found) << "no track view within " << visit.ticks << " ticks";
      EXPECT_TRUE(visit.shown);
      EXPECT_EQ(L"ToolbarWindow32", visit.toolbarClass);
      EXPECT_EQ(L"ComboBox", visit.selectorClass);
      EXPECT_EQ(kLogoClass, visit.logoClass);
      EXPECT_EQ(kToolbarCommands, visit.commands);
      // The tool chosen in the first run is the one the second run opens with.
      EXPECT_EQ(run == 0, visit.drawCheckedAtFirst);
      EXPECT_TRUE(visit.selectionChecked);
      EXPECT_FALSE(visit.drawChecked);

      EXPECT_TRUE(ThreadWindows(kTrackviewClass).empty());
      EXPECT_TRUE(ThreadWindows(kLogoClass).empty());
      EXPECT_EQ(0u, host.OutstandingBlocks());
      if (run == 1) {
        EXPECT_EQ(frameKeeps, kept);
      }
    }
    EXPECT_EQ(2u, host.AdvisedSinks());
    // The frame never clears the page's objects: neither the page nor the
    // plug-in may keep the other alive once the host lets go.
  }
  EXPECT_EQ(0u, host.AdvisedSinks());
  EXPECT_EQ(S_OK, registered.dll.CanUnloadNow());
  const refhost::LeakReport leaks = host.Leaks();
  EXPECT_TRUE(leaks.Clean()) << leaks.Describe();
}

// ---------------------------------------------------------------------------
// A host's page site.

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
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }  // lives on the test's stack
  HRESULT STDMETHODCALLTYPE OnStatusChange(DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetLocaleID(LCID* locale) override {
    if (!locale) return E_POINTER;
    *locale = 0x0409;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetPageContainer(IUnknown** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*) override { return S_FALSE; }
  ULONG refs = 1;
};

// The classes built into this program make their windows from its module.
class ProgramWindowClasses {
 public:
  ProgramWindowClasses() {
    WNDCLASSEXW info{};
    info.cbSize = sizeof info;
    ownView_ = !GetClassInfoExW(self_, kTrackviewClass, &info);
    ownLogo_ = !GetClassInfoExW(self_, kLogoClass, &info);
    if (ownView_ || ownLogo_) RegisterWindowClasses(self_);
  }
  ~ProgramWindowClasses() {
    if (ownView_) UnregisterTrackviewClass(self_);
    if (ownLogo_) UnregisterClassW(kLogoClass, self_);
  }

 private:
  HINSTANCE self_ = GetModuleHandleW(nullptr);
  bool ownView_ = false, ownLogo_ = false;
};

// A plug-in connected to a host through a site whose sinks the test holds.
struct Connected {
  explicit Connected(refhost::RefHost& host) : site(CapturingSite::Create(host.site())), plugin(CreatePlugin()) {
    EXPECT_EQ(S_OK, plugin->Connect(site.get(), host.output(), 1, 0, nullptr));
  }
  ~Connected() {
    plugin->Disconnect();
    plugin.Reset();
    site.Reset();
  }
  HRESULT Report(const HostNotification& record) { return site->notifySink->OnNotify(&record); }
  EventStore& store() { return Impl(plugin.get()).store(); }
  ComPtr<CapturingSite> site;
  ComPtr<PluginMain> plugin;
};

HostNotification Inserted(const ItemPath& event) {
  return Record(NOTIFY_DataChanged, kChangeInserted, kLevelEvent, {}, event);
}

bool Listed(EventStore& store, const ItemPath& event) {
  for (int32_t i = 0; i < store.EventCount(); ++i) {
    ItemPath path{};
    if (store.PathAt(i, &path) == S_OK && path.eventId == event.eventId) return true;
  }
  return false;
}

// The editor lists the tracks after the first: the song's notes are in the second.
class EditorPageOnSite : public refhost::RefHostTest {
 protected:
  EditorPageOnSite() {
    host.AddTrack({.name = L"Tempo"});
    track = host.AddTrack({.name = L"Piano", .channel = 0});
    block = host.AddBlock(track, {.start = 0, .end = 3840});
    first = host.AddEvent(block, refhost::Note(0, 120, 60));
    host.AddEvent(block, refhost::Selected(refhost::Note(480, 120, 62)));
    parent = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr, nullptr, nullptr,
                             nullptr);
    EXPECT_EQ(S_OK, page->SetPageSite(&site));
  }
  ~EditorPageOnSite() override {
    page->Deactivate();
    page->SetObjects(0, nullptr);
    EXPECT_EQ(S_OK, page->SetPageSite(nullptr));
    page.Reset();
    PumpMessages();
    EXPECT_EQ(1u, site.refs);
    DestroyWindow(parent);
    SetKeys(false);
  }
  void SetPlugin(Connected& connected) {
    IUnknown* objects[] = {connected.plugin.get()};
    ASSERT_EQ(S_OK, page->SetObjects(1, objects));
  }
  HRESULT Activate() {
    const RECT rect{0, 0, 600, 400};
    const HRESULT hr = page->Activate(parent, &rect, FALSE);
    if (hr == S_OK) page->Show(SW_SHOWNORMAL);
    return hr;
  }
  HWND Frame() const { return GetWindow(parent, GW_CHILD); }
  HWND Toolbar() const { return GetDlgItem(Frame(), kToolbarId); }
  HWND View() const { return FindIn(parent, kTrackviewClass); }
  HRESULT Key(WPARAM key, bool ctrl) {
    SetKeys(ctrl);
    MSG msg{Frame(), WM_KEYDOWN, key, 1, GetTickCount(), {}};
    const HRESULT hr = page->TranslateAccelerator(&msg);
    SetKeys(false);
    PumpMessages();
    return hr;
  }

  // The host (checked for leaks last, in the base) and the classes outlive
  // every page and plug-in.
  ProgramWindowClasses classes;
  PageSite site;
  ItemPath track{}, block{}, first{};
  HWND parent = nullptr;
  Connected connected{host};
  ComPtr<IPropertyPage> page = CreatePage();
};

TEST_F(EditorPageOnSite, PageInfoIsMeasuredAndHandedOverInTaskMemory) {
  ComPtr<IMalloc> malloc;
  ASSERT_EQ(S_OK, CoGetMalloc(1, malloc.put()));
  PROPPAGEINFO info{};
  info.cb = sizeof info + 40;
  ASSERT_EQ(S_OK, page->GetPageInfo(&info));
  EXPECT_EQ(sizeof(PROPPAGEINFO), info.cb);
  ASSERT_NE(nullptr, info.pszTitle);
  EXPECT_STREQ(L"Piano Roll Editor", info.pszTitle);
  EXPECT_EQ(1, malloc->DidAlloc(info.pszTitle));
  EXPECT_GT(info.size.cx, 0);
  EXPECT_GT(info.size.cy, 0);
  EXPECT_EQ(nullptr, info.pszDocString);
  ASSERT_NE(nullptr, info.pszHelpFile);
  EXPECT_EQ(1, malloc->DidAlloc(info.pszHelpFile));
  EXPECT_NE(0u, wcslen(info.pszHelpFile));
  CoTaskMemFree(info.pszTitle);
  CoTaskMemFree(info.pszHelpFile);
  EXPECT_EQ(E_POINTER, page->GetPageInfo(nullptr));
  // Measuring left no window behind.
  EXPECT_TRUE(ThreadWindows(kLogoClass).empty());
}

TEST_F(EditorPageOnSite, ActivationCyclesLeaveNoWindowBlockOrGdiObject) {
  SetPlugin(connected);
  ShowWindow(parent, SW_SHOWNA);
  const auto cycle = [&] {
    if (Activate() != S_OK) return false;
    RedrawWindow(parent, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    return View() && page->Deactivate() == S_OK;
  };
  ASSERT_TRUE(cycle());
  PumpMessages();
  const size_t windows = ThreadWindows().size();
  ExpectGdiCounted();
  const size_t gdi = GdiObjects();
  for (int i = 0; i < 100; ++i) ASSERT_TRUE(cycle()) << i;
  PumpMessages();
  EXPECT_EQ(windows, ThreadWindows().size());
  EXPECT_TRUE(ThreadWindows(kTrackviewClass).empty());
  EXPECT_EQ(gdi, GdiObjects());
  EXPECT_EQ(0u, host.OutstandingBlocks());
}

TEST_F(EditorPageOnSite, CallsOutOfTurnAreRefused) {
  const RECT rect{0, 0, 600, 400};
  MSG key{parent, WM_KEYDOWN, VK_DELETE, 1, 0, {}};
  EXPECT_EQ(S_OK, page->SetObjects(0, nullptr));  // nothing to detach
  EXPECT_EQ(E_UNEXPECTED, page->Activate(parent, &rect, FALSE));
  EXPECT_EQ(E_UNEXPECTED, page->Deactivate());
  EXPECT_EQ(S_FALSE, page->TranslateAccelerator(&key));

  SetPlugin(connected);
  EXPECT_EQ(E_POINTER, page->Activate(parent, nullptr, FALSE));
  EXPECT_EQ(nullptr, Frame());
  ASSERT_EQ(S_OK, Activate());
  EXPECT_EQ(S_OK, page->Deactivate());
  EXPECT_EQ(E_UNEXPECTED, page->Deactivate());
  EXPECT_EQ(S_FALSE, page->TranslateAccelerator(&key));
  EXPECT_EQ(std::vector<std::wstring>{}, host.UndoLabels());

  // An object that is no plug-in takes the place of the one set before.
  ComPtr<IStream> stranger = StreamOf({});
  IUnknown* objects[] = {stranger.get()};
  EXPECT_TRUE(FAILED(page->SetObjects(1, objects)));
  EXPECT_EQ(E_UNEXPECTED, page->Activate(parent, &rect, FALSE));
  EXPECT_EQ(nullptr, Frame());
}

TEST_F(EditorPageOnSite, KeysOfTheHostsLoopReachTheTrackView) {
  SetPlugin(connected);
  ASSERT_EQ(S_OK, Activate());
  ASSERT_NE(nullptr, View());
  SetFocus(View());
  Command(Frame(), kSelectionTool);
  SendMessageW(Frame(), kUpdateUi, 0, 0);
  ASSERT_TRUE(Checked(Toolbar(), kSelectionTool));

  // Ctrl+D picks the Draw tool, and the view has the toolbar follow.
  EXPECT_EQ(S_OK, Key('D', true));
  EXPECT_TRUE(Checked(Toolbar(), kDrawTool));
  EXPECT_FALSE(Checked(Toolbar(), kSelectionTool));
  EXPECT_EQ(std::vector<std::wstring>{}, host.UndoLabels());

  // Delete removes the selected note as one edit.
  EXPECT_EQ(S_OK, Key(VK_DELETE, false));
  EXPECT_EQ(std::vector<std::wstring>{L"Delete MIDI Event"}, host.UndoLabels());
  const std::vector<refhost::EventView> left = host.Events(track.trackId);
  ASSERT_EQ(1u, left.size());
  EXPECT_EQ(first.eventId, left[0].path.eventId);
}

TEST_F(EditorPageOnSite, ASecondPluginTakesThePageFromTheFirst) {
  refhost::RefHost otherHost;
  otherHost.AddTrack({.name = L"Tempo"});
  const ItemPath otherTrack = otherHost.AddTrack({.name = L"Bass", .channel = 1});
  const ItemPath otherBlock = otherHost.AddBlock(otherTrack, {.start = 0, .end = 3840});
  {
    Connected second(otherHost);
    SetPlugin(connected);
    SetPlugin(second);
    ASSERT_EQ(S_OK, Activate());
    HWND frame = Frame();
    ASSERT_NE(nullptr, frame);
    TakePosted(nullptr);

    const ItemPath stale = host.AddEvent(block, refhost::Note(1920, 120, 67));
    EXPECT_EQ(S_OK, connected.Report(Inserted(stale)));
    EXPECT_TRUE(TakePosted(frame).empty());

    const ItemPath fresh = otherHost.AddEvent(otherBlock, refhost::Note(1920, 120, 40));
    EXPECT_EQ(S_OK, second.Report(Inserted(fresh)));
    const std::vector<Received> posted = DeliverPosted(frame);
    ASSERT_EQ(1u, posted.size());
    EXPECT_EQ(WM_PLUGIN_REFRESH, posted[0].message);
    EXPECT_TRUE(Listed(second.store(), fresh));

    EXPECT_EQ(S_OK, page->Deactivate());
    EXPECT_EQ(S_OK, page->SetObjects(0, nullptr));
  }
  const refhost::LeakReport leaks = otherHost.Leaks();
  EXPECT_TRUE(leaks.Clean()) << leaks.Describe();
}

// Reports from a thread of the host's own; back when it has finished.
std::vector<HRESULT> ReportFromAnotherThread(HostNotifySink* sink, const std::vector<HostNotification>& records) {
  std::vector<HRESULT> results;
  std::thread([&] {
    for (const HostNotification& record : records) results.push_back(sink->OnNotify(&record));
  }).join();
  return results;
}

TEST_F(EditorPageOnSite, ReportsFromAnotherThreadAreReplayedOnceOnTheWindowsThread) {
  SetPlugin(connected);
  ASSERT_EQ(S_OK, Activate());
  HWND frame = Frame();
  ASSERT_NE(nullptr, frame);
  PumpMessages();
  EventStore& store = connected.store();
  const int32_t listed = store.EventCount();
  ASSERT_EQ(2, listed);

  const ItemPath a = host.AddEvent(block, refhost::Note(1920, 120, 64));
  const ItemPath b = host.AddEvent(block, refhost::Note(2400, 120, 65));
  EXPECT_EQ((std::vector<HRESULT>{S_OK, S_OK}),
            ReportFromAnotherThread(connected.site->notifySink.get(), {Inserted(a), Inserted(b)}));
  // Nothing is applied before the window's thread gets to it, and the second
  // report found a refresh already on its way.
  EXPECT_FALSE(Listed(store, a));
  std::vector<Received> posted = DeliverPosted(frame);
  ASSERT_EQ(1u, posted.size());
  EXPECT_EQ(WM_PLUGIN_REFRESH, posted[0].message);
  EXPECT_EQ(listed + 2, store.EventCount());
  EXPECT_TRUE(Listed(store, a));
  EXPECT_TRUE(Listed(store, b));

  // The handled refresh clears the way for the next report.
  const ItemPath c = host.AddEvent(block, refhost::Note(2880, 120, 66));
  EXPECT_EQ(std::vector<HRESULT>{S_OK}, ReportFromAnotherThread(connected.site->notifySink.get(), {Inserted(c)}));
  posted = DeliverPosted(frame);
  ASSERT_EQ(1u, posted.size());
  EXPECT_EQ(WM_PLUGIN_REFRESH, posted[0].message);
  EXPECT_TRUE(Listed(store, c));
  EXPECT_EQ(listed + 3, store.EventCount());
}

TEST_F(EditorPageOnSite, DrawingInTheDataAreaIsOneHostEdit) {
  SetPlugin(connected);
  ASSERT_EQ(S_OK, Activate());
  PumpMessages();
  HWND view = View();
  ASSERT_NE(nullptr, view);
  RECT client{};
  GetClientRect(view, &client);
  ASSERT_GT(client.right, 200);
  ASSERT_GT(client.bottom, 200);
  host.Log().Clear();
  const size_t notes = host.Events(track.trackId).size();

  // Right of the keyboard, under the rulers, above the lane and the transport strip.
  const int y = client.bottom * 2 / 5;
  const int from = client.right * 2 / 5, to = client.right * 3 / 5;
  SetKeys(false);
  auto mouse = [&](UINT message, int x, WPARAM buttons) {
    POINT screen{x, y};
    ClientToScreen(view, &screen);
    if (!GetCapture()) SendMessageW(view, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
    SendMessageW(view, message, buttons, MAKELPARAM(x, y));
  };
  mouse(WM_MOUSEMOVE, from, 0);
  mouse(WM_LBUTTONDOWN, from, MK_LBUTTON);
  for (int step = 1; step <= 4; ++step) mouse(WM_MOUSEMOVE, from + (to - from) * step / 4, MK_LBUTTON);
  mouse(WM_LBUTTONUP, to, 0);
  PumpMessages();

  EXPECT_EQ(std::vector<std::wstring>{L"Draw MIDI Event"}, host.UndoLabels());
  // Selection brackets carry no label; the edit is the one labelled bracket.
  std::vector<std::wstring> labels;
  for (const refhost::CallEntry& call : host.Log().Entries())
    if (call.method == "BeginEdit" && call.label) labels.push_back(*call.label);
  EXPECT_EQ(std::vector<std::wstring>{L"Draw MIDI Event"}, labels);
  EXPECT_EQ(1u, host.Log().Count("InsertItem"));
  EXPECT_EQ(notes + 1, host.Events(track.trackId).size());
}

// A frame that cannot be made fails the activation (no window is left), and
// the data source's queries answer for the chosen track.
TEST_F(EditorPageOnSite, AFrameThatCannotBeMadeFailsAndTheQueriesAnswerForTheChosenTrack) {
  SetPlugin(connected);
  auto& editor = static_cast<EditorPage&>(*page.get());
  int64_t length = -1;
  TrackInfo info{};
  EXPECT_EQ(S_FALSE, editor.SelectedTrackInfo(&info));  // no frame yet
  // Without its logo class the frame's template cannot be made.
  const HINSTANCE self = GetModuleHandleW(nullptr);
  ASSERT_TRUE(UnregisterClassW(kLogoClass, self));
  EXPECT_TRUE(FAILED(Activate()));
  EXPECT_EQ(nullptr, Frame());
  RegisterWindowClasses(self);
  ASSERT_EQ(S_OK, Activate());
  EXPECT_EQ(S_OK, editor.SelectedTrackInfo(&info));
  EXPECT_EQ(nullptr, info.name);
  ItemPath first{};
  EXPECT_EQ(S_OK, editor.FirstBlockPath(&first));
  EXPECT_EQ(block.blockId, first.blockId);
  EXPECT_EQ(S_OK, editor.FirstBlockLength(&length));
  EXPECT_EQ(3840, length);
  EXPECT_EQ(E_POINTER, editor.FirstBlockLength(nullptr));
  EXPECT_EQ(0u, host.OutstandingBlocks());
}

}  // namespace
}  // namespace shelltest
