#include "host/app/main_window.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>

namespace {

constexpr wchar_t kClassName[] = L"PianorollHostWindow";
constexpr wchar_t kAppName[] = L"MIDI Piano Roll Host";
constexpr UINT_PTR kTransportTimer = 1;
constexpr UINT kTransportMs = 20;
constexpr int kStatusMessage = 0, kStatusDevice = 1, kStatusPosition = 2;
constexpr uint32_t kDevicePortId = 1;

enum Command : UINT {
  kNew = 100, kOpen, kSave, kSaveAs, kExit,
  kUndo = 110, kRedo,
  kPlay = 120, kStop, kLoop, kToStart,
  kAbout = 130,
};

HMENU BuildMenu() {
  HMENU bar = CreateMenu();
  HMENU file = CreatePopupMenu();
  AppendMenuW(file, MF_STRING, kNew, L"&New\tCtrl+N");
  AppendMenuW(file, MF_STRING, kOpen, L"&Open...\tCtrl+O");
  AppendMenuW(file, MF_STRING, kSave, L"&Save\tCtrl+S");
  AppendMenuW(file, MF_STRING, kSaveAs, L"Save &As...");
  AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(file, MF_STRING, kExit, L"E&xit");
  HMENU edit = CreatePopupMenu();
  AppendMenuW(edit, MF_STRING, kUndo, L"&Undo\tCtrl+Z");
  AppendMenuW(edit, MF_STRING, kRedo, L"&Redo\tCtrl+Y");
  HMENU transport = CreatePopupMenu();
  AppendMenuW(transport, MF_STRING, kPlay, L"&Play");
  AppendMenuW(transport, MF_STRING, kStop, L"&Stop");
  AppendMenuW(transport, MF_STRING, kLoop, L"&Loop");
  AppendMenuW(transport, MF_STRING, kToStart, L"&Go to Start");
  HMENU help = CreatePopupMenu();
  AppendMenuW(help, MF_STRING, kAbout, L"&About...");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), L"&Edit");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(transport), L"&Transport");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"&Help");
  return bar;
}

HACCEL BuildKeys() {
  ACCEL keys[] = {{FVIRTKEY | FCONTROL, 'N', kNew}, {FVIRTKEY | FCONTROL, 'O', kOpen},
                  {FVIRTKEY | FCONTROL, 'S', kSave}, {FVIRTKEY | FCONTROL, 'Z', kUndo},
                  {FVIRTKEY | FCONTROL, 'Y', kRedo}};
  return CreateAcceleratorTableW(keys, static_cast<int>(std::size(keys)));
}

std::wstring FileName(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace

MainWindow::MainWindow() = default;

MainWindow::~MainWindow() {
  if (transport_) transport_->Stop();
  plugin_.Close();
  if (keys_) DestroyAcceleratorTable(keys_);
}

bool MainWindow::Create(HINSTANCE instance, bool interactive) {
  interactive_ = interactive;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  RegisterClassExW(&wc);
  keys_ = BuildKeys();
  window_ = CreateWindowExW(0, kClassName, kAppName, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                            CW_USEDEFAULT, 1000, 680, nullptr, BuildMenu(), instance, this);
  if (!window_) return false;
  status_ = CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, window_,
                            nullptr, instance, nullptr);
  const std::vector<PluginEntry> plugins = FindPlugins();
  havePlugin_ = !plugins.empty();
  if (havePlugin_) pluginClass_ = plugins.front().clsid;
  SetStatus(kStatusMessage, havePlugin_ ? plugins.front().name : L"No MIDI plug-in is registered");
  Show(Document::New());
  SetTimer(window_, kTransportTimer, kTransportMs, nullptr);
  return true;
}

LRESULT CALLBACK MainWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  return self ? self->Handle(message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT MainWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      Layout();
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return 0;
    case WM_INITMENUPOPUP:
      UpdateMenus(reinterpret_cast<HMENU>(wParam));
      return 0;
    case WM_TIMER:
      if (wParam == kTransportTimer && doc_ && transport_) {
        refhost::RefHost& host = doc_->host();
        transport_->Step();
        // The engine records every call for tests; an application lets it go.
        host.Log().Clear();
        host.ClearDeliveries();
        const refhost::TimeMap& time = host.Time();
        int32_t measure = 0, beat = 0, tick = 0;
        time.MeasureBeatTick(host.Position(), &measure, &beat, &tick);
        SetStatus(kStatusPosition, std::to_wstring(measure) + L"." + std::to_wstring(beat) + L"." +
                                       std::to_wstring(tick) + (transport_->playing() ? L"  playing" : L""));
        UpdateTitle();
      }
      return 0;
    case WM_SETFOCUS:
      if (HWND page = plugin_.PageWindow()) SetFocus(page);
      return 0;
    case WM_CLOSE:
      if (!ConfirmDiscard()) return 0;
      DestroyWindow(window_);
      return 0;
    case WM_DESTROY:
      KillTimer(window_, kTransportTimer);
      if (transport_) transport_->Stop();
      plugin_.Close();
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window_, message, wParam, lParam);
  }
}

