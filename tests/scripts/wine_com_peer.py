#!/usr/bin/env python3
"""Makes a pseudo-terminal a Wine serial port and runs a command against it.

usage: wine_com_peer.py DOSDEVICE_LINK COMMAND...

The link (for instance $WINEPREFIX/dosdevices/com1) points at the pseudo-terminal's device
while COMMAND runs, and KV4910_PTY names the device for COMMAND; this side echoes back every
byte the port sends. Exits with COMMAND's status; the link is removed afterwards.
"""
import os
import select
import subprocess
import sys
import tty


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    link, command = sys.argv[1], sys.argv[2:]
    master, slave = os.openpty()
    tty.setraw(slave)  # no echo or line editing on the device until the port sets it up
    if os.path.lexists(link):
        os.remove(link)
    os.symlink(os.ttyname(slave), link)
    try:
        child = subprocess.Popen(command, env=dict(os.environ, KV4910_PTY=os.ttyname(slave)))
        while child.poll() is None:
            ready, _, _ = select.select([master], [], [], 0.1)
            if ready:
                data = os.read(master, 4096)
                os.write(master, data)
        return child.returncode
    finally:
        os.remove(link)
        os.close(master)
        os.close(slave)


if __name__ == "__main__":
    sys.exit(main())
