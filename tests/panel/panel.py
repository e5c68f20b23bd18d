#!/usr/bin/env python3
"""The reader panel: what real WAV readers get from a file, against the same
file intact, and whether ondulo-dump's check says as much.

Readers: libsndfile (through its C API, the small program sndfile_reader:
samples, INFO strings, cue points, instrument and loops, bext, and the lines
of its log that mark a fault), FFmpeg (one ffprobe run that decodes every
frame and gives the stream and the tags), Python's wave module (a partial
frame handed back is its complaint), SoX (decoding every sample), SciPy's
scipy.io.wavfile (which refuses a byte rate or block align that disagrees
with the other fields and warns of an early end) and mutagen (a tag reader:
the ID3 tag it finds). What a reader writes to stderr, warns of or logs is
its complaint. Each reader's outcome on a file is one of, from worst to
best:
  refuses          it will not open or decode the file at all
  loses-audio      fewer samples than the intact file, more (noise read from
                   bytes that are no audio), or other sample values
  loses-metadata   a tag, marker, loop or bext it reads from the intact file
                   is gone or changed
  complains        it gets everything but reports a wrong length, or writes
                   a complaint the intact file does not give
  gets-everything
A reader that cannot read the intact file either (Python's wave and float or
RF64 audio) is "n/a" for that file.

The rule: a file earns an error exactly when some reader refuses it or loses
audio or metadata; a warning when every reader gets the content but some
complain; otherwise notes at most. Disagreements are listed one a line;
those in the allow-list (case and base patterns, the rule's level, what the
check says, the reader and version that backs the row, the reason) are
counted but do not fail. A row never excuses a check milder than an error
where a reader refuses or loses content, and a row that matches nothing
fails the run. Each damage class must give the finding codes, at their
levels, that expected_codes.tsv names for it (case and base patterns, the
codes beyond the intact file's, "-" for none): a wrong extra finding below
the worst level fails too. The exit status of --check on each intact file
must follow its findings too.

Modes:
  panel.py file FILE [INTACT]                 each reader's outcome, as JSON
  panel.py rule DUMP SNDFILE_READER [ALLOW]   damage classes x base files
  panel.py corpus DUMP SNDFILE_READER DIR...  the check over real files
  panel.py mend DUMP SNDFILE_READER           damage classes x base files, mended:
                                              every reader reads each mended copy
                                              as it reads the intact base
Exit status 77 when a reader is missing (the test is then skipped).
Environment: ONDULO_SHARED_DIR (the folder holding corpus/ and corpus2/;
the rule takes the base files it lacks from tests/data/corpus where they are
there too, and says so),
ONDULO_PANEL_ONLY (a shell pattern: only the damage cases it matches),
ONDULO_PANEL_REPORT (a file for every row, as JSON, or the corpus table),
ONDULO_PANEL_MARKDOWN (a file for the disagreements as a Markdown table),
ONDULO_PANEL_WRITE_EXPECTED (a file for the codes each case gave, in the
form of expected_codes.tsv, to be read before it is kept).
SciPy and mutagen are Debian's python3-scipy and python3-mutagen: where the
interpreter running the panel lacks them, the panel runs again under the
system's /usr/bin/python3 if that has them.
"""

import concurrent.futures
import fnmatch
import hashlib
import io
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import warnings
import wave

HERE = os.path.dirname(os.path.abspath(__file__))
# What each damage class must give (see load_expected).
EXPECTED_CODES = os.path.join(HERE, "expected_codes.tsv")
# Where base files missing from the shared folder are looked for.
TEST_CORPUS = os.path.normpath(os.path.join(HERE, "..", "data", "corpus"))
sys.path.insert(0, HERE)
import riff_damage  # noqa: E402

SKIP = 77
OUTCOMES = ["gets-everything", "complains", "loses-metadata", "loses-audio", "refuses"]
READERS = ["sndfile", "ffmpeg", "wave", "sox", "scipy", "mutagen"]
LEVELS = {"none": 0, "note": 1, "warning": 2, "error": 3}

# Base files: several writers and formats. Each is cut to a few thousand
# frames when the damage set is made.
BASES = [
    "corpus2/sfmeta-bext-info.wav",  # libsndfile: PCM 16 stereo, bext, LIST/INFO
    "corpus/wavrw_1khz_sine_48k_mono_region_marker.wav",  # REAPER: PCM 24 mono, cue, adtl, smpl, bext
    "corpus/wavinfo_alarm_citizen_loop1_fr.wav",  # Sound Forge: PCM 16, smpl, INFO
    "corpus/wavefile-js_test-cue-reaper.wav",  # REAPER: PCM 16, cue
    "corpus2/pywave-s24-stereo.wav",  # Python's wave: PCM 24, nothing else
    "corpus2/scipy-f32-stereo.wav",  # SciPy: float 32
    "corpus/wavefile-js_Audacity-16bit.wav",  # Audacity: PCM 16, INFO, id3
    "corpus/wavefile-js_RF64-16bit-8kHz-stereo-reaper.wav",  # REAPER: RF64
    "corpus/wavefile-js_RIFX-16bit-mono.wav",  # RIFX: PCM 16 big-endian
]


def run(cmd, stdin=None, timeout=60):
    try:
        p = subprocess.run(cmd, input=stdin, capture_output=True, timeout=timeout)
        return p.returncode, p.stdout, p.stderr.decode("utf-8", "replace")
    except subprocess.TimeoutExpired:
        return -1, b"", "timed out"


