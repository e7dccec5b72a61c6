#!/usr/bin/env python3
"""Checks a raw s16le stereo recording of the sample-counter sound (see
CounterAudio.h): decodes the counter of every marked frame, splits the
counters into runs of consecutive values and compares the runs with what
the program was asked to play: every frame from the start (or from the
seek point) to the last, in order, none twice.

  analyze_counter.py REC [--seconds S] [--source-hz N] [--rate R] [--seek-ms T]
                     [--sound-only 0|1]
"""
import argparse
import array
import sys

MARK = 0x2000
# When a stream starts on the running null sink, the server rewinds the
# sink by up to its latency (20 ms, the keep-alive stream's) and the
# monitor never delivers the rewritten start: so a run may begin this many
# frames late.
HEAD_LOSS_MAX_MS = 25
# On a busy machine the server or the recorder may also drop a few frames
# or insert a little silence. The engine hands the device whole buffers of
# 5700 frames: a loss of its own would be a whole buffer (or its end), so
# shorter drops are the server's. Under load they come several times in a
# few seconds, so only many of them count as a fault.
DROP_MAX = 1425
GLITCHES_MAX = 10


def runs_of(path):
    """Runs [first, last] of consecutive counters, and the stretches of
    silence found inside a run (the sound server starved, or the engine
    queued a buffer late)."""
    data = array.array('h')
    with open(path, 'rb') as f:
        data.frombytes(f.read())
    left, right = data[0::2], data[1::2]
    runs = []
    stalls = []     # (counter before, frames of silence)
    last_index = None
    for i in range(len(left)):
        r = right[i]
        if not MARK <= r < MARK + 0x2000:
            continue
        n = ((r - MARK) << 16) | (left[i] & 0xFFFF)
        if runs and n == runs[-1][1] + 1:
            if i != last_index + 1:
                stalls.append((runs[-1][1], i - last_index - 1))
            runs[-1][1] = n
        else:
            runs.append([n, n])
        last_index = i
    return runs, stalls


def main():
    p = argparse.ArgumentParser()
    p.add_argument('rec')
    p.add_argument('--seconds', type=float, default=3)
    p.add_argument('--source-hz', type=int, default=44100)
    p.add_argument('--rate', type=float, default=1.0)
    p.add_argument('--seek-ms', type=int, default=-1)
    # The player's form of the movie; the sound is checked the same way.
    p.add_argument('--sound-only', type=int, default=0)
    a = p.parse_args()
    frames = int(a.seconds * a.source_hz)
    runs, stalls = runs_of(a.rec)
    print('runs of consecutive frames:', ', '.join(f'{f}..{l}' for f, l in runs) or 'none')
    problems = []
    for before, length in stalls:
        print(f'silence of {length} frames inside the sound after frame {before}')
    if len(stalls) > GLITCHES_MAX:
        problems.append(f'{len(stalls)} stretches of silence inside the sound')
    head_max = HEAD_LOSS_MAX_MS * a.source_hz // 1000
    if a.rate != 1.0:
        head_max = int(head_max * a.rate)     # the device runs rate times faster
    drops = []

    def chain(group, frame, what):
        """The group of runs must start at frame (less the head loss) and
        go on forward with at most small drops; gives its last frame."""
        if not group:
            problems.append(f'{what}: nothing recorded')
            return -1
        first = group[0][0]
        if not frame <= first <= frame + head_max:
            problems.append(f'{what} starts at {first}, not at {frame} (+{head_max})')
        else:
            print(f'{what}: first {first - frame} frames lost at the stream start')
        for prev, run in zip(group, group[1:]):
            if run[0] <= prev[1]:
                problems.append(f'{what}: frame {run[0]} again after {prev[1]} (repeat or reorder)')
            elif run[0] - prev[1] - 1 > DROP_MAX:
                problems.append(f'{what}: frames {prev[1] + 1}..{run[0] - 1} missing')
            else:
                drops.append((prev[1] + 1, run[0] - prev[1] - 1))
        return group[-1][1]

    if a.seek_ms < 0:
        last = chain(runs, 0, 'the sound')
        if last != frames - 1:
            problems.append(f'the sound should end at {frames - 1}, not {last}')
    else:
        seek_frame = a.seek_ms * a.source_hz // 1000
        k = next((i for i, r in enumerate(runs) if r[0] >= seek_frame), len(runs))
        last = chain(runs[:k], 0, 'the sound before the stop')
        if last >= seek_frame or last < a.source_hz // 10:
            problems.append(f'the sound before the stop should last over 0.1 s and end before {seek_frame}')
        last = chain(runs[k:], seek_frame, 'the sound after the seek')
        if last != frames - 1:
            problems.append(f'the sound after the seek should end at {frames - 1}, not {last}')
    for frame, length in drops:
        print(f'{length} frames from {frame} on missing (the monitor dropped them)')
    if len(drops) > GLITCHES_MAX:
        problems.append(f'{len(drops)} drops inside the sound')
    for msg in problems:
        print('FAIL:', msg)
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main())
