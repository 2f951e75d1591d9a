// The GTK host: shows the stand-in's windows as GTK 3 widgets on a Linux desktop.
//
// The program links this library with the loader; the loader calls
// standin::StartProgramHost (platform/host.h), which this library defines: it
// opens the display and installs the host before WinMain runs. From then on
// every top-level window becomes a GtkWindow whose drawing area shows the
// window's client pixels, its menu a GtkMenuBar, its push buttons GtkButtons
// and its status bar a GtkStatusbar over the client area, and a message box a
// modal GtkMessageDialog. The core's message loop sleeps in GLib's main loop.
#pragma once

namespace gtkhost {

// The identifier that the desktop file, the icon and the window share.
constexpr char APPLICATION_ID[] = "org.sorvelin.Sorvelin";

}  // namespace gtkhost
