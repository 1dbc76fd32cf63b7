// The GNOME Shell extension's gesture logic run by gjs outside the Shell:
// stand-ins for the Shell's modules record what the extension asks of the
// Shell and of the program. Run as a module on the build's extension folder:
//
//   gjs -m extension-test.js BUILD/data/gnome-shell-extension/flingdial@flingdial.org
import System from 'system';

const folder = System.programArgs[0];
const {FlingdialGesture} = await import(`file://${folder}/flingdial.js`);

// Clutter's modifier bits (clutter-enums.h).
const ModifierType = {
    SHIFT_MASK: 1 << 0, CONTROL_MASK: 1 << 2, MOD1_MASK: 1 << 3, MOD4_MASK: 1 << 6,
    BUTTON1_MASK: 1 << 8, BUTTON2_MASK: 1 << 9, BUTTON3_MASK: 1 << 10, SUPER_MASK: 1 << 26,
};
const {SHIFT_MASK, CONTROL_MASK, MOD1_MASK, BUTTON1_MASK} = ModifierType;
const ACTION = 42;

let failures = 0;
function check(what, actual, expected) {
    const a = JSON.stringify(actual);
    const e = JSON.stringify(expected);
    if (a !== e) {
        failures++;
        printerr(`FAIL: ${what}: got ${a}, expected ${e}`);
    } else {
        print(`PASS: ${what}`);
    }
}

// A Shell with the program on the bus answering `keys` and `menu`.
function makeShell(keys, menu) {
    const shell = {
        calls: [], grabs: [], allowed: [], ungrabbed: [], takenElsewhere: [], timers: new Map(), pointer: [0, 0, 0],
        appeared: null, vanished: null, accelerator: null, statusArea: null, nextTimer: 1,
    };
    const handlers = {};
    const signalHost = () => ({
        connect(name, handler) {
            handlers[name] = handler;
            return name;
        },
        disconnect() {},
    });
    class Variant {
        constructor(type, values) {
            this.values = values;
        }
    }
    class Item {
        constructor(title) {
            this.title = title;
            this.sensitive = true;
        }

        setSensitive(on) {
            this.sensitive = on;
        }

        connect(name, handler) {
            this.activate = handler;
        }
    }
    class Button {
        constructor() {
            this.items = [];
            this.destroyed = false;
            this.menu = {
                removeAll: () => (this.items = []),
                addMenuItem: item => this.items.push(item),
            };
        }

        add_child() {}

        destroy() {
            this.destroyed = true;
        }
    }
    const replies = {GestureKeys: keys, Menu: menu};
    shell.modules = {
        Clutter: {ModifierType},
        Gio: {
            Cancellable: class {
                cancel() {}
            },
            BusType: {SESSION: 2},
            BusNameWatcherFlags: {NONE: 0},
            DBusSignalFlags: {NONE: 0},
            DBusCallFlags: {NO_AUTO_START: 1},
            IOErrorEnum: {CANCELLED: 19},
            bus_watch_name(type, name, flags, appeared, vanished) {
                shell.appeared = appeared;
                shell.vanished = vanished;
                return 7;
            },
            bus_unwatch_name() {},
            icon_new_for_string: path => path,
            DBus: {
                session: {
                    signal_subscribe: (sender, iface, member, path, arg, flags, handler) => {
                        handlers[member] = handler;
                        return member;
                    },
                    signal_unsubscribe() {},
                    call(name, path, iface, method, parameters, type, flags, timeout, cancel,
                        done) {
                        shell.calls.push([method, ...(parameters?.values ?? [])]);
                        done({call_finish: () => ({recursiveUnpack: () => [replies[method]]})});
                    },
                },
            },
        },
        GLib: {
            PRIORITY_DEFAULT: 0,
            SOURCE_CONTINUE: true,
            Variant,
            timeout_add(priority, ms, tick) {
                const id = shell.nextTimer++;
                shell.timers.set(id, tick);
                return id;
            },
            source_remove: id => shell.timers.delete(id),
        },
        Meta: {
            SelectionType: {SELECTION_PRIMARY: 0, SELECTION_CLIPBOARD: 1, SELECTION_DND: 2},
            KeyBindingFlags: {NONE: 0},
            KeyBindingAction: {NONE: 0},
            external_binding_name_for_action: action => `external-grab-${action}`,
        },
        Shell: {ActionMode: {NONE: 0, NORMAL: 1, OVERVIEW: 2}},
        St: {Icon: class {}},
        Main: {
            xdndHandler: signalHost(),
            wm: {allowKeybinding: (name, modes) => shell.allowed.push([name, modes])},
            panel: {addToStatusArea: (role, button) => (shell.statusArea = button)},
        },
        PanelMenu: {Button},
        PopupMenu: {PopupMenuItem: Item, PopupSeparatorMenuItem: class extends Item {}},
        global: {
            get_pointer: () => shell.pointer,
            stage: {width: 1280, height: 720},
            display: {
                get_selection: signalHost,
                grab_accelerator(accelerator) {
                    shell.grabs.push(accelerator);
                    return shell.takenElsewhere.includes(accelerator) ? 0 : ACTION;
                },
                ungrab_accelerator: action => shell.ungrabbed.push(action),
                connect(name, handler) {
                    shell.accelerator = handler;
                    return 9;
                },
                disconnect() {},
            },
        },
        path: folder,
    };
    shell.handlers = handlers;
    shell.tick = () => [...shell.timers.values()].forEach(tick => tick());
    shell.methods = () => shell.calls.map(call => call[0]);
    return shell;
}

