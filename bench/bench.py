#!/usr/bin/env python3
"""Speed and memory of Quillbrow against a bare Qt WebEngine program.

Both programs run alternately in one session under an X server of their own, every
start with fresh HOME and XDG folders. Pages report their own load: their onload
requests a numbered address from this script's loopback server, which time-stamps it
with time.monotonic(), the clock the start times are taken on. Memory is the PSS of
the whole process tree. Every figure is a median with its minimum and maximum, and a
ratio to the bare program in whichever of its configurations (with and without
QT_QUICK_BACKEND=software) did best on that figure.

Standard library only; see bench/README.md for how to run it.
"""

import argparse
import datetime
import http.server
import json
import os
import platform
import re
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
LOAD_TIMEOUT = 60.0
POPUPS = 200


# --------------------------------------------------------------------------- pages


class PageServer:
    """The pages on 127.0.0.1, and the moments their requests arrived.

    Every run gets its own path prefix (/r<run>/), so a late request of an earlier
    run can never count for a later one.
      /r<run>/page/<n>    page n; its onload requests /r<run>/loaded/<n>
      /r<run>/popup       opens one pop-up to /r<run>/ad/0 once loaded
      /r<run>/popups      opens POPUPS pop-ups in a loop, then requests /r<run>/opened
      /r<run>/ad/<n>      the pop-ups' addresses (the run puts them on the AutoClose list)
    """

    def __init__(self):
        self._seen = {}  # path -> list of monotonic times
        self._cond = threading.Condition()
        server = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def log_message(self, *args):
                pass

            def do_GET(self):
                server._record(self.path)
                body = server._body(self.path)
                if body is None:
                    self.send_response(204)
                    self.send_header("Content-Length", "0")
                    self.end_headers()
                    return
                data = body.encode()
                self.send_response(200)
                self.send_header("Content-Type", "text/html; charset=utf-8")
                self.send_header("Content-Length", str(len(data)))
                self.send_header("Cache-Control", "no-store")
                self.end_headers()
                self.wfile.write(data)

        class HTTPServer(http.server.ThreadingHTTPServer):
            daemon_threads = True
            # Pages that open hundreds of windows at once connect all together.
            request_queue_size = 256

        self._httpd = HTTPServer(("127.0.0.1", 0), Handler)
        threading.Thread(target=self._httpd.serve_forever, daemon=True).start()
        self.base = "http://127.0.0.1:%d" % self._httpd.server_address[1]

    def close(self):
        self._httpd.shutdown()

    def _record(self, path):
        now = time.monotonic()
        with self._cond:
            self._seen.setdefault(path, []).append(now)
            self._cond.notify_all()

    @staticmethod
    def _body(path):
        m = re.fullmatch(r"/r(\d+)/(page|popup|popups|ad)(?:/(\d+))?", path)
        if not m:
            return None
        run, kind, n = m.group(1), m.group(2), m.group(3)
        prefix = "/r%s" % run
        if kind == "page":
            return PAGE % {"n": n, "loaded": "%s/loaded/%s" % (prefix, n)}
        if kind == "popup":
            return OPENER % {"script": "window.open('%s/ad/0');" % prefix,
                             "done": "%s/loaded/popup" % prefix}
        if kind == "popups":
            # The page counts the calls the engine refused outright (a null window).
            script = ("let r = 0; for (let i = 0; i < %d; ++i) if (!window.open('%s/ad/' + i)) ++r;"
                      " fetch('%s/refused/' + r);" % (POPUPS, prefix, prefix))
            return OPENER % {"script": script, "done": "%s/opened" % prefix}
        return "<!DOCTYPE html><title>Advertisement</title><p>Never to be seen."

    def url(self, run, what):
        return "%s/r%d/%s" % (self.base, run, what)

    def first(self, run, what):
        """The moment the first request for /r<run>/<what> arrived, or None."""
        times = self._seen.get("/r%d/%s" % (run, what))
        return times[0] if times else None

    def number(self, run, what):
        """n of the first request for /r<run>/<what>/<n> that arrived, or None."""
        pattern = re.compile(r"/r%d/%s/(\d+)" % (run, re.escape(what)))
        with self._cond:
            for path in self._seen:
                m = pattern.fullmatch(path)
                if m:
                    return int(m.group(1))
        return None

    def count(self, run, prefix):
        """How many requests under /r<run>/<prefix> arrived."""
        key = "/r%d/%s" % (run, prefix)
        with self._cond:
            return sum(len(t) for p, t in self._seen.items() if p.startswith(key))

    def wait_for(self, run, whats, timeout=LOAD_TIMEOUT):
        """Waits until every /r<run>/<what> was requested; the last of those moments."""
        paths = ["/r%d/%s" % (run, w) for w in whats]
        with self._cond:
            if not self._cond.wait_for(lambda: all(p in self._seen for p in paths), timeout):
                return None
            return max(self._seen[p][0] for p in paths)


