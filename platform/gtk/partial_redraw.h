// Redrawing only what changed in a top-level window of the GTK host.
//
// A tick of the orrery moves a few markers and rewrites one line of text, yet left to itself GTK
// would draw the whole window again, every push button included, twenty times a second. So the
// host asks GTK to redraw only the bands of client rows that the core reports changed, less the
// pixels that a push button or the status bar covers: a changed pixel under a control is not
// seen, and redrawing it would have GTK draw the control again over it, a few hundred thousand
// instructions for a button. It draws only the buttons that the area being redrawn meets, since
// GTK would draw every button within the bounds of that area and a tick's few changes lie far
// apart. And the status bar shows its text in a drawing area of its own, since the bar's label
// would have GTK lay the whole window out again for each new text and then redraw all of it. A
// new client size is redrawn whole.
#pragma once

#include <gtk/gtk.h>

#include <string>

#include "platform/owned_handles.h"
#include "platform/win32.h"

namespace gtkhost {

// What one top-level window keeps to redraw only what changed: its drawing area, the layer of
// push buttons over it, and the client pixels that its controls cover.
class PartialRedraw {
  public:
    PartialRedraw() = default;
    PartialRedraw(const PartialRedraw&) = delete;  // the signal handlers hold its address
    PartialRedraw& operator=(const PartialRedraw&) = delete;

    // Draws the control layer's buttons itself, and learns when the layer or the drawing area
    // under it moves. Both lie in one GtkOverlay, the drawing area as its main child.
    void Attach(GtkWidget* drawingArea, GtkWidget* controlLayer);
    // A push button in the control layer, or a status bar over the drawing area: learns when
    // it moves, comes or goes.
    void AddControl(GtkWidget* control);
    void SurfaceChanged();          // the core drew: redraw at the next ShowChanges
    void ShowChanges(HWND window);  // asks GTK to redraw what changed since the last call

  private:
    // What covers the drawing area moved, came or went.
    static void OnCoveringAllocated(GtkWidget*, GdkRectangle*, gpointer redraw);
    static void OnCoveringMapped(GtkWidget*, gpointer redraw);
    owned::CairoRegion CoveredParts() const;

    GtkWidget* drawingArea_ = nullptr;
    GtkWidget* controlLayer_ = nullptr;
    bool surfaceChanged_ = false;
    // The client size GTK was last asked to show; a new one is redrawn whole.
    int shownWidth_ = 0;
    int shownHeight_ = 0;
    // The client pixels that the controls cover, in the drawing area's coordinates: worked out
    // again at the first redraw after a control or the layer under them moved, came or went.
    owned::CairoRegion covered_;
    bool coveredKnown_ = false;
};

// Puts a drawing area one line high in place of the status bar's own label, and returns it.
GtkWidget* AddStatusText(GtkWidget* statusBar);
// Shows the status text's code page 932 bytes; redraws only the text, and only when it changed.
void ShowStatusText(GtkWidget* statusText, const std::string& bytes);

}  // namespace gtkhost
