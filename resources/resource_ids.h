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

// The editor frame (dialog 3) and its controls.
#define IDD_EDITOR_FRAME 3
#define IDC_LOGO_STRIP 9
#define IDC_TRACK_SELECTOR 1000
#define IDC_TOOLBAR 1001
#define IDC_TRACK_LABEL 1002
#define IDC_TRACKVIEW_PLACE 1003
#define IDM_EDITOR_DROPDOWNS 1052

// The toolbar's image strip (a PNG) and the logo strip's bitmaps: the logo of
// the two installation locales, and each under the mouse.
#define IDR_TOOLBAR_STRIP 110
#define IDB_LOGO 5
#define IDB_LOGO_LOCALE1 6
#define IDB_LOGO_HOT 7
#define IDB_LOGO_HOT_LOCALE1 8

// Dialogs.
#define IDD_PREFERENCES 11
#define IDC_OUTPUT_PORT 1020
#define IDD_QUANTIZE 12
#define IDC_QUANTIZE_RESOLUTION 1030
#define IDC_QUANTIZE_STARTS 1031
#define IDC_QUANTIZE_DURATIONS 1032
#define IDD_ABOUT 9964
#define IDC_ABOUT_NAME 9965
#define IDC_ABOUT_VERSION 9966
#define IDC_ABOUT_MAKER 9967
#define IDC_ABOUT_LEGAL 9972

// Strings of the frame and the dialogs.
#define IDS_ABOUT_BUTTON 1004
#define IDS_HELP_BUTTON 1005
#define IDS_TRACK_NUMBER 10007
#define IDS_NO_PORT 10014
#define IDS_PORT_NUMBER 10015
#define IDS_SOLO_LABEL 10058
#define IDS_ABOUT_NAME 10041
#define IDS_ABOUT_CAPTION 10042
#define IDS_LEGAL_NOTICE 10044
#define IDS_QUANTIZE_FIRST 378  // the eleven resolutions; see the table in quantize_dialog.cpp

// Time text of the event store.
#define IDS_TIME_CLOCK 345
#define IDS_TIME_MBT 347
#define IDS_TIME_MB 376
