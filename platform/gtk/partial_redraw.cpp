// Redrawing only what changed: bands of changed rows less what the controls cover, buttons drawn
// only where the redrawn area meets them, and a status text that redraws only itself.
#include "platform/gtk/partial_redraw.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "platform/host.h"

namespace gtkhost {

namespace {

// How far in from its corners a push button may be rounded, and so show the client pixels behind
// it; themes round theirs by a few pixels.
constexpr int BUTTON_CORNER_PIXELS = 8;

// The status text's code page 932 bytes, kept with its widget until they change.
constexpr char STATUS_TEXT_KEY[] = "sorvelin-code-page-932";

// A list that holds no reference to its objects.
struct ListShellFree {
    void operator()(GList* list) const { g_list_free(list); }
};
using ChildList = std::unique_ptr<GList, ListShellFree>;

ChildList ChildrenOf(GtkWidget* container) {
    return ChildList(gtk_container_get_children(GTK_CONTAINER(container)));
}

// The changes that the core reports, in bands of rows, as one region.
owned::CairoRegion ChangedRegion(const std::vector<standin::ChangedColumns>& changes, int width,
                                 int height) {
    // One region made of all the bands at once: adding them one by one would merge each into
    // the region so far.
    std::vector<cairo_rectangle_int_t> rectangles;
    for (const RECT& band : standin::ChangedBands(changes, width, height)) {
        rectangles.push_back({band.left, band.top, band.right - band.left, band.bottom - band.top});
    }
    return owned::CairoRegion(
        cairo_region_create_rectangles(rectangles.data(), static_cast<int>(rectangles.size())));
}

// Adds what a control of this size at (x, y) hides for certain: all of it but corners of this
// many pixels, which a theme may round.
void AddCovered(cairo_region_t* covered, int x, int y, const GtkAllocation& area, int corner) {
    const cairo_rectangle_int_t across{x, y + corner, area.width, area.height - 2 * corner};
    const cairo_rectangle_int_t down{x + corner, y, area.width - 2 * corner, area.height};
    for (const cairo_rectangle_int_t& part : {across, down}) {
        if (part.width > 0 && part.height > 0) {
            cairo_region_union_rectangle(covered, &part);
        }
    }
}

// Whether a rectangle of the widget's own coordinates meets the area being drawn.
bool MeetsDrawnArea(const cairo_rectangle_list_t& drawn, const GtkAllocation& rectangle) {
    for (int index = 0; index < drawn.num_rectangles; ++index) {
        const cairo_rectangle_t& part = drawn.rectangles[index];
        if (part.x < rectangle.x + rectangle.width && rectangle.x < part.x + part.width &&
            part.y < rectangle.y + rectangle.height && rectangle.y < part.y + part.height) {
            return true;
        }
    }
    return false;
}

// Draws only the buttons that the area being drawn meets.
gboolean OnDrawControlLayer(GtkWidget* layer, cairo_t* cairo, gpointer) {
    const owned::CairoRectangleList drawn(cairo_copy_clip_rectangle_list(cairo));
    const bool exact = drawn->status == CAIRO_STATUS_SUCCESS;
    GtkAllocation origin;
    gtk_widget_get_allocation(layer, &origin);
    const ChildList children = ChildrenOf(layer);
    for (GList* child = children.get(); child != nullptr; child = child->next) {
        GtkWidget* control = GTK_WIDGET(child->data);
        GtkAllocation rectangle;
        gtk_widget_get_clip(control, &rectangle);
        rectangle.x -= origin.x;
        rectangle.y -= origin.y;
        if (!exact || MeetsDrawnArea(*drawn, rectangle)) {
            gtk_container_propagate_draw(GTK_CONTAINER(layer), control, cairo);
        }
    }
    return TRUE;
}

gboolean OnDrawStatusText(GtkWidget* widget, cairo_t* cairo, gpointer) {
    const auto* bytes =
        static_cast<const char*>(g_object_get_data(G_OBJECT(widget), STATUS_TEXT_KEY));
    const owned::GObject<PangoLayout> layout(gtk_widget_create_pango_layout(
        widget, standin::DecodeCodePage932(bytes != nullptr ? bytes : "").c_str()));
    // Cut short with an ellipsis where the bar ends, as a label in a status bar is.
    pango_layout_set_ellipsize(layout.get(), PANGO_ELLIPSIZE_END);
    pango_layout_set_width(layout.get(), gtk_widget_get_allocated_width(widget) * PANGO_SCALE);
    int height = 0;
    pango_layout_get_pixel_size(layout.get(), nullptr, &height);
    gtk_render_layout(gtk_widget_get_style_context(widget), cairo, 0,
                      (gtk_widget_get_allocated_height(widget) - height) / 2, layout.get());
    return FALSE;
}

}  // namespace

void PartialRedraw::Attach(GtkWidget* drawingArea, GtkWidget* controlLayer) {
    drawingArea_ = drawingArea;
    controlLayer_ = controlLayer;
    g_signal_connect(controlLayer, "draw", G_CALLBACK(OnDrawControlLayer), nullptr);
    for (GtkWidget* under : {drawingArea, controlLayer}) {
        g_signal_connect(under, "size-allocate", G_CALLBACK(OnCoveringAllocated), this);
    }
}

void PartialRedraw::AddControl(GtkWidget* control) {
    g_signal_connect(control, "size-allocate", G_CALLBACK(OnCoveringAllocated), this);
    g_signal_connect(control, "map", G_CALLBACK(OnCoveringMapped), this);
    g_signal_connect(control, "unmap", G_CALLBACK(OnCoveringMapped), this);
}

void PartialRedraw::OnCoveringAllocated(GtkWidget*, GdkRectangle*, gpointer redraw) {
    static_cast<PartialRedraw*>(redraw)->coveredKnown_ = false;
}

void PartialRedraw::OnCoveringMapped(GtkWidget*, gpointer redraw) {
    static_cast<PartialRedraw*>(redraw)->coveredKnown_ = false;
}

void PartialRedraw::SurfaceChanged() {
    // Only marks the window: the next wait asks GTK to redraw what changed, once, however many
    // paints came before it.
    surfaceChanged_ = true;
}

void PartialRedraw::ShowChanges(HWND window) {
    if (!surfaceChanged_) {
        return;
    }
    surfaceChanged_ = false;
    const std::vector<standin::ChangedColumns> changes = standin::TakeSurfaceChanges(window);
    const std::optional<standin::SurfacePixels> pixels = standin::ClientSurface(window);
    if (!pixels) {
        return;
    }
    const int width = std::max(pixels->width, 0);
    const int height = std::max(pixels->height, 0);
    if (width != shownWidth_ || height != shownHeight_) {
        shownWidth_ = width;
        shownHeight_ = height;
        gtk_widget_queue_draw(drawingArea_);
        return;
    }
    const owned::CairoRegion changed = ChangedRegion(changes, width, height);
    if (!coveredKnown_) {
        covered_ = CoveredParts();
        coveredKnown_ = true;
    }
    cairo_region_subtract(changed.get(), covered_.get());
    if (!cairo_region_is_empty(changed.get())) {
        gtk_widget_queue_draw_region(drawingArea_, changed.get());
    }
}

// The controls are the control layer's buttons, each opaque but for its rounded corners, and
// the overlay's other children over the drawing area, status bars opaque throughout.
owned::CairoRegion PartialRedraw::CoveredParts() const {
    owned::CairoRegion covered(cairo_region_create());
    // The overlay places its children on windows of their own, so their allocations are not in
    // the drawing area's coordinates; the buttons' are in the control layer's, which has none.
    int layerX = 0;
    int layerY = 0;
    if (!gtk_widget_translate_coordinates(controlLayer_, drawingArea_, 0, 0, &layerX, &layerY)) {
        return covered;
    }
    GtkAllocation layer;
    gtk_widget_get_allocation(controlLayer_, &layer);
    const ChildList buttons = ChildrenOf(controlLayer_);
    for (GList* child = buttons.get(); child != nullptr; child = child->next) {
        GtkWidget* button = GTK_WIDGET(child->data);
        if (gtk_widget_get_mapped(button)) {
            GtkAllocation area;
            gtk_widget_get_allocation(button, &area);
            AddCovered(covered.get(), layerX + area.x - layer.x, layerY + area.y - layer.y, area,
                       BUTTON_CORNER_PIXELS);
        }
    }
    const ChildList overlaid = ChildrenOf(gtk_widget_get_parent(drawingArea_));
    for (GList* child = overlaid.get(); child != nullptr; child = child->next) {
        GtkWidget* bar = GTK_WIDGET(child->data);
        int x = 0;
        int y = 0;
        if (bar != drawingArea_ && bar != controlLayer_ && gtk_widget_get_mapped(bar) &&
            gtk_widget_translate_coordinates(bar, drawingArea_, 0, 0, &x, &y)) {
            GtkAllocation area;
            gtk_widget_get_allocation(bar, &area);
            AddCovered(covered.get(), x, y, area, 0);
        }
    }
    return covered;
}

GtkWidget* AddStatusText(GtkWidget* statusBar) {
    GtkWidget* messageArea = gtk_statusbar_get_message_area(GTK_STATUSBAR(statusBar));
    const ChildList labels = ChildrenOf(messageArea);
    for (GList* label = labels.get(); label != nullptr; label = label->next) {
        gtk_widget_set_no_show_all(GTK_WIDGET(label->data), TRUE);
        gtk_widget_hide(GTK_WIDGET(label->data));
    }
    GtkWidget* statusText = gtk_drawing_area_new();
    const owned::GObject<PangoLayout> line(gtk_widget_create_pango_layout(statusText, ""));
    int lineHeight = 0;
    pango_layout_get_pixel_size(line.get(), nullptr, &lineHeight);
    gtk_widget_set_size_request(statusText, -1, lineHeight);
    g_signal_connect(statusText, "draw", G_CALLBACK(OnDrawStatusText), nullptr);
    gtk_box_pack_start(GTK_BOX(messageArea), statusText, TRUE, TRUE, 0);
    gtk_widget_show(statusText);
    return statusText;
}

void ShowStatusText(GtkWidget* statusText, const std::string& bytes) {
    const auto* shown =
        static_cast<const char*>(g_object_get_data(G_OBJECT(statusText), STATUS_TEXT_KEY));
    if (shown == nullptr || bytes != shown) {
        g_object_set_data_full(G_OBJECT(statusText), STATUS_TEXT_KEY, g_strdup(bytes.c_str()),
                               g_free);
        gtk_widget_queue_draw(statusText);
    }
}

}  // namespace gtkhost
