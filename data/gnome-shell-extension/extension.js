// The entry GNOME Shell 45 and later load: an ES module. GNOME 43 and 44
// never read this file; they find the extension in __init__.js.
import Clutter from 'gi://Clutter';
import Gio from 'gi://Gio';
import GLib from 'gi://GLib';
import Meta from 'gi://Meta';
import Shell from 'gi://Shell';
import St from 'gi://St';

import {Extension} from 'resource:///org/gnome/shell/extensions/extension.js';
import * as Main from 'resource:///org/gnome/shell/ui/main.js';
import * as PanelMenu from 'resource:///org/gnome/shell/ui/panelMenu.js';
import * as PopupMenu from 'resource:///org/gnome/shell/ui/popupMenu.js';

import {FlingdialGesture} from './flingdial.js';

export default class FlingdialExtension extends Extension {
    enable() {
        this._gesture = new FlingdialGesture({
            Clutter, Gio, GLib, Meta, Shell, St, Main, PanelMenu, PopupMenu, global,
            path: this.path,
        });
        this._gesture.enable();
    }

    disable() {
        this._gesture?.disable();
        this._gesture = null;
    }
}
