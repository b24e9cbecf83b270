#!/usr/bin/env python3
"""Storms: pages that try to swamp Quillbrow, and what they cost it.

Five pages, each run in a window of its own that a launcher page opened: 1,000
pop-ups, pop-ups calling window.close() in a loop, 1,000 navigations a second, a
1 MB title, 10,000 frames. For each run the driver records the longest stall of the
user-interface thread (the lateness of a 10 ms timer, debug category
quillbrow.eventloop), and the PSS of the whole process tree before the storm, at its
peak, and after the storm's windows closed. Every figure is a median with
its minimum and maximum over the rounds.

Standard library only; it reuses bench/bench.py's runs and measurements. See
bench/storms/README.md for how to run it.
"""

import argparse
import datetime
import json
import os
import re
import statistics
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(HERE))
import bench  # noqa: E402  (bench/bench.py: runs, process trees, PSS, X server)

STORM_TIMEOUT = 120.0

# The storms' sizes; --scale divides them for a quicker look.
POPUPS = 1000
CLOSERS = 100
CLOSE_CALLS = 1000
NAVIGATE_SECONDS = 3
NAVIGATIONS_PER_SECOND = 1000
TITLE_BYTES = 1 << 20
TITLE_CHANGES = 50
FRAMES = 10000


# --------------------------------------------------------------------------- pages


LAUNCHER = """<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>Launcher</title></head>
<body><p>This window opens the storm.</p>
<script>
(async () => {
  await fetch('%(p)s/loaded');
  await fetch('%(p)s/go');               // the driver answers when it has its figures
  // Without an opener the storm's window gets a renderer of its own, as a page from
  // elsewhere would; it closes itself when its storm is over.
  window.open('%(p)s/storm', '_blank', 'noopener');
})();
</script></body></html>
"""

# Shared by the storm pages: report(name, value) and done().
HELPERS = """
const P = '%(p)s';
function report(what, n) { return fetch(P + '/event/' + what + '/' + n); }
async function done() { await fetch(P + '/done'); window.close(); }
function sleep(ms) { return new Promise(r => setTimeout(r, ms)); }
async function closeAll(ws) {
  // A window the program refused may never report itself closed: 10 s at most.
  for (const w of ws) if (!w.closed) w.close();
  for (let i = 0; i < 200 && ws.some(w => !w.closed); ++i) await sleep(50);
  return ws.filter(w => !w.closed).length;
}
"""

STORMS = {
    # A thousand pop-ups in one loop, none on the AutoClose list.
    "popups": """
(async () => {
  const ws = [];
  for (let i = 0; i < %(popups)d; ++i) {
    const w = window.open(P + '/child/' + i);
    if (w) ws.push(w);
  }
  await report('opened', ws.length);
  await sleep(2000);
  await report('left-open', await closeAll(ws));
  done();
})();
""",
    # Pop-ups that call window.close() in a loop, and then keep calling it; the
    # storm's own window does the same at its end.
    "close": """
(async () => {
  const ws = [];
  for (let i = 0; i < %(closers)d; ++i) {
    const w = window.open(P + '/closer');
    if (w) ws.push(w);
  }
  await report('opened', ws.length);
  for (let i = 0; i < 1200 && ws.some(w => !w.closed); ++i) await sleep(50);
  await report('left-open', ws.filter(w => !w.closed).length);
  await done();
  for (let i = 0; i < %(close_calls)d; ++i) window.close();
})();
""",
    # 1,000 same-document navigations a second (fragments and pushState in turn).
    "navigate": """
(async () => {
  let n = 0;
  const end = performance.now() + %(navigate_ms)d;
  const perTick = %(per_tick)d;
  await new Promise(resolve => {
    const t = setInterval(() => {
      for (let k = 0; k < perTick; ++k, ++n) {
        if (n %% 2) location.hash = 'n' + n;
        else history.pushState({n}, '', '?n=' + n);
      }
      if (performance.now() >= end) { clearInterval(t); resolve(); }
    }, 4);
  });
  await report('navigations', n);
  done();
})();
""",
    # A 1 MB title in the document, then changed again and again.
    "title": """
(async () => {
  const big = 'T'.repeat(%(title_bytes)d);
  for (let i = 0; i < %(title_changes)d; ++i) {
    document.title = i + ' ' + big;
    await sleep(10);
  }
  await report('title-length', document.title.length);
  done();
})();
""",
    # Ten thousand frames, each a small document of its own.
    "frames": """
(async () => {
  const box = document.createElement('div');
  document.body.appendChild(box);
  for (let i = 0; i < %(frames)d; ++i) {
    const f = document.createElement('iframe');
    f.width = 20; f.height = 20;
    f.srcdoc = '<p>' + i;
    box.appendChild(f);
    if (i %% 500 == 499) await sleep(0);
  }
  await sleep(1000);
  await report('frames', window.frames.length);
  done();
})();
""",
}

