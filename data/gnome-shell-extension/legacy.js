
// The entry of GNOME Shell 43 and 44. They load an extension through the
// legacy importer of its folder, which takes a name from the folder's
// __init__.js before it would read the file of that name: so they find
// `extension` here and never read extension.js, an ES module for GNOME 45
// and later. The Shell's modules are fetched when the extension starts.
/* exported extension */
var extension = {
    init(meta) {
        let gesture = null;
        return {
            enable() {
                const {Clutter, Gio, GLib, Meta, Shell, St} = imports.gi;
                gesture = new FlingdialGesture({
                    Clutter, Gio, GLib, Meta, Shell, St,
                    Main: imports.ui.main,
                    PanelMenu: imports.ui.panelMenu,
                    PopupMenu: imports.ui.popupMenu,
                    global,
                    path: meta.path,
                });
                gesture.enable();
            },
            disable() {
                gesture?.disable();
                gesture = null;
            },
        };
    },
};
