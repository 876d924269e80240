// pianoroll-validate.exe [--level N] [--seed S] [--clsid {...}]
//
// Loads a registered MIDI plug-in through COM as a host does and checks it at
// a strictness level from 1 to 10: its lifecycle, every host call failing in
// turn inside the user's operations, damaged settings streams and clipboard
// blocks, reports from a second thread while the user edits, two instances on
// one host, and a seeded soak of gestures undone to the last step. One line per check and a summary; exit status 1 on any
// failure. Every random choice comes from the seed, so a failure is
// reproduced by running again with the seed it prints.
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

#include <process.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "host/event_factory.h"
#include "mididata/clip_codec.h"
#include "tools/validate/session.h"

namespace validate {
namespace {

using Rng = std::mt19937;

struct Options {
  int level = 5;
  uint32_t seed = 1;
  CLSID clsid = CLSID_PianoRollPlugin;
};

int failures = 0, checks = 0;
ULONGLONG started = 0;  // when the running check began

void Report(const char* check, const Outcome& outcome, const std::string& summary, uint32_t seed) {
  ++checks;
  const double seconds = static_cast<double>(GetTickCount64() - started) / 1000.0;
  started = GetTickCount64();
  if (outcome.passed) {
    std::printf("PASS %-22s %s (%.1f s)\n", check, summary.c_str(), seconds);
  } else {
    ++failures;
    std::printf("FAIL %-22s %s (seed %u)\n", check, outcome.detail.c_str(), seed);
  }
  std::fflush(stdout);
}

// Nothing the host handed out is still held and no bracket is open.
void ExpectTidy(refhost::RefHost& host, Outcome& out, const std::string& where) {
  if (host.OpenBrackets() != 0) out.Fail(where + ": an edit bracket was left open");
  if (host.OutstandingBlocks() != 0) out.Fail(where + ": a task-allocated block was not freed");
}

// --- Lifecycle -----------------------------------------------------------------

HMODULE PluginModule(const CLSID& clsid) {
  wchar_t key[128], path[MAX_PATH] = L"";
  wchar_t braced[40];
  StringFromGUID2(clsid, braced, 40);
  swprintf(key, 128, L"CLSID\\%ls\\InProcServer32", braced);
  DWORD bytes = sizeof path;
  if (RegGetValueW(HKEY_CLASSES_ROOT, key, nullptr, RRF_RT_REG_SZ, nullptr, path, &bytes) != ERROR_SUCCESS)
    return nullptr;
  return GetModuleHandleW(path);
}

void CheckLifecycle(const Options& o) {
  Outcome out;
  const int connects = o.level * o.level * 10, pages = o.level * 10;
  {
    refhost::RefHost host;
    BuildSong(host);
    for (int i = 0; i < connects && out.passed; ++i) {
      refhost::ComRef<PluginMain> plugin;
      if (FAILED(CoCreateInstance(o.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PluginMain,
                                  reinterpret_cast<void**>(plugin.put())))) {
        out.Fail("CoCreateInstance failed at cycle " + std::to_string(i));
        break;
      }
      DWORD capabilities = 0;
      if (FAILED(plugin->Connect(host.site(), host.output(), 1, 0, &capabilities)))
        out.Fail("Connect failed at cycle " + std::to_string(i));
      plugin->Disconnect();
    }
    if (!host.Leaks().Clean()) out.Fail("after the connect cycles: " + host.Leaks().Describe());
    Session session(o.clsid, host);
    std::string why;
    if (!session.Open(&why)) out.Fail(why);
    const HWND parent = GetParent(session.frame());
    for (int i = 0; i < pages && out.passed; ++i) {
      const RECT rect{0, 0, 800, 500};
      if (FAILED(session.page()->Deactivate()) || FAILED(session.page()->Activate(parent, &rect, FALSE)))
        out.Fail("activation cycle " + std::to_string(i) + " failed");
      session.Pump();
    }
    session.Close();
    if (EditorWindows() != 0) out.Fail(std::to_string(EditorWindows()) + " editor windows left");
    if (!host.Leaks().Clean()) out.Fail("after the page cycles: " + host.Leaks().Describe());
  }
  CoFreeUnusedLibraries();
  if (HMODULE module = PluginModule(o.clsid)) {
    auto canUnload = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
    if (canUnload && canUnload() != S_OK) out.Fail("DllCanUnloadNow refuses with every object released");
  }
  Report("lifecycle", out, std::to_string(connects) + " connect cycles, " + std::to_string(pages) + " page cycles",
         o.seed);
}

// --- Faults inside operations ---------------------------------------------------

struct Operation {
  const char* name;
  std::function<void(Session&, Rng&)> run;
};

// Presses the default button of whatever dialog the operation opens.
HHOOK gDialogHook = nullptr;
LRESULT CALLBACK AcceptDialogs(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    wchar_t name[16] = L"";
    GetClassNameW(reinterpret_cast<HWND>(wParam), name, 16);
    if (!wcscmp(name, L"#32770")) PostMessageW(reinterpret_cast<HWND>(wParam), WM_COMMAND, IDOK, 0);
  }
  return CallNextHookEx(gDialogHook, code, wParam, lParam);
}

std::vector<Operation> Operations() {
  auto drawn = [](Session& s, Rng& rng) {
    std::uniform_real_distribution<double> f(0.05, 0.8);
    const POINT p = s.At(f(rng), f(rng));
    s.Command(4010);
    s.Drag(p, POINT{p.x + 40, p.y});
    return p;
  };
  return {
      {"draw", [=](Session& s, Rng& rng) { drawn(s, rng); }},
      {"move", [=](Session& s, Rng& rng) {
         const POINT p = drawn(s, rng);
         s.Command(4011);
         s.Drag(POINT{p.x + 10, p.y}, POINT{p.x + 70, p.y - 24});
       }},
      {"resize", [=](Session& s, Rng& rng) {
         const POINT p = drawn(s, rng);
         s.Command(4011);
         s.Drag(POINT{p.x + 39, p.y}, POINT{p.x + 90, p.y});
       }},
      {"delete", [](Session& s, Rng&) { s.Key(VK_DELETE); }},
      {"cut", [](Session& s, Rng&) { SendMessageW(s.view(), WM_CUT, 0, 0); }},
      {"copy", [](Session& s, Rng&) { SendMessageW(s.view(), WM_COPY, 0, 0); }},
      {"paste", [](Session& s, Rng&) {
         SendMessageW(s.view(), WM_COPY, 0, 0);
         SendMessageW(s.view(), WM_PASTE, 0, 0);
       }},
      {"quantize", [](Session& s, Rng&) {
         gDialogHook = SetWindowsHookExW(WH_CBT, AcceptDialogs, nullptr, GetCurrentThreadId());
         s.Command(4005);
         UnhookWindowsHookEx(gDialogHook);
       }},
      {"set velocity", [](Session& s, Rng& rng) { s.ViewCommand(4060 + rng() % 3); }},
      {"lane stroke", [](Session& s, Rng&) { s.Drag(s.At(0.1, 1.42), s.At(0.6, 1.45)); }},
      {"solo", [](Session& s, Rng&) { s.Command(4026); }},
      {"loop drag", [](Session& s, Rng&) { s.Drag(s.At(0.1, -0.19), s.At(0.5, -0.19)); }},
      {"track change", [](Session& s, Rng& rng) {
         HWND combo = GetDlgItem(s.frame(), 1000);
         SendMessageW(combo, CB_SETCURSEL, rng() % 2, 0);
         SendMessageW(s.frame(), WM_COMMAND, MAKEWPARAM(1000, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
         s.Pump();
       }},
      {"select all", [](Session& s, Rng&) { s.Key('A', true); }},
  };
}

void CheckFaults(const Options& o) {
  Outcome out;
  int runs = 0;
  Rng rng(o.seed);
  for (const Operation& op : Operations()) {
    refhost::RefHost host;
    BuildSong(host);
    Session session(o.clsid, host);
    std::string why;
    if (!session.Open(&why)) {
      out.Fail(std::string(op.name) + ": " + why);
      break;
    }
    // How many host calls the operation makes when nothing fails.
    host.Log().Clear();
    Rng probe(o.seed);
    op.run(session, probe);
    const int calls = static_cast<int>(host.Log().Entries().size());
    // Every call at the high levels; a seeded sample of them below.
    std::vector<int> chosen;
    for (int k = 1; k <= calls; ++k) chosen.push_back(k);
    std::shuffle(chosen.begin(), chosen.end(), rng);
    chosen.resize(std::min<size_t>(chosen.size(), o.level >= 8 ? chosen.size() : size_t(o.level) * 4));
    for (int k : chosen) {
      host.Faults().Clear();
      host.Faults().FailNth(k, E_FAIL);
      Rng again(o.seed + static_cast<uint32_t>(k));
      op.run(session, again);
      host.Faults().Clear();
      ++runs;
      ExpectTidy(host, out, std::string(op.name) + " with host call " + std::to_string(k) + " failing");
      // The editor still works: a plain draw afterwards is one edit.
      host.Log().Clear();
      session.Key(VK_ESCAPE);
    }
    session.Close();
    if (!host.Leaks().Clean()) out.Fail(std::string(op.name) + ": " + host.Leaks().Describe());
    if (!out.passed) break;
  }
  Report("host call faults", out, std::to_string(runs) + " operations with one host call failing", o.seed);
}

// --- Settings streams -------------------------------------------------------------

std::vector<uint8_t> Save(PluginMain* plugin) {
  refhost::ComRef<IPersistStream> persist;
  refhost::ComRef<IStream> stream;
  std::vector<uint8_t> bytes;
  if (FAILED(plugin->QueryInterface(IID_IPersistStream, reinterpret_cast<void**>(persist.put()))) ||
      FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.put())) || FAILED(persist->Save(stream.get(), TRUE)))
    return bytes;
  STATSTG stat{};
  stream->Stat(&stat, STATFLAG_NONAME);
  bytes.resize(static_cast<size_t>(stat.cbSize.QuadPart));
  LARGE_INTEGER zero{};
  stream->Seek(zero, STREAM_SEEK_SET, nullptr);
  ULONG read = 0;
  stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
  return bytes;
}

HRESULT Load(PluginMain* plugin, const std::vector<uint8_t>& bytes) {
  refhost::ComRef<IPersistStream> persist;
  refhost::ComRef<IStream> stream;
  if (FAILED(plugin->QueryInterface(IID_IPersistStream, reinterpret_cast<void**>(persist.put()))) ||
      FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.put())))
    return E_FAIL;
  ULONG written = 0;
  if (!bytes.empty()) stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
  LARGE_INTEGER zero{};
  stream->Seek(zero, STREAM_SEEK_SET, nullptr);
  return persist->Load(stream.get());
}

