// Numbers of the module's resources shared by the code and pianoroll.rc.
#pragma once

#define IDS_PRODUCT_NAME 10001
#define IDS_PAGE_TITLE 10004
#define IDS_LOOP_REGION_TIP 10050

// Context menus: the notes' (the piano roll) and the loop bar's (the track view engine).
#define IDM_NOTE_MENU 1050
#define IDM_LOOP_BAR 1051

// Timecode label names of the text library.
#define IDS_TIMECODE_NONDROP 48304
#define IDS_TIMECODE_DROP 48305
