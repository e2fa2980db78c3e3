"""The print manager and the printer simulator started headless side by side, for the bench and
the soak: program directory, INI file, control socket of the simulator, realistic receipts,
CPU and memory of a process, and a watch on the program directory."""

import ctypes
import ctypes.util
import os
import select
import shutil
import signal
import socket
import struct
import subprocess
import tempfile
import threading
import time

READY_LINE = "kv4910: start-up finished"
CLK_TCK = os.sysconf("SC_CLK_TCK")


def now_us():
    """CLOCK_MONOTONIC in microseconds: the simulator's statistics use the same clock."""
    return time.monotonic_ns() // 1000


def top_dir():
    return os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


# ---- receipts -------------------------------------------------------------------------------

PRODUCTS = [
    ("Rozok", 0.12, "1"), ("Mlieko 1l", 0.89, "2"), ("Chlieb", 1.49, "2"),
    ("Maslo 250g", 2.19, "1"), ("Jogurt biely", 0.45, "2"), ("Syr eidam", 1.99, "1"),
    ("Jablka 1kg", 1.29, "2"), ("Voda 1.5l", 0.59, "1"), ("Kava mleta", 3.49, "1"),
    ("Cukor 1kg", 0.99, "2"),
]


def item_tag(rid, k):
    """The text that makes item k of receipt rid identifiable on the paper."""
    return "R%06d-%02d" % (rid, k)


def receipt_items(rid, size=2000):
    """The items of receipt `rid`, enough for about `size` bytes of command text: (name,
    quantity, unit price, VAT letter). Every name carries the receipt's number."""
    items, length = [], 3 + 60  # ESC "b", and the total, payment and end lines
    while length < size or not items:
        k = len(items) + 1
        name, price, vat = PRODUCTS[(rid + k) % len(PRODUCTS)]
        items.append((item_tag(rid, k) + " " + name, float(1 + (rid * 7 + k) % 4), price, vat))
        length += len("%-15s\r\n%8.2f x%9.2f  \x1b%s%11.2f EUR\r\n" % (items[-1][0], 0, 0, "1", 0))
    return items


def receipt(rid, size=2000):
    """A sale receipt in the printer's command text, about `size` bytes: item lines as the
    till writes them (name, then quantity x price, VAT letter, line amount), total, payment,
    end."""
    parts, total = [b"\x1bb"], 0.0
    items = receipt_items(rid, size)
    for name, qty, price, vat in items:
        amount = round(qty * price, 2)
        total += amount
        parts.append(("%-15s\r\n%8.2f x%9.2f  \x1b%s%11.2f EUR\r\n" % (
            name, qty, price, vat, amount)).encode("ascii"))
    parts.append(b"\x1bk%12.2f EUR\r\n" % total)
    parts.append(b"\x1bP1%12.2f\r\n" % total)
    parts.append(b"\x1be")
    return b"".join(parts), len(items)


# ---- process figures ------------------------------------------------------------------------

def cpu_seconds(pid):
    """User + system CPU of the process (all its threads), seconds; None when it is gone."""
    try:
        with open("/proc/%d/stat" % pid) as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / CLK_TCK
    except (OSError, IndexError, ValueError):
        return None


def rss_kib(pid):
    try:
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
    except (OSError, ValueError):
        pass
    return None


def load_average():
    return os.getloadavg()


# ---- directory watch (inotify) --------------------------------------------------------------

IN_CLOSE_WRITE, IN_MOVED_FROM, IN_MOVED_TO = 0x8, 0x40, 0x80
IN_CREATE, IN_DELETE = 0x100, 0x200
GONE = IN_DELETE | IN_MOVED_FROM
WRITTEN = IN_CLOSE_WRITE | IN_MOVED_TO


class DirWatch:
    """Events of one directory with the moment they were read, so a wait costs no CPU and
    sees a file come and go within a millisecond or so."""

    def __init__(self, path):
        libc = ctypes.CDLL(ctypes.util.find_library("c") or "libc.so.6", use_errno=True)
        self.fd = libc.inotify_init1(os.O_NONBLOCK | os.O_CLOEXEC)
        if self.fd < 0:
            raise OSError(ctypes.get_errno(), "inotify_init1")
        mask = IN_CLOSE_WRITE | IN_MOVED_FROM | IN_MOVED_TO | IN_CREATE | IN_DELETE
        if libc.inotify_add_watch(self.fd, os.fsencode(path), mask) < 0:
            raise OSError(ctypes.get_errno(), "inotify_add_watch " + path)

    def read(self, timeout_s):
        """[(moment_us, mask, name)] of what happened, waiting up to timeout_s for the first."""
        ready, _, _ = select.select([self.fd], [], [], max(0.0, timeout_s))
        if not ready:
            return []
        moment = now_us()
        try:
            data = os.read(self.fd, 65536)
        except BlockingIOError:
            return []
        events, pos = [], 0
        while pos + 16 <= len(data):
            _, mask, _, length = struct.unpack_from("iIII", data, pos)
            name = data[pos + 16:pos + 16 + length].split(b"\0", 1)[0].decode(errors="replace")
            events.append((moment, mask, name))
            pos += 16 + length
        return events

    def drain(self):
        while self.read(0):
            pass

    def close(self):
        os.close(self.fd)


# ---- simulator and print manager ------------------------------------------------------------

