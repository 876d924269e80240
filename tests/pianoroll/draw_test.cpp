// Smoke: a Draw-tool drag on an empty row becomes one labelled host edit.
#include <gtest/gtest.h>

#include "tests/pianoroll/roll_fixture.h"

namespace {

using rolltest::RollTest;

TEST_F(RollTest, DrawingANoteIsOneLabelledEdit) {
  prefs.gridValue = -4;  // quarter notes
  Open();
  roll()->SetView(0, 4 * 1920, 0);
  host.Log().Clear();
  Drag(At(500, 60), At(1400, 60));
  for (const std::string& line : Edits()) printf("%s\n", line.c_str());
  ASSERT_EQ(Notes().size(), 1u);
  EXPECT_EQ(Notes()[0], (Note{480, 960, 60, true}));
}

}  // namespace
