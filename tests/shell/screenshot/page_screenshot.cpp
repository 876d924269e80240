// The whole editor page as a host shows it: the plug-in created through the
// module's class factory, connected to the reference host with a small song,
// its page activated in a window; the window is saved as a PNG.
// Usage: page_screenshot.exe OUTPUT.png [WIDTH HEIGHT]
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/event_factory.h"
#include "host/ref_host.h"
#include "host/app/png_file.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: page_screenshot OUTPUT.png [WIDTH HEIGHT]\n");
    return 2;
  }
  const int width = argc >= 4 ? std::atoi(argv[2]) : 900;
  const int height = argc >= 4 ? std::atoi(argv[3]) : 600;
  if (width < 300 || height < 300 || width > 4000 || height > 4000) return 2;
  wchar_t path[MAX_PATH];
  if (!MultiByteToWideChar(CP_ACP, 0, argv[1], -1, path, MAX_PATH)) return 2;
  if (FAILED(OleInitialize(nullptr))) return 2;
  int status = 1;
  {
    // The module as a host loads it, by its path.
    std::string where = "Z:" KV_PLUGIN_DLL;
    for (char& c : where) c = c == '/' ? '\\' : c;
    HMODULE dll = LoadLibraryA(where.c_str());
    using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    const auto getClassObject = dll ? reinterpret_cast<GetClassObjectFn>(
                                          reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject")))
                                    : nullptr;
    if (!getClassObject) {
      std::fprintf(stderr, "cannot load %s\n", KV_PLUGIN_DLL);
      return 1;
    }
    refhost::RefHost host;
    host.SetTicksPerQuarter(480);
    host.AddTrack({.name = L"Conductor", .channel = 0});
    const ItemPath track = host.AddTrack({.name = L"Piano", .channel = 0});
    const ItemPath block = host.AddBlock(track, {.start = 0, .end = 8 * 1920});
    const int chords[4][3] = {{48, 52, 55}, {53, 57, 60}, {55, 59, 62}, {48, 52, 55}};
    for (int bar = 0; bar < 8; ++bar) {
      for (int pitch : chords[bar % 4]) {
        MidiEvent note = refhost::Note(bar * 1920, 1800, static_cast<uint8_t>(pitch), 70 + 7 * (bar % 4));
        if (bar == 1) note.flags |= kEventSelected;
        host.AddEvent(block, note);
      }
      for (int beat = 0; beat < 4; ++beat) {
        const int pitch = 67 + ((bar * 4 + beat) * 5) % 12;
        host.AddEvent(block, refhost::Note(bar * 1920 + beat * 480, 420, static_cast<uint8_t>(pitch),
                                           static_cast<uint8_t>(60 + (beat * 17 + bar * 5) % 60)));
      }
    }
    host.AddTrack({.name = L"Bass", .channel = 1});

    IClassFactory* factory = nullptr;
    PluginMain* plugin = nullptr;
    IPropertyPage* page = nullptr;
    HWND frame = CreateWindowExW(0, L"STATIC", L"editor", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr,
                                 nullptr, nullptr, nullptr);
    DWORD capabilities = 0;
    const RECT rect{0, 0, width, height};
    IUnknown* objects[1] = {};
    if (SUCCEEDED(getClassObject(CLSID_PianoRollPlugin, IID_IClassFactory, reinterpret_cast<void**>(&factory))) &&
        SUCCEEDED(factory->CreateInstance(nullptr, IID_PluginMain, reinterpret_cast<void**>(&plugin))) &&
        SUCCEEDED(plugin->Connect(host.site(), host.output(), 1, 0, &capabilities))) {
      factory->Release();
      factory = nullptr;
      objects[0] = plugin;
      if (SUCCEEDED(getClassObject(CLSID_EditorPage, IID_IClassFactory, reinterpret_cast<void**>(&factory))) &&
          SUCCEEDED(factory->CreateInstance(nullptr, IID_IPropertyPage, reinterpret_cast<void**>(&page))) &&
          SUCCEEDED(page->SetObjects(1, objects)) && SUCCEEDED(page->Activate(frame, &rect, FALSE)) &&
          SUCCEEDED(page->Show(SW_SHOW))) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        status = WriteWindowPng(frame, path) ? 0 : 1;
        if (status) std::fprintf(stderr, "cannot write %s\n", argv[1]);
        page->Deactivate();
        page->SetObjects(0, nullptr);
      } else {
        std::fprintf(stderr, "the editor page could not be shown\n");
      }
      plugin->Disconnect();
    } else {
      std::fprintf(stderr, "the plug-in could not be created\n");
    }
    if (page) page->Release();
    if (plugin) plugin->Release();
    if (factory) factory->Release();
    DestroyWindow(frame);
    FreeLibrary(dll);
  }
  OleUninitialize();
  return status;
}