class Rig:
    """One program directory with kv4910 and kv4910-sim at the same baud rate on a paced
    pseudo-terminal. Everything lives in a fresh private temporary directory."""

    def __init__(self, build, baud, ini=None, keep=False, prefix="kv-rig."):
        self.build = os.path.abspath(build)
        self.baud = baud
        self.dir = tempfile.mkdtemp(prefix=prefix)
        os.chmod(self.dir, 0o700)
        self.home = os.path.join(self.dir, "home")
        os.mkdir(self.home, 0o700)
        self.link = os.path.join(self.dir, "printer")
        self.paper = os.path.join(self.dir, "paper.txt")
        self.state = os.path.join(self.dir, "printer.state")
        self.ctl = os.path.join(self.dir, "sim.ctl")
        self.path_in = os.path.join(self.home, "blocek.txt")
        self.keep = keep
        self.sim = None
        self.pm = None
        self.pm_exec_us = 0
        self.pm_ready_us = 0
        self._ready = threading.Event()
        for name in ("kv4910_sk.lng", "kv4910_sk.msg"):
            shutil.copy(os.path.join(top_dir(), "data", name), self.home)
        settings = {"port": "0", "baud": str(baud), "path_in": self.path_in,
                    "path_info": self.home}
        settings.update(ini or {})
        with open(os.path.join(self.home, "rb4900_cfg.ini"), "w", newline="") as f:
            f.write("[CONFIG]\r\n")
            for key, value in settings.items():
                f.write("%s=%s\r\n" % (key, value))

    def file(self, name):
        return os.path.join(self.home, name)

    # -- simulator --
    def start_sim(self, *extra):
        args = [os.path.join(self.build, "kv4910-sim"), "--link", self.link, "--paper",
                self.paper, "--baud", str(self.baud), "--control", self.ctl, "--state",
                self.state] + list(extra)
        log = open(os.path.join(self.dir, "sim.log"), "ab")
        self.sim = subprocess.Popen(args, stdout=subprocess.PIPE, stderr=log, close_fds=True)
        log.close()
        first = self.sim.stdout.readline()  # the slave path: the pseudo-terminal is there
        if not first:
            raise RuntimeError("kv4910-sim did not start (see %s/sim.log)" % self.dir)
        self.sim.stdout.close()
        deadline = time.monotonic() + 5
        while time.monotonic() < deadline:
            if self.control("state", quiet=True):
                return
            time.sleep(0.01)
        raise RuntimeError("the simulator's control socket did not answer")

    def kill_sim(self, sig=signal.SIGKILL):
        if self.sim and self.sim.poll() is None:
            self.sim.send_signal(sig)
            self.sim.wait(10)
        self.sim = None

    def control(self, command, quiet=False):
        """One control command; its answer line, or "" when the simulator does not answer."""
        try:
            with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as s:
                s.settimeout(3)
                s.connect(self.ctl)
                s.sendall(command.encode() + b"\n")
                answer = b""
                while not answer.endswith(b"\n"):
                    chunk = s.recv(1024)
                    if not chunk:
                        break
                    answer += chunk
                return answer.decode(errors="replace").strip()
        except OSError as e:
            if not quiet:
                print("control %r: %s" % (command, e))
            return ""

    def numbers(self, command, quiet=False):
        """An answer of "name number" pairs ("stats", "state") as a dict; {} when none came."""
        words = self.control(command, quiet).split()
        try:
            return {words[i]: int(words[i + 1]) for i in range(0, len(words) - 1, 2)}
        except ValueError:
            return {}

    def stats(self):
        return self.numbers("stats", quiet=True)

    def printer_state(self):
        return self.numbers("state")

    # -- print manager --
    def start_pm(self):
        env = dict(os.environ, KV4910_HOME=self.home, KV4910_PORTS=self.link,
                   KV4910_RUNTIME_DIR=self.dir, XDG_RUNTIME_DIR=self.dir,
                   QT_QPA_PLATFORM="offscreen", DISPLAY="")
        self._ready.clear()
        out = open(os.path.join(self.dir, "pm.out"), "ab")
        self.pm_exec_us = now_us()
        self.pm = subprocess.Popen([os.path.join(self.build, "kv4910"), "/nohide"], env=env,
                                   stdout=out, stderr=subprocess.PIPE, close_fds=True)
        out.close()
        threading.Thread(target=self._read_stderr, args=(self.pm.stderr,), daemon=True).start()

    def _read_stderr(self, pipe):
        with open(os.path.join(self.dir, "pm.log"), "ab") as log:
            for line in pipe:
                if READY_LINE.encode() in line and not self._ready.is_set():
                    self.pm_ready_us = now_us()
                    self._ready.set()
                log.write(line)
                log.flush()

    def wait_ready(self, timeout_s=60):
        if not self._ready.wait(timeout_s):
            raise RuntimeError("the print manager did not finish start-up (see %s/pm.log)"
                               % self.dir)

    def stop_pm(self):
        """SIGTERM, and SIGKILL when it has not ended in 10 s; True when it ended on its own."""
        if not self.pm or self.pm.poll() is not None:
            return True
        self.pm.terminate()
        try:
            self.pm.wait(10)
            return True
        except subprocess.TimeoutExpired:
            self.pm.kill()
            self.pm.wait()
            return False

    def close(self):
        self.stop_pm()
        self.kill_sim(signal.SIGTERM)
        if not self.keep:
            shutil.rmtree(self.dir, ignore_errors=True)


def write_renamed(path, data):
    """As a careful POS program writes: another name in the same directory, then a rename."""
    part = path + ".part"
    with open(part, "wb") as f:
        f.write(data)
    os.rename(part, path)
