#!/usr/bin/python3
"""Pointer and keyboard input for a headless Wayland session, for tests.

    wlinput.py --backend wlroots|kwin|mutter --size WIDTH HEIGHT

Reads one command a line on standard input and answers each with "ok" once
the compositor has taken it, or "error: WHY". Held buttons and keys stay
held between commands, so a test can press, wait for what it expects, then
go on; at the end of input everything still held is released.

    move X Y            put the pointer at X,Y (layout pixels)
    press [BUTTON]      BUTTON: left (default), right or middle
    release [BUTTON]
    click [BUTTON]
    keydown KEY         KEY: a name from KEYS below (shift, ctrl, alt, super, …)
    keyup KEY
    key KEY[+KEY…]      a combination: pressed in order, released in reverse
    where               answers "ok X Y" (mutter only: the others don't tell)

Backends, chosen by the caller after the compositor it started:
  wlroots  zwlr_virtual_pointer_v1 and zwp_virtual_keyboard_v1 (sway). The
           keyboard carries an XKB keymap made with libxkbcommon and sends
           the modifier state itself, as that protocol wants.
  kwin     org_kde_kwin_fake_input (KWin started with
           KWIN_WAYLAND_NO_PERMISSION_CHECKS=1).
  mutter   org.gnome.Mutter.RemoteDesktop over D-Bus. Its absolute motion
           needs a screen-cast stream, so moves are relative, from where
           org.gnome.Shell.Eval says the pointer is.

The Wayland backends speak the wire protocol directly, so no bindings have
to be generated or installed.
"""
import argparse
import ctypes
import os
import socket
import struct
import sys
import time

BUTTONS = {"left": 0x110, "right": 0x111, "middle": 0x112}

# Linux evdev key codes (linux/input-event-codes.h).
KEYS = {
    "escape": 1, "minus": 12, "equal": 13, "backspace": 14, "tab": 15,
    "return": 28, "enter": 28, "ctrl": 29, "control": 29, "shift": 42,
    "comma": 51, "period": 52, "slash": 53, "rshift": 54, "alt": 56,
    "space": 57, "f11": 87, "f12": 88, "rctrl": 97, "altgr": 100,
    "home": 102, "up": 103, "pageup": 104, "left": 105, "right": 106,
    "end": 107, "down": 108, "pagedown": 109, "insert": 110, "delete": 111,
    "super": 125, "meta": 125, "rsuper": 126, "menu": 127,
}
KEYS.update({"f%d" % n: 58 + n for n in range(1, 11)})
KEYS.update({str(n): 1 + n for n in range(1, 10)})
KEYS["0"] = 11
for row, first in (("qwertyuiop", 16), ("asdfghjkl", 30), ("zxcvbnm", 44)):
    KEYS.update({c: first + i for i, c in enumerate(row)})


class Failure(Exception):
    pass


def now_ms():
    return int(time.monotonic() * 1000) & 0xFFFFFFFF


class Connection:
    """A Wayland client connection: requests out, only the events we need in."""

    def __init__(self):
        runtime = os.environ["XDG_RUNTIME_DIR"]
        name = os.environ.get("WAYLAND_DISPLAY", "wayland-0")
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.connect(name if name.startswith("/") else os.path.join(runtime, name))
        self.last_id = 1
        self.pending = b""
        self.globals = {}
        self.registry = self.new_id()
        self.request(1, 1, "n", self.registry)  # wl_display.get_registry
        self.roundtrip()

    def new_id(self):
        self.last_id += 1
        return self.last_id

    def request(self, target, opcode, signature, *args, fds=()):
        body = b""
        for kind, value in zip(signature, args):
            if kind in "uon":
                body += struct.pack("<I", value)
            elif kind == "i":
                body += struct.pack("<i", value)
            elif kind == "f":
                body += struct.pack("<i", int(round(value * 256)))
            elif kind == "s":
                text = value.encode() + b"\0"
                body += struct.pack("<I", len(text)) + text + b"\0" * (-len(text) % 4)
        message = struct.pack("<II", target, ((8 + len(body)) << 16) | opcode) + body
        if fds:
            socket.send_fds(self.sock, [message], list(fds))
        else:
            self.sock.sendall(message)

    def bind(self, interface, version):
        if interface not in self.globals:
            return None
        name, offered = self.globals[interface]
        new = self.new_id()
        # An untyped new_id goes on the wire as interface, version, id.
        self.request(self.registry, 0, "usun", name, interface, min(version, offered), new)
        return new, min(version, offered)

    def roundtrip(self):
        callback = self.new_id()
        self.request(1, 0, "n", callback)  # wl_display.sync
        while True:
            while len(self.pending) >= 8:
                target, word = struct.unpack_from("<II", self.pending)
                size, opcode = word >> 16, word & 0xFFFF
                if len(self.pending) < size:
                    break
                body, self.pending = self.pending[8:size], self.pending[size:]
                if target == 1 and opcode == 0:
                    _, code, length = struct.unpack_from("<III", body)
                    raise Failure("protocol error %d: %s" % (code, body[12:11 + length].decode()))
                if target == self.registry and opcode == 0:
                    name, length = struct.unpack_from("<II", body)
                    interface = body[8:7 + length].decode()
                    (version,) = struct.unpack_from("<I", body, 8 + length + (-length % 4))
                    self.globals[interface] = (name, version)
                if target == callback:
                    return
            data = self.sock.recv(65536)
            if not data:
                raise Failure("the compositor closed the connection")
            self.pending += data


