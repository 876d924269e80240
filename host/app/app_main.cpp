// pianoroll-host.exe [FILE.mid] [--screenshot OUT.png] [--save-as OUT.mid] [--select-track N]
//
// A small host for MIDI editor plug-ins: it opens a MIDI file into a project
// of the reference host's engine and shows the registered plug-in's editor
// page for it. --screenshot and --save-as do their work and exit: status 0,
// or a message on standard error and status 1.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "host/app/main_window.h"
#include "host/app/png_file.h"

namespace {

struct Options {
  std::wstring file, screenshot, saveAs;
  int32_t track = -1;
};

void Complain(const std::wstring& text) {
  // The console of whoever started the program, when there is one.
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  const std::wstring line = L"pianoroll-host: " + text + L"\n";
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(bytes > 0 ? bytes : 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, utf8.data(), bytes, nullptr, nullptr);
  DWORD written = 0;
  if (err && err != INVALID_HANDLE_VALUE) WriteFile(err, utf8.data(), static_cast<DWORD>(utf8.size() - 1), &written, nullptr);
}

bool Parse(int argc, wchar_t** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    const bool valued = arg == L"--screenshot" || arg == L"--save-as" || arg == L"--select-track";
    if (valued && i + 1 >= argc) {
      Complain(arg + L" needs a value");
      return false;
    }
    if (arg == L"--screenshot") {
      options->screenshot = argv[++i];
    } else if (arg == L"--save-as") {
      options->saveAs = argv[++i];
    } else if (arg == L"--select-track") {
      wchar_t* end = nullptr;
      const long n = std::wcstol(argv[++i], &end, 10);
      if (!end || *end || n < 1 || n > 0xFFFF) {
        Complain(L"--select-track needs a track number from 1");
        return false;
      }
      options->track = static_cast<int32_t>(n);
    } else if (arg.rfind(L"--", 0) == 0 || !options->file.empty()) {
      Complain(L"unknown argument " + arg);
      return false;
    } else {
      options->file = arg;
    }
  }
  return true;
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

int Run(HINSTANCE instance, const Options& options) {
  const bool batch = !options.screenshot.empty() || !options.saveAs.empty();
  MainWindow main;
  if (!main.Create(instance, !batch)) {
    Complain(L"cannot create the main window");
    return 1;
  }
  std::wstring error;
  if (!options.file.empty() && !main.OpenFile(options.file, &error)) {
    Complain(L"cannot open " + options.file + L": " + (error.empty() ? main.problem() : error));
    if (batch) return 1;
    MessageBoxW(main.window(), (L"Cannot open " + options.file + L":\n" + error).c_str(), L"MIDI Piano Roll Host",
                MB_ICONERROR);
  }
  if (options.track > 0 && !main.SelectTrack(options.track)) {
    Complain(L"the song has no track " + std::to_wstring(options.track) + L" to select");
    if (batch) return 1;
  }
  // Saving alone needs no window on the screen (and taking one off an X
  // display without a window manager costs Wine seconds).
  if (!batch || !options.screenshot.empty()) {
    ShowWindow(main.window(), batch ? SW_SHOWNOACTIVATE : SW_SHOWDEFAULT);
    UpdateWindow(main.window());
  }
  if (batch) {
    if (!main.problem().empty()) {
      Complain(main.problem());
      return 1;
    }
    Pump();
    if (!options.saveAs.empty() && !main.SaveFile(options.saveAs, &error)) {
      Complain(L"cannot save " + options.saveAs + L": " + error);
      return 1;
    }
    if (!options.screenshot.empty() && !WriteWindowPng(main.window(), options.screenshot.c_str())) {
      Complain(L"cannot write the screenshot " + options.screenshot);
      return 1;
    }
    DestroyWindow(main.window());
    Pump();
    return 0;
  }
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (main.TranslateKeys(&msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  Options options;
  const bool parsed = argv && Parse(argc, argv, &options);
  LocalFree(argv);
  if (!parsed) return 2;
  if (FAILED(OleInitialize(nullptr))) {
    Complain(L"COM cannot be started");
    return 1;
  }
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  const int status = Run(instance, options);
  OleUninitialize();
  return status;
}