void CheckSettings(const Options& o) {
  Outcome out;
  Rng rng(o.seed);
  refhost::ComRef<PluginMain> fresh;
  CoCreateInstance(o.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PluginMain, reinterpret_cast<void**>(fresh.put()));
  const std::vector<uint8_t> defaults = fresh.get() ? Save(fresh.get()) : std::vector<uint8_t>{};
  if (defaults.size() < 12) {
    out.Fail("the plug-in saves no settings");
    Report("settings streams", out, "", o.seed);
    return;
  }
  struct Case {
    std::string name;
    std::vector<uint8_t> bytes;
    bool refused;  // the defaults must be kept
  };
  std::vector<Case> cases;
  for (size_t n = 0; n < defaults.size(); ++n) cases.push_back({"cut at " + std::to_string(n), {defaults.begin(), defaults.begin() + n}, true});
  for (uint32_t size : {0u, 1u, 319u, 321u, 0xFFFFFFFFu}) {
    std::vector<uint8_t> b = defaults;
    std::memcpy(&b[8], &size, 4);
    cases.push_back({"size word " + std::to_string(size), b, true});
  }
  const size_t randomSize = o.level >= 10 ? (1u << 20) : size_t(o.level) * 4096;
  std::vector<uint8_t> noise(randomSize);
  for (uint8_t& b : noise) b = static_cast<uint8_t>(rng());
  cases.push_back({"random bytes", noise, false});
  for (size_t at = 12; at + 4 <= defaults.size(); at += 4) {
    for (int32_t extreme : {INT32_MIN, INT32_MAX, -1, 0}) {
      std::vector<uint8_t> b = defaults;
      std::memcpy(&b[at], &extreme, 4);
      cases.push_back({"word " + std::to_string(at) + " = " + std::to_string(extreme), b, false});
    }
  }
  for (const Case& c : cases) {
    refhost::ComRef<PluginMain> plugin;
    CoCreateInstance(o.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PluginMain, reinterpret_cast<void**>(plugin.put()));
    Load(plugin.get(), c.bytes);
    const std::vector<uint8_t> first = Save(plugin.get());
    if (c.refused && first != defaults) out.Fail(c.name + ": refused, yet the defaults were not kept");
    refhost::ComRef<PluginMain> second;
    CoCreateInstance(o.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PluginMain, reinterpret_cast<void**>(second.put()));
    if (FAILED(Load(second.get(), first)) || Save(second.get()) != first)
      out.Fail(c.name + ": save, load and save again differ");
  }
  Report("settings streams", out, std::to_string(cases.size()) + " streams", o.seed);
}