class Xkb:
    """A US keymap and its modifier state, from libxkbcommon through ctypes."""

    class RuleNames(ctypes.Structure):
        _fields_ = [(f, ctypes.c_char_p) for f in ("rules", "model", "layout", "variant", "options")]

    def __init__(self):
        lib = ctypes.CDLL("libxkbcommon.so.0")
        for name in ("xkb_context_new", "xkb_keymap_new_from_names", "xkb_state_new",
                     "xkb_keymap_get_as_string"):
            getattr(lib, name).restype = ctypes.c_void_p
        lib.xkb_keymap_new_from_names.argtypes = [ctypes.c_void_p, ctypes.c_void_p, ctypes.c_int]
        lib.xkb_keymap_get_as_string.argtypes = [ctypes.c_void_p, ctypes.c_int]
        lib.xkb_state_new.argtypes = [ctypes.c_void_p]
        lib.xkb_state_update_key.argtypes = [ctypes.c_void_p, ctypes.c_uint32, ctypes.c_int]
        lib.xkb_state_serialize_mods.argtypes = [ctypes.c_void_p, ctypes.c_int]
        lib.xkb_state_serialize_mods.restype = ctypes.c_uint32
        lib.xkb_state_serialize_layout.argtypes = [ctypes.c_void_p, ctypes.c_int]
        lib.xkb_state_serialize_layout.restype = ctypes.c_uint32
        self.lib = lib
        context = lib.xkb_context_new(0)
        names = self.RuleNames(b"evdev", b"pc105", b"us", b"", b"")
        keymap = lib.xkb_keymap_new_from_names(context, ctypes.byref(names), 0)
        if not keymap:
            raise Failure("libxkbcommon could not make a US keymap")
        self.text = ctypes.string_at(lib.xkb_keymap_get_as_string(keymap, 1))
        self.state = lib.xkb_state_new(keymap)

    def update(self, code, down):
        """Feeds a key to the state; answers depressed, latched, locked, group."""
        self.lib.xkb_state_update_key(self.state, code + 8, 1 if down else 0)
        mods = [self.lib.xkb_state_serialize_mods(self.state, part) for part in (1, 2, 4)]
        return mods + [self.lib.xkb_state_serialize_layout(self.state, 0x80)]


class Wlroots:
    def __init__(self, width, height):
        self.wl = Connection()
        self.size = (width, height)
        manager = self.wl.bind("zwlr_virtual_pointer_manager_v1", 1)
        keyboards = self.wl.bind("zwp_virtual_keyboard_manager_v1", 1)
        seat = self.wl.bind("wl_seat", 1)
        if not manager or not keyboards or not seat:
            raise Failure("the compositor offers no virtual pointer or keyboard")
        self.pointer = self.wl.new_id()
        self.wl.request(manager[0], 0, "on", 0, self.pointer)  # any seat
        self.keyboard = self.wl.new_id()
        self.wl.request(keyboards[0], 0, "on", seat[0], self.keyboard)
        self.xkb = Xkb()
        keymap = os.memfd_create("keymap")
        os.write(keymap, self.xkb.text + b"\0")
        self.wl.request(self.keyboard, 0, "uu", 1, len(self.xkb.text) + 1, fds=[keymap])
        os.close(keymap)
        self.wl.roundtrip()

    def move(self, x, y):
        self.wl.request(self.pointer, 1, "uuuuu", now_ms(), x, y, *self.size)
        self.wl.request(self.pointer, 4, "")  # frame

    def button(self, code, down):
        self.wl.request(self.pointer, 2, "uuu", now_ms(), code, 1 if down else 0)
        self.wl.request(self.pointer, 4, "")

    def key(self, code, down):
        self.wl.request(self.keyboard, 1, "uuu", now_ms(), code, 1 if down else 0)
        self.wl.request(self.keyboard, 2, "uuuu", *self.xkb.update(code, down))

    def sync(self):
        self.wl.roundtrip()