def digest(data: bytes) -> str:
    return hashlib.blake2b(data, digest_size=8).hexdigest()


# --- the readers: each returns a dict of what it got -----------------------


def read_sndfile(path, program):
    rc, out, err = run([program, path])
    if rc != 0:
        return {"refused": True, "error": f"exit {rc}: {err.strip()[:200]}"}
    got = json.loads(out)
    if not got["refused"]:
        # An unknown chunk id is what the log says of every chunk it does not
        # read; it is no complaint about the file. Every other line its log
        # marks as wrong is one: a program reading the file can show it.
        got["complaints"] = sorted({c.strip() for c in got.pop("complaints") if "unknown marker" not in c})
        got["metadata"] = {
            **{"str:" + k: v for k, v in got.pop("strings").items()},
            "cues": got.pop("cues"),
            "cue points": got.pop("cue_digest"),
            "instrument": got.pop("instrument"),
            "loops": got.pop("loops"),
            "instrument fields": got.pop("instrument_fields"),
            "bext": got.pop("bext"),
            "bext fields": got.pop("bext_fields"),
        }
        got["samples"] = got["frames"]
        got["declared"] = got.pop("declared_frames")
    return got


def clean_ffmpeg_error(line):
    # Addresses ("[wav @ 0x55d...]") differ from run to run.
    return re.sub(r"0x[0-9a-f]+", "0x?", line.strip())


def read_ffmpeg(path):
    # One ffprobe run decodes every frame of the first audio stream (the
    # samples of each frame counted) and gives the stream and the tags; what
    # FFmpeg complains of goes to stderr. Sample values are left to the other
    # readers' digests.
    rc, out, err = run(
        [
            "ffprobe", "-v", "error", "-of", "json", "-select_streams", "a:0",
            "-show_entries", "frame=nb_samples:stream=codec_name,channels,sample_rate,duration_ts:format=duration:format_tags",
            path,
        ]
    )
    try:
        probe = json.loads(out or b"{}")
    except ValueError:
        probe = {}
    streams = probe.get("streams", [])
    if rc != 0 or not streams:
        return {"refused": True, "error": (clean_ffmpeg_error(err.replace(path, "F")) or "no audio stream")[:200]}
    s = streams[0]
    fmt = probe.get("format", {})
    return {
        "refused": False,
        "samples": sum(int(f.get("nb_samples", 0)) for f in probe.get("frames", [])) * int(s.get("channels") or 1),
        "declared": s.get("duration_ts"),
        "duration": fmt.get("duration"),
        "format": f'{s.get("codec_name")}/{s.get("channels")}/{s.get("sample_rate")}',
        "metadata": {"tag:" + k: v for k, v in fmt.get("tags", {}).items()},
        # The file's own name is left out, so that the damaged file's lines
        # compare with the intact one's.
        "complaints": sorted({clean_ffmpeg_error(x.replace(path, "F")) for x in err.splitlines() if x.strip()}),
    }


def read_wave(path):
    try:
        with wave.open(path, "rb") as w:
            declared = w.getnframes()
            params = (w.getnchannels(), w.getsampwidth(), w.getframerate())
            data = io.BytesIO()
            while True:
                block = w.readframes(65536)
                if not block:
                    break
                data.write(block)
            pcm = data.getvalue()
    except Exception as e:  # wave raises wave.Error, EOFError, struct.error ...
        return {"refused": True, "error": f"{type(e).__name__}: {e}"[:200]}
    # readframes hands back the bytes of a partial last frame as they are:
    # the whole frames are the audio, the rest a fault it passes on.
    frame = max(params[0] * params[1], 1)
    whole = len(pcm) - len(pcm) % frame
    return {
        "refused": False,
        "samples": whole // max(params[1], 1),
        "digest": digest(pcm[:whole]),
        "declared": declared * params[0],  # in samples, as "samples" counts
        "format": "%d/%d/%d" % params,
        "metadata": {},
        "complaints": [f"hands back {len(pcm) - whole} bytes of a partial frame"] if whole != len(pcm) else [],
    }


def read_sox(path):
    rc, pcm, err = run(["sox", "-V2", path, "-t", "raw", "-e", "signed", "-b", "32", "-"])
    if rc != 0:
        return {"refused": True, "error": err.replace(path, "F").strip()[:200]}
    return {
        "refused": False,
        "samples": len(pcm) // 4,
        "digest": digest(pcm),
        "metadata": {},
        "complaints": sorted({re.sub(r"`[^`']*'", "`F'", x.strip()) for x in err.splitlines() if x.strip()}),
    }


def read_scipy(path):
    # SciPy's loader refuses a byte rate or block align that does not follow
    # from the other fields and warns where the audio ends early; what it
    # warns of is its complaint.
    import numpy
    import scipy.io.wavfile

    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        try:
            rate, samples = scipy.io.wavfile.read(path)
        except Exception as e:  # ValueError, EOFError, struct.error ...
            return {"refused": True, "error": f"{type(e).__name__}: {e}"[:200]}
    samples = numpy.ascontiguousarray(samples)
    channels = samples.shape[1] if samples.ndim > 1 else 1
    return {
        "refused": False,
        "samples": int(samples.size),
        "digest": digest(samples.tobytes()),
        "format": f"{samples.dtype}/{channels}/{rate}",
        "metadata": {},
        # Every chunk it does not read it warns of; that is no complaint
        # about the file.
        "complaints": sorted({str(w.message)[:200] for w in caught if "not understood" not in str(w.message)}),
    }


