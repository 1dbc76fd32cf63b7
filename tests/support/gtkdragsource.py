#!/usr/bin/python3
# A GTK window that drags files, as GTK file managers do, for the gesture
# tests: gtkdragsource.py [OPTIONS] FILE… starts a drag of the files on a
# button press with copy and move allowed (GTK proposes move while Shift is
# held), and prints the action the drop target chose ("copy", "move",
# "none"). It prints "ready <X11 window id>" once shown, or "ready wayland"
# when it runs as a native Wayland client (GDK_BACKEND=wayland).
#   --title TITLE    the window's title (tests place windows by title)
#   --announce-drag  also prints "drag began" when a drag starts
#   --copy           also puts the files on the clipboard as Nautilus does
#                    (text/uri-list and x-special/gnome-copied-files) on each
#                    click in the window, and prints "copied" (Wayland takes a
#                    clipboard only from the window the last click went to).
import argparse

import gi

gi.require_version("Gtk", "3.0")
gi.require_version("Gdk", "3.0")
from gi.repository import Gdk, GLib, Gtk  # noqa: E402


def say(line):
    print(line, flush=True)


parser = argparse.ArgumentParser()
parser.add_argument("--title", default="GTK Drag Source")
parser.add_argument("--announce-drag", action="store_true")
parser.add_argument("--copy", action="store_true")
parser.add_argument("files", nargs="*")
options = parser.parse_args()
uris = [GLib.filename_to_uri(path) for path in options.files]

window = Gtk.Window(title=options.title)
window.move(40, 40)
window.set_default_size(200, 200)
area = Gtk.EventBox()
window.add(area)
area.drag_source_set(Gdk.ModifierType.BUTTON1_MASK, [],
                     Gdk.DragAction.COPY | Gdk.DragAction.MOVE)
area.drag_source_add_uri_targets()


def on_data_get(widget, context, selection, info, time):
    selection.set_uris(uris)


def on_drag_end(widget, context):
    action = context.get_selected_action()
    say("copy" if action == Gdk.DragAction.COPY
        else "move" if action == Gdk.DragAction.MOVE else "none")


area.connect("drag-data-get", on_data_get)
area.connect("drag-end", on_drag_end)
if options.announce_drag:
    area.connect("drag-begin", lambda *_: say("drag began"))

# The clipboard through the selection calls, in the order Gtk.Clipboard makes
# them (Python can't reach Gtk.Clipboard.set_with_data): on Wayland adding the
# targets is what offers them, with the serial of the latest input event.
CLIPBOARD = Gdk.Atom.intern("CLIPBOARD", False)
COPIED_FILES = "x-special/gnome-copied-files"
CLIPBOARD_TARGETS = [Gtk.TargetEntry.new("text/uri-list", 0, 0),
                     Gtk.TargetEntry.new(COPIED_FILES, 0, 1)]


def take_clipboard(*_):
    if Gtk.selection_owner_set(window, CLIPBOARD, Gtk.get_current_event_time()):
        Gtk.selection_clear_targets(window, CLIPBOARD)
        Gtk.selection_add_targets(window, CLIPBOARD, CLIPBOARD_TARGETS)
        say("copied")
    return False


def on_selection_get(widget, selection, info, time):
    if selection.get_target().name() == COPIED_FILES:
        selection.set(selection.get_target(), 8, ("copy\n" + "\n".join(uris)).encode())
    else:
        selection.set_uris(uris)


if options.copy:
    window.connect("selection-get", on_selection_get)
    area.connect("button-press-event", take_clipboard)
window.connect("destroy", Gtk.main_quit)
window.show_all()


def announce():
    gdk_window = window.get_window()
    say("ready %d" % gdk_window.get_xid() if hasattr(gdk_window, "get_xid") else "ready wayland")
    return False


GLib.idle_add(announce)
Gtk.main()
