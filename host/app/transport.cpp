#include "host/app/transport.h"

#include <algorithm>

#include "host/smf/smf_project.h"

MidiDevice::MidiDevice() {
  if (midiOutGetNumDevs() == 0) return;
  MIDIOUTCAPSW caps{};
  if (midiOutGetDevCapsW(0, &caps, sizeof caps) == MMSYSERR_NOERROR) name_ = caps.szPname;
  if (midiOutOpen(&out_, 0, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) out_ = nullptr;
}

MidiDevice::~MidiDevice() {
  if (!out_) return;
  Silence();
  midiOutClose(out_);
}

void MidiDevice::SendShort(uint8_t status, uint8_t a, uint8_t b) {
  if (out_) midiOutShortMsg(out_, status | (DWORD{a & 0x7Fu} << 8) | (DWORD{b & 0x7Fu} << 16));
}

void MidiDevice::Send(const MidiEvent& record, const std::vector<uint8_t>& payload) {
  if (!out_) return;
  if (record.type == kEvSysex && !payload.empty()) {
    std::vector<char> message(payload.size() + 1);
    message[0] = static_cast<char>(0xF0);
    std::copy(payload.begin(), payload.end(), message.begin() + 1);
    MIDIHDR header{};
    header.lpData = message.data();
    header.dwBufferLength = static_cast<DWORD>(message.size());
    if (midiOutPrepareHeader(out_, &header, sizeof header) == MMSYSERR_NOERROR) {
      midiOutLongMsg(out_, &header, sizeof header);
      while (midiOutUnprepareHeader(out_, &header, sizeof header) == MIDIERR_STILLPLAYING) Sleep(1);
    }
    return;
  }
  const uint8_t status = ChannelStatusOf(record.type);
  if (!status) return;
  const uint8_t channel = static_cast<uint8_t>(record.channel & 0x0F);
  SendShort(static_cast<uint8_t>(status | channel), record.data[0], record.data[1]);
}

void MidiDevice::Silence() {
  for (uint8_t channel = 0; channel < 16; ++channel) {
    SendShort(static_cast<uint8_t>(0xB0 | channel), 123, 0);  // all notes off
    SendShort(static_cast<uint8_t>(0xB0 | channel), 64, 0);   // sustain off
  }
}

Transport::Transport(refhost::RefHost& host, const TempoMap& tempo, MidiDevice& device)
    : host_(host), tempo_(tempo), device_(device) {
  QueryPerformanceFrequency(&frequency_);
}

void Transport::Build() {
  schedule_.clear();
  end_ = 0;
  const refhost::Song& song = host_.song();
  bool anySolo = false;
  for (const refhost::SongTrack& t : song.tracks) anySolo |= (refhost::TrackFlags(t.info) & refhost::kTrackSolo) != 0;
  for (const refhost::SongTrack& t : song.tracks) {
    // The song ends where its last block or note does, soloed or not.
    for (const refhost::SongBlock& b : t.blocks) {
      end_ = std::max(end_, b.info.end);
      for (const refhost::SongEvent& e : b.events) {
        const MidiEvent& r = e.record;
        end_ = std::max(end_, r.type == kEvNoteOn ? r.start + std::max(r.duration, 0) : r.start);
      }
    }
    if (anySolo && !(refhost::TrackFlags(t.info) & refhost::kTrackSolo)) continue;
    for (const refhost::SongBlock& b : t.blocks) {
      for (const refhost::SongEvent& e : b.events) {
        const MidiEvent& r = e.record;
        if (r.type == kEvSysex) {
          schedule_.push_back({r.start, 1, r, e.payload});
        } else if (ChannelStatusOf(r.type)) {
          schedule_.push_back({r.start, 1, r, {}});
          if (r.type == kEvNoteOn) {
            MidiEvent off = r;
            off.type = kEvNoteOff;
            off.data[1] = 0;
            schedule_.push_back({r.start + std::max(r.duration, 0), 0, off, {}});
          }
        }
      }
    }
  }
  std::stable_sort(schedule_.begin(), schedule_.end(), [](const Scheduled& a, const Scheduled& b) {
    return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
  });
}

double Transport::NowMicros() const {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  const double elapsed = static_cast<double>(now.QuadPart - startCounter_.QuadPart) * 1e6 /
                         static_cast<double>(std::max<LONGLONG>(frequency_.QuadPart, 1));
  return startMicros_ + elapsed;
}

void Transport::StartAt(int64_t tick) {
  device_.Silence();
  position_ = std::max<int64_t>(tick, 0);
  startMicros_ = tempo_.MicrosAt(position_);
  QueryPerformanceCounter(&startCounter_);
  next_ = static_cast<size_t>(std::lower_bound(schedule_.begin(), schedule_.end(), position_,
                                               [](const Scheduled& s, int64_t t) { return s.tick < t; }) -
                              schedule_.begin());
}

void Transport::Play() {
  if (playing_) return;
  Build();  // the song as it stands when playing starts
  playing_ = true;
  if (!(host_.TransportBits() & kTransportPlaying)) host_.SetPlaying(true);
  StartAt(host_.Position());
}

void Transport::Stop() {
  if (!playing_) return;
  playing_ = false;
  device_.Silence();
  if (host_.TransportBits() & kTransportPlaying) host_.SetPlaying(false);
}

void Transport::Step() {
  // The plug-in's play and stop buttons change the host's transport bits.
  const bool hostPlaying = (host_.TransportBits() & kTransportPlaying) != 0;
  if (hostPlaying && !playing_) Play();
  if (!hostPlaying && playing_) Stop();
  if (!playing_) return;
  // Someone else (the plug-in's ruler) moved the position: play from there.
  if (host_.Position() != position_) StartAt(host_.Position());
  int64_t tick = tempo_.TickAt(NowMicros());
  const HostLoopProperty loop = host_.Loop();
  const bool looping = (host_.TransportBits() & kTransportLoopOn) && loop.end > loop.start;
  while (next_ < schedule_.size() && schedule_[next_].tick <= tick &&
         !(looping && schedule_[next_].tick >= loop.end && position_ < loop.end)) {
    device_.Send(schedule_[next_].record, schedule_[next_].payload);
    ++next_;
  }
  if (looping && position_ < loop.end && tick >= loop.end) {
    StartAt(loop.start);
    tick = loop.start;
  } else if (!looping && tick > end_) {
    host_.SetPosition(end_);
    position_ = end_;
    Stop();
    return;
  }
  if (tick != position_) {
    position_ = tick;
    host_.SetPosition(tick);
  }
}
