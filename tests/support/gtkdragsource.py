#!/usr/bin/python3
# A GTK window that drags files, as GTK file managers do, for the gesture
# tests: gtkdragsource.py FILE… starts a drag of the files on a button press
# with copy and move allowed (GTK proposes move while Shift is held), and
# prints the action the drop target chose ("copy", "move", "none"). It prints
# "ready <window id>" once shown.
import sys

import gi

gi.require_version("Gtk", "3.0")
gi.require_version("Gdk", "3.0")
from gi.repository import Gdk, GLib, Gtk  # noqa: E402


def say(line):
    print(line, flush=True)


files = sys.argv[1:]
window = Gtk.Window(title="GTK Drag Source")
window.move(40, 40)
window.set_default_size(200, 200)
area = Gtk.EventBox()
window.add(area)
area.drag_source_set(Gdk.ModifierType.BUTTON1_MASK, [],
                     Gdk.DragAction.COPY | Gdk.DragAction.MOVE)
area.drag_source_add_uri_targets()


def on_data_get(widget, context, selection, info, time):
    selection.set_uris([GLib.filename_to_uri(path) for path in files])


def on_drag_end(widget, context):
    action = context.get_selected_action()
    say("copy" if action == Gdk.DragAction.COPY
        else "move" if action == Gdk.DragAction.MOVE else "none")


area.connect("drag-data-get", on_data_get)
area.connect("drag-end", on_drag_end)
window.connect("destroy", Gtk.main_quit)
window.show_all()


def announce():
    say("ready %d" % window.get_window().get_xid())
    return False


GLib.idle_add(announce)
Gtk.main()