// --- Clipboard blocks -------------------------------------------------------------

void PutBlock(HWND owner, UINT format, const std::vector<uint8_t>& bytes) {
  if (!OpenClipboard(owner)) return;
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, std::max<size_t>(bytes.size(), 1));
  if (memory) {
    if (void* p = GlobalLock(memory)) {
      std::copy(bytes.begin(), bytes.end(), static_cast<uint8_t*>(p));
      GlobalUnlock(memory);
    }
    if (!SetClipboardData(format, memory)) GlobalFree(memory);
  }
  CloseClipboard();
}

void CheckClipboard(const Options& o) {
  Outcome out;
  Rng rng(o.seed);
  refhost::RefHost host;
  BuildSong(host);
  Session session(o.clsid, host);
  std::string why;
  if (!session.Open(&why)) out.Fail(why);
  const UINT format = RegisterClipboardFormatW(L"Velora Zebu 1.0");
  auto header = [](uint32_t version, uint32_t kind, uint32_t count) {
    std::vector<uint8_t> b(12);
    std::memcpy(&b[0], &version, 4);
    std::memcpy(&b[4], &kind, 4);
    std::memcpy(&b[8], &count, 4);
    return b;
  };
  struct Case {
    std::string name;
    std::vector<uint8_t> bytes;
  };
  std::vector<Case> cases = {{"empty", {}},
                             {"half a header", {1, 0, 0}},
                             {"version 2", header(2, 2, 1)},
                             {"kind 3", header(1, 3, 1)},
                             {"no records", header(1, 2, 0)},
                             {"count past the block", header(1, 2, 5)},
                             {"count 0xFFFFFFFF", header(1, 2, 0xFFFFFFFF)}};
  std::vector<uint8_t> cut = header(1, 2, 2);
  cut.resize(12 + 64 + 30);
  cases.push_back({"last record cut short", cut});
  const int randomBlocks = o.level * 20;
  for (int i = 0; i < randomBlocks; ++i) {
    std::vector<uint8_t> b = header(1, 2, 1 + rng() % 4);
    b.resize(12 + 64 * (1 + rng() % 4));
    for (size_t k = 12; k < b.size(); ++k) b[k] = static_cast<uint8_t>(rng());
    cases.push_back({"random records " + std::to_string(i), b});
  }
  int pasted = 0;
  for (const Case& c : cases) {
    if (!out.passed) break;
    PutBlock(session.frame(), format, c.bytes);
    const size_t before = host.UndoLabels().size();
    SendMessageW(session.view(), WM_PASTE, 0, 0);
    session.Pump();
    pasted += host.UndoLabels().size() != before;
    ExpectTidy(host, out, "pasting " + c.name);
    // A block refused by its header pastes nothing.
    if (c.name.rfind("random", 0) != 0 && host.UndoLabels().size() != before) out.Fail(c.name + " was pasted");
  }
  session.Close();
  if (!host.Leaks().Clean()) out.Fail(host.Leaks().Describe());
  Report("clipboard blocks", out,
         std::to_string(cases.size()) + " blocks, " + std::to_string(pasted) + " of the random ones pasted", o.seed);
}

