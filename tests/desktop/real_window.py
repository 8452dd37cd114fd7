#!/usr/bin/env python3
"""The whole game in a real X window, played through real key presses.

Starts an Xvfb server of its own on a free display, runs the game there with
SDL's X11 driver, and plays the path every desktop player takes: Return on the
title, the character select's Left into stage 1, Escape for the pause menu,
then the window's close request. Checks the window's client size and
that it lies on the screen, that stage 1 was reached, that the saved screenshot holds a drawn frame
and that the game ended with 0 through its normal shutdown.

Usage: real_window.py GAME_DIR   (the folder with orvalis, Param.txt, data/)
Exits 0 when every check holds, 1 otherwise; a missing Xvfb is a failure.
"""
import os
import select
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import time
import zlib

SCREEN = (1280, 720)
CLIENT = (960, 540)
START_TIMEOUT = 240.0   # the game loads every asset before its first title frame
STEP_TIMEOUT = 90.0     # one scene change, pressing the key again meanwhile
QUIT_TIMEOUT = 60.0


class Failure(Exception):
    pass


def say(text):
    print(f"real-window: {text}", flush=True)


class Run:
    def __init__(self, game_dir):
        self.game_dir = os.path.abspath(game_dir)
        self.work = tempfile.mkdtemp(prefix="orv-window-")
        self.xvfb = None
        self.game = None
        self.env = None
        self.window = None

    # -- processes -------------------------------------------------------

    def start_xvfb(self):
        if not shutil.which("Xvfb") or not shutil.which("xdotool"):
            raise Failure("Xvfb or xdotool is missing (tools/install-deps.sh installs them)")
        read_end, write_end = os.pipe()
        try:
            # -displayfd: the server picks a free display and writes its number.
            self.xvfb = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{SCREEN[0]}x{SCREEN[1]}x24",
                 "-nolisten", "tcp"],
                pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                stderr=open(os.path.join(self.work, "xvfb.err"), "wb"))
        except OSError as error:
            raise Failure(f"Xvfb could not start: {error}")
        finally:
            os.close(write_end)
        number = b""
        deadline = time.monotonic() + 30.0
        while not number.endswith(b"\n"):
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([read_end], [], [], left)[0]:
                os.close(read_end)
                raise Failure("Xvfb could not start: it named no display in 30 s" + self.tail("xvfb.err"))
            chunk = os.read(read_end, 16)
            if not chunk:
                os.close(read_end)
                raise Failure("Xvfb could not start" + self.tail("xvfb.err"))
            number += chunk
        os.close(read_end)
        self.env = {k: v for k, v in os.environ.items() if k not in ("WAYLAND_DISPLAY", "XAUTHORITY")}
        self.env["DISPLAY"] = ":" + number.decode().strip()
        say(f"Xvfb (pid {self.xvfb.pid}) serves display {self.env['DISPLAY']}")

    def start_game(self):
        # A folder of its own: the settings and log written here never touch the player's.
        for name in ("orvalis", "Param.txt", "data", "data2"):
            if not os.path.exists(os.path.join(self.game_dir, name)):
                raise Failure(f"{self.game_dir} has no {name}: build the game first")
        for name in ("data", "data2"):
            os.symlink(os.path.join(self.game_dir, name), os.path.join(self.work, name))
        shutil.copy(os.path.join(self.game_dir, "Param.txt"), self.work)
        env = dict(self.env)
        env["SDL_VIDEODRIVER"] = "x11"
        # No sound card on a test machine: OpenAL's null device, so no error box waits for a click.
        env["ALSOFT_DRIVERS"] = "null"
        args = [os.path.join(self.game_dir, "orvalis"), "-windowed", f"-width:{CLIENT[0]}",
                f"-height:{CLIENT[1]}", "-screenshot:shot.png"]
        self.game = subprocess.Popen(args, cwd=self.work, env=env, stdin=subprocess.DEVNULL,
                                     stdout=open(os.path.join(self.work, "game.out"), "wb"),
                                     stderr=open(os.path.join(self.work, "game.err"), "wb"))
        say(f"game (pid {self.game.pid}) started in {self.work}")

    def stop(self):
        for process in (self.game, self.xvfb):
            if process and process.poll() is None:
                process.send_signal(signal.SIGTERM)
                try:
                    process.wait(10)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()

    # -- looking and typing ----------------------------------------------

    def xdotool(self, *args):
        done = subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True, timeout=30)
        return done.returncode, done.stdout

    def tail(self, name, lines=15):
        try:
            with open(os.path.join(self.work, name), "rb") as f:
                text = f.read().decode("utf-8", "replace").splitlines()
        except OSError:
            return ""
        return f"\n--- last lines of {name} ---\n" + "\n".join(text[-lines:]) if text else ""

    def log_count(self, marker):
        try:
            with open(os.path.join(self.work, "MsgLog.txt"), "rb") as f:
                return f.read().decode("utf-8", "replace").count(marker)
        except OSError:
            return 0

    def check_running(self, doing):
        if self.game.poll() is not None:
            raise Failure(f"the game ended with {self.game.returncode} while {doing}"
                          + self.tail("game.err") + self.tail("MsgLog.txt"))

    def press(self, key):
        # Held across several frames: the game reads key state once a frame.
        self.xdotool("keydown", key)
        time.sleep(0.25)
        self.xdotool("keyup", key)

    def wait_for_scene(self, scene, count, key=None, timeout=STEP_TIMEOUT):
        """Waits until MsgLog.txt has logged `scene` starting `count` times,
        pressing `key` now and then meanwhile."""
        marker = f"SceneBase::Initialize() [{scene}:"
        deadline = time.monotonic() + timeout
        while self.log_count(marker) < count:
            self.check_running(f"waiting for the scene {scene}")
            if time.monotonic() > deadline:
                raise Failure(f"the scene {scene} did not start within {timeout:.0f} s" + self.tail("MsgLog.txt"))
            if key:
                self.press(key)
            time.sleep(1.0)
        say(f"scene {scene} started")

    def find_window(self):
        deadline = time.monotonic() + START_TIMEOUT
        while True:
            self.check_running("waiting for its window")
            code, out = self.xdotool("search", "--onlyvisible", "--pid", str(self.game.pid))
            if code == 0 and out.split():
                self.window = out.split()[0]
                break
            if time.monotonic() > deadline:
                raise Failure("no window of the game appeared" + self.tail("game.err"))
            time.sleep(0.5)
        _, out = self.xdotool("getwindowgeometry", "--shell", self.window)
        geometry = dict(line.split("=", 1) for line in out.split() if "=" in line)
        size = (int(geometry.get("WIDTH", -1)), int(geometry.get("HEIGHT", -1)))
        place = (int(geometry.get("X", -1)), int(geometry.get("Y", -1)))
        say(f"window {self.window}: {size[0]}x{size[1]} at {place[0]},{place[1]}")
        if size != CLIENT:
            raise Failure(f"the window's client is {size[0]}x{size[1]}, asked for {CLIENT[0]}x{CLIENT[1]}")
        if not (0 <= place[0] <= SCREEN[0] - size[0] and 0 <= place[1] <= SCREEN[1] - size[1]):
            raise Failure(f"the window at {place[0]},{place[1]} reaches past the {SCREEN[0]}x{SCREEN[1]} screen")
        # No window manager gives the focus: the test does, as a click would.
        self.xdotool("windowfocus", "--sync", self.window)

    # -- the play --------------------------------------------------------

    def play(self):
        self.start_xvfb()
        self.start_game()
        self.find_window()
        self.wait_for_scene("title", 1, timeout=START_TIMEOUT)
        self.wait_for_scene("charaselect", 1, key="Return")
        self.wait_for_scene("action", 1, key="Left")
        time.sleep(2.0)
        # In play Escape opens the pause menu instead of ending the game.
        self.press("Escape")
        time.sleep(3.0)
        self.check_running("the pause menu was open")
        # Closed as a window manager's close button does: the normal shutdown follows.
        close_window(self.env["DISPLAY"], int(self.window))
        try:
            code = self.game.wait(QUIT_TIMEOUT)
        except subprocess.TimeoutExpired:
            raise Failure(f"the game did not end within {QUIT_TIMEOUT:.0f} s of closing its window")
        if code != 0:
            raise Failure(f"the game ended with {code}" + self.tail("game.err") + self.tail("MsgLog.txt"))
        say("the game ended with 0")
        self.check_screenshot(os.path.join(self.work, "shot.png"))

    def check_screenshot(self, path):
        if not os.path.exists(path):
            raise Failure("the game saved no screenshot" + self.tail("game.err"))
        width, height, pixels = read_png(path)
        if (width, height) != CLIENT:
            raise Failure(f"the screenshot is {width}x{height}, not {CLIENT[0]}x{CLIENT[1]}")
        colours = set()
        lit = 0
        for y in range(0, height, 4):
            row = pixels[y]
            for x in range(0, width * 3, 12):
                rgb = row[x:x + 3]
                colours.add(rgb)
                lit += max(rgb) > 24
        samples = (height // 4 + 1) * (width // 4)
        say(f"screenshot: {len(colours)} colours, {100 * lit // samples} % lit")
        # A blank, cleared or one-colour frame fails; a drawn title has many shades.
        if len(colours) < 64 or lit * 10 < samples:
            raise Failure("the screenshot is not a drawn frame")


def close_window(display, window):
    """Sends the window WM_DELETE_WINDOW over the X protocol, as a window manager
    does for its close button (xdotool has no such command)."""
    number = display.lstrip(":").split(".")[0]

    def receive(connection, size):
        data = b""
        while len(data) < size:
            chunk = connection.recv(size - len(data))
            if not chunk:
                raise Failure("the X server closed the connection")
            data += chunk
        return data

    with socket.socket(socket.AF_UNIX) as connection:
        connection.settimeout(10.0)
        connection.connect(f"/tmp/.X11-unix/X{number}")
        connection.sendall(struct.pack("<cxHHHHxx", b"l", 11, 0, 0, 0))
        head = receive(connection, 8)
        if head[0] != 1:
            raise Failure("the X server refused a connection")
        receive(connection, 4 * struct.unpack("<H", head[6:8])[0])

        def intern(name):
            text = name.encode()
            pad = -len(text) % 4
            connection.sendall(struct.pack("<BBHHxx", 16, 0, 2 + (len(text) + pad) // 4, len(text))
                               + text + b"\0" * pad)
            reply = receive(connection, 32)
            if reply[0] != 1:
                raise Failure(f"the X server has no atom {name}")
            return struct.unpack("<I", reply[8:12])[0]

        protocols, delete = intern("WM_PROTOCOLS"), intern("WM_DELETE_WINDOW")
        event = struct.pack("<BBHII5I", 33, 32, 0, window, protocols, delete, 0, 0, 0, 0)
        connection.sendall(struct.pack("<BBHII", 25, 0, 11, window, 0) + event)
        # A round trip, so the event is delivered before the connection closes.
        connection.sendall(struct.pack("<BxH", 43, 1))
        if receive(connection, 32)[0] != 1:
            raise Failure("the X server refused to deliver the close request")


def read_png(path):
    """Width, height and rows of RGB bytes of an 8-bit RGB or RGBA PNG."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise Failure(f"{path} is not a PNG")
    at, idat, header = 8, b"", None
    while at + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    if not header or header[2] != 8 or header[3] not in (2, 6) or header[6] != 0:
        raise Failure(f"{path} is not an 8-bit RGB PNG")
    width, height, channels = header[0], header[1], 3 if header[3] == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            corner = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
        rows.append(bytes(line) if channels == 3 else bytes(b for j, b in enumerate(line) if j % 4 != 3))
        previous = line
    return width, height, rows


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    run = Run(sys.argv[1])
    try:
        run.play()
    except Failure as failure:
        say(f"FAILED: {failure}")
        say(f"its files are kept in {run.work}")
        return 1
    finally:
        run.stop()
    shutil.rmtree(run.work, ignore_errors=True)
    say("passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
