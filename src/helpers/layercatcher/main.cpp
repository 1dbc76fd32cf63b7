// flingdial-layer-catcher: a transparent overlay over every output, for
// compositors that hand a drag in progress only to surfaces of their own
// kind (wlroots: XWayland windows that appear during a drag never get it,
// layer surfaces do). It reports the drag to the program over stdout and
// asks it whether to take the drop:
//
//   out: "ready" | "files URI…" | "move X Y" | "drop X Y" | "escape" | "gone"
//   in:  "take" | "refuse" (the answer to "drop"), "quit"
//
// X Y are in the compositor's layout, the coordinates XWayland uses too.

#include <gtk-layer-shell.h>
#include <gtk/gtk.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Catch;

// The overlay of one output.
struct Cover
{
    Catch* state = nullptr;
    GtkWidget* window = nullptr;
    GdkRectangle output{};
};

struct Catch
{
    // One per output: the drag may be on any of them.
    std::vector<std::unique_ptr<Cover>> covers;
    bool haveFiles = false;
    bool ready = false;
    GdkDragContext* drop = nullptr;
    guint dropTime = 0;
};

void say(const std::string& line)
{
    std::fputs((line + '\n').c_str(), stdout);
    std::fflush(stdout);
}

void sayAt(const char* what, const Cover& cover, int x, int y)
{
    say(std::string(what) + ' ' + std::to_string(cover.output.x + x) + ' ' +
        std::to_string(cover.output.y + y));
}

GdkAtom uriList()
{
    return gdk_atom_intern_static_string("text/uri-list");
}