// --- Reports from a second thread ------------------------------------------------

HostNotification Notice(const GUID& kind, uint32_t flags = 0, int32_t level = 0, ItemPath oldPath = {},
                        ItemPath newPath = {}) {
  HostNotification n{};
  std::memcpy(&n.kind, &kind, sizeof kind);
  n.flags = flags;
  n.level = level;
  n.oldPath = oldPath;
  n.newPath = newPath;
  return n;
}

struct Reporter {
  std::vector<refhost::ComRef<HostNotifySink>> sinks;
  std::vector<refhost::ComRef<HostPositionSink>> positions;
  std::vector<HostNotification> records;
  std::atomic<size_t> sent{0};
  std::atomic<size_t> refused{0};  // answers that were failures
  // Every `every` reports the thread waits (a little) for the user-interface
  // thread to start its next gesture, so that gestures and reports overlap.
  size_t every = 0;
  std::atomic<size_t> gesturesStarted{0};
};

unsigned __stdcall SendReports(void* argument) {
  auto* r = static_cast<Reporter*>(argument);
  for (size_t i = 0; i < r->records.size(); ++i) {
    if (r->every && i && i % r->every == 0) {
      for (int wait = 0; wait < 2000 && r->gesturesStarted.load() < i / r->every; ++wait) Sleep(1);
    }
    for (auto& sink : r->sinks)
      if (FAILED(sink->OnNotify(&r->records[i]))) r->refused.fetch_add(1);
    if (i % 64 == 0)
      for (auto& sink : r->positions) sink->OnPositionChanged(static_cast<DWORD>(i), 0);
    r->sent.store(i + 1, std::memory_order_release);
  }
  return 0;
}