STORM_PAGE = """<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>%(title)s</title></head>
<body><p>A storm.</p><script>%(helpers)s%(script)s</script></body></html>
"""

CHILD = """<!DOCTYPE html><html><head><meta charset="utf-8"><title>Pop-up</title></head>
<body><p>A pop-up.</p></body></html>
"""

CLOSER = """<!DOCTYPE html><html><head><meta charset="utf-8"><title>Closer</title></head>
<body><p>Closing.</p><script>
for (let i = 0; i < %(close_calls)d; ++i) window.close();
setInterval(() => { for (let i = 0; i < 50; ++i) window.close(); }, 1);
</script></body></html>
"""


class StormServer(bench.PageServer):
    """The pages on 127.0.0.1 and what they reported, per run (/r<run>/...)."""

    def __init__(self, sizes):
        self.sizes = sizes
        self._go = set()  # runs whose launcher may open its storm
        self._storm = {}  # run -> storm name
        super().__init__()

    def add_run(self, run, storm):
        self._storm[run] = storm

    def go(self, run):
        with self._cond:
            self._go.add(run)
            self._cond.notify_all()

    def _body(self, path):
        m = re.fullmatch(r"/r(\d+)/([\w-]+)(?:/.*)?", path)
        if not m:
            return None
        run, what = int(m.group(1)), m.group(2)
        p = "/r%d" % run
        s = self.sizes
        if what == "launch":
            return LAUNCHER % {"p": p}
        if what == "go":
            with self._cond:
                self._cond.wait_for(lambda: run in self._go, STORM_TIMEOUT)
            return None
        if what == "wait-done":
            self.wait_for(run, "done", STORM_TIMEOUT)
            return None
        if what == "storm":
            storm = self._storm[run]
            title = "Storm" if storm != "title" else "T" * s["title_bytes"]
            script = STORMS[storm] % dict(s, per_tick=max(1, s["navigations_per_second"] * 4 // 1000),
                                          navigate_ms=s["navigate_seconds"] * 1000)
            return STORM_PAGE % {"title": title, "helpers": HELPERS % {"p": p}, "script": script}
        if what == "child":
            return CHILD
        if what == "closer":
            return CLOSER % s
        return None

    def wait_for(self, run, what, timeout):
        """Waits for a request of /r<run>/<what> (a prefix); its path, or None."""
        key = "/r%d/%s" % (run, what)
        deadline = time.monotonic() + timeout
        with self._cond:
            while True:
                hits = [p for p in self._seen if p.startswith(key)]
                if hits:
                    return hits[0]
                left = deadline - time.monotonic()
                if left <= 0:
                    return None
                self._cond.wait(left)

    def first(self, run, what):
        with self._cond:
            times = [t[0] for p, t in self._seen.items() if p.startswith("/r%d/%s" % (run, what))]
        return min(times) if times else None

    def events(self, run):
        """What the storm page reported: {name: number}."""
        out = {}
        with self._cond:
            for p in self._seen:
                m = re.fullmatch(r"/r%d/event/([\w-]+)/(\d+)" % run, p)
                if m:
                    out[m.group(1)] = int(m.group(2))
        return out


# --------------------------------------------------------------------------- runs


class StormRun(bench.Run):
    """A Quillbrow run whose pages may close their windows without a question."""

    def _write_settings(self, autoclose):
        lines = ["[Settings]", "CheckDefaultBrowser=0", "ConfirmUserClose=0"]
        with open(os.path.join(self.dir, "config/Tarvo/Quillbrow.conf"), "w") as f:
            f.write("\n".join(lines) + "\n")


class Sampler:
    """The PSS of a process tree, read every interval seconds in a thread of its own."""

    def __init__(self, pid, interval=0.25):
        self.peak = 0.0
        self._pid = pid
        self._stop = threading.Event()
        self._thread = threading.Thread(target=self._loop, args=(interval,), daemon=True)
        self._thread.start()

    def _loop(self, interval):
        while not self._stop.wait(interval):
            self.peak = max(self.peak, bench.pss_kib(bench.process_tree(self._pid)) / 1024.0)

    def stop(self):
        self._stop.set()
        self._thread.join()
        return self.peak


class Session:
    def __init__(self, args, sizes):
        self.keep = args.keep
        self.settle = args.settle
        self.detail = args.detail
        self.work_dir = tempfile.mkdtemp(prefix="quillbrow-storms.")
        self.server = StormServer(sizes)
        self.server.url = lambda run, what: "%s/r%d/%s" % (self.server.base, run, what)
        self.xvfb = None
        self.display = args.display or bench.Session._start_xvfb(self)
        self.samples = {}
        self.failures = []

    # The same server, X server and folders to end as the benchmark's session.
    close = bench.Session.close


def settled_pss(run, settle):
    """PSS once it stopped falling: read every half second after settle seconds,
    until a reading is no lower than the one before (at most ten)."""
    time.sleep(settle)
    last = run.pss_mib()
    for _ in range(10):
        time.sleep(0.5)
        now = run.pss_mib()
        if now >= last - 0.5:
            return min(now, last)
        last = now
    return last


def tree_detail(run):
    """'kind:MiB' for every process of the run's tree, for --detail."""
    parts = []
    for pid in bench.process_tree(run.proc.pid):
        try:
            with open("/proc/%d/cmdline" % pid, "rb") as f:
                argv = f.read().split(b"\0")
        except OSError:
            continue
        kind = next((a[7:].decode() for a in argv if a.startswith(b"--type=")), "browser")
        parts.append("%s:%.0f" % (kind, bench.pss_kib([pid]) / 1024.0))
    return " ".join(parts)


def wait_storm_window_gone(run, timeout):
    """The moment the program reported the storm's own window destroyed, or None."""
    pattern = r"window destroyed at ([\d.]+): \S*/r%d/storm\b" % run.id
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline and run.alive():
        found = run.log_lines(pattern)
        if found:
            return float(found[0])
        time.sleep(0.1)
    return None


def storm_run(session, program, storm):
    """One run of one storm: its figures, or a BenchError."""
    run = StormRun(session, program,
                   log_rules=["quillbrow.eventloop.debug=true", "quillbrow.popup.debug=true",
                              "quillbrow.memory.debug=true"])
    session.server.add_run(run.id, storm)
    try:
        run.start([session.server.url(run.id, "launch")])
        if session.server.wait_for(run.id, "loaded", bench.LOAD_TIMEOUT) is None:
            raise bench.BenchError("the launcher of run %d did not load (%s)" % (run.id, run.dir))
        before = settled_pss(run, session.settle)
        if session.detail:
            print("  before %s: %s" % (storm, tree_detail(run)), file=sys.stderr)
        sampler = Sampler(run.proc.pid)
        begin = time.monotonic()
        session.server.go(run.id)
        if session.server.wait_for(run.id, "done", STORM_TIMEOUT) is None:
            sampler.stop()
            raise bench.BenchError("the %s storm did not end (alive: %s, %s)"
                                   % (storm, run.alive(), run.dir))
        done = session.server.first(run.id, "done")
        gone = wait_storm_window_gone(run, STORM_TIMEOUT)
        peak = sampler.stop()
        if gone is None or not run.alive():
            raise bench.BenchError("the %s storm's window did not close (alive: %s, %s)"
                                   % (storm, run.alive(), run.dir))
        end = gone
        after = settled_pss(run, session.settle)
        if session.detail:
            print("  after %s: %s" % (storm, tree_detail(run)), file=sys.stderr)
        late = [float(ms_) for ms_, at in run.log_lines(r"10 ms timer late by ([\d.]+) ms at ([\d.]+)")
                if begin <= float(at) <= end + session.settle]
        values = {"stall_ms": max(late, default=0.0), "storm_ms": bench.ms(done - begin),
                  "closed_ms": bench.ms(end - done), "pss_before": before,
                  "pss_peak": max(peak, before), "pss_after": after,
                  "after_ratio": after / before if before else 0.0}
        for name, n in session.server.events(run.id).items():
            values["page_" + name] = float(n)
        return values
    finally:
        run.stop()


ROWS = [
    ("stall_ms", "longest event-loop stall (ms)"),
    ("storm_ms", "storm: start → its page done (ms)"),
    ("closed_ms", "done → storm window gone (ms)"),
    ("pss_before", "PSS before (MiB)"),
    ("pss_peak", "PSS peak (MiB)"),
    ("pss_after", "PSS after the windows closed (MiB)"),
    ("after_ratio", "after / before"),
]


def report(session, storms):
    head = ["figure"] + storms
    lines = ["| " + " | ".join(head) + " |", "|" + "---|" * len(head)]
    keys = [k for k, _ in ROWS]
    extra = sorted({k for s in storms for k in session.samples.get(s, {}) if k.startswith("page_")})
    for key, label in ROWS + [(k, "page reported: " + k[5:]) for k in extra]:
        cells = [label]
        for s in storms:
            v = session.samples.get(s, {}).get(key)
            if not v:
                cells.append("–")
            elif key == "after_ratio":
                cells.append("%.2f (%.2f–%.2f)" % (statistics.median(v), min(v), max(v))
                             if len(v) > 1 else "%.2f" % v[0])
            else:
                cells.append(bench.spread(v, key not in keys))
        lines.append("| " + " | ".join(cells) + " |")
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--rounds", type=int, default=3, help="rounds (default 3)")
    parser.add_argument("--storms", help="comma-separated subset of: " + ",".join(STORMS))
    parser.add_argument("--scale", type=float, default=1.0,
                        help="divide every storm's size by this (default 1: full size)")
    parser.add_argument("--build-dir", default=os.path.join(bench.ROOT, "build"))
    parser.add_argument("--quillbrow", help="the Quillbrow binary (default: the build's)")
    # The program trims its heap 1 s, 5 s and 30 s after the last window or page went.
    parser.add_argument("--settle", type=float, default=32.0,
                        help="seconds before memory is read (default 32)")
    parser.add_argument("--display", help="use this X display instead of starting Xvfb")
    parser.add_argument("--out", help="folder for results.json and results.md")
    parser.add_argument("--detail", action="store_true",
                        help="print every process's PSS before and after each storm")
    parser.add_argument("--keep", action="store_true", help="keep every run's folders and logs")
    args = parser.parse_args()

    binary = args.quillbrow or os.path.join(args.build_dir, "src/app/quillbrow")
    if not os.access(binary, os.X_OK):
        sys.exit("missing %s: build it first (bench/storms/run does)" % binary)
    scale = max(1.0, args.scale)
    sizes = {"popups": int(POPUPS / scale), "closers": int(CLOSERS / scale),
             "close_calls": CLOSE_CALLS, "navigate_seconds": NAVIGATE_SECONDS,
             "navigations_per_second": NAVIGATIONS_PER_SECOND,
             "title_bytes": TITLE_BYTES, "title_changes": TITLE_CHANGES,
             "frames": int(FRAMES / scale)}
    storms = args.storms.split(",") if args.storms else list(STORMS)
    for s in storms:
        if s not in STORMS:
            sys.exit("unknown storm %s" % s)
    program = bench.Program("quillbrow", os.path.abspath(binary), "quillbrow")
    stamp = datetime.datetime.now().strftime("%Y%m%d-%H%M%S")
    out_dir = os.path.abspath(args.out or os.path.join(args.build_dir, "storm-results", stamp))
    os.makedirs(out_dir, exist_ok=True)

    session = Session(args, sizes)
    started = datetime.datetime.now()
    try:
        for r in range(args.rounds):
            for storm in storms:
                try:
                    values = storm_run(session, program, storm)
                    for k, v in values.items():
                        session.samples.setdefault(storm, {}).setdefault(k, []).append(v)
                    print("round %d/%d: %s: stall %.0f ms, PSS %.0f → %.0f → %.0f MiB"
                          % (r + 1, args.rounds, storm, values["stall_ms"], values["pss_before"],
                             values["pss_peak"], values["pss_after"]), file=sys.stderr)
                except bench.BenchError as e:
                    session.failures.append("%s: %s" % (storm, e))
                    print("  failed: %s" % session.failures[-1], file=sys.stderr)
    finally:
        session.close()

    header = ("Machine: %s\nDate: %s\nCommand: %s\nRounds: %d\nSizes: %s\nLoad average at the end: %s\n"
              % (bench.machine(), started.strftime("%Y-%m-%d %H:%M"), " ".join(sys.argv), args.rounds,
                 ", ".join("%s=%d" % kv for kv in sizes.items()),
                 " ".join(open("/proc/loadavg").read().split()[:3])))
    text = header + "\n" + report(session, storms) + "\n"
    if session.failures:
        text += "\nFailed runs:\n" + "".join("- %s\n" % f for f in session.failures)
    print(text)
    with open(os.path.join(out_dir, "results.md"), "w") as f:
        f.write(text)
    with open(os.path.join(out_dir, "results.json"), "w") as f:
        json.dump({"machine": bench.machine(), "date": started.isoformat(), "argv": sys.argv,
                   "sizes": sizes, "samples": session.samples, "failures": session.failures}, f,
                  indent=1)
    if args.keep:
        print("runs' folders and logs: %s" % session.work_dir, file=sys.stderr)
    return 1 if session.failures else 0


if __name__ == "__main__":
    sys.exit(main())