def read_mutagen(path):
    # A tag reader: what counts is the ID3 tag it finds. A file it cannot
    # parse loses its tag to it; a file with no tag has nothing to lose.
    import mutagen.wave

    try:
        tags = mutagen.wave.WAVE(path).tags
    except Exception as e:  # mutagen.MutagenError, struct.error ...
        return {"refused": True, "error": f"{type(e).__name__}: {e}"[:200], "tag_reader": True}
    found = {"id3:" + k: str(v) for k, v in (tags or {}).items()}
    return {"refused": False, "samples": None, "metadata": found, "complaints": [], "tag_reader": True}


def missing_readers(sndfile_program):
    missing = [p for p in ("ffprobe", "ffmpeg", "sox") if shutil.which(p) is None]
    for module in ("scipy.io.wavfile", "mutagen.wave"):
        try:
            __import__(module)
        except ImportError:
            missing.append(module.split(".")[0])
    if not sndfile_program or not os.access(sndfile_program, os.X_OK):
        missing.append("sndfile_reader")
    return missing


class Panel:
    def __init__(self, sndfile_program, workers=None):
        self.sndfile = sndfile_program
        self.pool = concurrent.futures.ThreadPoolExecutor(max_workers=workers or (os.cpu_count() or 2) * 2)
        self.cache = {}
        self.seconds = {r: 0.0 for r in READERS}  # wall time spent in each reader, summed

    def timed(self, name, fn, *args):
        started = time.monotonic()
        try:
            return fn(*args)
        finally:
            self.seconds[name] += time.monotonic() - started

    def read(self, path):
        """Every reader on one file, in parallel."""
        futures = {
            "sndfile": self.pool.submit(self.timed, "sndfile", read_sndfile, path, self.sndfile),
            "ffmpeg": self.pool.submit(self.timed, "ffmpeg", read_ffmpeg, path),
            "wave": self.pool.submit(self.timed, "wave", read_wave, path),
            "sox": self.pool.submit(self.timed, "sox", read_sox, path),
            "scipy": self.pool.submit(self.timed, "scipy", read_scipy, path),
            "mutagen": self.pool.submit(self.timed, "mutagen", read_mutagen, path),
        }
        return {name: f.result() for name, f in futures.items()}

    def times(self):
        return ", ".join(f"{r} {s:.1f} s" for r, s in self.seconds.items())

    def read_bytes(self, data, tmpdir, name):
        key = digest(data) + str(len(data))
        if key not in self.cache:
            path = os.path.join(tmpdir, name)
            with open(path, "wb") as f:
                f.write(data)
            self.cache[key] = self.read(path)
        return self.cache[key]


def classify(damaged, intact):
    """One reader's outcome on a damaged file against the intact one, with
    what it saw."""
    if intact["refused"]:
        return "n/a", "refuses the intact file too"
    if damaged["refused"]:
        if damaged.get("tag_reader"):
            # A tag reader refusing the file loses its tags, if it has any.
            return ("loses-metadata", damaged["error"]) if intact["metadata"] else ("gets-everything", "")
        return "refuses", damaged["error"]
    if damaged["samples"] != intact["samples"]:
        more = damaged["samples"] > intact["samples"]
        return "loses-audio", "%d samples, intact %d%s" % (
            damaged["samples"],
            intact["samples"],
            " (noise)" if more else "",
        )
    if damaged.get("digest") != intact.get("digest"):
        return "loses-audio", "other sample values"
    lost = [k for k, v in intact["metadata"].items() if damaged["metadata"].get(k) != v]
    if lost:
        return "loses-metadata", "lost " + ", ".join(lost)
    wrong = []
    if damaged.get("declared") != intact.get("declared"):
        wrong.append("length %s, intact %s" % (damaged.get("declared"), intact.get("declared")))
    if damaged.get("duration") != intact.get("duration"):
        wrong.append("duration %s, intact %s" % (damaged.get("duration"), intact.get("duration")))
    if damaged.get("format") != intact.get("format"):
        wrong.append("format %s, intact %s" % (damaged.get("format"), intact.get("format")))
    new = [c for c in damaged.get("complaints", []) if c not in intact.get("complaints", [])]
    if new:
        wrong.append("says: " + new[0][:120])
    if wrong:
        return "complains", "; ".join(wrong)
    return "gets-everything", ""


def required_level(outcomes):
    worst = max((OUTCOMES.index(o) for o, _ in outcomes.values() if o in OUTCOMES), default=0)
    if worst >= OUTCOMES.index("loses-metadata"):
        return "error"
    if worst == OUTCOMES.index("complains"):
        return "warning"
    return "note"


def check(dump, paths):
    """ondulo-dump --check on every file in one run (JSON Lines): each file's
    findings and worst level (from the exact counts)."""
    results = {}
    for first in range(0, len(paths), 500):
        batch = paths[first : first + 500]
        rc, out, err = run([dump, "--check", "--jsonl", "--", *batch], timeout=600)
        for line in out.decode("utf-8", "replace").splitlines():
            try:
                doc = json.loads(line)
            except ValueError:
                continue
            if "path" not in doc:
                continue
            counts = doc.get("finding_counts") or {}
            level = next((lv for lv in ("error", "warning", "note") if counts.get(lv)), "none")
            findings = doc.get("findings") or []
            if doc.get("error") and not doc.get("structure"):
                # Not read at all (too short to be a WAV file): as an error.
                level = "error"
                findings = [{"level": "error", "code": "not-read"}]
            results[doc["path"]] = {"level": level, "findings": findings, "exit": rc, "status": doc.get("status")}
    for path in paths:
        # A file the run did not report on (it crashed or hung): the worst.
        results.setdefault(path, {"level": "crash", "findings": [], "exit": None})
    return results