PAGE = """<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>Page %(n)s</title>
<style>body { font: 15px sans-serif; margin: 2em; } h1 { color: #246; }</style></head>
<body onload="fetch('%(loaded)s')">
<h1>Page %(n)s</h1>
<p>A page of ordinary text with a heading, a list and a table, about the size of a
short article, so that layout and painting cost what they cost on the web.</p>
<ul><li>First item</li><li>Second item</li><li>Third item</li></ul>
<table border="1"><tr><th>Name</th><th>Value</th></tr><tr><td>one</td><td>1</td></tr>
<tr><td>two</td><td>2</td></tr></table>
</body></html>
"""

OPENER = """<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>Opener</title></head>
<body onload="%(script)s fetch('%(done)s')"><p>This page opens pop-ups.</p></body></html>
"""


# ------------------------------------------------------------------------ programs


class Program:
    """One configuration of one of the two programs."""

    def __init__(self, name, binary, kind, args=(), env=None):
        self.name = name
        self.binary = binary
        self.kind = kind  # "bare" or "quillbrow"
        self.args = list(args)
        self.env = dict(env or {})

    @property
    def is_bare(self):
        return self.kind == "bare"


def process_tree(pid):
    """pid and all its descendants, found through /proc/<pid>/task/*/children."""
    found, todo = [], [pid]
    while todo:
        p = todo.pop()
        found.append(p)
        try:
            for task in os.listdir("/proc/%d/task" % p):
                with open("/proc/%d/task/%s/children" % (p, task)) as f:
                    todo.extend(int(c) for c in f.read().split())
        except OSError:
            pass  # ended while we looked
    return found


def pss_kib(pids):
    """PSS summed over the processes, in KiB, from /proc/<pid>/smaps_rollup."""
    total = 0
    for p in pids:
        try:
            with open("/proc/%d/smaps_rollup" % p) as f:
                for line in f:
                    if line.startswith("Pss:"):
                        total += int(line.split()[1])
                        break
        except OSError:
            pass
    return total


