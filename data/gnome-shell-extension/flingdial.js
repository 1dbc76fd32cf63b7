// Flingdial's gesture in GNOME Shell. X11 clients of a Wayland session see
// a drag start but never the pointer or the keys, and only the Shell may
// grab keys: this part follows every drag, tells Flingdial where the pointer
// is when a trigger key goes down, forwards the hot key, and offers the
// program's menu in the top bar when nothing shows tray icons.
//
// A drag begins when the display's drag-and-drop selection gets an owner
// and ends when it loses it (a drop, a cancel, Escape) or when no mouse
// button is held any more. Main.xdndHandler says the same from GNOME 46 on;
// before, it speaks only of drags during the Shell's own grabs.
//
// The one source of both forms of the extension: the build makes it an ES
// module for GNOME 45 and later (flingdial.js) and puts it in front of the
// legacy entry for GNOME 43 and 44 (__init__.js). It imports nothing; the
// entry hands it the Shell's modules, so the tests run it outside the Shell.

const BUS_NAME = 'org.flingdial.Flingdial';
const OBJECT_PATH = '/org/flingdial/Flingdial';
const INTERFACE = 'org.flingdial.Flingdial';
// As often as the program's own drag watcher polls.
const POLL_MS = 33;
const CALL_TIMEOUT_MS = 5000;
// The modes in the order that decides which wins when keys are pressed together.
const MODES = ['convert', 'tools', 'actions'];
// Our bits for the keys a mode can be given.
const KEY_BITS = {shift: 1, control: 2, alt: 4, super: 8};
// Super and Alt held when a drag begins count only once pressed again; Shift
// and Ctrl held then open their wheel at once, as in the program.
const SEEDED_AT_START = KEY_BITS.super | KEY_BITS.alt;

