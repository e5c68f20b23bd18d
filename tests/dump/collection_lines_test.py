#!/usr/bin/env python3
"""ondulo-dump over a folder tree, checked from outside with Python's own JSON
reader: every --jsonl line is JSON, the same object as the file's element
of --json, and written out before the next file is opened; an interrupted run
leaves whole lines; the progress line shows on a terminal only and is erased; and the GNU parallel recipe of the manual page
gives the lines and the summary of a single run.

Usage: collection_lines_test.py SUITE DUMP CORPUS
SUITE is lines, interrupt, progress or parallel. Exits 77 (skipped) for
parallel when GNU parallel is not installed.
"""
import json
import os
import pty
import select
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import unittest

DUMP = ""
CORPUS = ""


def build_tree(root, copies):
    """The corpus's WAV files `copies` times over in nested folders, copy 123
    in tree/1/2/3 (hard links to one copy of each file, so a big tree costs
    little), with a link back up and a file that is no WAV file."""
    tree = os.path.join(root, "tree")
    originals = os.path.join(root, "corpus")
    shutil.copytree(CORPUS, originals)
    names = sorted(n for n in os.listdir(originals) if n.endswith(".wav"))
    for copy in range(copies):
        folder = os.path.join(tree, *str(copy))
        os.makedirs(folder, exist_ok=True)
        for name in names:
            os.link(os.path.join(originals, name), os.path.join(folder, name))
    os.symlink("..", os.path.join(tree, "0", "up"))
    with open(os.path.join(tree, "notes.txt"), "w") as f:
        f.write("not a WAV file\n")
    return tree


def wav_count():
    """How many WAV files one copy of the corpus holds."""
    return sum(1 for n in os.listdir(CORPUS) if n.endswith(".wav"))


def run(arguments, **kwargs):
    return subprocess.run([DUMP] + arguments, capture_output=True, check=False, **kwargs)


class Tree(unittest.TestCase):
    copies = 3

    def setUp(self):
        self.scratch = tempfile.TemporaryDirectory(prefix="ondulo-test-")
        self.tree = build_tree(self.scratch.name, self.copies)

    def tearDown(self):
        self.scratch.cleanup()


