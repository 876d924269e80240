// One side of the cross-size checks: built as a 32-bit and a 64-bit program,
// each run does one step and leaves the bytes that leave the process in a
// file, which tests/crosssize/crosssize.sh compares between the two sizes.
//
//   register DLL               regsvr32 /s of this size's plug-in DLL
//   settings-save OUT          a new plug-in object's settings stream
//   settings-load IN OUT       loads IN into a new object and saves it again
//   settings-pattern OUT       a stream of arbitrary bytes, none as in the defaults
//   clip-copy OUT [PASTER OUT2]...
//                              copies a fixed selection to the clipboard; OUT: the block.
//                              Then runs each PASTER program with clip-paste OUT2.
//   clip-paste OUT             pastes the clipboard into another host; OUT: the block
//                              read back, then the pasted events, one per line
//
// The plug-in object comes from CoCreateInstance, so each size loads the DLL
// registered for its own registry view; the program prints which one.
// Exit code 0 when every step and its own checks held.
#include <windows.h>
#include <objbase.h>
#include <ole2.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "host/com_ref.h"
#include "host/event_factory.h"
#include "host/ref_host.h"
#include "mididata/clipboard.h"
#include "mididata/clipboard_handles.h"
#include "mididata/event_store.h"
#include "mididata/host_interfaces.h"

namespace {

using refhost::ComRef;

int Fail(const char* what, HRESULT hr = E_FAIL) {
  std::fprintf(stderr, "crosssize_probe (%d-bit): %s (0x%08lX)\n", static_cast<int>(8 * sizeof(void*)), what,
               static_cast<unsigned long>(hr));
  return 1;
}

std::wstring Wide(const char* text) {
  std::wstring out;
  for (; *text; ++text) out += static_cast<wchar_t>(static_cast<unsigned char>(*text));
  return out;
}

bool LoadBytes(const char* path, std::vector<uint8_t>* out) {
  FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  uint8_t buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) out->insert(out->end(), buffer, buffer + n);
  std::fclose(f);
  return true;
}

bool StoreBytes(const char* path, const std::vector<uint8_t>& bytes, const std::string& text = {}) {
  FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = ok && std::fwrite(text.data(), 1, text.size(), f) == text.size();
  return std::fclose(f) == 0 && ok;
}

// Runs a command line with this process's output handles; its exit code, or
// ~0 when it did not start.
DWORD RunProgram(std::wstring command) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
    Fail("a program did not start", HRESULT_FROM_WIN32(GetLastError()));
    return ~0u;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = ~0u;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

// ---- Settings through the registered DLL.

int Register(const char* dll) {
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  // Without /s regsvr32 waits on a message box.
  const DWORD code = RunProgram(L"\"" + std::wstring(system) + L"\\regsvr32.exe\" /s \"" + Wide(dll) + L"\"");
  return code == 0 ? 0 : Fail("regsvr32 failed", static_cast<HRESULT>(code));
}

ComRef<IPersistStream> NewPlugin() {
  ComRef<IPersistStream> persist;
  const HRESULT hr = CoCreateInstance(CLSID_PianoRollPlugin, nullptr, CLSCTX_INPROC_SERVER, IID_IPersistStream,
                                      reinterpret_cast<void**>(persist.put()));
  if (FAILED(hr)) {
    Fail("CoCreateInstance", hr);
    return persist;
  }
  wchar_t path[MAX_PATH] = L"?";
  if (HMODULE dll = GetModuleHandleW(L"pianoroll.dll")) GetModuleFileNameW(dll, path, MAX_PATH);
  std::printf("plug-in: %ls\n", path);
  return persist;
}

ComRef<IStream> StreamOf(const std::vector<uint8_t>& bytes) {
  ComRef<IStream> stream;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.empty() ? 1 : bytes.size());
  if (!block) return stream;
  if (!bytes.empty()) {
    std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
    GlobalUnlock(block);
  }
  if (FAILED(CreateStreamOnHGlobal(block, TRUE, stream.put()))) GlobalFree(block);
  ULARGE_INTEGER size;
  size.QuadPart = bytes.size();
  if (stream.get()) stream->SetSize(size);
  return stream;
}

bool StreamBytes(IStream* stream, std::vector<uint8_t>* out) {
  STATSTG stat{};
  HGLOBAL block = nullptr;
  if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || FAILED(GetHGlobalFromStream(stream, &block))) return false;
  const uint8_t* p = static_cast<const uint8_t*>(GlobalLock(block));
  out->assign(p, p + stat.cbSize.QuadPart);
  GlobalUnlock(block);
  return true;
}

int SaveSettings(IPersistStream* persist, const char* out) {
  ComRef<IStream> stream = StreamOf({});
  if (!stream.get()) return Fail("no stream");
  HRESULT hr = persist->Save(stream.get(), TRUE);
  if (hr != S_OK) return Fail("Save", hr);
  std::vector<uint8_t> bytes;
  if (!StreamBytes(stream.get(), &bytes) || !StoreBytes(out, bytes)) return Fail("writing the stream");
  return 0;
}

