"""Long run of the print manager against a misbehaving simulator: see scripts/soak and the
README. Exit 0 when no receipt came out twice and none was lost without a report, 1 when one
did, 2 when the run itself could not be carried out."""

import argparse
import os
import random
import signal
import sys
import threading
import time

import kvrig
import soak_match

# (name, command that switches it on (a text or a function of the random generator), off)
FAULTS = [
    ("silent", "silent on", "silent off"),
    ("garbled status", lambda r: "garbled " + r.choice(["once", "always"]), "garbled off"),
    ("paper low", "status1 0x10", "status1 0"),
    ("printer busy", "status1 0x04", "status1 0"),
    ("closing due", "status1 0x40", "status1 0"),
    ("mechanism error", "status2 0x20", "status2 0"),
    ("slow answers", lambda r: "delay %d" % r.choice([200, 800, 2500, 8000]), "delay 0"),
    ("cut device record", "cut-device-record on", "cut-device-record off"),
    ("records run out", lambda r: "records-left %d" % r.randint(0, 3), "records-left -1"),
    ("number stays", "no-advance once", "no-advance off"),
    ("lines drop", lambda r: "drop-lines both:%d" % r.randint(0, 2500), "raise-lines"),
]
ALL_OFF = ["silent off", "garbled off", "status1 0", "status2 0", "delay 0",
           "cut-device-record off", "records-left -1", "no-advance off", "raise-lines"]

# A document left open may be closed when nothing came over the line this long: while the
# program sends a receipt its bytes flow without a pause.
IDLE_BEFORE_CLOSE_US = 2_500_000