class Run:
    """One start of a program, with its own HOME and XDG folders and its own logs.

    A Quillbrow run may be handed addresses by second starts of the same program in
    the same folders; a bare run is handed them one a line on its standard input.
    """

    counter = 0

    def __init__(self, session, program, list_ads=False, log_rules=()):
        Run.counter += 1
        self.id = Run.counter
        self.session = session
        self.program = program
        self.dir = os.path.join(session.work_dir, "run%03d-%s" % (self.id, program.name))
        self.home = os.path.join(self.dir, "home")
        for sub in ("home", "config/Tarvo", "data", "cache", "runtime"):
            os.makedirs(os.path.join(self.dir, sub), exist_ok=True)
        os.chmod(os.path.join(self.dir, "runtime"), 0o700)
        # The pop-ups' addresses of this run, as a "starts with" entry.
        self._write_settings([session.server.url(self.id, "ad/") + "*"] if list_ads else [])
        self.env = self._environment(log_rules)
        self.proc = None
        self.second_starts = 0
        self.stderr_path = os.path.join(self.dir, "stderr.log")

    def _write_settings(self, autoclose):
        lines = ["[Settings]", "CheckDefaultBrowser=0"]
        lines += ["AutoClose\\url%d=%s" % (i + 1, e) for i, e in enumerate(autoclose)]
        with open(os.path.join(self.dir, "config/Tarvo/Quillbrow.conf"), "w") as f:
            f.write("\n".join(lines) + "\n")

    def _environment(self, log_rules):
        # Nothing of the caller's desktop, Qt or engine settings leaks in: both programs
        # see the same clean environment, apart from their configuration's own.
        env = {k: v for k, v in os.environ.items()
               if not k.startswith(("QT_", "QTWEBENGINE_", "XDG_", "WAYLAND_", "DBUS_SESSION"))}
        env.update(HOME=self.home,
                   XDG_CONFIG_HOME=os.path.join(self.dir, "config"),
                   XDG_DATA_HOME=os.path.join(self.dir, "data"),
                   XDG_CACHE_HOME=os.path.join(self.dir, "cache"),
                   XDG_RUNTIME_DIR=os.path.join(self.dir, "runtime"),
                   DISPLAY=self.session.display,
                   QT_QPA_PLATFORM="xcb")
        if os.geteuid() == 0:
            # Chromium's sandbox refuses root; Quillbrow would switch it off by itself.
            env["QTWEBENGINE_DISABLE_SANDBOX"] = "1"
        if log_rules:
            env["QT_LOGGING_RULES"] = ";".join(log_rules)
        env.update(self.program.env)
        return env

    def start(self, addresses):
        """Starts the program; returns the monotonic moment just before it."""
        argv = [self.program.binary] + self.program.args + list(addresses)
        self._stderr = open(self.stderr_path, "ab")
        t0 = time.monotonic()
        self.proc = subprocess.Popen(argv, env=self.env, cwd=self.home,
                                     stdin=subprocess.PIPE if self.program.is_bare else subprocess.DEVNULL,
                                     stdout=subprocess.DEVNULL, stderr=self._stderr,
                                     start_new_session=True)
        return t0

    def hand_over(self, addresses):
        """Gives a running copy more addresses, as its users would; the moment before."""
        t0 = time.monotonic()
        if self.program.is_bare:
            self.proc.stdin.write("".join(a + "\n" for a in addresses).encode())
            self.proc.stdin.flush()
            return t0
        for address in addresses:
            self.second_start(address)
        return t0

    def second_start(self, address):
        """A second start of Quillbrow with an address; waits until it has ended."""
        self.second_starts += 1
        argv = [self.program.binary] + self.program.args + [address]
        with open(os.path.join(self.dir, "second%02d.log" % self.second_starts), "wb") as log:
            rc = subprocess.call(argv, env=self.env, cwd=self.home, stdin=subprocess.DEVNULL,
                                 stdout=subprocess.DEVNULL, stderr=log, timeout=LOAD_TIMEOUT)
        if rc != 0:
            raise BenchError("a second start ended with status %d (%s)" % (rc, self.dir))

    def alive(self):
        return self.proc is not None and self.proc.poll() is None

    def pss_mib(self):
        return pss_kib(process_tree(self.proc.pid)) / 1024.0

    def log_lines(self, pattern):
        """Matches of pattern in the program's standard error so far."""
        self._stderr.flush()
        with open(self.stderr_path, "rb") as f:
            text = f.read().decode("utf-8", "replace")
        return re.findall(pattern, text)

    def stop(self):
        """Ends the program as a logout would (SIGTERM), then anything left of its tree."""
        if self.proc is None:
            return
        tree = process_tree(self.proc.pid)
        if self.alive():
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(timeout=15)
            except subprocess.TimeoutExpired:
                pass
        for pid in tree:
            try:
                os.kill(pid, signal.SIGKILL)
            except OSError:
                pass
        try:
            os.killpg(self.proc.pid, signal.SIGKILL)
        except OSError:
            pass
        self.proc.wait()
        self._stderr.close()
        if not self.session.keep:
            shutil.rmtree(os.path.join(self.dir, "data"), ignore_errors=True)
            shutil.rmtree(os.path.join(self.dir, "cache"), ignore_errors=True)


class BenchError(Exception):
    pass


# ------------------------------------------------------------------------- figures
#
# Each figure function does one run of one program and returns {figure: value}. The
# session calls them in rounds, every program in turn, so noise from the rest of the
# machine falls on all of them alike.


def ms(seconds):
    return seconds * 1000.0


def wait_loaded(session, run, pages):
    t = session.server.wait_for(run.id, ["loaded/%s" % n for n in pages])
    if t is None:
        raise BenchError("pages %s of run %d did not load (see %s)" % (pages, run.id, run.dir))
    return t


