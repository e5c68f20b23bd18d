"""Little-endian RIFF pieces for the cost scripts' files."""
import os
import struct


def u32(v):
    return struct.pack("<I", v)


def chunk(cid, payload, size=None):
    """A chunk: id, size field (the payload's length unless given), payload, pad byte."""
    out = cid + u32(len(payload) if size is None else size) + payload
    return out + b"\0" if len(payload) % 2 else out


def riff(chunks, size=None):
    """A RIFF WAVE file around the chunks; the RIFF size is computed unless given."""
    body = b"WAVE" + chunks
    return b"RIFF" + u32(len(body) if size is None else size) + body


def pcm_format(rate):
    """The fmt chunk of 16-bit stereo PCM at `rate` frames a second."""
    return chunk(b"fmt ", struct.pack("<HHIIHH", 1, 2, rate, rate * 4, 4, 16))


# A data chunk of one frame.
DATA = chunk(b"data", bytes(4))


def write_file(folder, name, data):
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def cue_label_file(count=32767):
    """A file of `count` cue points and `count` labels naming them, 400 bytes of audio apart."""
    rec = struct.Struct("<II4sIII")
    cue = u32(count) + b"".join(rec.pack(i + 1, i * 100, b"data", 0, 0, i * 100) for i in range(count))
    labels = b"".join(chunk(b"labl", u32(i + 1) + b"Marker %d\0" % (i + 1)) for i in range(count))
    return riff(pcm_format(44100) + chunk(b"cue ", cue) + chunk(b"LIST", b"adtl" + labels) +
                chunk(b"data", bytes(count * 400)))


def marked_texts_file(count=32767, text_bytes=4096):
    """`count` cue points over a short tone of silence and one associated-data
    list of `count` labels, `count` notes and `count` labelled texts naming
    them, each text `text_bytes` long: about 405 MB, 688,108 rows in the
    window's list at 4 KB a text."""
    rec = struct.Struct("<II4sIII")
    cue = u32(count) + b"".join(rec.pack(i + 1, i * 10, b"data", 0, 0, i * 10) for i in range(count))
    text = (b"abcdefghijklmnopqrstuvwxyz" * (text_bytes // 26 + 1))[:text_bytes] + b"\0"
    region = struct.Struct("<II4sHHHH")
    records = [chunk(b"labl", u32(i + 1) + text) for i in range(count)]
    records += [chunk(b"note", u32(i + 1) + text) for i in range(count)]
    records += [chunk(b"ltxt", region.pack(i + 1, 10, b"rgn ", 0, 0, 0, 0) + text) for i in range(count)]
    return riff(pcm_format(44100) + chunk(b"cue ", cue) + chunk(b"LIST", b"adtl" + b"".join(records)) +
                chunk(b"data", bytes(count * 40)))