class KWin:
    def __init__(self, width, height):
        self.wl = Connection()
        bound = self.wl.bind("org_kde_kwin_fake_input", 4)
        if not bound:
            raise Failure("KWin offers no org_kde_kwin_fake_input")
        self.device, version = bound
        if version < 4:
            raise Failure("org_kde_kwin_fake_input version %d has no keys" % version)
        self.wl.request(self.device, 0, "ss", "flingdial tests", "input for automated tests")
        self.wl.roundtrip()

    def move(self, x, y):
        self.wl.request(self.device, 9, "ff", x, y)

    def button(self, code, down):
        self.wl.request(self.device, 2, "uu", code, 1 if down else 0)

    def key(self, code, down):
        self.wl.request(self.device, 10, "uu", code, 1 if down else 0)

    def sync(self):
        self.wl.roundtrip()


class Mutter:
    def __init__(self, width, height):
        import dbus
        self.dbus = dbus
        bus = dbus.SessionBus()
        desktop = bus.get_object("org.gnome.Mutter.RemoteDesktop", "/org/gnome/Mutter/RemoteDesktop")
        path = desktop.CreateSession(dbus_interface="org.gnome.Mutter.RemoteDesktop")
        self.session = dbus.Interface(bus.get_object("org.gnome.Mutter.RemoteDesktop", path),
                                      "org.gnome.Mutter.RemoteDesktop.Session")
        self.session.Start()
        # mutter makes the virtual keyboard on the first key; until then the
        # seat has none, no window gets keyboard focus, and no window may set
        # the clipboard. A Shift tap makes it, and does nothing else.
        self.key(KEYS["shift"], True)
        self.key(KEYS["shift"], False)
        self.shell = dbus.Interface(bus.get_object("org.gnome.Shell", "/org/gnome/Shell"),
                                    "org.gnome.Shell")

    def where(self):
        ok, answer = self.shell.Eval("global.get_pointer().slice(0, 2)")
        if not ok:
            raise Failure("org.gnome.Shell.Eval is closed (the harness extension is not enabled)")
        return [int(v) for v in answer.strip("[]").split(",")]

    def move(self, x, y):
        for _ in range(3):
            here = self.where()
            if here == [x, y]:
                return
            self.session.NotifyPointerMotionRelative(self.dbus.Double(x - here[0]),
                                                     self.dbus.Double(y - here[1]))
            deadline = time.monotonic() + 1
            while self.where() == here and time.monotonic() < deadline:
                time.sleep(0.01)
        if self.where() != [x, y]:
            raise Failure("the pointer did not reach %d,%d" % (x, y))

    def button(self, code, down):
        self.session.NotifyPointerButton(self.dbus.Int32(code), bool(down))

    def key(self, code, down):
        self.session.NotifyKeyboardKeycode(self.dbus.UInt32(code), bool(down))

    def sync(self):
        self.where()  # a round trip through the Shell's main loop


def key_code(name):
    code = KEYS.get(name.lower())
    if code is None:
        raise Failure("unknown key %r" % name)
    return code


def button_code(words):
    name = words[1] if len(words) > 1 else "left"
    if name not in BUTTONS:
        raise Failure("unknown button %r" % name)
    return BUTTONS[name]


def run(device, line, held_buttons, held_keys):
    words = line.split()
    command = words[0]
    if command == "move" and len(words) == 3:
        device.move(int(words[1]), int(words[2]))
    elif command in ("press", "release", "click"):
        code = button_code(words)
        if command != "release":
            device.button(code, True)
            held_buttons.add(code)
        if command == "click":
            device.sync()
        if command != "press":
            device.button(code, False)
            held_buttons.discard(code)
    elif command in ("keydown", "keyup") and len(words) == 2:
        code = key_code(words[1])
        down = command == "keydown"
        device.key(code, down)
        if down and code not in held_keys:
            held_keys.append(code)
        elif not down and code in held_keys:
            held_keys.remove(code)
    elif command == "key" and len(words) == 2:
        codes = [key_code(name) for name in words[1].split("+")]
        for code in codes:
            device.key(code, True)
        device.sync()
        for code in reversed(codes):
            device.key(code, False)
    elif command == "where" and isinstance(device, Mutter):
        device.sync()
        return "ok %d %d" % tuple(device.where())
    else:
        raise Failure("unknown command %r" % line)
    device.sync()
    return "ok"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--backend", choices=["wlroots", "kwin", "mutter"], required=True)
    parser.add_argument("--size", nargs=2, type=int, default=[1280, 720])
    options = parser.parse_args()
    backend = {"wlroots": Wlroots, "kwin": KWin, "mutter": Mutter}[options.backend]
    try:
        device = backend(*options.size)
    except Exception as error:  # noqa: BLE001 - any reason ends the tool the same way
        print("error: %s" % error, flush=True)
        return 1
    print("ready", flush=True)
    held_buttons, held_keys = set(), []
    for line in sys.stdin:
        if not line.strip():
            continue
        try:
            print(run(device, line.strip(), held_buttons, held_keys), flush=True)
        except Failure as error:
            print("error: %s" % error, flush=True)
    for code in held_buttons:
        device.button(code, False)
    for code in reversed(held_keys):
        device.key(code, False)
    device.sync()
    return 0


if __name__ == "__main__":
    sys.exit(main())