bool MainWindow::TranslateKeys(MSG* message) {
  if (keys_ && TranslateAcceleratorW(window_, keys_, message)) return true;
  return plugin_.TranslateAccelerator(message);
}

RECT MainWindow::PageRect() const {
  RECT client{}, bar{};
  GetClientRect(window_, &client);
  if (status_) GetWindowRect(status_, &bar);
  client.bottom = std::max<LONG>(client.top, client.bottom - (bar.bottom - bar.top));
  return client;
}

void MainWindow::Layout() {
  if (status_) {
    SendMessageW(status_, WM_SIZE, 0, 0);
    RECT client;
    GetClientRect(window_, &client);
    const int parts[] = {client.right / 2, client.right * 5 / 6, -1};
    SendMessageW(status_, SB_SETPARTS, std::size(parts), reinterpret_cast<LPARAM>(parts));
  }
  plugin_.Move(PageRect());
}

void MainWindow::SetStatus(int part, const std::wstring& text) {
  if (status_) SendMessageW(status_, SB_SETTEXTW, part, reinterpret_cast<LPARAM>(text.c_str()));
}

bool MainWindow::Modified() const { return doc_ && doc_->host().UndoLabels() != savedUndo_; }

void MainWindow::UpdateTitle() {
  std::wstring title = (doc_ && !doc_->path().empty() ? FileName(doc_->path()) : L"Untitled") +
                       (Modified() ? L"*" : L"") + L" - " + kAppName;
  wchar_t current[512];
  GetWindowTextW(window_, current, 512);
  if (title != current) SetWindowTextW(window_, title.c_str());
}

// Replaces the document: the old plug-in goes, a new one is made for the new
// project with the settings the file carried.
void MainWindow::Show(std::unique_ptr<Document> doc) {
  if (transport_) transport_->Stop();
  transport_.reset();
  plugin_.Close();
  doc_ = std::move(doc);
  refhost::RefHost& host = doc_->host();
  if (device_.IsOpen()) {
    host.SetOutputPorts({{.id = kDevicePortId, .guid = {}, .name = device_.name()}});
    host.SetOutputListener([this](const refhost::SentEvent& e) { device_.Send(e.record, e.payload); });
  }
  transport_ = std::make_unique<Transport>(host, doc_->tempo(), device_);
  savedUndo_ = host.UndoLabels();
  if (havePlugin_) {
    std::wstring error;
    if (!plugin_.Open(pluginClass_, host, doc_->settings(), window_, PageRect(), &error)) {
      problem_ = error;
      SetStatus(kStatusMessage, error);
    }
  }
  UpdateTitle();
  Layout();
  SetStatus(kStatusDevice, device_.IsOpen() ? L"MIDI out: " + device_.name()
                                            : L"No MIDI output device: playing silently");
}

bool MainWindow::OpenFile(const std::wstring& path, std::wstring* error) {
  std::unique_ptr<Document> doc = Document::Open(path, error);
  if (!doc) return false;
  Show(std::move(doc));
  SetStatus(kStatusMessage, L"Opened " + FileName(path));
  return problem_.empty();
}

bool MainWindow::SaveFile(const std::wstring& path, std::wstring* error) {
  std::vector<uint8_t> settings;
  // A plug-in that cannot save its settings still lets the song be saved.
  plugin_.SaveSettings(&settings);
  if (!doc_->Save(path, settings, error)) return false;
  savedUndo_ = doc_->host().UndoLabels();
  SetStatus(kStatusMessage, L"Saved " + FileName(path));
  UpdateTitle();
  return true;
}

bool MainWindow::SelectTrack(int32_t index) {
  HWND page = plugin_.PageWindow();
  HWND selector = page ? GetDlgItem(page, 1000) : nullptr;
  if (!selector) return false;
  const LRESULT count = SendMessageW(selector, CB_GETCOUNT, 0, 0);
  for (LRESULT item = 0; item < count; ++item) {
    if (SendMessageW(selector, CB_GETITEMDATA, item, 0) != index) continue;
    SendMessageW(selector, CB_SETCURSEL, item, 0);
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(1000, CBN_SELCHANGE), reinterpret_cast<LPARAM>(selector));
    return true;
  }
  return false;
}