def figure_cold(session, program):
    """Start to first page loaded; memory with that one page."""
    run = Run(session, program, log_rules=["quillbrow.graphics.debug=true"])
    try:
        t0 = run.start([session.server.url(run.id, "page/1")])
        loaded = wait_loaded(session, run, [1])
        requested = session.server.first(run.id, "page/1")
        time.sleep(session.settle)
        result = {"start_loaded_ms": ms(loaded - t0),
                  "start_requested_ms": ms(requested - t0),
                  "memory_1_mib": run.pss_mib()}
        chosen = run.log_lines(r"quillbrow\.graphics: .* in (\d+) us")
        if chosen:
            result["graphics_choice_us"] = float(chosen[0])
        return result
    finally:
        run.stop()


def figure_ten_at_start(session, program):
    """Ten addresses at start (Quillbrow: a start, then a second start per address)
    until all are loaded; memory with the ten pages."""
    run = Run(session, program)
    pages = list(range(1, 11))
    urls = [session.server.url(run.id, "page/%d" % n) for n in pages]
    try:
        if program.is_bare:
            t0 = run.start(urls)
        else:
            t0 = run.start(urls[:1])
            # Its instance channel listens before the first window is made.
            if session.server.wait_for(run.id, ["page/1"]) is None:
                raise BenchError("run %d never asked for its first page" % run.id)
            run.hand_over(urls[1:])
        done = wait_loaded(session, run, pages)
        time.sleep(session.settle)
        return {"ten_start_ms": ms(done - t0), "memory_10_mib": run.pss_mib()}
    finally:
        run.stop()


def figure_handover(session, program):
    """A running copy: one address handed over until requested, then ten until all loaded."""
    run = Run(session, program)
    try:
        run.start([session.server.url(run.id, "page/0")])
        wait_loaded(session, run, [0])
        time.sleep(session.settle)
        result = {}
        t0 = run.hand_over([session.server.url(run.id, "page/100")])
        wait_loaded(session, run, [100])
        if not program.is_bare:
            # The bare program has no second start; its standard input is no yardstick.
            result["handover_requested_ms"] = ms(session.server.first(run.id, "page/100") - t0)
        time.sleep(session.settle)
        pages = list(range(1, 11))
        t0 = run.hand_over([session.server.url(run.id, "page/%d" % n) for n in pages])
        result["ten_running_ms"] = ms(wait_loaded(session, run, pages) - t0)
        return result
    finally:
        run.stop()


def figure_popup(session, program):
    """A pop-up to an address on the AutoClose list: its requests that reached the
    server, and the time from its first address to its window's end."""
    run = Run(session, program, list_ads=True, log_rules=["quillbrow.popup.debug=true"])
    try:
        run.start([session.server.url(run.id, "popup")])
        wait_loaded(session, run, ["popup"])
        refused, gone = wait_log(run, r"pop-up refused at ([\d.]+)",
                                 r"refused pop-up destroyed at ([\d.]+)", 1)
        # Whatever the window still asks for arrives by now.
        time.sleep(session.settle)
        if not (refused and gone):
            raise BenchError("the pop-up was not refused and closed (%s)" % run.dir)
        return {"popup_requests": float(session.server.count(run.id, "ad/")),
                "popup_closed_ms": ms(float(gone[0]) - float(refused[0]))}
    finally:
        run.stop()


