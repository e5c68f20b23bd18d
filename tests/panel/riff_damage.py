"""Named kinds of damage, applied to clean WAV files.

A base file is read into a small model (the form, its chunks, a LIST's
sub-chunks), its audio cut down so that a run stays quick, and written back.
Each damage class turns a base into one or more variants: the damaged bytes
and the intact file they are compared with (usually the base itself; for a
class that needs a chunk the base lacks, such as an odd-sized chunk for the
pad byte classes, the base with that chunk added correctly). Everything is
made in memory; nothing is stored.

The fuzz targets' structure-aware mutator (fuzz/riff_mutator.*) edits a tree
of the same shape, but it is C++ driven by libFuzzer's random choices; these
classes are fixed edits at named places, built in the same Python process that
runs the readers, so the model here is its own small one.
"""

import hashlib
import struct
from dataclasses import dataclass, field, replace
from typing import Callable, List, Optional

# How many frames of audio a base keeps.
BASE_FRAMES = 2000


# The byte order of the numbers of the file being made: "<" for RIFF and
# RF64, ">" for RIFX. Set by read_base and variants for each base in turn.
ORDER = "<"


def le32(value: int) -> bytes:
    """A 32-bit number in the file's byte order."""
    return struct.pack(ORDER + "I", value & 0xFFFFFFFF)


def le16(value: int) -> bytes:
    """A 16-bit number in the file's byte order."""
    return struct.pack(ORDER + "H", value & 0xFFFF)


def get32(data: bytes, at: int) -> int:
    return struct.unpack_from(ORDER + "I", data, at)[0]


def get16(data: bytes, at: int) -> int:
    return struct.unpack_from(ORDER + "H", data, at)[0]


@dataclass
class Chunk:
    id: bytes
    body: bytes = b""
    # A LIST's type and sub-chunks; body is built from them when set.
    list_type: Optional[bytes] = None
    children: Optional[List["Chunk"]] = None
    size: Optional[int] = None  # the size field, when not the body's length
    pad: Optional[bytes] = None  # the pad byte(s), when not the usual one
    stray: bytes = b""  # bytes after the sub-chunks of a list, inside its size

    def content(self) -> bytes:
        if self.children is None:
            return self.body
        return (self.list_type or b"") + b"".join(c.serialise() for c in self.children) + self.stray

    def serialise(self, size_field: Optional[int] = None) -> bytes:
        if self.id == b"":
            return self.body  # bytes that are no chunk
        body = self.content()
        if self.pad is not None:
            pad = self.pad
        else:
            pad = b"\0" if len(body) % 2 else b""
        size = self.size if self.size is not None else len(body)
        if size_field is not None:
            size = size_field
        return self.id + le32(size) + body + pad


@dataclass
class Wav:
    form: bytes  # b"RIFF" or b"RF64"
    chunks: List[Chunk]
    riff_size: Optional[int] = None  # when not what the chunks make
    tail: bytes = b""  # bytes after the RIFF size's end, not counted in it
    riff_delta: int = 0  # added to the counted RIFF size (or the ds64's)
    head: Optional[bytes] = None  # the first four bytes, when not the form
    keep_ds64: bool = False  # write the ds64 chunk as it is, sizes not filled in
    align: int = 1  # the intact file's block align

    def find(self, cid: bytes) -> Optional[int]:
        for i, c in enumerate(self.chunks):
            if c.id == cid:
                return i
        return None

    def fmt(self) -> Chunk:
        return self.chunks[self.find(b"fmt ")]

    def block_align(self) -> int:
        return self.align

    def serialise(self) -> bytes:
        body = bytearray(b"WAVE")
        offsets = {}
        for i, c in enumerate(self.chunks):
            offsets[i] = len(body)
            if self.form == b"RF64" and c.id == b"data" and c.size is None:
                body += c.serialise(0xFFFFFFFF)
            else:
                body += c.serialise()
        counted = len(body) + self.riff_delta
        if self.form == b"RF64" and not self.keep_ds64:
            ds = self.find(b"ds64")
            data = self.find(b"data")
            if ds is not None:
                at = offsets[ds] + 8
                data_size = len(self.chunks[data].body) if data is not None else 0
                frames = data_size // max(self.block_align(), 1)
                body[at : at + 8] = struct.pack("<Q", counted)
                body[at + 8 : at + 16] = struct.pack("<Q", data_size)
                body[at + 16 : at + 24] = struct.pack("<Q", frames)
            size_field = 0xFFFFFFFF if self.riff_size is None else self.riff_size
        else:
            size_field = counted if self.riff_size is None else self.riff_size
        return (self.head or self.form) + le32(size_field) + bytes(body) + self.tail