// Runs the reports on their own thread while the user-interface thread pumps
// messages and, every `every` reports, lets edit(i) make a gesture. watch()
// sees the host's calls before each clearing of the log.
template <class Edit, class Watch>
bool RunReports(Session& session, refhost::RefHost& host, Reporter& reporter, size_t every, Edit&& edit,
                Watch&& watch) {
  reporter.every = every;
  HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, SendReports, &reporter, 0, nullptr));
  if (!thread) return false;
  size_t next = every;
  for (;;) {
    const DWORD woke = MsgWaitForMultipleObjects(1, &thread, FALSE, 5, QS_ALLINPUT);
    session.Pump();
    if (woke != WAIT_OBJECT_0 && reporter.sent.load(std::memory_order_acquire) >= next) {
      reporter.gesturesStarted.store(next / every);
      edit(next / every);
      next += every;
    }
    watch(host.Log().Entries());
    host.Log().Clear();
    if (woke == WAIT_OBJECT_0) break;
  }
  CloseHandle(thread);
  session.Pump();
  watch(host.Log().Entries());
  host.Log().Clear();
  return true;
}

// The editor's list against the track: every note of the track is selected
// in the host (reported like any change), then the editor copies its
// selection. The clipboard must then hold each note of the track exactly
// once: a note missing from the list, listed twice, or a listed event the
// host does not have (the copy fails and leaves the clipboard empty) shows.
void ExpectListMatchesTrack(Session& session, refhost::RefHost& host, uint32_t trackId, Outcome& out,
                            const std::string& when) {
  std::vector<std::pair<int64_t, int>> expected;
  for (const refhost::EventView& e : host.Events(trackId)) {
    if (e.record.type != kEvNoteOn) continue;
    expected.emplace_back(e.record.start, e.record.data[0]);
    if (!(e.record.flags & kEventSelected)) host.ChangeEvent(e.path, refhost::Selected(e.record));
  }
  session.Pump();
  const UINT format = RegisterClipboardFormatW(L"Velora Zebu 1.0");
  if (OpenClipboard(session.frame())) {
    EmptyClipboard();
    CloseClipboard();
  }
  SendMessageW(session.view(), WM_COPY, 0, 0);
  std::vector<std::pair<int64_t, int>> copied;
  if (OpenClipboard(session.frame())) {
    if (HGLOBAL block = GetClipboardData(format)) {
      const auto* bytes = static_cast<const uint8_t*>(GlobalLock(block));
      const size_t size = GlobalSize(block);
      const uint32_t count = bytes ? CheckClipHeader(bytes, size) : 0;
      for (uint32_t i = 0; i < count; ++i) {
        MidiEvent e{};
        DecodeClipRecord(bytes + ClipBlockSize(i), &e);
        if (e.type == kEvNoteOn) copied.emplace_back(e.start, e.data[0]);
      }
      if (bytes) GlobalUnlock(block);
    }
    EmptyClipboard();  // the checks after this one start from an empty clipboard
    CloseClipboard();
  }
  std::sort(expected.begin(), expected.end());
  std::sort(copied.begin(), copied.end());
  if (copied != expected)
    out.Fail(when + ": the editor's list held " + std::to_string(copied.size()) + " of the track's " +
             std::to_string(expected.size()) + " notes, or others");
  host.Log().Clear();
}