def finding_codes(findings):
    return ",".join(f'{f.get("level")[0]}:{f.get("code")}' for f in findings) or "-"


def agrees(level, required):
    if required == "error":
        return level == "error"
    if required == "warning":
        return level == "warning"
    return level in ("none", "note")


# How an allow-list row names the reader that backs it: one of these, then
# its version ("libsndfile 1.2.0").
READER_NAMES = {"libsndfile": "sndfile", "FFmpeg": "ffmpeg", "SoX": "sox", "wave": "wave", "SciPy": "scipy",
                "mutagen": "mutagen"}


def table_rows(path, columns):
    """The TAB-separated rows of a table file, comments and blank lines left
    out, each with its line number; a row of another width is an error."""
    rows, bad = [], []
    if path and os.path.exists(path):
        with open(path, encoding="utf-8") as f:
            for number, line in enumerate(f, 1):
                if not line.strip() or line.startswith("#"):
                    continue
                parts = line.rstrip("\n").split("\t")
                (rows if len(parts) == columns else bad).append((number, parts))
    return rows, [f"{path}:{n}: {len(parts)} columns, not {columns}" for n, parts in bad]


def load_allow(path):
    """The allow-list's rows, and what is wrong with any of them: a row
    names the reader and version that backs it, and never excuses a check
    milder than an error where a reader refuses or loses content."""
    rows, problems = table_rows(path, 6)
    for number, (case, base, required, said, reader, reason) in rows:
        name, _, version = reader.partition(" ")
        if name not in READER_NAMES or not re.match(r"\d+(\.\d+)*$", version):
            problems.append(f"{path}:{number}: names no reader and version ({reader!r})")
        if required == "error" and not said.startswith("error"):
            problems.append(f"{path}:{number}: excuses a reader that refuses or loses content ({case})")
    return rows, problems


def allowed(rows, case, base, required, said):
    """The allow-list row (its line number, reader and reason) that covers
    this disagreement, or None. `said` is the check's worst level and its
    findings: "warning: w:riff-size"."""
    for number, (case_pat, base_pat, required_pat, said_pat, reader, reason) in rows:
        if (
            fnmatch.fnmatch(case, case_pat)
            and fnmatch.fnmatch(base, base_pat)
            and fnmatch.fnmatch(required, required_pat)
            and fnmatch.fnmatch(said, said_pat)
        ):
            return number, f"{reader}: {reason}"
    return None


def load_expected(path):
    """What each damage class must give: the finding codes, with their
    levels, that the damaged file gives beyond those of the intact one."""
    return table_rows(path, 3)


def new_findings(damaged, intact):
    """The damaged file's findings ("w:riff-size") less the intact one's,
    as a sorted comma-separated list, "-" for none."""
    left = [f'{f.get("level")[0]}:{f.get("code")}' for f in intact]
    out = []
    for f in damaged:
        code = f'{f.get("level")[0]}:{f.get("code")}'
        if code in left:
            left.remove(code)
        else:
            out.append(code)
    return ",".join(sorted(set(out))) or "-"


def expected_codes(rows, case, base):
    """The row (its line number and codes) naming the codes this case must
    give on this base, or None."""
    for number, (case_pat, base_pat, codes) in rows:
        if fnmatch.fnmatch(case, case_pat) and fnmatch.fnmatch(base, base_pat):
            return number, codes
    return None


def one_line(text):
    return " / ".join(part.strip() for part in str(text).splitlines() if part.strip())


def outcome_text(outcomes):
    return "  ".join(
        f"{r}={o}" + (f" ({one_line(why)})" if why and o != "gets-everything" else "") for r, (o, why) in outcomes.items()
    )


def base_files(shared):
    """The base files: under the shared folder, else those the test corpus
    holds too, taken from there; says which were taken from the test corpus
    and which are left out."""
    found, fallen_back, missing = [], [], []
    for b in BASES:
        in_shared = os.path.join(shared, b)
        in_tests = os.path.join(TEST_CORPUS, os.path.basename(b))
        if os.path.exists(in_shared):
            found.append(in_shared)
        elif os.path.exists(in_tests):
            found.append(in_tests)
            fallen_back.append(os.path.basename(b))
        else:
            missing.append(os.path.basename(b))
    if fallen_back:
        print(f"{shared} does not hold {len(fallen_back)} of the {len(BASES)} base files; taken from "
              f"tests/data/corpus: {', '.join(fallen_back)}")
    if missing:
        print(f"left out, in neither place: {', '.join(missing)}")
    return found


