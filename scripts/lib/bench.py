"""Timing of the print manager against the paced simulator: see scripts/bench and the README."""

import argparse
import datetime
import http.client
import json
import os
import random
import socket
import statistics
import subprocess
import sys
import threading
import time

import kvrig

RECEIPT_BYTES = 2000
HTTP_TOKEN = "bench-token-0123456789"
HTTP_ROUNDS = 5  # the same receipt as a file and over HTTP, each this many times
VAT_LEVELS = {"1": 1, "2": 2, "3": 3, "7": 4, "0": 5}  # the letter a VAT level is sent as


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class BenchError(RuntimeError):
    pass


def floor_s(bytes_both_ways, baud):
    """Time the serial line needs for that many bytes: 10 bits each."""
    return bytes_both_ways * 10.0 / baud


class Run:
    """One print manager from exec to its last job, at one baud rate."""

    def __init__(self, args, baud, rng):
        self.args, self.baud, self.rng = args, baud, rng
        self.rig = kvrig.Rig(args.build, baud, keep=args.keep, prefix="kv-bench.")
        self.http_port = free_port()
        with open(self.rig.file("rb4900_cfg.ini"), "a", newline="") as f:
            f.write("[HTTP]\r\nenabled=1\r\ntoken=%s\r\nport=%d\r\n" % (HTTP_TOKEN, self.http_port))
        self.watch = None
        self.rid = 0
        self.samples = {}  # metric -> [(value, floor or None)]

    def note(self, metric, value, floor=None):
        self.samples.setdefault(metric, []).append((value, floor))

    def drop(self):
        """Writes the next receipt; the moment it appeared (us)."""
        self.rid += 1
        data, _ = kvrig.receipt(self.rid, RECEIPT_BYTES)
        kvrig.write_renamed(self.rig.path_in, data)
        return kvrig.now_us()

    def wait_done(self, timeout_s=180):
        """Waits until the input file is gone; (moment it went, info.txt written before)."""
        info_written = False
        deadline = time.monotonic() + timeout_s
        while time.monotonic() < deadline:
            for moment, mask, name in self.watch.read(deadline - time.monotonic()):
                if name == "info.txt" and mask & kvrig.WRITTEN:
                    info_written = True
                if name == "blocek.txt" and mask & kvrig.GONE:
                    return moment, info_written
        raise BenchError("receipt %d was not taken within %d s (see %s)"
                         % (self.rid, timeout_s, self.rig.dir))

    def check_printed(self, rid):
        with open(self.rig.file("info.txt"), "rb") as f:
            first = f.readline().strip()
        with open(self.rig.paper, "rb") as f:
            paper = f.read()
        if first == b"9999" or not first.isdigit():
            raise BenchError("receipt %d failed: info.txt holds %r" % (rid, first))
        if kvrig.item_tag(rid, 1).encode() not in paper:
            raise BenchError("receipt %d is not on the paper" % rid)

    def start_up(self):
        rig = self.rig
        rig.start_sim()
        self.watch = kvrig.DirWatch(rig.home)
        rig.start_pm()
        rig.wait_ready()
        st = rig.stats()
        if st.get("first_status_us", 0) > 0:
            self.note("d1", (st["first_status_us"] - rig.pm_exec_us) / 1e3,
                      floor_s(st["first_status_in"] + st["first_status_out"], self.baud) * 1e3)
        self.note("d2", (rig.pm_ready_us - rig.pm_exec_us) / 1e3,
                  floor_s(st.get("in", 0) + st.get("out", 0), self.baud) * 1e3)

    def idle(self):
        time.sleep(2)  # the first tick and its settings come first
        pid = self.rig.pm.pid
        cpu0 = kvrig.cpu_seconds(pid)
        time.sleep(self.args.idle)
        cpu1 = kvrig.cpu_seconds(pid)
        self.note("e2", (cpu1 - cpu0) * 1e3 / self.args.idle)
        self.note("f1", kvrig.rss_kib(pid) / 1024.0)

    def single(self):
        time.sleep(self.rng.uniform(0.2, 0.7))  # no fixed phase against the job timer
        self.watch.drain()
        self.rig.control("stats mark")
        appeared = self.drop()
        gone, info = self.wait_done()
        if not info:
            raise BenchError("receipt %d: input gone without info.txt written" % self.rid)
        st = self.rig.stats()
        self.check_printed(self.rid)
        if st.get("first_open_us", 0) > 0:
            self.note("a", (st["first_open_us"] - appeared) / 1e3,
                      floor_s(st["first_open_in"] + st["first_open_out"], self.baud) * 1e3)
        self.note("b", (gone - appeared) / 1e3, floor_s(st["in"] + st["out"], self.baud) * 1e3)

    def post_receipt(self):
        """Posts the next receipt, the same items the file would carry; (ms to the answer)."""
        self.rid += 1
        items = [{"name": name, "quantity": qty, "unitPrice": price, "vatLevel": VAT_LEVELS[vat]}
                 for name, qty, price, vat in kvrig.receipt_items(self.rid, RECEIPT_BYTES)]
        body = json.dumps({"items": items})
        start = kvrig.now_us()
        conn = http.client.HTTPConnection("127.0.0.1", self.http_port, timeout=120)
        try:
            conn.request("POST", "/api/v1/receipts", body,
                         {"Authorization": "Bearer " + HTTP_TOKEN,
                          "Content-Type": "application/json"})
            answer = conn.getresponse()
            text = answer.read()
        finally:
            conn.close()
        took = (kvrig.now_us() - start) / 1e3
        if answer.status != 200:
            raise BenchError("receipt %d over HTTP: %d %s" % (self.rid, answer.status, text[:200]))
        return took

    def file_against_http(self):
        """The same receipt as a file and over HTTP, alternately, HTTP_ROUNDS times each."""
        for _ in range(HTTP_ROUNDS):
            time.sleep(self.rng.uniform(0.2, 0.7))
            self.watch.drain()
            self.rig.control("stats mark")
            appeared = self.drop()
            gone, _ = self.wait_done()
            st = self.rig.stats()
            self.check_printed(self.rid)
            self.note("h1", (gone - appeared) / 1e3, floor_s(st["in"] + st["out"], self.baud) * 1e3)
            time.sleep(self.rng.uniform(0.2, 0.7))
            self.rig.control("stats mark")
            took = self.post_receipt()
            st = self.rig.stats()
            self.note("h2", took, floor_s(st["in"] + st["out"], self.baud) * 1e3)

    def back_to_back(self, count):
        """`count` receipts, each written the moment the one before is gone: (seconds, bytes
        both ways, CPU seconds)."""
        pid = self.rig.pm.pid
        self.watch.drain()
        self.rig.control("stats mark")
        cpu0 = kvrig.cpu_seconds(pid)
        first = self.drop()
        last = first
        for i in range(count):
            last, _ = self.wait_done()
            if i + 1 < count:
                self.drop()
        cpu1 = kvrig.cpu_seconds(pid)
        st = self.rig.stats()
        self.check_printed(self.rid)
        return (last - first) / 1e6, st["in"] + st["out"], cpu1 - cpu0

    def scrape(self, stop):
        """GET /metrics once a second, as a fleet's Prometheus would, until `stop` is set."""
        while not stop.wait(1.0):
            try:
                conn = http.client.HTTPConnection("127.0.0.1", self.http_port, timeout=10)
                conn.request("GET", "/metrics", headers={"Authorization": "Bearer " + HTTP_TOKEN})
                answer = conn.getresponse()
                answer.read()
                conn.close()
                if answer.status != 200:
                    self.scrape_failures += 1
            except OSError:
                self.scrape_failures += 1

    def run(self):
        stop = threading.Event()
        self.scrape_failures = 0
        scraper = threading.Thread(target=self.scrape, args=(stop,), daemon=True)
        try:
            self.start_up()
            if self.args.scrape:
                scraper.start()
            self.idle()
            for _ in range(self.args.singles):
                self.single()
            self.file_against_http()
            seconds, wire, cpu = self.back_to_back(20)
            self.note("c", seconds, floor_s(wire, self.baud))
            self.note("e1", cpu * 1e3 / 20)
            rest = self.args.jobs - self.rid
            if rest > 0:
                self.back_to_back(rest)
            self.note("f2", kvrig.rss_kib(self.rig.pm.pid) / 1024.0)
            paper = open(self.rig.paper, "rb").read()
            missing = [r for r in range(1, self.rid + 1)
                       if paper.count(kvrig.item_tag(r, 1).encode()) != 1]
            if missing:
                raise BenchError("receipts not on the paper exactly once: %s" % missing[:10])
            if self.scrape_failures:
                raise BenchError("%d scrapes of /metrics failed" % self.scrape_failures)
            return self.samples
        finally:
            stop.set()
            if scraper.is_alive():
                scraper.join(15)
            if self.watch:
                self.watch.close()
            self.rig.close()


