#!/usr/bin/env python3
"""Compares MIDI files as an independent library (mido) reads them.

Usage: mido_compare.py SOURCE.mid WRITTEN.mid [SOURCE WRITTEN ...]

For each pair, track by track: the notes (channel, pitch, start, end and
velocity, a Note On of velocity 0 counting as a Note Off, paired first in,
first out), the other channel messages in order, and the meta events in order
(the writer's own sequencer-specific event and the end of track aside) must be
the same. A format 0 source is compared with its channels gathered from all
the written tracks. Prints one line per pair; exit status 1 on any difference.
"""
import sys
from collections import defaultdict, deque

import mido


def contents(track_list, format0=False):
    notes, other, metas = [], [], []
    for track in track_list:
        tick = 0
        sounding = defaultdict(deque)
        for msg in track:
            tick += msg.time
            if msg.type == "note_on" and msg.velocity > 0:
                sounding[(msg.channel, msg.note)].append((tick, msg.velocity))
            elif msg.type in ("note_off", "note_on"):
                key = (msg.channel, msg.note)
                if sounding[key]:
                    start, velocity = sounding[key].popleft()
                    notes.append((msg.channel, msg.note, start, tick, velocity))
                else:
                    other.append((tick, "note_off", msg.channel, msg.note))
            elif msg.is_meta:
                if msg.type in ("end_of_track", "sequencer_specific"):
                    continue
                fields = {k: v for k, v in vars(msg).items() if k != "time"}
                metas.append((tick, repr(sorted(fields.items()))))
            else:
                fields = {k: v for k, v in vars(msg).items() if k != "time"}
                other.append((tick, repr(sorted(fields.items()))))
        for key, left in sounding.items():
            for start, velocity in left:
                notes.append((key[0], key[1], start, None, velocity))
    return sorted(notes), sorted(other) if format0 else other, sorted(metas) if format0 else metas


def compare(source_path, written_path):
    source, written = mido.MidiFile(source_path), mido.MidiFile(written_path)
    if source.ticks_per_beat != written.ticks_per_beat:
        return "ticks per beat differ"
    if source.type == 0:
        pairs = [(source.tracks, written.tracks)]
        format0 = True
    else:
        if len(source.tracks) != len(written.tracks):
            return "%d tracks written for %d" % (len(written.tracks), len(source.tracks))
        pairs = [([a], [b]) for a, b in zip(source.tracks, written.tracks)]
        format0 = False
    for index, (a, b) in enumerate(pairs):
        ca, cb = contents(a, format0), contents(b, format0)
        for what, x, y in zip(("notes", "channel messages", "meta events"), ca, cb):
            # Notes still sounding at the end of a track end there when written.
            if what == "notes":
                ends = {n[:3]: n[3] for n in y}
                x = [n if n[3] is not None else n[:3] + (ends.get(n[:3]),) + n[4:] for n in x]
                x.sort()
            if what == "channel messages":
                x = sorted(x, key=lambda m: m[0]) if not format0 else x
                y = sorted(y, key=lambda m: m[0]) if not format0 else y
            if x != y:
                first = next((i for i, (p, q) in enumerate(zip(x, y)) if p != q), min(len(x), len(y)))
                return "track %d: %s differ (%d and %d; first at %d: %s / %s)" % (
                    index, what, len(x), len(y), first, x[first] if first < len(x) else None,
                    y[first] if first < len(y) else None)
    return None


def main(args):
    if len(args) < 2 or len(args) % 2:
        print(__doc__)
        return 2
    failed = 0
    for source, written in zip(args[0::2], args[1::2]):
        problem = compare(source, written)
        print("%s: %s" % (source, problem or "same notes, tempos and meta events"))
        failed += problem is not None
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