def rule(dump, sndfile_program, allow_path, shared, only=None, report=None):
    bases = base_files(shared)
    if not bases:
        print("no base files under", shared, "or", TEST_CORPUS)
        return SKIP
    allow, problems = load_allow(allow_path)
    named_codes, expected_problems = load_expected(EXPECTED_CODES)
    problems += expected_problems
    used_allow, used_expected = set(), set()
    panel = Panel(sndfile_program)
    started = time.time()
    rows = []
    with tempfile.TemporaryDirectory(prefix="ondulo-panel-") as tmp:
        jobs = []
        for b_index, base in enumerate(bases):
            wav = riff_damage.read_base(base)
            for v in riff_damage.variants(wav):
                if only and not fnmatch.fnmatch(v.name, only):
                    continue
                jobs.append((os.path.basename(base), b_index, v))
        # Files first, then ondulo-dump on all of them, then the readers.
        paths = {}
        for n, (base, b_index, v) in enumerate(jobs):
            p = os.path.join(tmp, f"{n:04d}-{v.name}.wav")
            with open(p, "wb") as f:
                f.write(v.damaged)
            paths[n] = p
        intact_paths = {}
        for base, b_index, v in jobs:
            key = digest(v.intact)
            if key not in intact_paths:
                p = os.path.join(tmp, f"intact-{key}.wav")
                with open(p, "wb") as f:
                    f.write(v.intact)
                intact_paths[key] = p
        pool = concurrent.futures.ThreadPoolExecutor(max_workers=(os.cpu_count() or 2))
        all_paths = list(paths.values()) + list(intact_paths.values())
        made = time.time()
        checks = check(dump, all_paths)
        # The exit status of --check on each intact file alone must follow its
        # findings: 1 with an error or warning, 0 otherwise, whatever its form
        # (RIFF or RF64).
        statuses = dict(
            zip(intact_paths.values(), pool.map(lambda p: run([dump, "--check", p])[0], intact_paths.values()))
        )
        wrong_exit = []
        for key, p in intact_paths.items():
            expected = 1 if LEVELS.get(checks[p]["level"], 3) >= 2 else 0
            if statuses[p] != expected:
                base = next(b for b, _, v in jobs if digest(v.intact) == key)
                wrong_exit.append((base, checks[p]["level"], statuses[p], expected))
        checked = time.time()
        intact_reads = dict(zip(intact_paths, pool.map(lambda k: panel.read(intact_paths[k]), intact_paths)))
        damaged_reads = list(pool.map(lambda n: panel.read(paths[n]), range(len(jobs))))
        phases = (
            f"making files {made - started:.1f} s, ondulo-dump --check {checked - made:.1f} s, "
            f"readers {time.time() - checked:.1f} s ({panel.times()})"
        )
        for n, (base, b_index, v) in enumerate(jobs):
            key = digest(v.intact)
            intact_check = checks[intact_paths[key]]
            outcomes = {r: classify(damaged_reads[n][r], intact_reads[key][r]) for r in READERS}
            need = required_level(outcomes)
            got = checks[paths[n]]
            ok = agrees(got["level"], need)
            said = f'{got["level"]}: {finding_codes(got["findings"])}'
            hit = None if ok else allowed(allow, v.name, base, need, said)
            if hit:
                used_allow.add(hit[0])
            codes = new_findings(got["findings"], intact_check["findings"])
            named = expected_codes(named_codes, v.name, base)
            if named:
                used_expected.add(named[0])
            rows.append(
                {
                    "case": v.name,
                    "base": base,
                    "level": got["level"],
                    "findings": finding_codes(got["findings"]),
                    "exit": got["exit"],
                    "required": need,
                    "outcomes": outcomes,
                    "ok": ok,
                    "allowed": hit[1] if hit else None,
                    "codes": codes,
                    "expected": named[1] if named else None,
                    "intact_level": intact_check["level"],
                    "intact_findings": finding_codes(intact_check["findings"]),
                }
            )
    elapsed = time.time() - started
    write_expected = os.environ.get("ONDULO_PANEL_WRITE_EXPECTED")
    if write_expected:
        write_expected_codes(write_expected, rows)
    # Each class gives the codes its row names, at their levels: a wrong
    # extra finding below the worst level fails too.
    wrong_codes = [r for r in rows if r["codes"] != r["expected"]]
    for r in wrong_codes:
        print(f'CODES\t{r["case"]}\t{r["base"]}\tgives {r["codes"]}\tmust give {r["expected"] or "(no row)"}')
    if not only:
        # A row that matches nothing excuses or names nothing: it is stale.
        problems += [f"{allow_path}:{n}: matches no disagreement" for n, _ in allow if n not in used_allow]
        problems += [f"{EXPECTED_CODES}:{n}: matches no damaged file" for n, _ in named_codes if n not in used_expected]
    for problem in problems:
        print("TABLE\t" + problem)
    bad = [r for r in rows if not r["ok"] and not r["allowed"]]
    allowed_rows = [r for r in rows if not r["ok"] and r["allowed"]]
    dirty = {(r["base"], r["intact_findings"]) for r in rows if LEVELS.get(r["intact_level"], 3) >= 2}
    # An intact file with errors or warnings of its own would blur every
    # comparison made with it: that fails the test too.
    for base, codes in sorted(dirty):
        print(f"BASE NOT CLEAN\t{base}\t{codes}")
    for r in bad:
        print(
            f'DISAGREE\t{r["case"]}\t{r["base"]}\tondulo {r["level"]} [{r["findings"]}]\t'
            f'panel needs {r["required"]}\t{outcome_text(r["outcomes"])}'
        )
    # Allow-listed disagreements: one line per case and reason.
    by_reason = {}
    for r in allowed_rows:
        by_reason.setdefault((r["case"], r["required"], r["level"], r["allowed"]), []).append(r["base"])
    for (case, need, level, reason), bases_hit in by_reason.items():
        print(f"ALLOWED\t{case}\t{len(bases_hit)} bases\tondulo {level}\tpanel needs {need}\t{reason[:100]}")
    # The shape of the disagreements: one line per case.
    shapes = {}
    for r in bad:
        shapes.setdefault((r["case"], r["level"], r["required"]), []).append(r["base"])
    for (case, level, need), hit in sorted(shapes.items()):
        print(f"  {case}: check {level}, rule needs {need}, on {len(hit)} of {len(bases)} bases")
    # Readers that could not read an intact file, so said nothing about its
    # damaged copies (Python's wave and float or RF64 audio, ...).
    blind = {}
    for r in rows:
        for reader, (outcome, _) in r["outcomes"].items():
            if outcome == "n/a":
                blind.setdefault((reader, r["base"]), set()).add(r["case"])
    for (reader, base), cases in sorted(blind.items()):
        print(f"  {reader} cannot read the intact {base} for {len(cases)} cases")
    print(
        f"{len(rows)} damaged files from {len(bases)} bases, {len(riff_damage.CLASSES)} classes: "
        f"{len(rows) - len(bad) - len(allowed_rows)} agree, {len(allowed_rows)} allow-listed, "
        f"{len(bad)} disagree ({elapsed:.1f} s)"
    )
    print(f"  {len(intact_paths)} intact files besides; {phases}")
    if report:
        with open(report, "w", encoding="utf-8") as f:
            json.dump(rows, f, indent=1)
    markdown = os.environ.get("ONDULO_PANEL_MARKDOWN")
    if markdown:
        write_markdown(markdown, rows)
    for base, level, status, expected in sorted(set(wrong_exit)):
        print(f"EXIT\t{base} (intact, worst finding: {level})\tondulo-dump --check exits {status}, not {expected}")
    return 1 if bad or dirty or wrong_exit or wrong_codes or problems else 0