void CheckThreadReports(const Options& o) {
  Outcome out;
  Rng rng(o.seed);
  refhost::RefHost host;
  BuildSong(host);
  const refhost::SongTrack& piano = host.song().tracks[1];
  const uint32_t trackId = piano.id;
  const ItemPath block{trackId, piano.blocks[0].id, 0};
  Session session(o.clsid, host);
  std::string why;
  if (!session.Open(&why)) out.Fail(why);

  // Events the host has but has not reported yet, after the song's notes.
  const size_t reports = o.level >= 10 ? 1000000 : static_cast<size_t>(o.level) * o.level * 2500;
  const size_t staged = reports / 8;
  std::vector<uint32_t> stagedIds;
  for (size_t i = 0; i < staged; ++i)
    stagedIds.push_back(host.AddEvent(block, refhost::Note(12000 + static_cast<int64_t>(i) * 10, 5, 60)).eventId);
  host.Log().Clear();

  // Every kind the plug-in acts on, eight to a round: an insertion (in time
  // order), a change in place, a loop change, a deletion of something never
  // listed, an editor refresh, a loop mode change, a ports change and a kind
  // the host keeps to itself. Positions come every 64 reports.
  Reporter reporter;
  reporter.sinks = host.NotifySinks();
  reporter.positions = host.PositionSinks();
  for (size_t i = 0; i < staged; ++i) {
    const ItemPath e{trackId, block.blockId, stagedIds[i]};
    const ItemPath earlier{trackId, block.blockId, stagedIds[rng() % (i + 1)]};
    reporter.records.push_back(Notice(NOTIFY_DataChanged, kChangeInserted, kLevelEvent, {}, e));
    reporter.records.push_back(Notice(NOTIFY_DataChanged, kChangeChanged, kLevelEvent, earlier, earlier));
    reporter.records.push_back(Notice(NOTIFY_LoopChanged));
    reporter.records.push_back(
        Notice(NOTIFY_DataChanged, kChangeDeleted, kLevelEvent, ItemPath{trackId, block.blockId, 0x7F000000u + static_cast<uint32_t>(i)}, {}));
    reporter.records.push_back(Notice(NOTIFY_RefreshEditor));
    reporter.records.push_back(Notice(NOTIFY_LoopModeChanged));
    reporter.records.push_back(Notice(NOTIFY_PortsChanged));
    reporter.records.push_back(Notice(NOTIFY_KindE1));
  }

  // The first reading of each staged event is its insertion's replay: they
  // must come in report order.
  size_t expected = 0;
  bool outOfOrder = false;
  const uint32_t firstStaged = stagedIds.empty() ? 0 : stagedIds.front();
  auto watch = [&](const std::vector<refhost::CallEntry>& calls) {
    for (const refhost::CallEntry& call : calls) {
      const uint32_t id = call.path.eventId;
      if (call.method != "GetItem" || call.level != kLevelEvent || expected >= staged || id < firstStaged ||
          id > stagedIds.back())
        continue;  // not a staged event, or all of them replayed
      if (id == stagedIds[expected]) {
        ++expected;
      } else if (id > stagedIds[expected]) {
        outOfOrder = true;  // read before an earlier insertion's replay
      }
    }
  };
  std::uniform_real_distribution<double> f(0.0, 1.0);
  size_t gestures = 0;
  auto edit = [&](size_t) {
    ++gestures;
    const POINT p = session.At(f(rng), f(rng));
    if (rng() % 4 == 0) {
      session.Key(VK_DELETE);
    } else {
      session.Drag(p, POINT{p.x + 20, p.y});
    }
  };
  if (out.passed && !RunReports(session, host, reporter, std::max<size_t>(reports / 200, 8), edit, watch))
    out.Fail("no second thread");
  if (reporter.refused.load()) out.Fail(std::to_string(reporter.refused.load()) + " reports were answered with a failure");
  if (outOfOrder) out.Fail("insertions were replayed out of report order");
  if (expected != staged)
    out.Fail(std::to_string(staged - expected) + " of " + std::to_string(staged) + " insertions were never replayed");
  ExpectTidy(host, out, "after the reports");
  if (out.passed) ExpectListMatchesTrack(session, host, trackId, out, "after the reports");

  // Changes of everything at track, block and event level from the thread.
  Reporter wide;
  wide.sinks = host.NotifySinks();
  const ItemPath track{trackId, 0, 0};
  wide.records = {Notice(NOTIFY_DataChanged, kChangeChanged, kLevelTrack, track, track),
                  Notice(NOTIFY_DataChanged, kChangeInserted, kLevelBlock, {}, block),
                  Notice(NOTIFY_DataChanged, kChangeReset, kLevelEvent),
                  Notice(NOTIFY_DataChanged, kChangeReset, kLevelTrack),
                  Notice(NOTIFY_KindEE)};
  if (out.passed) RunReports(session, host, wide, 1000, [](size_t) {}, [](const auto&) {});
  if (out.passed) ExpectListMatchesTrack(session, host, trackId, out, "after changes of everything");
  session.Close();
  if (!host.Leaks().Clean()) out.Fail(host.Leaks().Describe());
  Report("reports from a thread", out,
         std::to_string(reporter.records.size()) + " reports, " + std::to_string(gestures) + " gestures meanwhile",
         o.seed);
}

