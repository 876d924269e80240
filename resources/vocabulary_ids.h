// String table numbers of the MIDI vocabulary (vocabulary.rc).
// Plain defines so that the resource compiler can read them too.
#pragma once

#define IDS_VOICE_SET_FIRST 0      // 0-3: General MIDI, Yamaha XG, Roland GS, unknown
#define IDS_PROGRAM_FIRST 4        // 4-131: General MIDI programs 0-127
#define IDS_DRUM_SET_FIRST 132     // 132-140
#define IDS_EVENT_TYPE_FIRST 141   // 141-158: the event types in type-bit order
#define IDS_EVENT_TYPE_UNKNOWN 159
#define IDS_CONTROLLER_UNDEFINED 167
#define IDS_CONTROLLER_FIRST 168   // 168-295: controllers 0-127
#define IDS_META_FIRST 300         // 300-316: meta names in the order of kMetaTypes
#define IDS_META_UNKNOWN 317       // "Unknown Meta: %d"
#define IDS_META_SEQUENCER 325
#define IDS_RPN_UNKNOWN 326
#define IDS_RPN_FIRST 327          // 327-331: parameters 0-4 with MSB 0
#define IDS_FORMAT_BANK_PROGRAM 344
#define IDS_FORMAT_TEMPO 360
#define IDS_FORMAT_METER 361
#define IDS_KEY_MINOR 362
#define IDS_KEY_MAJOR 363
#define IDS_SEQUENCER_FIRST 365    // 365-368: sequencer-specific kinds 0-3
#define IDS_SEQUENCER_UNDEFINED 369
#define IDS_FORMAT_CONTROLLER_LANE 370
#define IDS_FORMAT_NOTE 390
#define IDS_FORMAT_MMC 391
#define IDS_FORMAT_MMC_UNKNOWN 392
#define IDS_MMC_FIRST 393          // 393-412: the commands of kMmcCommands
#define IDS_ALL_CONTROLLERS 1002
#define IDS_VELOCITY 10038