def write_expected_codes(path, rows):
    """The codes each case gives, as rows of the expected-codes table: the
    bases that give other codes than most first, one row each, then one row
    for the rest."""
    by_case = {}
    for r in rows:
        by_case.setdefault(r["case"], {})[r["base"]] = r["codes"]
    with open(path, "w", encoding="utf-8") as f:
        for case, bases in by_case.items():
            given = list(bases.values())
            most = max(given, key=given.count)
            for base, codes in bases.items():
                if codes != most:
                    f.write(f"{case}\t{base}\t{codes}\n")
            f.write(f"{case}\t*\t{most}\n")


def write_markdown(path, rows):
    """The disagreements grouped by damage case: how many bases, what the
    check says, what the rule asks, and one example's readers."""
    groups = {}
    for r in rows:
        if not r["ok"]:
            groups.setdefault(r["case"], []).append(r)
    with open(path, "w", encoding="utf-8") as f:
        f.write("| case | bases | ondulo (level [findings]) | rule needs | allow-listed | example: what the readers did |\n")
        f.write("|---|---|---|---|---|---|\n")
        for case, rs in groups.items():
            levels = sorted({f'{r["level"]} [{r["findings"]}]' for r in rs})
            needs = sorted({r["required"] for r in rs})
            ex = rs[0]
            f.write(
                f'| {case} | {len(rs)}: {", ".join(r["base"][:24] for r in rs)} | {"; ".join(levels)} | '
                f'{"/".join(needs)} | {"yes" if all(r["allowed"] for r in rs) else "no"} | '
                f'{ex["base"][:24]}: {outcome_text(ex["outcomes"]).replace("|", "/")[:300]} |\n'
            )
        multi = [r for r in rows if r["ok"] and sum(1 for x in r["findings"].split(",") if x[:2] in ("e:", "w:")) > 1]
        if multi:
            f.write("\nAgreeing on the level, but more than one error/warning finding (said twice?):\n\n")
            seen = set()
            for r in multi:
                if (r["case"], r["findings"]) in seen:
                    continue
                seen.add((r["case"], r["findings"]))
                f.write(f'- {r["case"]} ({r["base"][:24]}): {r["findings"]}\n')


# What readers say of a file whose form or coding they do not read at all:
# no fault of the file.
UNSUPPORTED = {
    "wave": ("unknown format", "does not start with RIFF id"),
    "scipy": ("Unknown wave file format", "not understood. Only 'RIFF' and 'RIFX' supported"),
    "sox": ("is not supported", "Unknown WAV file encoding"),
    "sndfile": (),
}


def corpus_outcome(reader, got, pcm):
    """One reader on a real file, judged on the file alone (there is no
    intact twin): it refuses it, loses content (reads another length than it
    declares), complains, cannot read its form or coding ("n/a"), or reads
    it. A tag reader that cannot parse a file cannot be said to lose a tag
    the file may not have: a complaint. `pcm`: FFmpeg decodes the audio as
    PCM; libsndfile calls a coding it lacks a malformed fmt chunk, and the
    length of compressed audio is an estimate."""
    if got["refused"]:
        error = got["error"]
        if any(mark in error for mark in UNSUPPORTED.get(reader, ())) or (
            reader == "sndfile" and not pcm and "Malformed 'fmt ' chunk" in error
        ):
            return "n/a", error
        return ("complains" if got.get("tag_reader") else "refuses"), error
    declared = got.get("declared")
    if (
        pcm
        and declared is not None
        and got.get("samples") is not None
        and declared != got["samples"]
        and reader != "ffmpeg"
    ):
        return "loses", "length %s, read %s" % (declared, got["samples"])
    if got.get("complaints"):
        return "complains", got["complaints"][0][:100]
    return "reads", ""


