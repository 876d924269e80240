// The host application's main window: menus, accelerators, a status bar,
// the plug-in's editor page filling the rest, and the document it edits.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "host/app/document.h"
#include "host/app/plugin_host.h"
#include "host/app/transport.h"

class MainWindow {
 public:
  MainWindow();
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window (hidden) with a new document; false when it cannot.
  bool Create(HINSTANCE instance, bool interactive);
  HWND window() const { return window_; }
  // The application's keys first, then the editor page's; true when taken.
  bool TranslateKeys(MSG* message);

  // File operations; on failure *error says why and nothing changed.
  bool OpenFile(const std::wstring& path, std::wstring* error);
  bool SaveFile(const std::wstring& path, std::wstring* error);
  // Chooses the editor's track by its index in the project.
  bool SelectTrack(int32_t index);
  const std::wstring& problem() const { return problem_; }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommand(UINT command);
  void UpdateMenus(HMENU menu);
  void Layout();
  RECT PageRect() const;
  void Show(std::unique_ptr<Document> doc);
  bool Modified() const;
  bool ConfirmDiscard();
  void ChooseAndOpen();
  bool ChooseAndSave();
  void SetStatus(int part, const std::wstring& text);
  void UpdateTitle();

  HWND window_ = nullptr;
  HWND status_ = nullptr;
  HACCEL keys_ = nullptr;
  bool interactive_ = true;
  std::unique_ptr<Document> doc_;
  std::unique_ptr<Transport> transport_;
  MidiDevice device_;
  PluginHost plugin_;
  CLSID pluginClass_{};
  bool havePlugin_ = false;
  std::vector<std::wstring> savedUndo_;  // the undo steps when last saved or opened
  std::wstring problem_;
};