const keys = {convert: 'shift', tools: 'alt', actions: 'control', hotkey: '<Control><Alt>space'};
const noTray = {tray: false, titles: ['Open Wheel…', '', 'Quit'], enabled: [true, true, false]};

// The program away: a drag goes by unseen and nothing is called.
{
    const shell = makeShell(keys, noTray);
    const gesture = new FlingdialGesture(shell.modules);
    gesture.enable();
    shell.handlers['drag-begin']();
    shell.pointer = [10, 10, BUTTON1_MASK | SHIFT_MASK];
    shell.tick();
    check('nothing is called while the program is away', shell.calls, []);
    check('no drag is followed while the program is away', shell.timers.size, 0);
    gesture.disable();
}

// The program present: keys read, hot key grabbed, a drag with Shift pressed.
{
    const shell = makeShell(keys, noTray);
    const gesture = new FlingdialGesture(shell.modules);
    gesture.enable();
    shell.appeared();
    check('reads the keys and the menu', shell.methods(), ['GestureKeys', 'HotKeyGrabbed', 'Menu']);
    check('grabs the hot key', shell.grabs, ['<Control><Alt>space']);
    check('tells the program the hot key is grabbed',
        shell.calls.find(([method]) => method === 'HotKeyGrabbed'),
        ['HotKeyGrabbed', '<Control><Alt>space', true]);
    check('lets the hot key work outside the overview too', shell.allowed,
        [['external-grab-42', 3]]);

    shell.calls = [];
    shell.pointer = [100, 200, BUTTON1_MASK];
    shell.handlers['drag-begin']();
    // The selection's owner change announces the same drag again.
    shell.handlers['owner-changed'](null, 2, {});
    check('follows one drag once', shell.timers.size, 1);
    shell.tick();
    check('no key, no call', shell.calls, []);
    shell.pointer = [300, 400, BUTTON1_MASK | SHIFT_MASK];
    shell.tick();
    check('Shift mid-drag opens Convert where the pointer is, in the stage\'s space',
        shell.calls, [['TriggerAt', 'convert', 300, 400, 1280, 720]]);
    shell.pointer = [300, 400, BUTTON1_MASK];
    shell.tick();
    shell.pointer = [310, 400, BUTTON1_MASK | SHIFT_MASK];
    shell.tick();
    check('the same key again leaves the wheel as it is', shell.calls.length, 1);
    shell.pointer = [310, 400, BUTTON1_MASK | SHIFT_MASK | CONTROL_MASK];
    shell.tick();
    check('Ctrl then opens Actions', shell.calls[1], ['TriggerAt', 'actions', 310, 400, 1280, 720]);
    shell.pointer = [310, 400, 0];
    shell.tick();
    check('the button let go ends the drag', shell.calls[2], ['DragEnded']);
    check('and stops following it', shell.timers.size, 0);
    shell.handlers['drag-end']();
    check('the end is told once', shell.methods().filter(m => m === 'DragEnded').length, 1);

    // Alt held as the drag begins counts only once pressed again; Shift at once.
    shell.calls = [];
    shell.pointer = [5, 5, BUTTON1_MASK | MOD1_MASK];
    shell.handlers['drag-begin']();
    shell.tick();
    check('Alt held at the start opens nothing', shell.calls, []);
    shell.handlers['drag-end']();
    shell.pointer = [5, 5, BUTTON1_MASK | SHIFT_MASK];
    shell.handlers['drag-begin']();
    shell.tick();
    check('Shift held at the start opens Convert', shell.methods(), ['TriggerAt']);
    shell.handlers['drag-end']();

    // A drag ended without a wheel tells the program nothing.
    shell.calls = [];
    shell.pointer = [5, 5, BUTTON1_MASK];
    shell.handlers['drag-begin']();
    shell.tick();
    shell.handlers['drag-end']();
    check('a drag without a wheel ends quietly', shell.calls, []);

    shell.calls = [];
    shell.accelerator(null, ACTION + 1);
    shell.accelerator(null, ACTION);
    check('forwards its own hot key only', shell.methods(), ['HotKeyPressed']);

    // The top-bar button while nothing shows tray icons.
    const items = shell.statusArea.items;
    check('the menu in the top bar', items.map(item => item.title),
        ['Open Wheel…', undefined, 'Quit']);
    check('disabled items stay disabled', items.map(item => item.sensitive), [true, true, false]);
    shell.calls = [];
    items[0].activate();
    check('an item runs by index and title', shell.calls, [['ActivateMenuItem', 0, 'Open Wheel…']]);

    shell.vanished();
    check('the program gone: the hot key is let go', shell.ungrabbed, [ACTION]);
    check('and the button removed', shell.statusArea.destroyed, true);
    shell.calls = [];
    shell.pointer = [5, 5, BUTTON1_MASK | SHIFT_MASK];
    shell.handlers['drag-begin']();
    shell.tick();
    check('and drags go unseen again', shell.calls, []);
    gesture.disable();
}

