#pragma once

// Everything that needs the desktop: the tray application, runs that may
// prompt with dialogs or use the clipboard, and the rendering commands. It
// lives in its own module so that the command line starts without it.
namespace Desktop {

int main(int argc, char** argv);

} // namespace Desktop

extern "C" int flingdial_desktop_main(int argc, char** argv);
