// The yardstick for the GTK program's CPU time and memory: the least a GTK 3 program does to show
// the same animation. One 784 by 541 drawing area shows an image that changes, 20 times a second,
// in six 5 by 5 markers and one 420 by 16 row of text; each tick asks GTK to redraw only those
// rectangles. With --label it also sets a GtkLabel's text on every tick, as the program's shown
// status bar does. scripts/measure-cpu.py runs it beside the real program on one display.
#include <cairo.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr int WIDTH = 784;
constexpr int HEIGHT = 541;
constexpr int PERIOD_MS = 50;
constexpr int MARKERS = 6;
constexpr int MARKER_SIZE = 5;
constexpr int TEXT_X = 310;
constexpr int TEXT_Y = 10;
constexpr int TEXT_WIDTH = 420;
constexpr int TEXT_HEIGHT = 16;
constexpr std::uint32_t GREY = 0x404040;
constexpr std::uint32_t WHITE = 0xFFFFFF;
constexpr std::uint32_t COLOURS[MARKERS] = {0x00FF00, 0xFFFF00, 0x00FFFF,
                                            0xFF8000, 0xFF00FF, 0xA9A9A9};

struct SurfaceDeleter {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};

struct Animation {
    std::unique_ptr<cairo_surface_t, SurfaceDeleter> image;
    GtkWidget* drawingArea = nullptr;
    GtkWidget* label = nullptr;  // null without --label
    int tick = 0;
    int markerX[MARKERS] = {};
    int markerY[MARKERS] = {};
};

std::uint32_t* Row(const Animation& animation, int y) {
    unsigned char* data = cairo_image_surface_get_data(animation.image.get());
    return reinterpret_cast<std::uint32_t*>(
        data + y * cairo_image_surface_get_stride(animation.image.get()));
}

void Fill(const Animation& animation, int left, int top, int width, int height,
          std::uint32_t colour) {
    for (int y = std::max(top, 0); y < std::min(top + height, HEIGHT); ++y) {
        std::uint32_t* row = Row(animation, y);
        for (int x = std::max(left, 0); x < std::min(left + width, WIDTH); ++x) {
            row[x] = colour;
        }
    }
}

void QueueMarker(const Animation& animation, int index) {
    gtk_widget_queue_draw_area(animation.drawingArea, animation.markerX[index] - MARKER_SIZE / 2,
                               animation.markerY[index] - MARKER_SIZE / 2, MARKER_SIZE,
                               MARKER_SIZE);
}

gboolean OnTick(gpointer data) {
    Animation& animation = *static_cast<Animation*>(data);
    ++animation.tick;
    cairo_surface_flush(animation.image.get());
    for (int index = 0; index < MARKERS; ++index) {
        // Planets on circles around the middle, the inner ones faster.
        Fill(animation, animation.markerX[index] - MARKER_SIZE / 2,
             animation.markerY[index] - MARKER_SIZE / 2, MARKER_SIZE, MARKER_SIZE, GREY);
        QueueMarker(animation, index);
        const double radius = 40.0 + 40.0 * index;
        const double angle = animation.tick * 0.02 / (1.0 + index);
        animation.markerX[index] = WIDTH / 2 + static_cast<int>(radius * std::cos(angle));
        animation.markerY[index] = HEIGHT / 2 + 20 + static_cast<int>(radius * std::sin(angle));
        Fill(animation, animation.markerX[index] - MARKER_SIZE / 2,
             animation.markerY[index] - MARKER_SIZE / 2, MARKER_SIZE, MARKER_SIZE, COLOURS[index]);
        QueueMarker(animation, index);
    }
    // A row of "glyphs" that changes on every tick, as the status text's digits do.
    Fill(animation, TEXT_X, TEXT_Y, TEXT_WIDTH, TEXT_HEIGHT, GREY);
    for (int y = TEXT_Y + 3; y < TEXT_Y + 13; ++y) {
        std::uint32_t* row = Row(animation, y);
        for (int x = TEXT_X; x < TEXT_X + TEXT_WIDTH; ++x) {
            if ((x * 7 + y * 3 + animation.tick * 13) % 11 < 3) {
                row[x] = WHITE;
            }
        }
    }
    cairo_surface_mark_dirty(animation.image.get());
    gtk_widget_queue_draw_area(animation.drawingArea, TEXT_X, TEXT_Y, TEXT_WIDTH, TEXT_HEIGHT);
    if (animation.label != nullptr) {
        char text[128];
        std::snprintf(text, sizeof text, "平均経過時間 %04d年 %02d月 %02d日  描画間隔 1.00",
                      1950 + animation.tick / 365, 1 + animation.tick / 30 % 12,
                      1 + animation.tick % 30);
        gtk_label_set_text(GTK_LABEL(animation.label), text);
    }
    return G_SOURCE_CONTINUE;
}

gboolean OnDraw(GtkWidget*, cairo_t* cairo, gpointer data) {
    // GTK has clipped the context to the queued rectangles.
    cairo_set_source_surface(cairo, static_cast<Animation*>(data)->image.get(), 0, 0);
    cairo_paint(cairo);
    return FALSE;
}

}  // namespace

int main(int argc, char** argv) {
    // The same setting as the program's: the window only copies an image, so no OpenGL driver.
    g_setenv("GDK_GL", "disable", FALSE);
    gtk_init(&argc, &argv);
    const bool withLabel = argc > 1 && std::strcmp(argv[1], "--label") == 0;
    Animation animation;
    animation.image.reset(cairo_image_surface_create(CAIRO_FORMAT_RGB24, WIDTH, HEIGHT));
    Fill(animation, 0, 0, WIDTH, HEIGHT, GREY);
    cairo_surface_mark_dirty(animation.image.get());

    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), "Bare GTK animation");
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_container_add(GTK_CONTAINER(window), column);
    animation.drawingArea = gtk_drawing_area_new();
    gtk_widget_set_size_request(animation.drawingArea, WIDTH, HEIGHT);
    g_signal_connect(animation.drawingArea, "draw", G_CALLBACK(OnDraw), &animation);
    gtk_box_pack_start(GTK_BOX(column), animation.drawingArea, TRUE, TRUE, 0);
    if (withLabel) {
        animation.label = gtk_label_new("");
        gtk_widget_set_halign(animation.label, GTK_ALIGN_START);
        gtk_box_pack_start(GTK_BOX(column), animation.label, FALSE, FALSE, 0);
    }
    gtk_widget_show_all(window);
    g_timeout_add(PERIOD_MS, OnTick, &animation);
    gtk_main();
    return 0;
}