int SettingsSave(const char* out) {
  ComRef<IPersistStream> persist = NewPlugin();
  return persist.get() ? SaveSettings(persist.get(), out) : 1;
}

int SettingsLoad(const char* in, const char* out) {
  std::vector<uint8_t> bytes;
  if (!LoadBytes(in, &bytes)) return Fail("reading the stream");
  ComRef<IPersistStream> persist = NewPlugin();
  if (!persist.get()) return 1;
  ComRef<IStream> stream = StreamOf(bytes);
  if (!stream.get()) return Fail("no stream");
  const HRESULT hr = persist->Load(stream.get());
  if (hr != S_OK) return Fail("Load", hr);
  // A block the object took is read to its end; a refused one leaves the position.
  ULARGE_INTEGER position{};
  stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &position);
  if (position.QuadPart != bytes.size()) return Fail("Load did not read the whole stream");
  return SaveSettings(persist.get(), out);
}

int SettingsPattern(const char* out) {
  // Header: version 5, reserved 0, block size 320.
  std::vector<uint8_t> bytes = {5, 0, 0, 0, 0, 0, 0, 0, 64, 1, 0, 0};
  for (int i = 0; i < 320; ++i) bytes.push_back(static_cast<uint8_t>(i * 37 + 101));
  return StoreBytes(out, bytes) ? 0 : Fail("writing the pattern");
}

// ---- Clipboard through the reference host.

// An event store on a host, connected as the plug-in connects it.
struct Editor {
  Editor() {
    KvQuery(host.site(), data.put());
    KvQuery(host.site(), properties.put());
    KvQuery(host.site(), time.put());
    KvQuery(host.site(), ports.put());
    store.Connect(HostLinks{data.get(), properties.get(), time.get(), ports.get(),
                            static_cast<HostMidiOutput*>(host.output())});
  }
  ~Editor() { store.Disconnect(); }
  HRESULT Show(const ItemPath& track) {
    const HRESULT hr = store.Refresh(false);
    return FAILED(hr) ? hr : store.SelectView(store.TrackIndexOf(track.trackId), -1);
  }

  refhost::RefHost host;
  ComRef<HostMidiData> data;
  ComRef<HostPropertySet> properties;
  ComRef<HostTimeConverter> time;
  ComRef<HostPortList> ports;
  EventStore store;
};

class OwnerWindow {
 public:
  OwnerWindow()
      : hwnd_(CreateWindowExW(0, L"STATIC", L"clipboard owner", 0, 0, 0, 10, 10, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr)) {}
  ~OwnerWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
  }
  HWND get() const { return hwnd_; }

 private:
  HWND hwnd_;
};

std::vector<uint8_t> ClipboardBytes() {
  std::vector<uint8_t> out;
  OpenedClipboard clipboard(nullptr);
  HGLOBAL block = clipboard.IsOpen() ? GetClipboardData(EventClipboardFormat()) : nullptr;
  const uint8_t* p = block ? static_cast<const uint8_t*>(GlobalLock(block)) : nullptr;
  if (p) out.assign(p, p + GlobalSize(block));
  if (p) GlobalUnlock(block);
  return out;
}

// Every field of the host's record that travels, and the host's own fields.
MidiEvent Marked(MidiEvent e, uint8_t mark) {
  e.hostField8 = 0x01010101u * mark;
  e.port = mark % 5;
  e.hostField20 = 0x10203040u + mark;
  e.hostField36 = 0xA0B0C0D0u - mark;
  for (int i = 0; i < 16; ++i) e.hostFields[i] = static_cast<uint8_t>(mark + 17 * i);
  return refhost::Selected(e);
}

int ClipCopy(const char* out, char** pasters, int pasterCount) {
  Editor editor;
  const ItemPath track = editor.host.AddTrack({.name = L"Source"});
  const ItemPath block = editor.host.AddBlock(track, {.start = 0, .end = int64_t{1} << 40});
  // Starts past 32 bits and negative-looking data travel like the rest.
  editor.host.AddEvent(block, Marked(refhost::Note(480, 240, 60, 90, 3), 1));
  editor.host.AddEvent(block, Marked(refhost::Controller(700, 7, 100, 1), 2));
  editor.host.AddEvent(block, Marked(refhost::PitchBend(900, -8192, 2), 3));
  editor.host.AddEvent(block, Marked(refhost::PitchBend(1000, 8191, 2), 4));
  editor.host.AddEvent(block, Marked(refhost::ShortEvent(kEvProgramChange, 1200, 5, 0, 9), 5));
  editor.host.AddEvent(block, Marked(refhost::ShortEvent(kEvPolyPressure, 1300, 64, 33, 4), 6));
  editor.host.AddEvent(block, Marked(refhost::Note(5000000000, 960, 72, 127, 15), 7));
  editor.host.AddEvent(block, refhost::Note(2000, 240, 62));                                 // not selected
  editor.host.AddEvent(block, refhost::Selected(refhost::LongEvent(kEvSysex, 1500)), {0xF0, 0x7E, 0xF7});  // not carried
  HRESULT hr = editor.Show(track);
  if (FAILED(hr)) return Fail("showing the track", hr);
  OwnerWindow owner;
  if (!owner.get()) return Fail("no owner window", HRESULT_FROM_WIN32(GetLastError()));
  hr = CopySelection(editor.store, owner.get(), false);
  if (hr != S_OK) return Fail("CopySelection", hr);
  const std::vector<uint8_t> bytes = ClipboardBytes();
  if (bytes.size() != 12 + 7 * 64) return Fail("the block does not hold seven records");
  if (!StoreBytes(out, bytes)) return Fail("writing the block");
  // The pasters run while this program still owns the clipboard, as a user
  // pastes into another program while the first one is open.
  int rc = 0;
  for (int i = 0; i + 1 < pasterCount; i += 2) {
    if (RunProgram(L"\"" + Wide(pasters[i]) + L"\" clip-paste \"" + Wide(pasters[i + 1]) + L"\"") != 0) rc = 1;
  }
  return rc;
}

