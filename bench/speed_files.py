"""Writes the files the speed figures and the instruction guard measure.

    python3 bench/speed_files.py FOLDER [SMALL_FILES]

FOLDER/cue-label-32767.wav   32767 cue points and labels (8.3 MB of text out)
FOLDER/tone-10s.wav          10 s of 16-bit stereo at 44.1 kHz (1.7 MB)
FOLDER/tone-20s.wav          20 s of the same (3.5 MB), for --measure
FOLDER/collection/NNNN.wav   SMALL_FILES small files (default 3001) of the
                             kinds real collections hold: plain PCM of
                             several widths, tags (INFO, bext, iXML), cue
                             points with labels, loops, and the faults the
                             check looks for (a streaming writer's
                             placeholders with chunks after the audio, stray
                             bytes after it, an empty data chunk before its
                             audio, a missing pad byte, bytes after the RIFF
                             end). The same bytes on every run.
"""
import math
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from riff_writer import chunk, cue_label_file, pcm_format, riff, u32, write_file  # noqa: E402


def tone(seconds, rate=44100):
    """A 440 Hz tone on the left channel and 660 Hz on the right, 16-bit."""
    frames = seconds * rate
    left = [int(12000 * math.sin(2 * math.pi * 440 * i / rate)) for i in range(rate)]
    right = [int(9000 * math.sin(2 * math.pi * 660 * i / rate)) for i in range(rate)]
    second = b"".join(struct.pack("<hh", a, b) for a, b in zip(left, right))
    return (second * seconds)[: frames * 4]


# Audio for the small files: one second of the tone, sliced.
AUDIO = tone(1)


def audio(index, length):
    start = (index * 4 * 97) % (len(AUDIO) - length)
    return AUDIO[start : start + length]


def info_list(index):
    items = [(b"INAM", b"Take %d" % index), (b"IART", b"Ondulo bench"), (b"ICMT", b"small file %d" % index)]
    return chunk(b"LIST", b"INFO" + b"".join(chunk(i, t + b"\0") for i, t in items))


def bext(index):
    fixed = (b"Take %d" % index).ljust(256, b"\0") + b"bench".ljust(32, b"\0") + b"ref".ljust(32, b"\0")
    fixed += b"2026-12-08" + b"10:00:00" + struct.pack("<II", index * 1000, 0) + struct.pack("<H", 1)
    fixed += bytes(64) + bytes(10) + bytes(180)
    return chunk(b"bext", fixed + b"A=PCM,F=44100,W=16,M=stereo,T=bench\r\n")


def cue_and_labels(points):
    rec = struct.Struct("<II4sIII")
    cue = u32(points) + b"".join(rec.pack(i + 1, i * 64, b"data", 0, 0, i * 64) for i in range(points))
    labels = b"".join(chunk(b"labl", u32(i + 1) + b"Marker %d\0" % (i + 1)) for i in range(points))
    return chunk(b"cue ", cue) + chunk(b"LIST", b"adtl" + labels)


def sampler_loop(length):
    head = struct.pack("<IIIIIIIII", 0, 0, 22675, 60, 0, 0, 0, 1, 0)
    loop = struct.pack("<IIIIII", 1, 0, 0, length // 4 - 1, 0, 0)
    return chunk(b"smpl", head + loop) + chunk(b"inst", bytes([60, 0, 0, 0, 127, 1, 127]))


def small_file(index):
    """The bytes of small file `index`: its kind goes round the list below."""
    length = 512 * (1 + (index * 7) % 64)  # 0.5 to 32 KB of audio
    if index % 10 == 0:
        length += 96 * 1024  # every tenth a longer one, past the check's window
    fmt = pcm_format(44100)
    sound = audio(index, length)
    data = chunk(b"data", sound)
    kind = index % 13
    if kind == 0:
        return riff(fmt + data)
    if kind == 1:
        return riff(fmt + data + info_list(index))
    if kind == 2:
        return riff(bext(index) + fmt + data)
    if kind == 3:
        return riff(fmt + cue_and_labels(1 + index % 12) + data)
    if kind == 4:
        return riff(fmt + sampler_loop(length) + data)
    if kind == 5:
        # 24-bit mono
        fmt24 = chunk(b"fmt ", struct.pack("<HHIIHH", 1, 1, 48000, 48000 * 3, 3, 24))
        return riff(fmt24 + chunk(b"data", sound[: length // 3 * 3]))
    if kind == 6:
        # 32-bit float stereo with its fact chunk
        fmtf = chunk(b"fmt ", struct.pack("<HHIIHHH", 3, 2, 44100, 44100 * 8, 8, 32, 0))
        frames = length // 8
        floats = b"".join(struct.pack("<f", (b - 128) / 128.0) for b in sound[: frames * 2])
        return riff(fmtf + chunk(b"fact", u32(frames)) + chunk(b"data", floats))
    if kind == 7:
        # A streaming writer's placeholders, chunks written after the audio.
        body = b"WAVE" + fmt + b"data" + u32(0xFFFFFFFF) + sound + info_list(index)
        return b"RIFF" + u32(0xFFFFFFFF) + body
    if kind == 8:
        # Bytes that start no chunk after the audio.
        return riff(fmt + data + b"\x01\x02garbage" * (1 + index % 5))
    if kind == 9:
        # An empty data chunk, the audio after it.
        return riff(fmt + b"data" + u32(0) + sound)
    if kind == 10:
        # An odd-sized chunk without its pad byte.
        return riff(fmt + b"JUNK" + u32(5) + b"abcde" + data)
    if kind == 11:
        # Bytes after the end the RIFF size gives.
        whole = riff(fmt + data)
        return whole + b"\0" * 64 + info_list(index)
    return riff(fmt + chunk(b"iXML", b"<BWFXML><NOTE>take %d</NOTE></BWFXML>" % index) + data)


def main():
    folder = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 3001
    os.makedirs(os.path.join(folder, "collection"), exist_ok=True)
    write_file(folder, "cue-label-32767.wav", cue_label_file())
    write_file(folder, "tone-10s.wav", riff(pcm_format(44100) + chunk(b"data", tone(10))))
    write_file(folder, "tone-20s.wav", riff(pcm_format(44100) + chunk(b"data", tone(20))))
    for index in range(count):
        write_file(os.path.join(folder, "collection"), "%04d.wav" % index, small_file(index))


if __name__ == "__main__":
    main()