class Lines(Tree):
    def test_every_line_is_the_json_element_of_its_file(self):
        for form in (["--jsonl"], ["--check", "--jsonl"]):
            with self.subTest(form=form):
                lines = run(form + ["-r", "-j", "3", self.tree]).stdout
                document = json.loads(run([f.replace("--jsonl", "--json") for f in form] + ["-r", self.tree]).stdout)
                objects = [json.loads(line) for line in lines.splitlines()]
                self.assertTrue(lines.endswith(b"\n"))
                if "--check" in form:
                    self.assertEqual(objects.pop(), {"summary": document["summary"]})
                    self.assertEqual(document["summary"]["files"], wav_count() * self.copies)
                self.assertEqual(objects, document["files"])
                self.assertEqual(len(objects), wav_count() * self.copies)

    def test_each_line_is_out_while_the_next_file_is_read(self):
        # The second file takes seconds: its 1 GB of audio (sparse, so it
        # costs no disk) is hashed for its MD5 chunk. The first file's line
        # must come out alone, before that is done.
        # A small first file, so its line is far shorter than the output's
        # buffer.
        fmt = b"fmt " + struct.pack("<IHHIIHH", 16, 1, 2, 48000, 192000, 4, 16)
        first = os.path.join(self.scratch.name, "first.wav")
        with open(first, "wb") as f:
            f.write(b"RIFF" + struct.pack("<I", 4 + len(fmt) + 12) + b"WAVE" + fmt + b"data" + struct.pack("<I", 4) +
                    bytes(4))
        slow = os.path.join(self.scratch.name, "slow.wav")
        audio = 1 << 30
        head = fmt + b"MD5 " + struct.pack("<I", 16) + bytes(16) + b"data" + struct.pack("<I", audio)
        with open(slow, "wb") as f:
            f.write(b"RIFF" + struct.pack("<I", 4 + len(head) + audio) + b"WAVE" + head)
            f.truncate(12 + len(head) + audio)
        process = subprocess.Popen([DUMP, "--jsonl", "--verify-md5", "-j", "1", first, slow],
                                   stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        try:
            out = b""
            while not out.endswith(b"\n"):
                ready, _, _ = select.select([process.stdout], [], [], 60)
                self.assertTrue(ready, "no line within a minute")
                data = os.read(process.stdout.fileno(), 65536)
                self.assertTrue(data, "the run ended without a whole line")
                out += data
            self.assertIsNone(process.poll(), "the line came out only at the end of the run")
            self.assertEqual(json.loads(out)["path"], first)
        finally:
            process.kill()
            process.communicate()


class Interrupt(Tree):
    copies = 60

    def test_sigint_leaves_whole_lines_and_a_summary(self):
        # The output is a pipe read no further until the signal has come, so
        # the run is still under way then, soon waiting for the pipe.
        process = subprocess.Popen([DUMP, "--check", "--jsonl", "-r", "-j", "2", self.tree],
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        first = b"".join(process.stdout.readline() for _ in range(5))
        process.send_signal(signal.SIGINT)
        # Read through the same buffered pipe as the first lines.
        rest = process.stdout.read()
        errors = process.stderr.read()
        self.assertEqual(process.wait(timeout=60), 130, errors)
        lines = (first + rest).splitlines(keepends=True)
        for line in lines:
            self.assertTrue(line.endswith(b"\n"))
            json.loads(line)
        summary = json.loads(lines[-1])["summary"]
        self.assertEqual(summary["files"], len(lines) - 1)
        self.assertLess(summary["files"], wav_count() * self.copies)
        self.assertEqual(errors.decode(),
                         f"ondulo-dump: stopped by a signal after {summary['files']} files; no more were read.\n")


class Progress(Tree):
    copies = 300

    def test_shows_on_a_terminal_only_and_is_erased(self):
        controller, terminal = pty.openpty()
        with open(os.devnull, "wb") as out:
            process = subprocess.Popen([DUMP, "--check", "-r", "-j", "1", self.tree], stdout=out, stderr=terminal)
        os.close(terminal)
        shown = b""
        held = False
        while True:
            try:
                data = os.read(controller, 65536)
            except OSError:
                break
            if not data:
                break
            shown += data
            if not held and b"RIFX" in shown:
                # Once the run is under way, held still for half a second: it
                # is due to show its progress as soon as it goes on, however
                # fast the machine.
                process.send_signal(signal.SIGSTOP)
                time.sleep(0.5)
                process.send_signal(signal.SIGCONT)
                held = True
        process.wait()
        os.close(controller)
        summary = shown.rfind(b"summary:")
        self.assertGreater(summary, 0, shown[-300:])
        # Each display starts at the line's start and clears what follows it;
        # the last is erased before anything else is written.
        self.assertRegex(shown, rb"\rondulo-dump: \d+ done of \d+ files( found so far)?, \d+ files/s, 0:0\d\x1b\[K")
        last = shown.rfind(b"\rondulo-dump: ")
        self.assertRegex(shown[last:summary], rb"^\rondulo-dump: [^\r\n]*\x1b\[K\r\x1b\[K")

        quiet = run(["--check", "-r", self.tree])
        self.assertNotIn(b"\r", quiet.stderr)
        self.assertNotIn(b"files/s", quiet.stderr)


class Parallel(Tree):
    def test_the_recipe_gives_the_lines_and_summary_of_one_run(self):
        # The manual page's recipe, with -n 4 so that many runs are joined, on
        # this machine and through --sshloginfile naming this machine (":").
        with open(os.path.join(self.scratch.name, "machines"), "w") as machines:
            machines.write(":\n")
        single = run(["--check", "--jsonl", "-r", self.tree]).stdout.splitlines(keepends=True)
        summary = single.pop()
        for remote in ([], ["--sshloginfile", machines.name]):
            with self.subTest(remote=remote):
                recipe = (f"find {self.tree} -type f -iname '*.wav' -print0 | "
                          f"parallel --will-cite -0 -X -n 4 -k {' '.join(remote)} "
                          f"{DUMP} --check --jsonl -j 1 > joined.jsonl")
                subprocess.run(recipe, shell=True, cwd=self.scratch.name, check=False)
                with open(os.path.join(self.scratch.name, "joined.jsonl"), "rb") as joined:
                    lines = joined.readlines()
                files = [line for line in lines if not line.startswith(b'{"summary": ')]
                self.assertGreater(len(lines) - len(files), 1)  # several runs' summary lines
                self.assertEqual(sorted(files), sorted(single))
                again = run(["--summarise", "--jsonl", "joined.jsonl"], cwd=self.scratch.name)
                self.assertEqual(again.stdout, summary)
                self.assertEqual(again.returncode, 1)


def main():
    global DUMP, CORPUS
    suite, DUMP, CORPUS = sys.argv[1:4]
    if suite == "parallel" and shutil.which("parallel") is None:
        print("GNU parallel is not installed (scripts/install-deps.sh all installs it)")
        return 77
    tests = unittest.defaultTestLoader.loadTestsFromTestCase(
        {"lines": Lines, "interrupt": Interrupt, "progress": Progress, "parallel": Parallel}[suite])
    return 0 if unittest.TextTestRunner(verbosity=2).run(tests).wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
