// Playing a document: the events of its tracks sent to a MIDI output device
// in time with the song's tempo map, the host's position advanced as they
// go, looping over the host's loop region, following the plug-in when it
// starts, stops or moves the position.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <string>
#include <vector>

#include "host/ref_host.h"
#include "host/smf/tempo_map.h"

// The first MIDI output device of the system, if there is one.
class MidiDevice {
 public:
  MidiDevice();
  ~MidiDevice();
  MidiDevice(const MidiDevice&) = delete;
  MidiDevice& operator=(const MidiDevice&) = delete;

  bool IsOpen() const { return out_ != nullptr; }
  const std::wstring& name() const { return name_; }
  void Send(const MidiEvent& record, const std::vector<uint8_t>& payload);
  void SendShort(uint8_t status, uint8_t a, uint8_t b);
  void Silence();  // all notes off on every channel

 private:
  HMIDIOUT out_ = nullptr;
  std::wstring name_;
};

class Transport {
 public:
  Transport(refhost::RefHost& host, const TempoMap& tempo, MidiDevice& device);

  bool playing() const { return playing_; }
  // Play from the host's position, or stop (and silence what sounds).
  void Play();
  void Stop();
  // The timer's step: follows the host's transport bits and position, sends
  // what is due and moves the position on; unless looping, it stops at the
  // end of the song as it stood when playing started.
  void Step();

 private:
  struct Scheduled {
    int64_t tick;
    uint32_t order;  // Note Offs first within a tick
    MidiEvent record;
    std::vector<uint8_t> payload;
  };
  void Build();
  void StartAt(int64_t tick);
  double NowMicros() const;

  refhost::RefHost& host_;
  const TempoMap& tempo_;
  MidiDevice& device_;
  bool playing_ = false;
  std::vector<Scheduled> schedule_;
  size_t next_ = 0;
  int64_t end_ = 0;          // the last block end or event end of the schedule's song
  int64_t position_ = 0;     // the position this transport last gave the host
  double startMicros_ = 0;   // song time at startCounter_
  LARGE_INTEGER startCounter_{};
  LARGE_INTEGER frequency_{};
};