def figure_popups(session, program):
    """A page opening POPUPS pop-ups in a loop (all on the AutoClose list): the longest
    stall of the event loop from the page's request until the last window is gone or
    the last refusal of the flood was reported."""
    run = Run(session, program, list_ads=True,
              log_rules=["quillbrow.popup.debug=true", "quillbrow.eventloop.debug=true"])
    try:
        run.start([session.server.url(run.id, "popups")])
        if session.server.wait_for(run.id, ["opened"]) is None:
            raise BenchError("the pop-up loop of run %d did not finish" % run.id)
        begin = session.server.first(run.id, "popups")
        # A page gets windows for only the first few of a burst (CPopupBudget); the
        # program refuses the next before any window is made and logs them as a count,
        # and the engine refuses the rest itself, which the page counts.
        deadline = time.monotonic() + LOAD_TIMEOUT
        while True:
            gone = run.log_lines(r"refused pop-up destroyed at ([\d.]+)")
            flood = run.log_lines(r"pop-up flood: (\d+) refused at ([\d.]+)")
            by_engine = session.server.number(run.id, "refused") or 0
            handled = len(gone) + sum(int(n) for n, _ in flood) + by_engine
            if handled >= POPUPS or time.monotonic() > deadline or not run.alive():
                break
            time.sleep(0.02)
        if handled < POPUPS:
            raise BenchError("only %d of %d pop-ups went (%s)" % (handled, POPUPS, run.dir))
        end = max([float(t) for t in gone] + [float(t) for _, t in flood])
        late = [float(ms_) for ms_, at in
                run.log_lines(r"10 ms timer late by ([\d.]+) ms at ([\d.]+)")
                if begin <= float(at) <= end + 0.1]
        return {"popups_stall_ms": max(late, default=0.0),
                "popups_all_gone_ms": ms(end - begin),
                "popups_requests": float(session.server.count(run.id, "ad/"))}
    finally:
        run.stop()


def wait_log(run, first_pattern, second_pattern, count, timeout=LOAD_TIMEOUT):
    """Polls the program's log until count matches of second_pattern are there."""
    deadline = time.monotonic() + timeout
    while True:
        first, second = run.log_lines(first_pattern), run.log_lines(second_pattern)
        if len(second) >= count or time.monotonic() > deadline or not run.alive():
            return first, second
        time.sleep(0.02)


def autoclose_benchmark(session):
    """IsAutoClose over 10,000 entries, one decision, from the Google Benchmark target."""
    binary = os.path.join(session.build_dir, "bench/autoclose/quillbrow_bench_autoclose")
    if not os.path.exists(binary):
        return {}
    out = subprocess.run([binary, "--benchmark_format=json",
                          "--benchmark_min_time=%s" % ("0.05" if session.rounds == 1 else "0.5")],
                         check=True, capture_output=True, text=True).stdout
    results = {}
    for b in json.loads(out)["benchmarks"]:
        if b["name"] == "IsAutoClose/NoMatch/10000":
            results["isautoclose_us"] = b["cpu_time"] * {"ns": 1e-3, "us": 1.0, "ms": 1e3}[b["time_unit"]]
    return results


# ------------------------------------------------------------------------- session


class Session:
    def __init__(self, args):
        self.rounds = args.rounds
        self.settle = args.settle
        self.keep = args.keep
        self.build_dir = args.build_dir
        stamp = datetime.datetime.now().strftime("%Y%m%d-%H%M%S")
        self.out_dir = os.path.abspath(args.out or os.path.join(self.build_dir, "bench-results", stamp))
        os.makedirs(self.out_dir, exist_ok=True)
        self.work_dir = tempfile.mkdtemp(prefix="quillbrow-bench.")
        self.server = PageServer()
        self.xvfb = None
        self.display = args.display or self._start_xvfb()
        self.samples = {}  # program name -> figure -> list of values
        self.failures = []

    def _start_xvfb(self):
        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x900x24",
                                      "-nolisten", "tcp", "-noreset"],
                                     pass_fds=[write_fd], stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd) as f:
            number = f.readline().strip()
        if not number:
            raise BenchError("Xvfb did not start")
        return ":" + number

    def close(self):
        self.server.close()
        if self.xvfb:
            self.xvfb.terminate()
            self.xvfb.wait()
        if not self.keep:
            shutil.rmtree(self.work_dir, ignore_errors=True)

    def record(self, program, values):
        for figure, value in values.items():
            self.samples.setdefault(program.name, {}).setdefault(figure, []).append(value)

    def measure(self, programs, figures):
        for r in range(self.rounds):
            # The order turns every round so no program always follows the same one.
            order = programs[r % len(programs):] + programs[:r % len(programs)]
            for figure in figures:
                for program in order:
                    if program.is_bare and figure in QUILLBROW_ONLY:
                        continue
                    try:
                        self.record(program, figure(self, program))
                    except (BenchError, subprocess.TimeoutExpired) as e:
                        self.failures.append("%s %s: %s" % (program.name, figure.__name__, e))
                        print("  failed: %s" % self.failures[-1], file=sys.stderr)
                print("round %d/%d: %s done" % (r + 1, self.rounds, figure.__name__[7:]),
                      file=sys.stderr)
        # Memory per extra window pairs each ten-page run with the one-page run of its round.
        for name, figs in self.samples.items():
            ones, tens = figs.get("memory_1_mib", []), figs.get("memory_10_mib", [])
            if ones and tens:
                figs["memory_extra_mib"] = [(t - o) / 9 for o, t in zip(ones, tens)]