METRICS = [
    ("a", "(a) file appears -> printing starts", "ms"),
    ("b", "(b) file appears -> info.txt written, input deleted", "ms"),
    ("c", "(c) 20 receipts back to back", "s"),
    ("d1", "(d) exec -> first status query", "ms"),
    ("d2", "(d) exec -> ready for a client", "ms"),
    ("e1", "(e) CPU per job", "ms"),
    ("e2", "(e) CPU idle", "ms/s"),
    ("f1", "(f) RSS idle", "MiB"),
    ("f2", "(f) RSS after {jobs} jobs", "MiB"),
    ("h1", "(h) a receipt as a file: appears -> input deleted", "ms"),
    ("h2", "(h) the same receipt over HTTP: request -> answer", "ms"),
]


def summarize(samples):
    """median, minimum, median floor, median / median floor."""
    values = [v for v, _ in samples]
    floors = [f for _, f in samples if f is not None]
    med = statistics.median(values)
    floor = statistics.median(floors) if floors else None
    ratio = med / floor if floor else None
    return {"median": med, "min": min(values), "max": max(values), "floor": floor, "ratio": ratio,
            "n": len(values)}


def cell(x, digits=1):
    return "-" if x is None else "%.*f" % (digits, x)


def table(result):
    bauds = result["bauds"]
    head = "%-56s" % "measure" + "".join(
        " | %6s baud: %8s %8s %8s %6s" % (b, "median", "min", "floor", "ratio") for b in bauds)
    lines = [head, "-" * len(head)]
    for key, label, unit in METRICS:
        row = "%-56s" % ("%s [%s]" % (label.format(jobs=result["jobs"]), unit))
        for b in bauds:
            s = result["summary"][str(b)].get(key)
            if s is None:
                row += " | %11s %8s %8s %8s %6s" % ("", "-", "-", "-", "-")
                continue
            row += " | %11s %8s %8s %8s %6s" % ("", cell(s["median"]), cell(s["min"]),
                                                cell(s["floor"]), cell(s["ratio"], 2))
        lines.append(row)
    for b in bauds:
        h1, h2 = result["summary"][str(b)].get("h1"), result["summary"][str(b)].get("h2")
        if h1 and h2:
            lines.append("(h) at %s baud: file %.0f ms (%.0f ... %.0f), HTTP %.0f ms (%.0f ... %.0f),"
                         " %d each" % (b, h1["median"], h1["min"], h1["max"], h2["median"],
                                       h2["min"], h2["max"], h1["n"]))
    for b in bauds:
        c = result["summary"][str(b)].get("c")
        if c:
            lines.append("(c) at %s baud: %.1f receipts per minute (the line allows %.1f)"
                         % (b, 20 * 60 / c["median"], 20 * 60 / c["floor"] if c["floor"] else 0))
    return "\n".join(lines)


