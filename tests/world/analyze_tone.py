#!/usr/bin/env python3
"""Checks a raw s16le stereo 44100 Hz recording for the test tone: a stretch
of at least 1.2 of its 1.5 seconds where the left channel carries 440 Hz and the right
1000 Hz, each at about half of full scale."""
import array, math, sys

RATE = 44100

def frequency(samples):
    crossings = sum(1 for a, b in zip(samples, samples[1:]) if a < 0 <= b)
    return crossings * RATE / len(samples)

def main(path):
    data = array.array('h')
    with open(path, 'rb') as f:
        data.frombytes(f.read())
    left, right = data[0::2], data[1::2]
    loud = [i for i, v in enumerate(left) if abs(v) > 4000]
    if not loud:
        print(f"no sound in {len(left)} recorded frames")
        return 1
    start, end = loud[0], loud[-1]
    # Leave out the edges, where the stream starts and stops.
    start, end = start + RATE // 10, end - RATE // 10
    seconds = (end - start) / RATE
    l, r = left[start:end], right[start:end]
    fl, fr = frequency(l), frequency(r)
    pl, pr = max(abs(v) for v in l), max(abs(v) for v in r)
    print(f"tone for {seconds:.2f} s: left {fl:.1f} Hz peak {pl}, right {fr:.1f} Hz peak {pr}")
    ok = (seconds >= 1.2 and abs(fl - 440) < 5 and abs(fr - 1000) < 10
          and 12000 < pl < 20000 and 12000 < pr < 20000)
    return 0 if ok else 1

if __name__ == '__main__':
    sys.exit(main(sys.argv[1]))