// Keys changed in the program's settings: read again, new key used, hot key off.
{
    const shell = makeShell(keys, {tray: true, titles: ['Quit'], enabled: [true]});
    const gesture = new FlingdialGesture(shell.modules);
    gesture.enable();
    shell.appeared();
    check('no top-bar button where a tray shows the icon', shell.statusArea, null);
    keys.convert = 'super';
    keys.hotkey = '';
    shell.handlers.GestureKeysChanged();
    check('the hot key turned off is let go', shell.ungrabbed, [ACTION]);
    shell.calls = [];
    shell.pointer = [1, 2, BUTTON1_MASK];
    shell.handlers['drag-begin']();
    shell.pointer = [1, 2, BUTTON1_MASK | ModifierType.SUPER_MASK];
    shell.tick();
    check('Super now opens Convert', shell.calls, [['TriggerAt', 'convert', 1, 2, 1280, 720]]);
    gesture.disable();
}

// A hot key another binding of the Shell holds: the program is told, and
// nothing is let go or allowed for it.
{
    const shell = makeShell({...keys, hotkey: '<Super>a'}, noTray);
    shell.takenElsewhere = ['<Super>a'];
    const gesture = new FlingdialGesture(shell.modules);
    gesture.enable();
    shell.appeared();
    check('tells the program the hot key is held elsewhere',
        shell.calls.find(([method]) => method === 'HotKeyGrabbed'),
        ['HotKeyGrabbed', '<Super>a', false]);
    check('allows no binding for a refused hot key', shell.allowed, []);
    gesture.disable();
    check('lets go of nothing it never had', shell.ungrabbed, []);
}

if (failures) {
    printerr(`${failures} check(s) failed`);
    System.exit(1);
}