var FlingdialGesture = class FlingdialGesture {
    // `shell` holds the Shell's modules and objects: Clutter, Gio, GLib,
    // Meta, Shell, St, Main, PanelMenu, PopupMenu, global, and the
    // extension's folder as `path`.
    constructor(shell) {
        this._shell = shell;
        this._present = false;
        this._keys = null;
        this._watch = 0;
        this._subscriptions = [];
        this._xdndSignals = [];
        this._selectionSignal = 0;
        this._cancellable = null;
        this._poll = 0;
        this._previous = 0;
        this._shown = null;
        this._accelerator = '';
        this._action = 0;
        this._acceleratorSignal = 0;
        this._button = null;
    }

    enable() {
        const {Gio, Main, Meta, global} = this._shell;
        this._cancellable = new Gio.Cancellable();
        this._xdndSignals = [
            Main.xdndHandler.connect('drag-begin', () => this._dragBegan()),
            Main.xdndHandler.connect('drag-end', () => this._dragEnded()),
        ];
        this._selectionSignal = global.display.get_selection().connect('owner-changed',
            (selection, type, owner) => {
                if (type !== Meta.SelectionType.SELECTION_DND)
                    return;
                if (owner)
                    this._dragBegan();
                else
                    this._dragEnded();
            });
        // Nothing happens, and nothing is logged, while the program is away.
        this._watch = Gio.bus_watch_name(Gio.BusType.SESSION, BUS_NAME,
            Gio.BusNameWatcherFlags.NONE, () => this._appeared(), () => this._vanished());
    }

    disable() {
        const {Gio, Main} = this._shell;
        if (this._watch)
            Gio.bus_unwatch_name(this._watch);
        this._watch = 0;
        this._vanished();
        this._xdndSignals.forEach(id => Main.xdndHandler.disconnect(id));
        this._xdndSignals = [];
        if (this._selectionSignal)
            this._shell.global.display.get_selection().disconnect(this._selectionSignal);
        this._selectionSignal = 0;
        this._cancellable?.cancel();
        this._cancellable = null;
    }

    _appeared() {
        const {Gio} = this._shell;
        this._present = true;
        for (const [member, handler] of [['GestureKeysChanged', () => this._readKeys()],
            ['MenuChanged', () => this._readMenu()]]) {
            this._subscriptions.push(Gio.DBus.session.signal_subscribe(BUS_NAME, INTERFACE,
                member, OBJECT_PATH, null, Gio.DBusSignalFlags.NONE, handler));
        }
        this._readKeys();
        this._readMenu();
    }

    _vanished() {
        const {Gio} = this._shell;
        this._present = false;
        this._subscriptions.forEach(id => Gio.DBus.session.signal_unsubscribe(id));
        this._subscriptions = [];
        this._stopPolling();
        this._shown = null;
        this._keys = null;
        this._grabHotKey('');
        this._removeButton();
    }

    // Calls a method of the running program; errors while it goes away are
    // expected and stay quiet.
    _call(method, parameters, onReply) {
        const {Gio} = this._shell;
        if (!this._present)
            return;
        Gio.DBus.session.call(BUS_NAME, OBJECT_PATH, INTERFACE, method, parameters ?? null,
            null, Gio.DBusCallFlags.NO_AUTO_START, CALL_TIMEOUT_MS, this._cancellable,
            (connection, result) => {
                let reply;
                try {
                    reply = connection.call_finish(result);
                } catch (error) {
                    if (this._present && !error.matches(Gio.IOErrorEnum, Gio.IOErrorEnum.CANCELLED))
                        console.warn(`Flingdial: ${method} failed: ${error.message}`);
                    return;
                }
                if (onReply && this._present)
                    onReply(reply.recursiveUnpack()[0]);
            });
    }

    // The trigger keys and the hot key live in the program's settings.
    _readKeys() {
        this._call('GestureKeys', null, keys => {
            this._keys = keys;
            this._grabHotKey(keys.hotkey ?? '');
        });
    }

    // Our bits for the modifiers Clutter reports.
    _keyBits(modifiers) {
        const {ModifierType} = this._shell.Clutter;
        let bits = 0;
        if (modifiers & ModifierType.SHIFT_MASK)
            bits |= KEY_BITS.shift;
        if (modifiers & ModifierType.CONTROL_MASK)
            bits |= KEY_BITS.control;
        if (modifiers & ModifierType.MOD1_MASK)
            bits |= KEY_BITS.alt;
        if (modifiers & (ModifierType.SUPER_MASK | ModifierType.MOD4_MASK))
            bits |= KEY_BITS.super;
        return bits;
    }

    // The first mode whose key is among `pressed`; a key the program
    // doesn't name counts as Shift, as in the program.
    _modeFor(pressed) {
        for (const mode of MODES) {
            const bit = KEY_BITS[this._keys?.[mode]] ?? KEY_BITS.shift;
            if (pressed & bit)
                return mode;
        }
        return null;
    }

    _dragBegan() {
        const {GLib, global} = this._shell;
        // The selection and Main.xdndHandler may both announce one drag.
        if (!this._present || !this._keys || this._poll)
            return;
        const [, , modifiers] = global.get_pointer();
        this._previous = this._keyBits(modifiers) & SEEDED_AT_START;
        this._shown = null;
        this._poll = GLib.timeout_add(GLib.PRIORITY_DEFAULT, POLL_MS, () => {
            this._tick();
            return GLib.SOURCE_CONTINUE;
        });
    }

    _tick() {
        const {Clutter, GLib, global} = this._shell;
        const [x, y, modifiers] = global.get_pointer();
        const {BUTTON1_MASK, BUTTON2_MASK, BUTTON3_MASK} = Clutter.ModifierType;
        if (!(modifiers & (BUTTON1_MASK | BUTTON2_MASK | BUTTON3_MASK))) {
            this._dragEnded();
            return;
        }
        const bits = this._keyBits(modifiers);
        const pressed = bits & ~this._previous;
        this._previous = bits;
        if (!pressed)
            return;
        const mode = this._modeFor(pressed);
        if (!mode || mode === this._shown)
            return;
        this._shown = mode;
        // Logical pixels of the Shell's stage; the program maps them onto
        // its own screen, which may be scaled differently.
        this._call('TriggerAt', new GLib.Variant('(siiii)', [mode, Math.round(x),
            Math.round(y), Math.round(global.stage.width), Math.round(global.stage.height)]));
    }

    _dragEnded() {
        this._stopPolling();
        if (this._shown)
            this._call('DragEnded', null);
        this._shown = null;
    }

    _stopPolling() {
        if (this._poll)
            this._shell.GLib.source_remove(this._poll);
        this._poll = 0;
    }

    // Grabs `accelerator` ("<Control><Alt>space"), or lets go with ''.
    _grabHotKey(accelerator) {
        const {Main, Meta, Shell, global} = this._shell;
        if (accelerator === this._accelerator)
            return;
        if (this._action) {
            Main.wm.allowKeybinding(Meta.external_binding_name_for_action(this._action),
                Shell.ActionMode.NONE);
            global.display.ungrab_accelerator(this._action);
        }
        this._action = 0;
        this._accelerator = '';
        if (!accelerator) {
            if (this._acceleratorSignal)
                global.display.disconnect(this._acceleratorSignal);
            this._acceleratorSignal = 0;
            return;
        }
        const action = global.display.grab_accelerator(accelerator, Meta.KeyBindingFlags.NONE);
        // The program's Keys pane says when another binding holds the keys.
        this._call('HotKeyGrabbed', new this._shell.GLib.Variant('(sb)',
            [accelerator, action !== Meta.KeyBindingAction.NONE]));
        if (action === Meta.KeyBindingAction.NONE) {
            console.warn(`Flingdial: ${accelerator} is taken: the hot key stays off`);
            return;
        }
        Main.wm.allowKeybinding(Meta.external_binding_name_for_action(action),
            Shell.ActionMode.NORMAL | Shell.ActionMode.OVERVIEW);
        this._action = action;
        this._accelerator = accelerator;
        if (!this._acceleratorSignal) {
            this._acceleratorSignal = global.display.connect('accelerator-activated',
                (display, pressed) => {
                    if (pressed === this._action && this._action)
                        this._call('HotKeyPressed', null);
                });
        }
    }

    // The tray menu's items, in the top bar while nothing shows tray icons.
    _readMenu() {
        this._call('Menu', null, menu => {
            if (menu.tray || !menu.titles?.length)
                this._removeButton();
            else
                this._showButton(menu.titles, menu.enabled ?? []);
        });
    }

    _showButton(titles, enabled) {
        const {Gio, Main, PanelMenu, PopupMenu, St, path} = this._shell;
        if (!this._button) {
            this._button = new PanelMenu.Button(0.0, 'Flingdial', false);
            this._button.add_child(new St.Icon({
                gicon: Gio.icon_new_for_string(`${path}/flingdial-symbolic.svg`),
                style_class: 'system-status-icon',
            }));
            Main.panel.addToStatusArea('flingdial', this._button);
        }
        const menu = this._button.menu;
        menu.removeAll();
        titles.forEach((title, index) => {
            if (!title) {
                menu.addMenuItem(new PopupMenu.PopupSeparatorMenuItem());
                return;
            }
            const item = new PopupMenu.PopupMenuItem(title);
            item.setSensitive(enabled[index] !== false);
            // The title goes along, so that an item that moved meanwhile isn't run.
            item.connect('activate', () => this._call('ActivateMenuItem',
                new this._shell.GLib.Variant('(is)', [index, title])));
            menu.addMenuItem(item);
        });
    }

    _removeButton() {
        this._button?.destroy();
        this._button = null;
    }
};