def parse_chunks(data: bytes, start: int, end: int, depth: int = 0) -> List[Chunk]:
    chunks = []
    at = start
    while at + 8 <= end:
        cid = data[at : at + 4]
        size = get32(data, at + 4)
        body = data[at + 8 : min(at + 8 + size, end)]
        if cid == b"LIST" and len(body) >= 4 and depth == 0:
            chunks.append(
                Chunk(cid, list_type=body[:4], children=parse_chunks(body, 4, len(body), depth + 1))
            )
        else:
            chunks.append(Chunk(cid, body))
        at += 8 + size + (size & 1)
    return chunks


def read_base(path: str) -> Wav:
    """The file as a model, its audio cut to BASE_FRAMES frames."""
    with open(path, "rb") as f:
        data = f.read()
    global ORDER
    form = data[:4]
    ORDER = ">" if form == b"RIFX" else "<"
    riff_end = min(len(data), 8 + get32(data, 4))
    if form == b"RF64":
        riff_end = len(data)
    wav = Wav(form, parse_chunks(data, 12, riff_end))
    align = get16(wav.fmt().body, 12)
    wav.align = align
    d = wav.find(b"data")
    data_chunk = wav.chunks[d]
    data_chunk.body = data_chunk.body[: BASE_FRAMES * align]
    # A fact chunk's count follows the audio kept.
    f = wav.find(b"fact")
    if f is not None:
        wav.chunks[f].body = le32(len(data_chunk.body) // align) + wav.chunks[f].body[4:]
    # Markers, loops and labels past the audio kept would be faults of the
    # base: they are moved inside it.
    for c in wav.chunks:
        _pull_inside(c, len(data_chunk.body) // align)
    return wav


def _pull_inside(chunk: Chunk, frames: int) -> None:
    def clamp(body: bytes, at: int, most: int) -> bytes:
        if at + 4 > len(body) or get32(body, at) <= most:
            return body
        return body[:at] + le32(most) + body[at + 4 :]

    if chunk.id == b"cue " and len(chunk.body) >= 4:
        count = get32(chunk.body, 0)
        for i in range(min(count, (len(chunk.body) - 4) // 24)):
            chunk.body = clamp(chunk.body, 4 + 24 * i + 4, frames // 2)
            chunk.body = clamp(chunk.body, 4 + 24 * i + 20, frames // 2)
    if chunk.id == b"smpl" and len(chunk.body) >= 36:
        count = get32(chunk.body, 28)
        for i in range(min(count, (len(chunk.body) - 36) // 24)):
            chunk.body = clamp(chunk.body, 36 + 24 * i + 8, frames // 2)
            chunk.body = clamp(chunk.body, 36 + 24 * i + 12, frames - 1)
    for sub in chunk.children or []:
        if sub.id == b"ltxt":
            sub.body = clamp(sub.body, 4, 1)


def copy(wav: Wav) -> Wav:
    def copy_chunk(c: Chunk) -> Chunk:
        return replace(c, children=[copy_chunk(s) for s in c.children] if c.children is not None else None)

    return replace(wav, chunks=[copy_chunk(c) for c in wav.chunks])


@dataclass
class Variant:
    name: str
    intact: bytes
    damaged: bytes


# --- the classes -----------------------------------------------------------

CLASSES: List["DamageClass"] = []


@dataclass
class DamageClass:
    name: str
    make: Callable[[Wav], List[Variant]]
    about: str


def damage(name: str, about: str):
    def register(fn):
        CLASSES.append(DamageClass(name, fn, about))
        return fn

    return register


def one(name: str, wav: Wav, edit) -> List[Variant]:
    """A variant from an edit of a copy; the edit returns False when it does
    not apply to this base."""
    damaged = copy(wav)
    if edit(damaged) is False:
        return []
    return [Variant(name, wav.serialise(), damaged.serialise())]


def offset_of(wav: Wav, index: int) -> int:
    """Where the header of top-level chunk `index` starts in the file."""
    at = 12
    for c in wav.chunks[:index]:
        at += len(c.serialise())
    return at


def cut(wav: Wav, at: int) -> bytes:
    return wav.serialise()[:at]


def first_after_data(wav: Wav) -> Optional[int]:
    d = wav.find(b"data")
    return d + 1 if d is not None and d + 1 < len(wav.chunks) else None


@damage("cut", "the file ends early: inside a header, inside content, inside a list, before the data")
def cut_places(wav: Wav) -> List[Variant]:
    full = wav.serialise()
    out = []
    fmt = wav.find(b"fmt ")
    data = wav.find(b"data")
    places = {
        "riff-header": 7,
        "chunk-header": offset_of(wav, fmt) + 5,
        "fmt-content": offset_of(wav, fmt) + 8 + 9,
        "before-data": offset_of(wav, data),
        "data-header": offset_of(wav, data) + 6,
        "data-content": offset_of(wav, data) + 8 + len(wav.chunks[data].body) // 2 + 1,
    }
    for i, c in enumerate(wav.chunks):
        if c.children:
            start = offset_of(wav, i)
            places.setdefault("list-content", start + 8 + 4 + len(c.children[0].serialise()) + 3)
            last = c.children[-1]
            inside = len(c.serialise()) - len(last.serialise()) + 8 + max(1, len(last.content()) // 2)
            places.setdefault("list-last-item", start + inside)
    after = first_after_data(wav)
    if after is not None:
        places["after-data-chunk"] = offset_of(wav, after) + 8 + max(1, len(wav.chunks[after].body) // 2)
    for place, at in places.items():
        if 0 < at < len(full):
            out.append(Variant(f"cut-{place}", full, full[:at]))
    return out


@damage("riff-size", "the RIFF size too small or too large by 1, 2, 7, 8, 1000 bytes")
def riff_size(wav: Wav) -> List[Variant]:
    out = []
    for delta in (1, 2, 7, 8, 1000):
        for sign, label in ((-1, "small"), (1, "large")):
            d = copy(wav)
            d.riff_delta = sign * delta
            out.append(Variant(f"riff-size-{label}-{delta}", wav.serialise(), d.serialise()))
    return out


def with_odd_chunk(wav: Wav, before: Optional[bytes], pad: Optional[bytes]) -> List[Variant]:
    """The base with an odd-sized chunk inserted before the first `before`
    chunk (or at the end), its pad byte as given in the damaged file."""
    intact = copy(wav)
    at = len(intact.chunks) if before is None else intact.find(before)
    if at is None:
        return []
    intact.chunks.insert(at, Chunk(b"note", b"odd"))
    damaged = copy(intact)
    damaged.chunks[at].pad = pad
    return [(intact, damaged)]


@damage("pad", "a missing or non-zero pad byte after an odd-sized chunk: before data, fmt, a list, at the end")
def pad(wav: Wav) -> List[Variant]:
    out = []
    places = {"before-data": b"data", "before-fmt": b"fmt ", "before-list": b"LIST", "at-end": None}
    for place, before in places.items():
        for kind, byte in (("missing", b""), ("nonzero", b"\x7f")):
            for intact, damaged in with_odd_chunk(wav, before, byte):
                out.append(Variant(f"pad-{kind}-{place}", intact.serialise(), damaged.serialise()))
    return out


STRAYS = {"3-zeros": b"\0" * 3, "5-ff": b"\xff" * 5, "12-zeros": b"\0" * 12, "9-ff": b"\xff" * 9}


@damage("stray", "bytes that are no chunk at the end of the RIFF, of a list, after a list, after the RIFF")
def stray(wav: Wav) -> List[Variant]:
    out = []
    lst = next((i for i, c in enumerate(wav.chunks) if c.children), None)
    for label, junk in STRAYS.items():
        d = copy(wav)
        d.chunks.append(Chunk(b"", junk, pad=b""))
        out.append(Variant(f"stray-end-of-riff-{label}", wav.serialise(), d.serialise()))
        d = copy(wav)
        d.tail = junk
        out.append(Variant(f"stray-after-riff-{label}", wav.serialise(), d.serialise()))
        if lst is not None:
            d = copy(wav)
            d.chunks[lst].stray = junk
            out.append(Variant(f"stray-end-of-list-{label}", wav.serialise(), d.serialise()))
            d = copy(wav)
            d.chunks.insert(lst + 1, Chunk(b"", junk, pad=b""))
            out.append(Variant(f"stray-after-list-{label}", wav.serialise(), d.serialise()))
    return out


@damage("bad-id", "a chunk id with a leading or embedded space, or a byte outside ASCII")
def bad_id(wav: Wav) -> List[Variant]:
    out = []
    for label, cid in (("embedded-space", b"ab c"), ("leading-space", b" abc"), ("non-ascii", b"ab\xe9c")):
        for place, before in (("before-data", b"data"), ("at-end", None)):
            intact = copy(wav)
            at = len(intact.chunks) if before is None else intact.find(before)
            intact.chunks.insert(at, Chunk(b"abcd", b"12345678"))
            damaged = copy(intact)
            damaged.chunks[at].id = cid
            out.append(Variant(f"bad-id-{label}-{place}", intact.serialise(), damaged.serialise()))
        # An empty chunk with such an id, last in the file.
        intact = copy(wav)
        intact.chunks.append(Chunk(b"abcd", b""))
        damaged = copy(intact)
        damaged.chunks[-1].id = cid
        out.append(Variant(f"bad-id-{label}-empty-last", intact.serialise(), damaged.serialise()))
    return out


def fixed_chunk(cid: bytes, wav: Wav) -> Optional[bytes]:
    """A valid content for a fixed-size chunk the base may lack."""
    frames = len(wav.chunks[wav.find(b"data")].body) // wav.block_align()
    if cid == b"fact":
        return le32(frames)
    if cid == b"slnt":
        return le32(100)
    if cid == b"inst":
        return bytes([60, 0, 0, 0, 127, 1, 127])
    if cid == b"smpl":
        head = struct.pack(ORDER + "9I", 0, 0, 22675, 60, 0, 0, 0, 1, 0)
        return head + struct.pack(ORDER + "6I", 0, 0, 0, frames - 1, 0, 0)
    if cid == b"bext":
        return b"Damage test".ljust(256, b"\0") + b"panel".ljust(32, b"\0") + b"\0" * 32 + b"2026-01-01" + (
            b"00:00:00" + struct.pack(ORDER + "QH", 0, 1) + b"\0" * 64 + b"\0" * 10 + b"\0" * 180
        )
    return None


FIXED = {b"fmt ": 16, b"fact": 4, b"slnt": 4, b"inst": 7, b"smpl": 36, b"bext": 602, b"ds64": 28}


@damage("chunk-size", "a fmt, fact, slnt, inst, smpl, bext or ds64 chunk oversized or shorter than its fields")
def chunk_size(wav: Wav) -> List[Variant]:
    out = []
    for cid, fixed in FIXED.items():
        name = cid.decode().strip()
        intact = copy(wav)
        i = intact.find(cid)
        if i is None:
            content = fixed_chunk(cid, wav)
            if content is None:
                continue
            at = intact.find(b"data")
            intact.chunks.insert(at, Chunk(cid, content))
            i = at
        body = intact.chunks[i].body
        short = copy(intact)
        short.chunks[i].body = body[: max(0, fixed - 6) if cid != b"ds64" else 24]
        if cid == b"ds64":
            short.keep_ds64 = True
            short.chunks[i].body = intact.serialise()[20:44]
        out.append(Variant(f"{name}-short", intact.serialise(), short.serialise()))
        if cid == b"ds64":
            eight = copy(intact)
            eight.keep_ds64 = True
            eight.chunks[i].body = intact.serialise()[20:28]
            out.append(Variant("ds64-8-bytes", intact.serialise(), eight.serialise()))
        long_ = copy(intact)
        long_.chunks[i].body = body + b"\0" * 8
        out.append(Variant(f"{name}-long", intact.serialise(), long_.serialise()))
    return out


@damage("swallow", "a chunk whose size runs over the header of the chunk after it")
def swallow(wav: Wav) -> List[Variant]:
    out = []
    # The chunk before the data, the data itself, and the first after it.
    d = wav.find(b"data")
    for i in sorted({max(d - 1, 0), d, d + 1}):
        if i + 1 >= len(wav.chunks):
            continue
        c = wav.chunks[i]
        nxt = wav.chunks[i + 1]
        label = c.id.decode("latin-1").strip() + "-swallows-" + nxt.id.decode("latin-1").strip()
        d = copy(wav)
        own = len(c.content())
        d.chunks[i].size = own + (own & 1) + 8 + min(len(nxt.content()), 16)
        out.append(Variant(f"swallow-{label}", wav.serialise(), d.serialise()))
    return out


@damage("streaming", "the data size left as a streaming placeholder, with chunks after the audio")
def streaming(wav: Wav) -> List[Variant]:
    if wav.form == b"RF64":
        return []
    out = []
    intact = copy(wav)
    # Everything but fmt and data moves after the audio, as a recorder that
    # adds its metadata at the end writes it.
    others = [c for c in intact.chunks if c.id not in (b"fmt ", b"data", b"fact")]
    if not others:
        others = [Chunk(b"smpl", fixed_chunk(b"smpl", wav))]
    intact.chunks = [c for c in intact.chunks if c.id in (b"fmt ", b"fact", b"data")] + others
    d_at = intact.find(b"data")
    for label, size in (("zero", 0), ("ffffffff", 0xFFFFFFFF), ("7ffff000", 0x7FFFF000)):
        d = copy(intact)
        d.chunks[d_at].size = size
        d.riff_size = size
        out.append(Variant(f"streaming-{label}", intact.serialise(), d.serialise()))
        d = copy(intact)
        d.chunks[d_at].size = size
        out.append(Variant(f"streaming-data-only-{label}", intact.serialise(), d.serialise()))
    return out


@damage("rifx-head", "a RIFX head on a little-endian file")
def rifx_head(wav: Wav) -> List[Variant]:
    if wav.form != b"RIFF":
        return []
    d = copy(wav)
    d.head = b"RIFX"
    return [Variant("rifx-head", wav.serialise(), d.serialise())]


def with_fmt_field(wav: Wav, offset: int, value: int, width: int = 2) -> Wav:
    d = copy(wav)
    f = d.fmt()
    packed = le16(value) if width == 2 else le32(value)
    f.body = f.body[:offset] + packed + f.body[offset + width :]
    return d


@damage("fmt-fields", "block align or byte rate 0 or inconsistent with the channels and bits")
def fmt_fields(wav: Wav) -> List[Variant]:
    full = wav.serialise()
    align = wav.block_align()
    rate = get32(wav.fmt().body, 8)
    out = [
        Variant("block-align-zero", full, with_fmt_field(wav, 12, 0).serialise()),
        Variant("byte-rate-zero", full, with_fmt_field(wav, 8, 0, 4).serialise()),
        Variant("block-align-double", full, with_fmt_field(wav, 12, align * 2).serialise()),
        Variant("byte-rate-half", full, with_fmt_field(wav, 8, rate // 2, 4).serialise()),
    ]
    both = with_fmt_field(with_fmt_field(wav, 12, 0), 8, 0, 4)
    out.append(Variant("block-align-and-byte-rate-zero", full, both.serialise()))
    # A wrong block align whose byte rate is right for the channels and bits.
    if align > 1:
        out.append(Variant("block-align-minus-one", full, with_fmt_field(wav, 12, align - 1).serialise()))
    return out


@damage("cb-size", "fmt bytes beyond what cbSize counts")
def cb_size(wav: Wav) -> List[Variant]:
    f = wav.fmt()
    # FFmpeg refuses a RIFX file whose fmt chunk is longer than 16 bytes,
    # the intact one of these too.
    if wav.form == b"RIFX":
        return []
    if get16(f.body, 0) == 0xFFFE:
        d = copy(wav)
        d.fmt().body = f.body + b"\0\0\0\0"
        return [Variant("fmt-beyond-cbsize-extensible", wav.serialise(), d.serialise())]
    base = f.body[:16]
    intact = copy(wav)
    intact.fmt().body = base + le16(0)
    d = copy(wav)
    d.fmt().body = base + le16(0) + b"\0\0\0\0"
    e = copy(wav)
    e.fmt().body = base + b"\0\0\0\0"  # 20 bytes, cbSize 0 then two stray
    odd = copy(wav)
    odd.fmt().body = base + le16(0) + b"\0"  # 19 bytes and the pad byte after them
    return [
        Variant("fmt-beyond-cbsize", intact.serialise(), d.serialise()),
        Variant("fmt-20-bytes", intact.serialise(), e.serialise()),
        Variant("fmt-19-bytes-padded", intact.serialise(), odd.serialise()),
    ]


def id3_tag() -> bytes:
    frame = b"TIT2" + struct.pack(">I", 6) + b"\0\0" + b"\0Title"
    return b"ID3\x03\x00\x00" + bytes([0, 0, 0, len(frame)]) + frame


def info_list() -> Chunk:
    return Chunk(b"LIST", list_type=b"INFO", children=[Chunk(b"INAM", b"Outside\0"), Chunk(b"ICMT", b"A note\0")])


@damage("outside-riff", "an ID3 tag or an INFO list after the end the RIFF size gives")
def outside_riff(wav: Wav) -> List[Variant]:
    out = []
    for label, chunk in (("id3", Chunk(b"id3 ", id3_tag())), ("info", info_list())):
        if label == "info" and any(c.list_type == b"INFO" for c in wav.chunks):
            continue
        # A base's own ID3 chunk is the one moved out: a second would leave
        # the first for tag readers to find.
        own = wav.find(b"id3 ") if label == "id3" else None
        intact = copy(wav)
        if own is not None:
            chunk = intact.chunks.pop(own)
        intact.chunks.append(chunk)
        d = copy(intact)
        d.chunks.pop()
        d.tail = chunk.serialise()
        out.append(Variant(f"outside-riff-{label}", intact.serialise(), d.serialise()))
    return out


@damage("counts", "a fact count other than the audio's length, audio that ends in part of a frame")
def counts(wav: Wav) -> List[Variant]:
    out = []
    frames = len(wav.chunks[wav.find(b"data")].body) // wav.block_align()
    intact = copy(wav)
    f = intact.find(b"fact")
    if f is None:
        intact.chunks.insert(intact.find(b"data"), Chunk(b"fact", le32(frames)))
        f = intact.find(b"fact")
    for label, count in (("high", frames * 2), ("low", frames // 2)):
        d = copy(intact)
        d.chunks[f].body = le32(count) + d.chunks[f].body[4:]
        out.append(Variant(f"fact-count-{label}", intact.serialise(), d.serialise()))
    if wav.block_align() > 1:
        d = copy(wav)
        data = d.chunks[d.find(b"data")]
        data.body = data.body + b"\0"
        out.append(Variant("data-partial-frame", wav.serialise(), d.serialise()))
    return out


@damage("second", "a second ds64 or MD5 chunk")
def second(wav: Wav) -> List[Variant]:
    out = []
    # An MD5 chunk of the audio after the data, then the same chunk twice.
    audio = wav.chunks[wav.find(b"data")].body
    intact = copy(wav)
    intact.chunks.append(Chunk(b"MD5 ", hashlib.md5(audio).digest()))
    twice = copy(intact)
    twice.chunks.append(Chunk(b"MD5 ", hashlib.md5(audio).digest()))
    out.append(Variant("second-md5", intact.serialise(), twice.serialise()))
    if wav.form == b"RF64":
        ds = wav.find(b"ds64")
        d = copy(wav)
        d.chunks.insert(ds + 1, Chunk(b"ds64", wav.serialise()[20:48]))
        out.append(Variant("second-ds64", wav.serialise(), d.serialise()))
    return out


def is_float(wav: Wav) -> bool:
    body = wav.fmt().body
    tag = get16(body, 0)
    return tag == 3 or (tag == 0xFFFE and len(body) >= 26 and get16(body, 24) == 3)


@damage("order", "the data chunk before the fmt chunk; a second fmt chunk; no data chunk at all")
def order(wav: Wav) -> List[Variant]:
    full = wav.serialise()
    out = []
    first = copy(wav)
    fmt = first.chunks.pop(first.find(b"fmt "))
    first.chunks.insert(first.find(b"data") + 1, fmt)
    out.append(Variant("data-before-fmt", full, first.serialise()))
    twice = copy(wav)
    twice.chunks.insert(twice.find(b"fmt ") + 1, copy(wav).fmt())
    out.append(Variant("second-fmt", full, twice.serialise()))
    none = copy(wav)
    none.chunks.pop(none.find(b"data"))
    if wav.form != b"RF64":  # an RF64 file's ds64 gives the data size
        out.append(Variant("no-data-chunk", full, none.serialise()))
    return out


@damage("count-beyond", "a cue or loop count far beyond the records its chunk holds")
def count_beyond(wav: Wav) -> List[Variant]:
    out = []
    for cid, at in ((b"cue ", 0), (b"smpl", 28)):
        intact = copy(wav)
        i = intact.find(cid)
        if i is None:
            if cid == b"cue ":
                record = le32(1) + le32(0) + b"data" + le32(0) + le32(0) + le32(0)
                content = le32(1) + record
            else:
                content = fixed_chunk(cid, wav)
            i = intact.find(b"data")
            intact.chunks.insert(i, Chunk(cid, content))
        d = copy(intact)
        body = d.chunks[i].body
        d.chunks[i].body = body[:at] + le32(1000) + body[at + 4 :]
        out.append(Variant(f"{cid.decode().strip()}-count-beyond", intact.serialise(), d.serialise()))
    return out


@damage("pad-harmless", "a missing pad byte before a last chunk no reader reads, or before an empty list")
def pad_harmless(wav: Wav) -> List[Variant]:
    out = []
    for label, last in (("unread-last", Chunk(b"iXTC", b"1234")), ("empty-list", Chunk(b"LIST", b"INFO"))):
        intact = copy(wav)
        intact.chunks += [Chunk(b"note", b"odd"), last]
        damaged = copy(intact)
        damaged.chunks[-2].pad = b""
        out.append(Variant(f"pad-missing-before-{label}", intact.serialise(), damaged.serialise()))
    return out


@damage("bogus-size", "the data chunk last, its size a bogus huge number (0xFFFFFF9B, -101)")
def bogus_size(wav: Wav) -> List[Variant]:
    if wav.form != b"RIFF":
        return []
    intact = copy(wav)
    data = intact.chunks.pop(intact.find(b"data"))
    intact.chunks.append(data)
    d = copy(intact)
    d.chunks[-1].size = 0xFFFFFF9B
    return [Variant("data-size-bogus", intact.serialise(), d.serialise())]


@damage("fact-float", "float audio without a fact chunk")
def fact_float(wav: Wav) -> List[Variant]:
    if not is_float(wav):
        return []
    intact = copy(wav)
    if intact.find(b"fact") is None:
        frames = len(wav.chunks[wav.find(b"data")].body) // wav.block_align()
        intact.chunks.insert(intact.find(b"data"), Chunk(b"fact", le32(frames)))
    d = copy(intact)
    d.chunks.pop(d.find(b"fact"))
    return [Variant("float-without-fact", intact.serialise(), d.serialise())]


@damage("smpl-unused", "unused bytes after a smpl chunk's loop records and sampler data")
def smpl_unused(wav: Wav) -> List[Variant]:
    intact = copy(wav)
    i = intact.find(b"smpl")
    if i is None:
        i = intact.find(b"data")
        intact.chunks.insert(i, Chunk(b"smpl", fixed_chunk(b"smpl", wav)))
    d = copy(intact)
    d.chunks[i].body += b"\0" * 24
    return [Variant("smpl-unused-bytes", intact.serialise(), d.serialise())]


@damage("impossible-format", "a sample size no format has, a sample rate no recording has")
def impossible_format(wav: Wav) -> List[Variant]:
    full = wav.serialise()
    body = wav.fmt().body
    channels = get16(body, 2)
    out = []
    if get16(body, 0) in (1, 3):
        for bits in (7, 33, 64) if get16(body, 0) == 1 else (16, 24):
            align = channels * ((bits + 7) // 8)
            d = with_fmt_field(with_fmt_field(wav, 14, bits), 12, align)
            d = with_fmt_field(d, 8, get32(body, 4) * align, 4)
            out.append(Variant(f"sample-size-{bits}", full, d.serialise()))
    for rate in (1, 8):
        d = with_fmt_field(with_fmt_field(wav, 4, rate, 4), 8, rate * wav.block_align(), 4)
        out.append(Variant(f"sample-rate-{rate}", full, d.serialise()))
    return out


def variants(wav: Wav) -> List[Variant]:
    global ORDER
    ORDER = ">" if wav.form == b"RIFX" else "<"
    out = []
    for cls in CLASSES:
        for v in cls.make(wav):
            out.append(v)
    return out