int ClipPaste(const char* out) {
  const std::vector<uint8_t> bytes = ClipboardBytes();
  if (bytes.empty()) {
    // What the clipboard holds instead, for the report.
    std::string formats;
    if (OpenClipboard(nullptr)) {
      for (UINT f = EnumClipboardFormats(0); f; f = EnumClipboardFormats(f)) {
        char name[128] = "";
        GetClipboardFormatNameA(f, name, sizeof name);
        formats += " " + std::to_string(f) + (name[0] ? std::string("=") + name : std::string());
      }
      CloseClipboard();
    }
    std::fprintf(stderr, "clipboard formats:%s; owner %p; sequence %lu\n", formats.c_str(),
                 static_cast<void*>(GetClipboardOwner()), static_cast<unsigned long>(GetClipboardSequenceNumber()));
    return Fail("no events on the clipboard");
  }
  Editor editor;
  const ItemPath track = editor.host.AddTrack({.name = L"Target", .channel = 5});
  editor.host.AddBlock(track, {.start = 0, .end = 7680});
  HRESULT hr = editor.Show(track);
  if (FAILED(hr)) return Fail("showing the track", hr);
  int64_t cursor = 100;
  hr = PasteClipboard(editor.store, &cursor);
  if (hr != S_OK) return Fail("PasteClipboard", hr);
  std::string text = "cursor " + std::to_string(cursor) + "\n";
  const std::vector<refhost::EventView> pasted = editor.host.Events(track.trackId);
  if (pasted.size() != 7) return Fail("not seven events pasted");
  for (const refhost::EventView& v : pasted) {
    const MidiEvent& e = v.record;
    if (e.channel != 5 || !(e.flags & kEventSelected)) return Fail("a pasted event is not selected on the track's channel");
    char line[256];
    std::snprintf(line, sizeof line,
                  "type %" PRIx32 " flags %" PRIx32 " port %" PRIu32 " channel %" PRId32 " start %" PRId64
                  " duration %" PRId32 " data %02x %02x %02x %02x host %08" PRIx32 " %08" PRIx32 " %08" PRIx32,
                  e.type, e.flags, e.port, e.channel, e.start, e.duration, e.data[0], e.data[1], e.data[2],
                  e.data[3], e.hostField8, e.hostField20, e.hostField36);
    text += line;
    for (uint8_t b : e.hostFields) text += " " + std::to_string(b);
    text += "\n";
  }
  // The pasted block spans 480 .. 5000000960: it lands at the cursor, and the
  // cursor ends at its end.
  if (cursor != 100 + 5000000960 - 480) return Fail("the cursor is not at the end of the pasted events");
  return StoreBytes(out, bytes, text) ? 0 : Fail("writing the paste");
}

}  // namespace

int main(int argc, char** argv) {
  if (FAILED(OleInitialize(nullptr))) return Fail("OleInitialize");
  const std::string mode = argc > 1 ? argv[1] : "";
  int rc = 2;
  if (mode == "register" && argc == 3) rc = Register(argv[2]);
  else if (mode == "settings-save" && argc == 3) rc = SettingsSave(argv[2]);
  else if (mode == "settings-load" && argc == 4) rc = SettingsLoad(argv[2], argv[3]);
  else if (mode == "settings-pattern" && argc == 3) rc = SettingsPattern(argv[2]);
  else if (mode == "clip-copy" && argc >= 3 && argc % 2 == 1) rc = ClipCopy(argv[2], argv + 3, argc - 3);
  else if (mode == "clip-paste" && argc == 3) rc = ClipPaste(argv[2]);
  else std::fprintf(stderr, "usage: crosssize_probe MODE ARGUMENTS (see the source)\n");
  CoFreeUnusedLibraries();
  OleUninitialize();
  return rc;
}