QUILLBROW_ONLY = {figure_popup, figure_popups}
FIGURES = [figure_cold, figure_ten_at_start, figure_handover, figure_popup, figure_popups]


# ------------------------------------------------------------------------- report

# (key, label, unit, target as a ratio to the bare program or None, absolute target)
ROWS = [
    ("start_loaded_ms", "start → first page loaded", "ms", 1.15, None),
    ("start_requested_ms", "start → first page requested", "ms", None, None),
    ("memory_1_mib", "memory (PSS, all processes), 1 page", "MiB", 1.05, None),
    ("memory_extra_mib", "memory per extra window, 10 pages", "MiB", 1.10, None),
    ("ten_start_ms", "start with 10 addresses → all loaded", "ms", 1.2, None),
    ("ten_running_ms", "10 addresses handed to a running copy → all loaded", "ms", 1.2, None),
    ("handover_requested_ms", "second start handing over → page requested", "ms", None, None),
    ("popup_requests", "pop-up to a listed address: requests reaching the server", "", None, 0),
    ("popup_closed_ms", "pop-up: first address → window destroyed", "ms", None, None),
    ("isautoclose_us", "IsAutoClose, 10,000 entries, one decision", "µs", None, 1000),
    ("popups_stall_ms", "200 pop-ups: longest event-loop stall", "ms", None, 100),
    ("popups_all_gone_ms", "200 pop-ups: first request → last window gone", "ms", None, None),
    ("popups_requests", "200 pop-ups: requests reaching the server", "", None, 0),
    ("graphics_choice_us", "graphics backend choice (detection)", "µs", None, None),
]


def spread(values, count=False):
    """'median (min–max)' of the values."""
    med = statistics.median(values)
    fmt = "%.0f" if count or med >= 100 else "%.1f" if med >= 1 else "%.2f"
    if len(values) == 1:
        return fmt % med
    return (fmt + " (" + fmt + "–" + fmt + ")") % (med, min(values), max(values))


def report(session, programs):
    """The Markdown table: every configuration's median (min–max), and for Quillbrow the
    ratio of its median to the best bare median of the row (marked "best")."""
    bares = [p for p in programs if p.is_bare]
    others = [p for p in programs if not p.is_bare]
    values = lambda p, key: session.samples.get(p.name, {}).get(key)
    med = lambda p, key: statistics.median(values(p, key)) if values(p, key) else None
    head = ["figure"] + [p.name for p in bares + others] + ["target"]
    lines = ["| " + " | ".join(head) + " |", "|" + "---|" * len(head)]
    for key, label, unit, ratio_target, absolute in ROWS:
        count = not unit
        best = min((p for p in bares if med(p, key) is not None), key=lambda p: med(p, key),
                   default=None)
        cells = [label + (" (%s)" % unit if unit else "")]
        for p in bares:
            cells.append("–" if not values(p, key) else
                         spread(values(p, key), count) + (" best" if p is best and len(bares) > 1 else ""))
        for p in others:
            if not values(p, key):
                cells.append("–")
                continue
            text = spread(values(p, key), count)
            if best and med(best, key):
                text += " = **%.2f×**" % (med(p, key) / med(best, key))
            if key == "handover_requested_ms" and med(p, "start_requested_ms"):
                text += " = **%.2f** of its cold start" % (med(p, key) / med(p, "start_requested_ms"))
            cells.append(text)
        if ratio_target is not None:
            cells.append("≤ %.2f×" % ratio_target)
        elif key == "handover_requested_ms":
            cells.append("≤ 1/3 of a cold start")
        elif key == "popup_closed_ms":
            cells.append("one event-loop turn")
        elif absolute is not None:
            cells.append(("%s %g %s" % ("=" if absolute == 0 else "≤", absolute, unit)).strip())
        else:
            cells.append("")
        lines.append("| " + " | ".join(cells) + " |")
    return "\n".join(lines)