def git_commit():
    try:
        return subprocess.run(["git", "-C", kvrig.top_dir(), "rev-parse", "--short", "HEAD"],
                              capture_output=True, text=True, timeout=10).stdout.strip()
    except (OSError, subprocess.SubprocessError):
        return ""


def main(argv):
    p = argparse.ArgumentParser(prog="scripts/bench")
    p.add_argument("--quick", action="store_true",
                   help="one run each, 10 s idle window, 40 jobs (a few minutes)")
    p.add_argument("--runs", type=int, help="runs per baud rate (default 3; --quick 1)")
    p.add_argument("--baud", action="append", type=int,
                   help="baud rate (repeatable; default 9600 and 115200)")
    p.add_argument("--json", help="where the JSON goes (default build/bench/bench-<time>.json)")
    p.add_argument("--build", default=os.path.join(kvrig.top_dir(), "build"))
    p.add_argument("--seed", type=int, default=1)
    p.add_argument("--keep", action="store_true", help="keep the temporary directories")
    p.add_argument("--scrape", action="store_true",
                   help="GET /metrics once a second beside the jobs (what a fleet's Prometheus costs)")
    args = p.parse_args(argv)
    args.runs = args.runs or (1 if args.quick else 3)
    args.idle = 10 if args.quick else 60
    args.jobs = 40 if args.quick else 100
    args.singles = 3
    bauds = args.baud or [9600, 115200]
    stamp = datetime.datetime.now().strftime("%Y%m%d-%H%M%S")
    json_path = args.json or os.path.join(args.build, "bench", "bench-%s.json" % stamp)

    result = {"date": stamp, "commit": git_commit(), "quick": args.quick, "runs": args.runs,
              "scrape": args.scrape,
              "jobs": args.jobs, "idle_s": args.idle, "receipt_bytes": RECEIPT_BYTES,
              "bauds": bauds, "cores": os.cpu_count(), "load_start": kvrig.load_average(),
              "settings": "INI defaults (delay_file 300, opozdenie 2000) but port, baud, paths",
              "samples": {}, "summary": {}}
    rng = random.Random(args.seed)
    for baud in bauds:
        merged = {}
        for n in range(args.runs):
            print("bench: %d baud, run %d of %d ..." % (baud, n + 1, args.runs), flush=True)
            try:
                samples = Run(args, baud, rng).run()
            except (BenchError, RuntimeError, OSError) as e:
                print("bench: %s" % e, file=sys.stderr)
                return 1
            for key, values in samples.items():
                merged.setdefault(key, []).extend(values)
        result["samples"][str(baud)] = merged
        result["summary"][str(baud)] = {k: summarize(v) for k, v in merged.items()}
    result["load_end"] = kvrig.load_average()
    text = table(result)
    note = ("load average at start %.2f, at end %.2f on %d cores shared with other work: "
            "timings are disturbed by it" % (result["load_start"][0], result["load_end"][0],
                                              result["cores"]))
    print()
    print(text)
    print(note)
    result["table"] = text
    os.makedirs(os.path.dirname(os.path.abspath(json_path)), exist_ok=True)
    with open(json_path, "w") as f:
        json.dump(result, f, indent=1)
    print("JSON: %s" % json_path)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