class Soak:
    def __init__(self, args):
        self.args = args
        self.rig = kvrig.Rig(args.build, args.baud, keep=True, prefix="kv-soak.")
        self.log_file = open(os.path.join(self.rig.dir, "soak.log"), "w")
        self.started = time.monotonic()
        self.lock = threading.Lock()
        self.stop_chaos = threading.Event()
        self.done = threading.Event()
        self.chaos_rng = random.Random("chaos-%d" % args.seed)
        self.pos_rng = random.Random("pos-%d" % args.seed)
        self.written = {}
        self.counts = dict.fromkeys(["faults", "sigkill", "sigterm", "closed"], 0)
        self.lines_down = False
        self.lines_up_at = 0.0
        self.pm_died = None
        self.cpu = []  # (seconds since start, CPU seconds)
        self.rss = []

    def log(self, text):
        with self.lock:
            self.log_file.write("%9.3f %s\n" % (time.monotonic() - self.started, text))
            self.log_file.flush()

    def pause(self, seconds):
        self.stop_chaos.wait(seconds)

    # ---- the simulator's faults, kills and the operator ------------------------------------
    def fault(self):
        name, on, off = self.chaos_rng.choice(FAULTS)
        command = on(self.chaos_rng) if callable(on) else on
        hold = self.chaos_rng.uniform(0.2, 5.0)
        self.counts["faults"] += 1
        self.log("fault on: %s (%s) for %.1f s -> %s" % (name, command, hold,
                                                          self.rig.control(command)))
        self.lines_down = command.startswith("drop-lines")
        self.pause(hold)
        self.log("fault off: %s -> %s" % (off, self.rig.control(off)))
        if self.lines_down:
            self.lines_down = False
            self.lines_up_at = time.monotonic()

    def wait_for_sending(self, limit_s=5.0):
        """Waits until a receipt is on its way (a document open in the printer); False when
        none was within limit_s."""
        deadline = time.monotonic() + limit_s
        while time.monotonic() < deadline and not self.stop_chaos.is_set():
            if self.rig.numbers("state", quiet=True).get("open") == 1:
                return True
            time.sleep(0.01)
        return False

    def kill_and_restart(self):
        sig = signal.SIGKILL if self.chaos_rng.random() < 0.7 else signal.SIGTERM
        down = self.chaos_rng.uniform(0.1, 3.0)
        # Half of the kills aim at a receipt on its way: that leaves a document open.
        sending = self.chaos_rng.random() < 0.5 and self.wait_for_sending()
        self.counts["sigkill" if sig == signal.SIGKILL else "sigterm"] += 1
        self.log("simulator killed (%s%s), down for %.1f s"
                 % (sig.name, ", the program sending" if sending else "", down))
        self.rig.kill_sim(sig)
        self.pause(down)
        self.rig.start_sim()
        # Condition bits are kept in the state file: one switched off just before the kill
        # may not have been saved.
        for command in ("status1 0", "status2 0"):
            self.rig.control(command)
        self.log("simulator restarted: %s" % self.rig.control("state"))

    def operator(self):
        """Looks at the printer every half second and closes a document left open in it, as an
        operator would at the printer, once it is plain that the program is not sending it:
        the same document has been open for 2 s and since then the program has asked for the
        status (it asks only between jobs, and sends no job while a document is open), or the
        line has been quiet for 2.5 s."""
        seen = None  # (simulator, documents it opened), status queries then, since when
        while not self.stop_chaos.wait(0.5):
            sim = self.rig.sim
            state = self.rig.numbers("state", quiet=True)
            if (sim is None or state.get("open") != 1 or self.lines_down
                    or time.monotonic() - self.lines_up_at < 3):
                seen = None
                continue
            st = self.rig.stats()
            key = (sim.pid, st.get("opened"))
            if seen is None or seen[0] != key:
                seen = (key, st.get("status", 0), time.monotonic())
                continue
            if time.monotonic() - seen[2] < 2:
                continue
            asked = st.get("status", 0) > seen[1]
            quiet = kvrig.now_us() - max(st.get("last_in_us", 0), st.get("since_us", 0)) >= \
                IDLE_BEFORE_CLOSE_US
            if not (asked or quiet):
                continue
            answer = self.rig.control("close-document")
            self.counts["closed"] += answer == "ok"
            self.log("operator closes the open document (%s) -> %s; %s"
                     % ("the program asked for the status" if asked else "the line is quiet",
                        answer, self.rig.control("state")))
            seen = None

    def chaos(self):
        last_kill = time.monotonic()
        while not self.stop_chaos.is_set():
            self.pause(self.chaos_rng.uniform(0.3, 3.0))
            if self.stop_chaos.is_set():
                break
            r = self.chaos_rng.random()
            if r < 0.12 and time.monotonic() - last_kill > self.args.kill_gap:
                self.kill_and_restart()
                last_kill = time.monotonic()
            elif r < 0.8:
                self.fault()

    def start_chaos(self):
        self.stop_chaos.clear()
        self.threads = [threading.Thread(target=t, daemon=True)
                        for t in (self.chaos, self.operator)]
        for t in self.threads:
            t.start()

    def end_chaos(self):
        self.stop_chaos.set()
        for t in self.threads:
            t.join()

    def heal(self):
        """Every fault off, the simulator up, no document left open."""
        if not self.rig.sim or self.rig.sim.poll() is not None:
            self.rig.start_sim()
        for command in ALL_OFF:
            self.rig.control(command)
        deadline = time.monotonic() + 30
        while self.rig.printer_state().get("open") == 1 and time.monotonic() < deadline:
            st = self.rig.stats()
            if kvrig.now_us() - max(st.get("last_in_us", 0), st.get("since_us", 0)) > \
                    IDLE_BEFORE_CLOSE_US:
                answer = self.rig.control("close-document")
                self.counts["closed"] += answer == "ok"
                self.log("operator closes the open document at the end -> %s" % answer)
            time.sleep(0.5)

    # ---- the point-of-sale program ---------------------------------------------------------
    def wait_gone(self, limit_s):
        deadline = time.monotonic() + limit_s
        while os.path.exists(self.rig.path_in):
            if time.monotonic() > deadline or self.pm_died:
                return False
            time.sleep(0.02)
        return True

    def write(self, rid):
        data, items = kvrig.receipt(rid, self.pos_rng.randint(800, 2000))
        in_place = self.pos_rng.random() < 0.25
        if in_place:
            # Written straight into the input file in a few pieces, as a careless writer does.
            cuts = sorted(self.pos_rng.sample(range(1, len(data)), self.pos_rng.randint(1, 3)))
            with open(self.rig.path_in, "wb") as f:
                for a, b in zip([0] + cuts, cuts + [len(data)]):
                    f.write(data[a:b])
                    f.flush()
                    time.sleep(self.pos_rng.uniform(0, 0.04))
        else:
            kvrig.write_renamed(self.rig.path_in, data)
        self.written[rid] = {"items": items, "info": None}
        self.log("receipt %d written (%s, %d bytes)" % (rid, "in place" if in_place else
                                                        "renamed", len(data)))

    def pos(self):
        deadline = self.started + self.args.minutes * 60 if self.args.minutes else None
        for rid in range(1, self.args.n + 1):
            if deadline and time.monotonic() > deadline:
                self.log("time is up after %d receipts" % (rid - 1))
                break
            self.write(rid)
            if not self.wait_gone(300):
                if self.pm_died:
                    return
                self.log("receipt %d not taken in 300 s: every fault off" % rid)
                self.end_chaos()
                self.heal()
                if not self.wait_gone(120):
                    self.log("receipt %d still not taken: the run stops" % rid)
                    return
                self.start_chaos()
            info = soak_match.read(self.rig.file("info.txt")) or b""
            self.written[rid]["info"] = info.split(b"\r\n")[0].decode("ascii", "replace")
            self.log("receipt %d gone, info.txt %s" % (rid, self.written[rid]["info"]))
            if rid % 50 == 0:
                print("soak: %d receipts written" % rid, flush=True)
            time.sleep(self.pos_rng.uniform(0, 0.3))

    def sample(self):
        """CPU and memory of the print manager once a second; notices its end."""
        pid = self.rig.pm.pid
        while not self.done.wait(1.0):
            if self.rig.pm.poll() is not None:
                self.pm_died = "the print manager ended (exit status %s)" % self.rig.pm.returncode
                self.log(self.pm_died)
                return
            cpu, rss = kvrig.cpu_seconds(pid), kvrig.rss_kib(pid)
            if cpu is not None and rss is not None:
                self.cpu.append((time.monotonic() - self.started, cpu))
                self.rss.append(rss)

    # ---- the run ---------------------------------------------------------------------------
    def run(self):
        rig = self.rig
        self.log("seed %d, %d receipts, %d baud" % (self.args.seed, self.args.n, self.args.baud))
        rig.start_sim()
        rig.start_pm()
        rig.wait_ready()
        self.log("print manager ready")
        sampler = threading.Thread(target=self.sample, daemon=True)
        sampler.start()
        self.start_chaos()
        try:
            self.pos()
        finally:
            self.end_chaos()
            if not self.pm_died:
                self.heal()
                self.wait_gone(120)
                time.sleep(2)  # a last read-back or setting aside ends
            self.done.set()
            sampler.join()
            stopped = rig.stop_pm()
            rig.kill_sim(signal.SIGTERM)
            self.log("print manager stopped %s" % ("on SIGTERM" if stopped else "by SIGKILL"))

    def report(self):
        rig = self.rig
        paper = (soak_match.read(rig.paper) or b"").decode("utf-8", "replace")
        fm_err = soak_match.read(rig.file("FM_err.txt")) or b""
        summary, details = soak_match.classify(self.written, paper, fm_err, rig.home,
                                               rig.path_in)
        s, c = summary, self.counts
        minutes = (time.monotonic() - self.started) / 60
        lines = [
            "soak: seed %d, %d baud, %.1f min; faults switched %d, simulator killed %d times "
            "(SIGKILL %d, SIGTERM %d), documents closed by the operator %d"
            % (self.args.seed, self.args.baud, minutes, c["faults"], c["sigkill"] + c["sigterm"],
               c["sigkill"], c["sigterm"], c["closed"]),
            "  written                          %6d" % s["written"],
            "  printed once                     %6d  (of these reported as failed too: %d, "
            "partly printed: %d)" % (s["printed_once"], s["printed_and_reported"], s["partial"]),
            "  not printed and reported         %6d  (\"Neopakuj tlac\": %d, set aside: %d, "
            "in place: %d)" % (s["reported"], s["by_refusal"], s["by_set_aside"], s["in_place"]),
            "  printed twice (must be 0)        %6d" % s["twice"],
            "  lost without a report (must be 0)%6d" % s["lost"],
            "  result files: info.txt confirmed but not printed %d, info.txt 9999 but printed %d"
            % (s["confirmed_not_printed"], s["failed_but_printed"]),
        ]
        if self.cpu:
            (t0, c0), (t1, c1) = self.cpu[0], self.cpu[-1]
            lines.append("  print manager: CPU %.1f s over %.0f s (%.2f %% of a core), RSS %.1f "
                         "MiB at start, %.1f max, %.1f at the end"
                         % (c1 - c0, t1 - t0, 100 * (c1 - c0) / max(t1 - t0, 1e-9),
                            self.rss[0] / 1024, max(self.rss) / 1024, self.rss[-1] / 1024))
        lines.append("  FM_err.txt: " + ", ".join(
            '%d "%s"' % (n, text) for text, n in soak_match.error_file_texts(fm_err)[:8]))
        if self.pm_died:
            lines.append("  FAILED: " + self.pm_died)
        bad = [(rid, d) for rid, d in details.items() if d["kind"] in ("twice", "lost")]
        for rid, d in bad[:20]:
            lines.append("  receipt %d: %s (items on the paper %d of %d, each up to %d times; "
                         "info.txt %s; reports: %s)" % (rid, d["kind"], d["items_on_paper"],
                                                        d["items"], d["times"], d["info"],
                                                        ", ".join(d["reports"]) or "none"))
        if bad or self.pm_died:
            lines.append("  logs in %s (soak.log: the faults and receipts in time order); "
                         "run again: scripts/soak -n %d --seed %d"
                         % (rig.dir, self.args.n, self.args.seed))
        text = "\n".join(lines)
        with open(os.path.join(rig.dir, "summary.txt"), "w") as f:
            f.write(text + "\n")
        print(text)
        if self.pm_died:
            return 2
        return 1 if bad else 0


