// One validation session: a registered plug-in created through COM as a host
// creates it, connected to a reference host with a small song, its editor
// page shown in a window of the validator, and the gestures the checks drive
// through real window messages.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "host/com_ref.h"
#include "host/ref_host.h"
#include "mididata/host_interfaces.h"

namespace validate {

// The outcome of one check: a line for the report.
struct Outcome {
  bool passed = true;
  std::string detail;
  void Fail(const std::string& why) {
    if (passed) detail = why;
    passed = false;
  }
};

// A song of a conductor track and two tracks of notes, built silently.
void BuildSong(refhost::RefHost& host);

class Session {
 public:
  Session(const CLSID& plugin, refhost::RefHost& host);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Creates, connects and shows; false with why when any step fails.
  bool Open(std::string* why, int left = 0, int top = 0);
  // Deactivates and lets everything go.
  void Close();

  PluginMain* plugin() const { return plugin_.get(); }
  IPropertyPage* page() const { return page_.get(); }
  HWND frame() const { return frame_; }
  HWND view() const { return view_; }

  // Gestures in the data area, by fractions of the view's size.
  POINT At(double fx, double fy) const;
  void Drag(POINT from, POINT to, WPARAM keys = 0);
  void Key(WPARAM key, bool ctrl = false);
  void Command(UINT command);  // WM_COMMAND to the frame
  void ViewCommand(UINT command);  // WM_COMMAND to the track view (its context menu's)
  void Pump();

 private:
  CLSID clsid_;
  refhost::RefHost& host_;
  refhost::ComRef<PluginMain> plugin_;
  refhost::ComRef<IPropertyPage> page_;
  HWND window_ = nullptr, frame_ = nullptr, view_ = nullptr;
};

// Windows of the editor's classes still alive on this thread.
int EditorWindows();

}  // namespace validate
