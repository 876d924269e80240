// Scope guard for a host edit bracket: every path out of an operation closes
// the bracket it opened, so a failing host call never leaves BeginEdit open.
#pragma once

#include "mididata/host_interfaces.h"

class HostBracket {
 public:
  // Opens BeginEdit(undoable, label); check Opened() / result() before use.
  HostBracket(HostMidiData* data, LONG undoable, LPCWSTR label) : data_(data) {
    result_ = data_ ? data_->BeginEdit(undoable, label) : E_UNEXPECTED;
  }
  ~HostBracket() {
    if (SUCCEEDED(result_) && !closed_) data_->EndEdit(commit_);
  }
  HostBracket(const HostBracket&) = delete;
  HostBracket& operator=(const HostBracket&) = delete;

  bool Opened() const { return SUCCEEDED(result_); }
  HRESULT result() const { return result_; }
  // The value EndEdit receives when the scope ends (0 unless set).
  void SetCommit(LONG commit) { commit_ = commit; }
  // Closes now and returns EndEdit's result.
  HRESULT Close() {
    if (!Opened() || closed_) return S_OK;
    closed_ = true;
    return data_->EndEdit(commit_);
  }

 private:
  HostMidiData* data_;
  HRESULT result_;
  LONG commit_ = 0;
  bool closed_ = false;
};

// A read bracket: BeginEdit(0, none) ... EndEdit(0).
class ReadBracket : public HostBracket {
 public:
  explicit ReadBracket(HostMidiData* data) : HostBracket(data, 0, nullptr) {}
};