def main(argv):
    p = argparse.ArgumentParser(prog="scripts/soak")
    p.add_argument("-n", type=int, help="receipts to write (default 1000; --quick 100)")
    p.add_argument("--seed", type=int, help="random seed (default: from the clock, printed)")
    p.add_argument("--quick", action="store_true", help="100 receipts, a kill every 20 s or so")
    p.add_argument("--baud", type=int, default=115200)
    p.add_argument("--minutes", type=float, help="stop writing new receipts after this long")
    p.add_argument("--build", default=os.path.join(kvrig.top_dir(), "build"))
    p.add_argument("--keep", action="store_true", help="keep the run's directory when it held")
    args = p.parse_args(argv)
    args.n = args.n or (100 if args.quick else 1000)
    args.seed = args.seed if args.seed is not None else int(time.time()) % 100000
    args.kill_gap = 20 if args.quick else 30
    print("soak: seed %d, %d receipts at %d baud" % (args.seed, args.n, args.baud), flush=True)
    soak = Soak(args)
    print("soak: working in %s" % soak.rig.dir, flush=True)
    try:
        soak.run()
    except (RuntimeError, OSError) as e:
        print("soak: %s (see %s)" % (e, soak.rig.dir), file=sys.stderr)
        soak.rig.close()
        return 2
    status = soak.report()
    if status == 0 and not args.keep:
        soak.rig.keep = False
        soak.rig.close()
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
