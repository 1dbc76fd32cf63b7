// Installed only in the private Shell a test starts (tests/support/wayland):
// unsafe mode lets the test call org.gnome.Shell.Eval to place windows and
// read the pointer, and org.gnome.Shell.Screenshot without an allow-listed
// bus name. GNOME 43 and 44 load extensions in this form.
/* exported init */
function init() {
    return {
        enable() {
            global.context.unsafe_mode = true;
        },
        disable() {
            global.context.unsafe_mode = false;
        },
    };
}
