// Edit brackets and the undo history. Brackets nest; the outermost undoable
// bracket collects every change made inside it, and when it commits with data
// changes the collection becomes one undo step carrying that bracket's label.
// A bracket without a label whose only changes are selection flags, and any
// bracket closed without commit, record no step (the changes stay).
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "host/edit_ops.h"

namespace refhost {

class SongEditor;

struct UndoStep {
  std::wstring label;
  std::vector<EditOp> ops;
};

class EditHistory {
 public:
  void Begin(bool undoable, const wchar_t* label);
  // Closes the innermost bracket; false when none is open.
  bool End(bool commit);
  int Depth() const { return static_cast<int>(brackets_.size()); }
  bool InnermostUndoable() const { return !brackets_.empty() && brackets_.back().undoable; }
  // Journals a change made while a step is being collected.
  void Record(const EditOp& op);

  // Only between brackets. S_FALSE when there is nothing to undo or redo;
  // otherwise the first failure of a change that no longer applies, after
  // applying all the others.
  HRESULT Undo(SongEditor& editor);
  HRESULT Redo(SongEditor& editor);
  const std::vector<UndoStep>& UndoSteps() const { return undo_; }
  const std::vector<UndoStep>& RedoSteps() const { return redo_; }
  void Forget();

 private:
  struct Bracket {
    bool undoable;
    bool collects;  // the bracket that opened the step being collected
  };
  std::vector<Bracket> brackets_;
  std::optional<UndoStep> collecting_;
  bool labelled_ = false;
  std::vector<UndoStep> undo_, redo_;
};

}  // namespace refhost