// --- Two instances, and the soak ------------------------------------------------

void CheckTwoInstances(const Options& o) {
  Outcome out;
  Rng rng(o.seed);
  refhost::RefHost host;
  BuildSong(host);
  Session a(o.clsid, host), b(o.clsid, host);
  std::string why;
  if (!a.Open(&why) || !b.Open(&why, 40, 40)) out.Fail(why);
  const int rounds = o.level * 5;
  for (int i = 0; i < rounds && out.passed; ++i) {
    Session& s = i % 2 ? b : a;
    const size_t before = host.UndoLabels().size();
    s.Command(4010);
    const POINT p = s.At(0.1 + 0.05 * (i % 12), 0.2 + 0.03 * (i % 20));
    s.Drag(p, POINT{p.x + 30, p.y});
    if (host.UndoLabels().size() != before + 1) {
      std::string labels;
      for (const std::wstring& l : host.UndoLabels()) labels += std::string(l.begin(), l.end()) + ";";
      out.Fail("round " + std::to_string(i) + ": a gesture was not one edit (" + labels + ")");
    }
    ExpectTidy(host, out, "round " + std::to_string(i));
  }
  a.Close();
  b.Close();
  if (!host.Leaks().Clean()) out.Fail(host.Leaks().Describe());
  Report("two instances", out, std::to_string(rounds) + " notes drawn in turn", o.seed);
}