gboolean onDraw(GtkWidget*, cairo_t* cairo, gpointer)
{
    cairo_set_operator(cairo, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgba(cairo, 0, 0, 0, 0);
    cairo_paint(cairo);
    return TRUE;
}

gboolean onMotion(GtkWidget* widget, GdkDragContext* context, int x, int y, guint time,
                  gpointer data)
{
    auto* cover = static_cast<Cover*>(data);
    // The files are read as soon as the drag arrives: some sources offer
    // them only while the drag is over the target.
    if (!cover->state->haveFiles) {
        cover->state->haveFiles = true;
        gtk_drag_get_data(widget, context, uriList(), time);
    }
    // Always a copy: sources asked for a move delete the originals.
    gdk_drag_status(context, GDK_ACTION_COPY, time);
    sayAt("move", *cover, x, y);
    return TRUE;
}

void onData(GtkWidget*, GdkDragContext*, int, int, GtkSelectionData* selection, guint, guint,
            gpointer)
{
    gchar** uris = gtk_selection_data_get_uris(selection);
    std::string line = "files";
    for (gchar** uri = uris; uri && *uri; ++uri)
        line += std::string(" ") + *uri;
    g_strfreev(uris);
    say(line);
}

gboolean onDrop(GtkWidget*, GdkDragContext* context, int x, int y, guint time, gpointer data)
{
    auto* cover = static_cast<Cover*>(data);
    Catch& state = *cover->state;
    if (state.drop)
        return FALSE; // one drop per catch
    state.drop = GDK_DRAG_CONTEXT(g_object_ref(context));
    state.dropTime = time;
    // The program knows where its wheel is; its answer finishes the drop.
    sayAt("drop", *cover, x, y);
    return TRUE;
}

void finishDrop(Catch& state, bool take)
{
    if (!state.drop)
        return;
    gtk_drag_finish(state.drop, take, FALSE, state.dropTime);
    g_object_unref(state.drop);
    state.drop = nullptr;
}

gboolean onKey(GtkWidget*, GdkEventKey* event, gpointer)
{
    if (event->keyval != GDK_KEY_Escape)
        return FALSE;
    say("escape");
    gtk_main_quit();
    return TRUE;
}

gboolean onClick(GtkWidget*, GdkEventButton*, gpointer)
{
    // A click means no drag is going on.
    say("escape");
    gtk_main_quit();
    return TRUE;
}

gboolean onCommand(GIOChannel* channel, GIOCondition, gpointer data)
{
    auto* state = static_cast<Catch*>(data);
    gchar* line = nullptr;
    if (g_io_channel_read_line(channel, &line, nullptr, nullptr, nullptr) != G_IO_STATUS_NORMAL) {
        finishDrop(*state, false);
        gtk_main_quit();
        return FALSE;
    }
    const std::string command = g_strstrip(line);
    g_free(line);
    if (command == "take" || command == "refuse") {
        finishDrop(*state, command == "take");
        // Left up a moment so that the source hears the answer first.
        g_timeout_add(
            100,
            [](gpointer) -> gboolean {
                gtk_main_quit();
                return FALSE;
            },
            nullptr);
    } else if (command == "quit") {
        finishDrop(*state, false);
        gtk_main_quit();
    }
    return TRUE;
}

gboolean onMapped(GtkWidget*, GdkEvent*, gpointer data)
{
    auto* state = static_cast<Catch*>(data);
    // Ready once the first output is covered: that is where the drag
    // most likely is.
    if (!state->ready) {
        state->ready = true;
        say("ready");
    }
    return FALSE;
}

void coverOutput(Cover& cover, GdkMonitor* monitor, bool takesKeys)
{
    GtkWindow* window = GTK_WINDOW(cover.window);
    gtk_layer_init_for_window(window);
    gtk_layer_set_namespace(window, "flingdial-catcher");
    gtk_layer_set_layer(window, GTK_LAYER_SHELL_LAYER_OVERLAY);
    for (const auto edge : {GTK_LAYER_SHELL_EDGE_LEFT, GTK_LAYER_SHELL_EDGE_RIGHT,
                            GTK_LAYER_SHELL_EDGE_TOP, GTK_LAYER_SHELL_EDGE_BOTTOM})
        gtk_layer_set_anchor(window, edge, TRUE);
    gtk_layer_set_exclusive_zone(window, -1);
    // One surface takes the keys (Escape), the others none: compositors
    // give the keyboard to one exclusive surface only.
    gtk_layer_set_keyboard_mode(window, takesKeys ? GTK_LAYER_SHELL_KEYBOARD_MODE_EXCLUSIVE
                                                  : GTK_LAYER_SHELL_KEYBOARD_MODE_NONE);
    if (monitor) {
        gtk_layer_set_monitor(window, monitor);
        gdk_monitor_get_geometry(monitor, &cover.output);
    }
}

void buildCover(Catch& state, GdkMonitor* monitor, bool takesKeys)
{
    auto cover = std::make_unique<Cover>();
    cover->state = &state;
    cover->window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWidget* window = cover->window;
    gtk_window_set_title(GTK_WINDOW(window), "Flingdial");
    if (GdkVisual* visual = gdk_screen_get_rgba_visual(gtk_widget_get_screen(window)))
        gtk_widget_set_visual(window, visual);
    gtk_widget_set_app_paintable(window, TRUE);
    coverOutput(*cover, monitor, takesKeys);
    GtkTargetEntry target{const_cast<gchar*>("text/uri-list"), 0, 0};
    gtk_drag_dest_set(window, GtkDestDefaults(0), &target, 1, GDK_ACTION_COPY);
    gtk_widget_add_events(window, GDK_BUTTON_PRESS_MASK | GDK_KEY_PRESS_MASK);
    g_signal_connect(window, "draw", G_CALLBACK(onDraw), nullptr);
    g_signal_connect(window, "drag-motion", G_CALLBACK(onMotion), cover.get());
    g_signal_connect(window, "drag-data-received", G_CALLBACK(onData), nullptr);
    g_signal_connect(window, "drag-drop", G_CALLBACK(onDrop), cover.get());
    g_signal_connect(window, "key-press-event", G_CALLBACK(onKey), nullptr);
    g_signal_connect(window, "button-press-event", G_CALLBACK(onClick), nullptr);
    g_signal_connect(window, "map-event", G_CALLBACK(onMapped), &state);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    state.covers.push_back(std::move(cover));
}

// A cover for every output; the keys go to the primary one (or the first).
void build(Catch& state)
{
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* primary = gdk_display_get_primary_monitor(display);
    const int count = gdk_display_get_n_monitors(display);
    if (count == 0) {
        // Not told of any output yet: the compositor picks one.
        buildCover(state, nullptr, true);
        return;
    }
    if (!primary)
        primary = gdk_display_get_monitor(display, 0);
    for (int i = 0; i < count; ++i) {
        GdkMonitor* monitor = gdk_display_get_monitor(display, i);
        buildCover(state, monitor, monitor == primary);
    }
}

} // namespace

int main(int argc, char** argv)
{
    // Only the compositor's own protocol can give the drag to a new surface.
    gdk_set_allowed_backends("wayland");
    if (!gtk_init_check(&argc, &argv)) {
        std::fputs("flingdial-layer-catcher: no Wayland display\n", stderr);
        return 2;
    }
    if (!gtk_layer_is_supported()) {
        std::fputs("flingdial-layer-catcher: the compositor has no layer shell\n", stderr);
        return 3;
    }
    Catch state;
    build(state);
    GIOChannel* input = g_io_channel_unix_new(0);
    g_io_add_watch(input, GIOCondition(G_IO_IN | G_IO_HUP | G_IO_ERR), onCommand, &state);
    for (const auto& cover : state.covers)
        gtk_widget_show_all(cover->window);
    gtk_main();
    finishDrop(state, false);
    say("gone");
    g_io_channel_unref(input);
    return 0;
}
