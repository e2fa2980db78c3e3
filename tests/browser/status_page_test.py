"""The status page in a real browser: headless Chromium, driven over its DevTools protocol on a
pipe, opens the page of a running kv4910 (printing on kv4910-sim), finds the token prompt and no
data, types the token, finds the printer state and the last receipt, shows a hostile line of
FM_err.txt as text, and prints an X report with the page's button.

Usage: status_page_test.py BUILD_DIR [SCREENSHOT.png]. Exit 77 (skipped) without Chromium."""

import base64
import json
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                "scripts", "lib"))
import kvrig  # noqa: E402

TOKEN = "browser-token-0123456789"
HOSTILE = "<img src=x onerror=\"document.title='pwned'\"><script>document.title='pwned'</script>"


class Browser:
    """Chromium with --remote-debugging-pipe: commands on its fd 3, answers on its fd 4, each
    message JSON ended by a NUL byte."""

    def __init__(self, exe, profile):
        to_child_r, self.to_child = os.pipe()
        self.from_child, from_child_w = os.pipe()
        # Out of the way of 3 and 4, which the child must get exactly.
        high_r = os.dup2(to_child_r, 30)
        high_w = os.dup2(from_child_w, 31)
        os.close(to_child_r)
        os.close(from_child_w)

        def child_fds():
            os.dup2(high_r, 3)
            os.dup2(high_w, 4)

        self.proc = subprocess.Popen(
            [exe, "--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run",
             "--remote-debugging-pipe", "--user-data-dir=" + profile, "--window-size=1000,900",
             "about:blank"],
            preexec_fn=child_fds, pass_fds=(3, 4, high_r, high_w),
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(high_r)
        os.close(high_w)
        self.next_id = 0
        self.buffer = b""
        self.session = None

    def send(self, method, params=None, session=True, timeout=20):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params or {}}
        if session and self.session:
            message["sessionId"] = self.session
        os.write(self.to_child, json.dumps(message).encode() + b"\0")
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            while b"\0" not in self.buffer:
                chunk = os.read(self.from_child, 65536)
                if not chunk:
                    raise RuntimeError("the browser ended")
                self.buffer += chunk
            raw, self.buffer = self.buffer.split(b"\0", 1)
            answer = json.loads(raw)
            if answer.get("id") == self.next_id:
                if "error" in answer:
                    raise RuntimeError("%s: %s" % (method, answer["error"]))
                return answer.get("result", {})
        raise RuntimeError("no answer to " + method)

    def open(self, url):
        target = self.send("Target.createTarget", {"url": "about:blank"}, session=False)
        self.session = self.send("Target.attachToTarget",
                                 {"targetId": target["targetId"], "flatten": True},
                                 session=False)["sessionId"]
        self.send("Page.enable")
        self.send("Page.navigate", {"url": url})

    def js(self, expression):
        result = self.send("Runtime.evaluate", {"expression": expression, "returnByValue": True})
        if "exceptionDetails" in result:
            raise RuntimeError("%s: %s" % (expression, result["exceptionDetails"]))
        return result["result"].get("value")

    def wait_js(self, expression, what, timeout=20):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.js(expression):
                return
            time.sleep(0.1)
        raise AssertionError("not seen within %d s: %s" % (timeout, what))

    def close(self):
        try:
            self.send("Browser.close", session=False, timeout=5)
        except Exception:
            pass
        try:
            self.proc.wait(10)
        except subprocess.TimeoutExpired:
            self.proc.kill()


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def check(condition, what):
    if not condition:
        raise AssertionError(what)
    print("ok:", what)


def main():
    build = os.path.abspath(sys.argv[1])
    screenshot = sys.argv[2] if len(sys.argv) > 2 else None
    exe = shutil.which("chromium") or shutil.which("chromium-browser")
    if not exe:
        print("SKIPPED: chromium is not installed (Debian package chromium)")
        return 77
    rig = kvrig.Rig(build, 115200, prefix="kv-page.")
    profile = tempfile.mkdtemp(prefix="kv-page-browser.")
    browser = None
    try:
        port = free_port()
        with open(rig.file("rb4900_cfg.ini"), "a", newline="") as f:
            f.write("[HTTP]\r\nenabled=1\r\ntoken=%s\r\nport=%d\r\n" % (TOKEN, port))
        with open(rig.file("FM_err.txt"), "w", newline="") as f:
            f.write("> (earlier) " + HOSTILE + "\r\n")
        rig.start_sim()
        rig.start_pm()
        rig.wait_ready()
        kvrig.write_renamed(rig.path_in, kvrig.receipt(1, size=300)[0])
        deadline = time.monotonic() + 30
        while os.path.exists(rig.path_in) and time.monotonic() < deadline:
            time.sleep(0.05)
        check(not os.path.exists(rig.path_in), "the receipt file was taken")

        browser = Browser(exe, profile)
        browser.open("http://127.0.0.1:%d/" % port)
        browser.wait_js("document.readyState === 'complete' && !document.getElementById('login').hidden",
                        "the token prompt")
        check(browser.js("document.getElementById('page').hidden && "
                         "document.getElementById('recent-rows').children.length === 0"),
              "without the token the page shows a prompt and no data")

        browser.js("document.getElementById('token').focus()")
        browser.send("Input.insertText", {"text": TOKEN})
        browser.js("document.getElementById('token-go').click()")
        browser.wait_js("!document.getElementById('page').hidden && "
                        "document.getElementById('state').textContent === 'Pripravená'",
                        "the printer state")
        browser.wait_js("[...document.querySelectorAll('#recent-rows td')]"
                        ".some((td) => td.textContent === 'potvrdený')", "the last receipt")
        check(TOKEN not in browser.js("location.href"), "the token is not in the URL")
        check(browser.js("sessionStorage.getItem('kv4910-token')") == TOKEN,
              "the token is kept in the session storage")
        check(HOSTILE in browser.js("document.getElementById('errors').textContent") and
              browser.js("document.querySelectorAll('#errors *').length") == 0 and
              browser.js("document.title") == "KV4910",
              "a hostile line of FM_err.txt is shown as text")
        if screenshot:
            shot = browser.send("Page.captureScreenshot", {"format": "png"})
            with open(screenshot, "wb") as f:
                f.write(base64.b64decode(shot["data"]))
            print("screenshot:", screenshot)

        browser.wait_js("!document.getElementById('x-report').hidden", "the X report button")
        browser.js("document.getElementById('x-report').click()")
        deadline = time.monotonic() + 20
        paper = ""
        while "X-UZAVIERKA" not in paper and time.monotonic() < deadline:
            time.sleep(0.1)
            with open(rig.paper, encoding="utf-8", errors="replace") as f:
                paper = f.read()
        check("X-UZAVIERKA" in paper, "the X report button printed an X report")
        return 0
    finally:
        if browser:
            browser.close()
        shutil.rmtree(profile, ignore_errors=True)
        rig.close()


if __name__ == "__main__":
    sys.exit(main())