def machine():
    cpu = platform.processor()
    try:
        with open("/proc/cpuinfo") as f:
            cpu = next(l.split(":", 1)[1].strip() for l in f if l.startswith("model name"))
    except (OSError, StopIteration):
        pass
    with open("/proc/meminfo") as f:
        mem = int(f.readline().split()[1]) // 1024
    return "%s, %d cores, %d MiB, %s" % (cpu, os.cpu_count(), mem, platform.platform())


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--quick", action="store_true", help="one round, for a smoke test")
    parser.add_argument("--rounds", type=int, default=7, help="rounds (default 7)")
    parser.add_argument("--build-dir", default=os.path.join(ROOT, "build"))
    parser.add_argument("--quillbrow", help="the Quillbrow binary (default: the build's)")
    parser.add_argument("--variant", action="append", default=[], metavar="NAME:ARGS",
                        help="also measure Quillbrow with these arguments, e.g. gpu:--graphics=gpu")
    parser.add_argument("--compare", action="append", default=[], metavar="NAME=PATH",
                        help="also measure another Quillbrow binary, e.g. a build before a change")
    parser.add_argument("--figures", help="comma-separated subset of: "
                        + ",".join(f.__name__[7:] for f in FIGURES) + ",isautoclose")
    parser.add_argument("--settle", type=float, default=1.0,
                        help="seconds to wait after a load before memory is read (default 1)")
    parser.add_argument("--display", help="use this X display instead of starting Xvfb")
    parser.add_argument("--out", help="folder for results.json and results.md")
    parser.add_argument("--keep", action="store_true", help="keep every run's folders and logs")
    args = parser.parse_args()
    if args.quick:
        args.rounds = 1

    bare = os.path.join(args.build_dir, "bench/bare/quillbrow_bare")
    quillbrow = args.quillbrow or os.path.join(args.build_dir, "src/app/quillbrow")
    for binary in (bare, quillbrow):
        if not os.access(binary, os.X_OK):
            sys.exit("missing %s: build it first (bench/run does)" % binary)
    programs = [Program("bare", bare, "bare"),
                Program("bare-sw", bare, "bare", env={"QT_QUICK_BACKEND": "software"}),
                Program("quillbrow", quillbrow, "quillbrow")]
    for variant in args.variant:
        name, _, extra = variant.partition(":")
        programs.append(Program("quillbrow-" + name, quillbrow, "quillbrow", extra.split()))
    for other in args.compare:
        name, _, path = other.partition("=")
        if not os.access(path, os.X_OK):
            sys.exit("--compare %s: no program at %s" % (name, path))
        programs.append(Program(name, os.path.abspath(path), "quillbrow"))
    wanted = set(args.figures.split(",")) if args.figures else None
    figures = [f for f in FIGURES if wanted is None or f.__name__[7:] in wanted]

    session = Session(args)
    started = datetime.datetime.now()
    try:
        if wanted is None or "isautoclose" in wanted:
            session.record(programs[2], autoclose_benchmark(session))
        session.measure(programs, figures)
    finally:
        session.close()

    table = report(session, programs)
    header = ("Machine: %s\nDate: %s\nCommand: %s\nRounds: %d\nLoad average at the end: %s\n"
              % (machine(), started.strftime("%Y-%m-%d %H:%M"), " ".join(sys.argv), session.rounds,
                 " ".join(open("/proc/loadavg").read().split()[:3])))
    text = header + "\n" + table + "\n"
    if session.failures:
        text += "\nFailed runs:\n" + "".join("- %s\n" % f for f in session.failures)
    print(text)
    with open(os.path.join(session.out_dir, "results.md"), "w") as f:
        f.write(text)
    with open(os.path.join(session.out_dir, "results.json"), "w") as f:
        json.dump({"machine": machine(), "date": started.isoformat(), "argv": sys.argv,
                   "samples": session.samples, "failures": session.failures}, f, indent=1)
    print("raw samples: %s" % os.path.join(session.out_dir, "results.json"), file=sys.stderr)
    if args.keep:
        print("runs' folders and logs: %s" % session.work_dir, file=sys.stderr)
    return 1 if session.failures else 0


if __name__ == "__main__":
    sys.exit(main())
