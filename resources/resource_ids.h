// Numbers of the module's resources shared by the code and pianoroll.rc.
#pragma once

#define IDS_PRODUCT_NAME 10001
#define IDS_PAGE_TITLE 10004

// Timecode label names of the text library.
#define IDS_TIMECODE_NONDROP 48304
#define IDS_TIMECODE_DROP 48305
