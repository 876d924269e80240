#!/usr/bin/env python3
"""Writes the host application's demo song, host/app/demo-song.mid.

Eight bars in A minor (Am F C G twice) at 480 ticks a quarter note: a
conductor track (name, tempo 96 then 100 from bar 5, 4/4, key signature, a
text event), a melody with shaped velocities, a pitch bend scoop and an
expression ramp, chords, a bass line and drums on channel 10. Every note is a
Note On followed by its Note Off; running status is used as a sequencer
would. Run from anywhere: python3 tools/make_demo_song.py
"""
import os
import struct

TPQ = 480
BAR = 4 * TPQ


def vlq(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(out))


def track(events):
    """events: (tick, bytes) in any order; sorted stably, written with running status."""
    events = sorted(enumerate(events), key=lambda e: (e[1][0], e[0]))
    body, last, running = b"", 0, None
    for _, (tick, data) in events:
        body += vlq(tick - last)
        last = tick
        status = data[0]
        if status < 0xF0 and status == running:
            body += data[1:]
        else:
            body += data
        running = status if status < 0xF0 else None
    body += vlq(0) + b"\xff\x2f\x00"
    return b"MTrk" + struct.pack(">I", len(body)) + body


def meta(kind, data):
    return bytes([0xFF, kind]) + vlq(len(data)) + data


def note(events, channel, start, length, pitch, velocity):
    events.append((start, bytes([0x90 | channel, pitch, velocity])))
    events.append((start + length, bytes([0x80 | channel, pitch, 64])))


def name(text):
    return (0, meta(0x03, text.encode("ascii")))


CHORDS = [(57, 60, 64), (53, 57, 60), (48, 52, 55), (55, 59, 62)]  # Am F C G
ROOTS = [45, 41, 36, 43]


def conductor():
    return [name("Demo Song"), (0, meta(0x51, (625000).to_bytes(3, "big"))),  # 96 beats a minute
            (0, meta(0x58, bytes([4, 2, 24, 8]))), (0, meta(0x59, bytes([0, 1]))),  # A minor
            (0, meta(0x01, b"Written by tools/make_demo_song.py")),
            (4 * BAR, meta(0x51, (600000).to_bytes(3, "big")))]  # 100 from bar 5


def melody():
    ch = 0
    ev = [name("Melody"), (0, bytes([0xC0 | ch, 73]))]  # flute
    phrase = [(0, 2, 76), (2, 1, 74), (3, 1, 72), (4, 3, 71), (7, 1, 72),
              (8, 2, 69), (10, 1, 72), (11, 1, 76), (12, 4, 74)]  # (eighth, eighths, pitch)
    for rep in range(4):
        for i, (at, length, pitch) in enumerate(phrase):
            start = rep * 2 * BAR + at * TPQ // 2
            velocity = 70 + (i * 9 + rep * 5) % 50
            note(ev, ch, start, length * TPQ // 2 - 20, pitch + (2 if rep == 3 and i == 8 else 0), velocity)
    # A scoop into bar 3's first note, and an expression swell over bar 7-8.
    for k in range(9):
        bend = 8192 - 1600 + k * 200
        ev.append((2 * BAR - 8 * 20 + k * 20, bytes([0xE0 | ch, bend & 0x7F, bend >> 7])))
    for k in range(33):
        ev.append((6 * BAR + k * 2 * BAR // 32, bytes([0xB0 | ch, 11, 60 + k * 2])))
    return ev


def chords():
    ch = 1
    ev = [name("Chords"), (0, bytes([0xC0 | ch, 0]))]
    for bar in range(8):
        for half in range(2):
            for pitch in CHORDS[bar % 4]:
                note(ev, ch, bar * BAR + half * 2 * TPQ, 2 * TPQ - 30, pitch, 64 + 8 * half)
    return ev


def bass():
    ch = 2
    ev = [name("Bass"), (0, bytes([0xC0 | ch, 33]))]
    for bar in range(8):
        root = ROOTS[bar % 4]
        for eighth in range(8):
            pitch = root + (12 if eighth in (3, 7) else 7 if eighth == 5 else 0)
            note(ev, ch, bar * BAR + eighth * TPQ // 2, TPQ // 2 - 40, pitch, 96 if eighth % 2 == 0 else 78)
    return ev


def drums():
    ch = 9
    ev = [name("Drums")]
    for bar in range(8):
        for eighth in range(8):
            t = bar * BAR + eighth * TPQ // 2
            note(ev, ch, t, 60, 42, 90 if eighth % 2 == 0 else 60)  # closed hi-hat
            if eighth in (0, 3, 4):
                note(ev, ch, t, 100, 36, 110)  # kick
            if eighth in (2, 6):
                note(ev, ch, t, 100, 38, 105)  # snare
    note(ev, ch, 7 * BAR + 7 * TPQ // 2, 480, 49, 120)  # crash into the repeat
    return ev


def main():
    tracks = [conductor(), melody(), chords(), bass(), drums()]
    data = b"MThd" + struct.pack(">IHHH", 6, 1, len(tracks), TPQ) + b"".join(track(t) for t in tracks)
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "host", "app", "demo-song.mid")
    with open(out, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