def corpus(dump, sndfile_program, dirs, report=None):
    """The check over real files. It fails where a reader refuses the file or
    loses content and the check gives less than an error, and where the
    check gives an error no reader backs by refusing the file or losing
    content."""
    panel = Panel(sndfile_program)
    paths = sorted(
        os.path.join(d, f) for d in dirs for f in os.listdir(d) if f.lower().endswith(".wav")
    )
    started = time.time()
    pool = concurrent.futures.ThreadPoolExecutor(max_workers=(os.cpu_count() or 2))
    checks = check(dump, paths)
    checked = time.time()
    reads = dict(zip(paths, pool.map(panel.read, paths)))
    counts = {}
    failures = 0
    lines = []
    for p in paths:
        ffmpeg = reads[p]["ffmpeg"]
        pcm = ffmpeg["refused"] or str(ffmpeg.get("format", "")).startswith("pcm_")
        said = {r: corpus_outcome(r, reads[p][r], pcm) for r in READERS}
        outcomes = {o for o, _ in said.values()}
        level = checks[p]["level"]
        lost = bool(outcomes & {"refuses", "loses"})
        if checks[p]["status"] in (1, 2):
            # Another format under a .wav name (AIFF, FLAC ...), which the
            # check names and readers may play: not a WAV file to judge.
            level, verdict = "other form", ""
        elif lost and level != "error":
            verdict = "TOO LOW"
        elif level == "error" and not lost:
            verdict = "UNBACKED"
        else:
            verdict = ""
        worst = "refuses/loses" if lost else ("complains" if "complains" in outcomes else "reads")
        counts[(level, worst)] = counts.get((level, worst), 0) + 1
        failures += bool(verdict)
        lines.append(
            f"{verdict}\t{os.path.basename(p)}\t{level}\t{finding_codes(checks[p]['findings'])}\t{outcome_text(said)}"
        )
    for line in lines:
        print(line)
    print(
        f"{len(paths)} files in {time.time() - started:.1f} s: ondulo-dump --check {checked - started:.1f} s, "
        f"readers {time.time() - checked:.1f} s ({panel.times()})"
    )
    print(f"  {'check':8} {'readers':14} files")
    for (level, worst), n in sorted(counts.items()):
        print(f"  {level:8} {worst:14} {n}")
    print(f"  {failures} files where the check and the readers disagree")
    if report:
        with open(report, "w", encoding="utf-8") as f:
            f.write("\n".join(lines) + "\n")
    return 1 if failures else 0


# Faults the mend cannot undo: the bytes do not say what the file was.
MEND_CANNOT = {"sample-size"}


def mend(dump, sndfile_program, shared, only=None, report=None):
    """ondulo-dump --mend on every damaged file of the rule's set; each copy
    written is read by every reader and compared with the intact base. A copy
    passes when every reader gets from it what it gets from the intact base
    (the same samples, metadata, length and no new complaint), or, where the
    damage cut audio or a chunk (the plan drops bytes, or the damaged file
    holds less audio), the held prefix: fewer samples, the count the mend
    kept, and the metadata of a chunk the mend left out, but never a refusal
    or a complaint. Every class the mend leaves alone is listed with why."""
    bases = [os.path.join(shared, b) for b in BASES if os.path.exists(os.path.join(shared, b))]
    if not bases:
        print("no base files under", shared)
        return SKIP
    panel = Panel(sndfile_program)
    started = time.time()
    rows = []
    with tempfile.TemporaryDirectory(prefix="ondulo-panel-mend-") as tmp:
        jobs = []
        for base in bases:
            wav = riff_damage.read_base(base)
            for v in riff_damage.variants(wav):
                if only and not fnmatch.fnmatch(v.name, only):
                    continue
                jobs.append((os.path.basename(base), v))
        intact_paths = {}
        for n, (base, v) in enumerate(jobs):
            with open(os.path.join(tmp, f"{n:04d}-{v.name}.wav"), "wb") as f:
                f.write(v.damaged)
            key = digest(v.intact)
            if key not in intact_paths:
                p = os.path.join(tmp, f"intact-{key}.wav")
                with open(p, "wb") as f:
                    f.write(v.intact)
                intact_paths[key] = p
        pool = concurrent.futures.ThreadPoolExecutor(max_workers=(os.cpu_count() or 2))

        def mend_one(n):
            name = jobs[n][1].name
            src = os.path.join(tmp, f"{n:04d}-{name}.wav")
            dest = os.path.join(tmp, f"{n:04d}-{name}-mended.wav")
            rc, out, err = run([dump, "--json", "--mend", dest, src], timeout=120)
            try:
                plan = json.loads(out)["mend"]
            except (ValueError, KeyError):
                plan = {"refusal": "no JSON: " + err.decode("utf-8", "replace")[:200]}
            return rc, plan, dest if os.path.exists(dest) else None

        mended = list(pool.map(mend_one, range(len(jobs))))
        intact_reads = dict(zip(intact_paths, pool.map(lambda k: panel.read(intact_paths[k]), intact_paths)))
        dest_reads = list(pool.map(lambda m: panel.read(m[2]) if m[2] else None, mended))
        for n, (base, v) in enumerate(jobs):
            rc, plan, dest = mended[n]
            row = {"case": v.name, "base": base, "exit": rc}
            if dest is None:
                if plan.get("refusal"):
                    row["result"] = "refused"
                    row["why"] = plan["refusal"]
                elif plan.get("nothing_to_mend"):
                    row["result"] = "nothing to mend"
                    left = plan.get("left_alone") or []
                    row["why"] = (left[0]["code"] + ": " + left[0]["why"]) if left else "the check finds nothing to mend"
                else:
                    row["result"] = "not written"
                    row["why"] = str(plan.get("error"))
                rows.append(row)
                continue
            intact = intact_reads[digest(v.intact)]
            outcomes = {r: classify(dest_reads[n][r], intact[r]) for r in READERS}
            held = bool(plan.get("dropped")) or len(v.damaged) < len(v.intact)
            bad = []
            for reader, (outcome, what) in outcomes.items():
                if outcome in ("gets-everything", "n/a"):
                    continue
                if held and outcome in ("loses-audio", "loses-metadata"):
                    got = dest_reads[n][reader]
                    if outcome == "loses-audio" and got.get("samples", 0) > intact[reader].get("samples", 0):
                        bad.append((reader, outcome, what))
                    continue
                bad.append((reader, outcome, what))
            remaining = [e["code"] for e in (plan.get("dest_check") or {}).get("errors", [])]
            if set(remaining) & MEND_CANNOT:
                # The copy keeps a fault the mend cannot undo, and its check
                # says so: it is no copy of the intact base to compare.
                row.update({"result": "mended in part", "why": "still " + ", ".join(sorted(set(remaining)))})
                rows.append(row)
                continue
            row.update(
                {
                    "result": "mended" if not bad else "MENDED BADLY",
                    "codes": sorted({c["code"] for c in plan.get("changes", [])}),
                    "held_prefix": held,
                    "remaining": remaining,
                    "outcomes": outcomes,
                    "bad": bad,
                }
            )
            rows.append(row)
    bad_rows = [r for r in rows if r["result"] == "MENDED BADLY"]
    for r in bad_rows:
        print(f'MENDED BADLY\t{r["case"]}\t{r["base"]}\t[{", ".join(r["codes"])}]\t'
              + "; ".join(f"{reader} {o}: {w}" for reader, o, w in r["bad"]))
    by_case = {}
    for r in rows:
        by_case.setdefault(r["case"], []).append(r)
    for case, hit in sorted(by_case.items()):
        counts = {}
        for r in hit:
            counts[r["result"]] = counts.get(r["result"], 0) + 1
        summary = ", ".join(f"{k} {v}" for k, v in sorted(counts.items()))
        codes = sorted({c for r in hit for c in r.get("codes", [])})
        line = f"  {case}: {summary}" + (f" [{', '.join(codes)}]" if codes else "")
        alone = [r for r in hit if r["result"] in ("refused", "nothing to mend", "not written")]
        if alone:
            line += f"; left alone: {one_line(alone[0]['why'])[:140]}"
        print(line)
    written = [r for r in rows if r["result"] in ("mended", "MENDED BADLY")]
    print(
        f"{len(rows)} damaged files from {len(bases)} bases: {len(written)} mended "
        f"({sum(1 for r in written if r['held_prefix'])} to the held prefix), {len(bad_rows)} read otherwise "
        f"than the intact base, {len(rows) - len(written)} left alone ({time.time() - started:.1f} s; {panel.times()})"
    )
    if report:
        with open(report, "w", encoding="utf-8") as f:
            json.dump(rows, f, indent=1)
    return 1 if bad_rows else 0


