// Pop-up context help: the text of a help topic shown beside a point until
// the next click or key. Topic n is string n of the module's string table.
#pragma once

#include <windows.h>

// Shows the topic at the screen point; false when the module has no text
// for it or the pop-up cannot be made.
bool KvContextHelp_Show(HWND owner, int topic, POINT screen);
// The pop-up on show, or null.
HWND KvContextHelp_Window();
void KvContextHelp_Hide();