bool MainWindow::ConfirmDiscard() {
  if (!interactive_ || !Modified()) return true;
  const int answer = MessageBoxW(window_, L"Save the changes to the song?", kAppName, MB_YESNOCANCEL | MB_ICONQUESTION);
  if (answer == IDCANCEL) return false;
  return answer == IDNO || ChooseAndSave();
}

void MainWindow::ChooseAndOpen() {
  if (!ConfirmDiscard()) return;
  wchar_t path[MAX_PATH] = L"";
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = window_;
  ofn.lpstrFilter = L"MIDI files (*.mid;*.midi)\0*.mid;*.midi\0All files\0*.*\0";
  ofn.lpstrFile = path;
  ofn.nMaxFile = MAX_PATH;
  ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
  if (!GetOpenFileNameW(&ofn)) return;
  std::wstring error;
  if (!OpenFile(path, &error) && !error.empty())
    MessageBoxW(window_, (L"Cannot open " + FileName(path) + L":\n" + error).c_str(), kAppName, MB_ICONERROR);
}

bool MainWindow::ChooseAndSave() {
  wchar_t path[MAX_PATH] = L"";
  if (doc_ && !doc_->path().empty()) wcsncpy(path, doc_->path().c_str(), MAX_PATH - 1);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = window_;
  ofn.lpstrFilter = L"MIDI files (*.mid)\0*.mid\0";
  ofn.lpstrDefExt = L"mid";
  ofn.lpstrFile = path;
  ofn.nMaxFile = MAX_PATH;
  ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
  if (!GetSaveFileNameW(&ofn)) return false;
  std::wstring error;
  if (SaveFile(path, &error)) return true;
  MessageBoxW(window_, (L"Cannot save " + FileName(path) + L":\n" + error).c_str(), kAppName, MB_ICONERROR);
  return false;
}

void MainWindow::OnCommand(UINT command) {
  if (!doc_) return;
  refhost::RefHost& host = doc_->host();
  switch (command) {
    case kNew:
      if (ConfirmDiscard()) Show(Document::New());
      break;
    case kOpen:
      ChooseAndOpen();
      break;
    case kSave:
      if (doc_->path().empty()) {
        ChooseAndSave();
      } else {
        std::wstring error;
        if (!SaveFile(doc_->path(), &error))
          MessageBoxW(window_, (L"Cannot save:\n" + error).c_str(), kAppName, MB_ICONERROR);
      }
      break;
    case kSaveAs:
      ChooseAndSave();
      break;
    case kExit:
      PostMessageW(window_, WM_CLOSE, 0, 0);
      break;
    case kUndo:
      host.Undo();
      break;
    case kRedo:
      host.Redo();
      break;
    case kPlay:
      transport_->Play();
      break;
    case kStop:
      transport_->Stop();
      break;
    case kLoop:
      host.SetLoopOn(!(host.TransportBits() & kTransportLoopOn));
      break;
    case kToStart:
      host.SetPosition(0);
      break;
    case kAbout:
      MessageBoxW(window_, L"MIDI Piano Roll Host\nA small host for MIDI editor plug-ins.", kAppName,
                  MB_ICONINFORMATION);
      break;
    default:
      break;
  }
  UpdateTitle();
}

void MainWindow::UpdateMenus(HMENU menu) {
  if (!doc_) return;
  refhost::RefHost& host = doc_->host();
  const std::vector<std::wstring> undo = host.UndoLabels(), redo = host.RedoLabels();
  const std::wstring undoText = undo.empty() ? L"&Undo\tCtrl+Z" : L"&Undo " + undo.back() + L"\tCtrl+Z";
  const std::wstring redoText = redo.empty() ? L"&Redo\tCtrl+Y" : L"&Redo " + redo.back() + L"\tCtrl+Y";
  ModifyMenuW(menu, kUndo, MF_BYCOMMAND | MF_STRING | (undo.empty() ? MF_GRAYED : 0), kUndo, undoText.c_str());
  ModifyMenuW(menu, kRedo, MF_BYCOMMAND | MF_STRING | (redo.empty() ? MF_GRAYED : 0), kRedo, redoText.c_str());
  CheckMenuItem(menu, kLoop, MF_BYCOMMAND | ((host.TransportBits() & kTransportLoopOn) ? MF_CHECKED : MF_UNCHECKED));
  EnableMenuItem(menu, kPlay, MF_BYCOMMAND | (transport_->playing() ? MF_GRAYED : MF_ENABLED));
  EnableMenuItem(menu, kStop, MF_BYCOMMAND | (transport_->playing() ? MF_ENABLED : MF_GRAYED));
}