def run_where_readers_are(argv):
    """Runs the panel again under the system's Python when the interpreter
    running it lacks SciPy or mutagen and that one has them; returns only
    when it cannot."""
    system = "/usr/bin/python3"
    try:
        import mutagen.wave  # noqa: F401
        import scipy.io.wavfile  # noqa: F401

        return
    except ImportError:
        pass
    if os.path.realpath(sys.executable) == os.path.realpath(system) or not os.access(system, os.X_OK):
        return
    if subprocess.run([system, "-c", "import scipy.io.wavfile, mutagen.wave"], capture_output=True).returncode == 0:
        os.execv(system, [system, os.path.abspath(argv[0]), *argv[1:]])


def main(argv):
    run_where_readers_are(argv)
    if len(argv) < 2:
        print(__doc__)
        return 2
    mode = argv[1]
    shared = os.environ.get("ONDULO_SHARED_DIR", os.path.join(HERE, "..", "..", "..", "shared"))
    if mode == "file":
        panel = Panel(os.environ.get("ONDULO_SNDFILE_READER", ""))
        got = panel.read(argv[2])
        if len(argv) > 3:
            intact = panel.read(argv[3])
            print(json.dumps({r: classify(got[r], intact[r]) for r in READERS}, indent=1))
        else:
            print(json.dumps(got, indent=1))
        return 0
    if mode == "rule":
        missing = missing_readers(argv[3])
        if missing:
            print("reader panel skipped: not installed:", ", ".join(missing))
            return SKIP
        only = os.environ.get("ONDULO_PANEL_ONLY")
        return rule(argv[2], argv[3], argv[4] if len(argv) > 4 else None, shared, only,
                    os.environ.get("ONDULO_PANEL_REPORT"))
    if mode == "mend":
        missing = missing_readers(argv[3])
        if missing:
            print("reader panel skipped: not installed:", ", ".join(missing))
            return SKIP
        return mend(argv[2], argv[3], shared, os.environ.get("ONDULO_PANEL_ONLY"),
                    os.environ.get("ONDULO_PANEL_REPORT"))
    if mode == "corpus":
        missing = missing_readers(argv[3])
        if missing:
            print("reader panel skipped: not installed:", ", ".join(missing))
            return SKIP
        dirs = argv[4:] or [os.path.join(shared, "corpus"), os.path.join(shared, "corpus2")]
        return corpus(argv[2], argv[3], dirs, os.environ.get("ONDULO_PANEL_REPORT"))
    print(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
