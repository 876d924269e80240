#include "host/edit_history.h"

#include <algorithm>

#include "host/song_editor.h"

namespace refhost {

void EditHistory::Begin(bool undoable, const wchar_t* label) {
  const bool collects = undoable && !collecting_;
  if (collects) {
    collecting_ = UndoStep{label ? label : L"", {}};
    labelled_ = label && *label;
  }
  brackets_.push_back({undoable, collects});
}

bool EditHistory::End(bool commit) {
  if (brackets_.empty()) return false;
  const Bracket closing = brackets_.back();
  brackets_.pop_back();
  if (!closing.collects) return true;
  UndoStep step = std::move(*collecting_);
  collecting_.reset();
  const bool selectionOnly = std::all_of(step.ops.begin(), step.ops.end(), IsSelectionOnly);
  if (commit && !step.ops.empty() && (labelled_ || !selectionOnly)) {
    undo_.push_back(std::move(step));
    redo_.clear();
  }
  return true;
}

void EditHistory::Record(const EditOp& op) {
  if (collecting_) collecting_->ops.push_back(op);
}

HRESULT EditHistory::Undo(SongEditor& editor) {
  if (undo_.empty()) return S_FALSE;
  UndoStep step = std::move(undo_.back());
  undo_.pop_back();
  HRESULT result = S_OK;
  for (auto it = step.ops.rbegin(); it != step.ops.rend(); ++it) {
    const HRESULT hr = editor.Apply(Reversed(*it));
    if (FAILED(hr) && SUCCEEDED(result)) result = hr;
  }
  redo_.push_back(std::move(step));
  return result;
}

HRESULT EditHistory::Redo(SongEditor& editor) {
  if (redo_.empty()) return S_FALSE;
  UndoStep step = std::move(redo_.back());
  redo_.pop_back();
  HRESULT result = S_OK;
  for (const EditOp& op : step.ops) {
    const HRESULT hr = editor.Apply(op);
    if (FAILED(hr) && SUCCEEDED(result)) result = hr;
  }
  undo_.push_back(std::move(step));
  return result;
}

void EditHistory::Forget() {
  undo_.clear();
  redo_.clear();
}

}  // namespace refhost