refhost::Song Unselected(refhost::Song song) {
  for (refhost::SongTrack& t : song.tracks)
    for (refhost::SongBlock& b : t.blocks)
      for (refhost::SongEvent& e : b.events) e.record.flags &= ~kEventSelected;
  return song;
}

constexpr size_t kSoakEvents = 300;

void CheckSoak(const Options& o) {
  Outcome out;
  Rng rng(o.seed);
  refhost::RefHost host;
  BuildSong(host);
  const refhost::Song initial = host.song();
  Session session(o.clsid, host);
  std::string why;
  if (!session.Open(&why)) out.Fail(why);
  const int gestures = o.level >= 10 ? 10000 : o.level * o.level * 20;
  std::uniform_real_distribution<double> f(0.0, 1.0);
  for (int i = 0; i < gestures && out.passed; ++i) {
    // Painting and pasting grow the song; past a few hundred events it is
    // cleared, so that the soak stays a soak of gestures.
    size_t events = 0;
    for (const refhost::SongTrack& t : host.song().tracks)
      for (const refhost::SongBlock& b : t.blocks) events += b.events.size();
    if (events > kSoakEvents) {
      session.Key('A', true);
      session.Key(VK_DELETE);
    }
    switch (rng() % 9) {
      case 0: session.Command(4010 + rng() % 5); break;
      case 1:
      case 2:
      case 3: {
        const POINT p = session.At(f(rng), f(rng));
        session.Drag(p, session.At(f(rng), f(rng)), rng() % 4 == 0 ? MK_SHIFT : 0);
        break;
      }
      case 4: session.Key(VK_DELETE); break;
      case 5: SendMessageW(session.view(), rng() % 2 ? WM_COPY : WM_PASTE, 0, 0); break;
      case 6: session.ViewCommand(4060 + rng() % 3); break;
      case 7: session.Key('A', true); break;
      default: session.Key(VK_ESCAPE); break;
    }
    ExpectTidy(host, out, "gesture " + std::to_string(i));
    host.Log().Clear();  // the record of calls is for tests; a soak lets it go
  }
  int undone = 0;
  while (host.Undo() == S_OK) ++undone;
  session.Pump();
  // Selecting is not an undoable step of the host (the editor changes the
  // selection in brackets without a label): everything else comes back.
  if (!(Unselected(host.song()) == Unselected(initial)))
    out.Fail("undoing all " + std::to_string(undone) + " steps did not restore the song");
  session.Close();
  if (!host.Leaks().Clean()) out.Fail(host.Leaks().Describe());
  Report("soak", out, std::to_string(gestures) + " gestures, " + std::to_string(undone) + " steps undone", o.seed);
}

bool Parse(int argc, wchar_t** argv, Options* o) {
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    if (i + 1 >= argc) return false;
    if (arg == L"--level") {
      o->level = std::clamp(_wtoi(argv[++i]), 1, 10);
    } else if (arg == L"--seed") {
      o->seed = static_cast<uint32_t>(wcstoul(argv[++i], nullptr, 10));
    } else if (arg == L"--clsid") {
      if (FAILED(CLSIDFromString(argv[++i], &o->clsid))) return false;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace
}  // namespace validate

int main() {
  using namespace validate;
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  Options o;
  const bool parsed = argv && Parse(argc, argv, &o);
  LocalFree(argv);
  if (!parsed) {
    std::fprintf(stderr, "usage: pianoroll-validate [--level 1-10] [--seed N] [--clsid {...}]\n");
    return 2;
  }
  if (FAILED(OleInitialize(nullptr))) return 2;
  std::printf("validating at level %d with seed %u\n", o.level, o.seed);
  started = GetTickCount64();
  CheckSettings(o);
  CheckClipboard(o);
  CheckFaults(o);
  CheckThreadReports(o);
  CheckTwoInstances(o);
  CheckSoak(o);
  CheckLifecycle(o);
  std::printf("validator: %d checks, %d failed (level %d, seed %u)\n", checks, failures, o.level, o.seed);
  OleUninitialize();
  return failures ? 1 : 0;
}
