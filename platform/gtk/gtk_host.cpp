// The GTK host: the stand-in's windows as GTK 3 widgets, and its waits in GLib's main loop.
#include "platform/gtk/gtk_host.h"

#include <gtk/gtk.h>
#if defined(GDK_WINDOWING_X11)
#include <gdk/gdkx.h>
#endif
#if defined(GDK_WINDOWING_WAYLAND)
#include <gdk/gdkwayland.h>
#include <poll.h>
#endif

#include <cassert>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/gtk/icon_images.h"
#include "platform/gtk/partial_redraw.h"
#include "platform/host.h"
#include "platform/owned_handles.h"

namespace gtkhost {

namespace {

// Push buttons as compact as Windows draws them, so a caption fits a 50 by 25 button; the
// status bar opaque, since it lies over the client pixels.
constexpr char STYLE_SHEET[] =
    "button.sorvelin-push-button { padding: 0 2px; min-height: 0; min-width: 0; }\n"
    "statusbar.sorvelin-status-bar { background-color: @theme_bg_color;"
    " border-top: 1px solid @borders; padding: 0 2px; }\n";

// A list that holds a reference to each of its objects.
struct ListFree {
    void operator()(GList* list) const { g_list_free_full(list, g_object_unref); }
};

// Win32 marks an access key with "&" and GTK with "_"; "&&" is a plain "&", and a plain "_"
// must be doubled so that GTK shows it.
std::string MnemonicCaption(const std::string& caption) {
    std::string result;
    for (std::size_t index = 0; index < caption.size(); ++index) {
        const char character = caption[index];
        if (character == '&' && index + 1 < caption.size() && caption[index + 1] == '&') {
            result += '&';
            ++index;
        } else if (character == '&') {
            result += '_';
        } else if (character == '_') {
            result += "__";
        } else {
            result += character;
        }
    }
    return result;
}

// One top-level window: a GtkWindow with the menu bar above the client area, and the client
// area an overlay of the drawing area, the push buttons and the status bar.
struct TopLevel {
    GtkWidget* window = nullptr;
    GtkWidget* menuBar = nullptr;  // null for a window without a menu
    GtkWidget* overlay = nullptr;
    GtkWidget* drawingArea = nullptr;
    GtkWidget* controlLayer = nullptr;  // a GtkFixed, so buttons stand at their own rectangles
    std::map<UINT, GtkWidget*> menuItems;
    PartialRedraw redraw;
    // What the user made of the window, handed to the core when it next waits; -1 for nothing yet.
    int allocatedWidth = -1;
    int allocatedHeight = -1;
    bool iconified = false;
    bool userChanged = false;  // until the core has the size and state above
};

// A child window shown as a widget of its top-level window.
struct Control {
    HWND parent = nullptr;
    GtkWidget* widget = nullptr;
    bool statusBar = false;
    GtkWidget* statusText = nullptr;  // a status bar's text, see AddStatusText
};

class GtkHost final : public standin::Host {
  public:
    std::uint64_t Now() override {
        return static_cast<std::uint64_t>((g_get_monotonic_time() - start_) / 1000);
    }
    void Wait(std::optional<std::uint64_t> deadline) override;
    void WindowCreated(HWND window) override;
    void WindowChanged(HWND window) override;
    void WindowDestroyed(HWND window) override;
    void SurfaceChanged(HWND window) override;
    void MenuChanged(HWND window) override;
    void MessageBoxOpened(HWND box) override;
    void MessageBoxClosed(HWND box) override;

  private:
    TopLevel* FindTopLevel(HWND window) {
        auto found = topLevels_.find(window);
        return found == topLevels_.end() ? nullptr : found->second.get();
    }
    void CreateTopLevel(const standin::WindowDescription& description);
    void CreateControl(const standin::WindowDescription& description);
    void BuildMenuBar(HWND window, TopLevel* topLevel);
    void ShowTopLevel(const standin::WindowDescription& description, TopLevel* topLevel);
    void ShowControl(const standin::WindowDescription& description, Control* control);
    void HandOverUserChanges();

    gint64 start_ = g_get_monotonic_time();
    std::map<HWND, std::unique_ptr<TopLevel>> topLevels_;
    std::map<HWND, Control> controls_;
    std::map<HWND, GtkWidget*> messageDialogs_;
};

HWND HandleOf(gpointer data) {
    return static_cast<HWND>(data);
}

// Signal handlers. Input goes to the core's entry points, which queue it for the program's loop;
// what the user does to a window's size and state goes to the host's record of the window.

gboolean OnDeadline(gpointer passed) {
    *static_cast<bool*>(passed) = true;
    return G_SOURCE_REMOVE;
}

gboolean OnDeleteEvent(GtkWidget*, GdkEvent*, gpointer data) {
    // The program decides: WM_CLOSE reaches its procedure, whose default handling destroys the
    // window, and the destruction removes the GtkWindow.
    standin::RequestClose(HandleOf(data));
    return TRUE;
}

gboolean OnWindowState(GtkWidget*, GdkEventWindowState* event, gpointer data) {
    auto* topLevel = static_cast<TopLevel*>(data);
    topLevel->iconified = (event->new_window_state & GDK_WINDOW_STATE_ICONIFIED) != 0;
    topLevel->userChanged = true;
    return FALSE;
}

void OnClientAllocated(GtkWidget*, GdkRectangle* allocation, gpointer data) {
    // The core learns of the size when it next waits: WM_SIZE runs the program's code, which
    // must not run inside GTK's layout.
    auto* topLevel = static_cast<TopLevel*>(data);
    topLevel->allocatedWidth = allocation->width;
    topLevel->allocatedHeight = allocation->height;
    topLevel->userChanged = true;
}

gboolean OnDrawClient(GtkWidget*, cairo_t* cairo, gpointer data) {
    const std::optional<standin::SurfacePixels> pixels = standin::ClientSurface(HandleOf(data));
    if (!pixels || pixels->width <= 0 || pixels->height <= 0) {
        return FALSE;
    }
    // The client pixels are 0x00RRGGBB words, which is cairo's RGB24 layout.
    // The surface may be wider than the client area, after a shrink: its rows are longer.
    assert(pixels->stride >= cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, pixels->width));
    const owned::CairoSurface image(cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(const_cast<std::uint32_t*>(pixels->pixels)),
        CAIRO_FORMAT_RGB24, pixels->width, pixels->height, pixels->stride));
    // One client pixel is one logical pixel; on a scaled display it becomes a block of device
    // pixels of one colour, never a blend.
    cairo_set_source_surface(cairo, image.get(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cairo), CAIRO_FILTER_NEAREST);
    cairo_rectangle(cairo, 0, 0, pixels->width, pixels->height);
    cairo_fill(cairo);
    return FALSE;
}

void OnButtonClicked(GtkButton*, gpointer data) {
    standin::ClickButton(HandleOf(data));
}

void OnMenuItemActivated(GtkMenuItem* item, gpointer data) {
    const auto command =
        static_cast<UINT>(GPOINTER_TO_UINT(g_object_get_data(G_OBJECT(item), "command")));
    standin::ChooseMenuCommand(HandleOf(data), command);
}

void OnMessageDialogResponse(GtkDialog* dialog, gint, gpointer data) {
    // A message box with one button gives OK however it is closed, as on Windows. The dialog
    // stays until the core's modal loop has taken the answer and closes the box.
    gtk_widget_set_sensitive(GTK_WIDGET(dialog), FALSE);
    standin::DismissMessageBox(HandleOf(data));
}

gboolean OnMessageDialogDelete(GtkWidget*, GdkEvent*, gpointer) {
    return TRUE;
}

void GtkHost::Wait(std::optional<std::uint64_t> deadline) {
    // The program has stopped drawing for now: show what it drew.
    for (auto& [handle, topLevel] : topLevels_) {
        topLevel->redraw.ShowChanges(handle);
    }
    guint timeout = 0;
    bool deadlinePassed = false;
    if (deadline) {
        const std::uint64_t now = Now();
        if (*deadline <= now) {
            // Already due: take whatever GTK has ready, without sleeping.
            g_main_context_iteration(nullptr, FALSE);
            HandOverUserChanges();
            return;
        }
        timeout = g_timeout_add_full(G_PRIORITY_DEFAULT, static_cast<guint>(*deadline - now),
                                     OnDeadline, &deadlinePassed, nullptr);
    }
    // Sleeps until an event, a redraw or the deadline, and dispatches what is ready.
    g_main_context_iteration(nullptr, TRUE);
    if (timeout != 0 && !deadlinePassed) {
        g_source_remove(timeout);
    }
    HandOverUserChanges();
}

// Sizes and minimising that the user did while GTK ran; the core refuses them while a message
// box is open, so they stay wanted and are tried again at the next wait, until the core has them.
void GtkHost::HandOverUserChanges() {
    for (auto& [handle, topLevel] : topLevels_) {
        if (!topLevel->userChanged) {
            continue;
        }
        const std::optional<standin::WindowDescription> description =
            standin::DescribeWindow(handle);
        if (!description || !description->visible) {
            continue;
        }
        if (topLevel->iconified != description->minimized) {
            if (topLevel->iconified) {
                standin::Minimize(handle);
            } else {
                standin::Restore(handle);
            }
            continue;
        }
        if (!description->minimized && topLevel->allocatedWidth >= 0 &&
            (topLevel->allocatedWidth != description->clientWidth ||
             topLevel->allocatedHeight != description->clientHeight)) {
            standin::ResizeClient(handle, topLevel->allocatedWidth, topLevel->allocatedHeight);
            continue;
        }
        topLevel->userChanged = false;
    }
}

void GtkHost::WindowCreated(HWND window) {
    const std::optional<standin::WindowDescription> description = standin::DescribeWindow(window);
    if (!description) {
        return;
    }
    if (description->parent == nullptr) {
        // Message boxes are shown through MessageBoxOpened.
        if (description->kind != standin::WindowKind::MessageBox) {
            CreateTopLevel(*description);
        }
    } else if (FindTopLevel(description->parent) != nullptr) {
        CreateControl(*description);
    }
}

void GtkHost::CreateTopLevel(const standin::WindowDescription& description) {
    auto topLevel = std::make_unique<TopLevel>();
    gpointer handle = description.window;
    topLevel->window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(topLevel->window),
                         standin::DecodeCodePage932(description.text).c_str());
    GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_container_add(GTK_CONTAINER(topLevel->window), column);
    BuildMenuBar(description.window, topLevel.get());
    if (topLevel->menuBar != nullptr) {
        gtk_box_pack_start(GTK_BOX(column), topLevel->menuBar, FALSE, FALSE, 0);
    }
    topLevel->overlay = gtk_overlay_new();
    topLevel->drawingArea = gtk_drawing_area_new();
    gtk_container_add(GTK_CONTAINER(topLevel->overlay), topLevel->drawingArea);
    topLevel->controlLayer = gtk_fixed_new();
    gtk_widget_set_halign(topLevel->controlLayer, GTK_ALIGN_START);
    gtk_widget_set_valign(topLevel->controlLayer, GTK_ALIGN_START);
    gtk_overlay_add_overlay(GTK_OVERLAY(topLevel->overlay), topLevel->controlLayer);
    gtk_box_pack_start(GTK_BOX(column), topLevel->overlay, TRUE, TRUE, 0);

    // The core's client size is the drawing area's; the menu bar comes on top of it.
    int menuBarHeight = 0;
    if (topLevel->menuBar != nullptr) {
        gtk_widget_show_all(topLevel->menuBar);
        gtk_widget_get_preferred_height(topLevel->menuBar, nullptr, &menuBarHeight);
    }
    gtk_window_set_default_size(GTK_WINDOW(topLevel->window), description.clientWidth,
                                description.clientHeight + menuBarHeight);

    g_signal_connect(topLevel->window, "delete-event", G_CALLBACK(OnDeleteEvent), handle);
    g_signal_connect(topLevel->window, "window-state-event", G_CALLBACK(OnWindowState),
                     topLevel.get());
    g_signal_connect(topLevel->drawingArea, "size-allocate", G_CALLBACK(OnClientAllocated),
                     topLevel.get());
    g_signal_connect(topLevel->drawingArea, "draw", G_CALLBACK(OnDrawClient), handle);
    topLevel->redraw.Attach(topLevel->drawingArea, topLevel->controlLayer);
    gtk_widget_show(column);
    gtk_widget_show(topLevel->overlay);
    gtk_widget_show(topLevel->drawingArea);
    gtk_widget_show(topLevel->controlLayer);
    TopLevel* created = topLevel.get();
    topLevels_.emplace(description.window, std::move(topLevel));
    ShowTopLevel(description, created);
}

void GtkHost::BuildMenuBar(HWND window, TopLevel* topLevel) {
    const std::vector<standin::MenuPopupDescription> popups = standin::DescribeMenu(window);
    if (popups.empty()) {
        return;
    }
    topLevel->menuBar = gtk_menu_bar_new();
    for (const standin::MenuPopupDescription& popup : popups) {
        GtkWidget* popupItem =
            gtk_menu_item_new_with_mnemonic(MnemonicCaption(popup.caption).c_str());
        GtkWidget* menu = gtk_menu_new();
        gtk_menu_item_set_submenu(GTK_MENU_ITEM(popupItem), menu);
        for (const standin::MenuItemDescription& item : popup.items) {
            GtkWidget* menuItem =
                gtk_menu_item_new_with_mnemonic(MnemonicCaption(item.caption).c_str());
            g_object_set_data(G_OBJECT(menuItem), "command", GUINT_TO_POINTER(item.command));
            gtk_widget_set_sensitive(menuItem, item.enabled);
            g_signal_connect(menuItem, "activate", G_CALLBACK(OnMenuItemActivated), window);
            gtk_menu_shell_append(GTK_MENU_SHELL(menu), menuItem);
            topLevel->menuItems[item.command] = menuItem;
        }
        gtk_menu_shell_append(GTK_MENU_SHELL(topLevel->menuBar), popupItem);
    }
}

void GtkHost::CreateControl(const standin::WindowDescription& description) {
    TopLevel* topLevel = FindTopLevel(description.parent);
    assert(topLevel != nullptr);  // WindowCreated shows only the children of shown windows
    Control control;
    control.parent = description.parent;
    if (description.kind == standin::WindowKind::Button) {
        control.widget = gtk_button_new_with_mnemonic(
            MnemonicCaption(standin::DecodeCodePage932(description.text)).c_str());
        gtk_style_context_add_class(gtk_widget_get_style_context(control.widget),
                                    "sorvelin-push-button");
        g_signal_connect(control.widget, "clicked", G_CALLBACK(OnButtonClicked),
                         description.window);
        gtk_fixed_put(GTK_FIXED(topLevel->controlLayer), control.widget, description.rect.left,
                      description.rect.top);
    } else if (description.kind == standin::WindowKind::StatusBar) {
        // The status bar lies along the bottom edge whatever its rectangle, as the core places it.
        control.statusBar = true;
        control.widget = gtk_statusbar_new();
        gtk_style_context_add_class(gtk_widget_get_style_context(control.widget),
                                    "sorvelin-status-bar");
        gtk_widget_set_valign(control.widget, GTK_ALIGN_END);
        // GTK keeps a status bar clear of the window's edges; ours touches them, as on Windows.
        gtk_widget_set_margin_start(control.widget, 0);
        gtk_widget_set_margin_end(control.widget, 0);
        gtk_widget_set_margin_top(control.widget, 0);
        gtk_widget_set_margin_bottom(control.widget, 0);
        // Its text area's own margins would make it taller than the core's bar.
        GtkWidget* messageArea = gtk_statusbar_get_message_area(GTK_STATUSBAR(control.widget));
        gtk_widget_set_margin_top(messageArea, 0);
        gtk_widget_set_margin_bottom(messageArea, 0);
        control.statusText = AddStatusText(control.widget);
        gtk_overlay_add_overlay(GTK_OVERLAY(topLevel->overlay), control.widget);
    } else {
        return;  // no other control is used
    }
    topLevel->redraw.AddControl(control.widget);
    auto [entry, added] = controls_.emplace(description.window, control);
    ShowControl(description, &entry->second);
}

void GtkHost::ShowTopLevel(const standin::WindowDescription& description, TopLevel* topLevel) {
    gtk_window_set_title(GTK_WINDOW(topLevel->window),
                         standin::DecodeCodePage932(description.text).c_str());
    if (description.visible != gtk_widget_get_visible(topLevel->window)) {
        gtk_widget_set_visible(topLevel->window, description.visible);
    }
}

void GtkHost::ShowControl(const standin::WindowDescription& description, Control* control) {
    if (control->statusBar) {
        // As tall as the core lays it out, so that it covers exactly the client rows that the
        // program leaves for it, and hiding it repaints exactly what it covered.
        gtk_widget_set_size_request(control->widget, -1,
                                    description.rect.bottom - description.rect.top);
        ShowStatusText(control->statusText, description.text);
    } else {
        const std::string caption = MnemonicCaption(standin::DecodeCodePage932(description.text));
        if (caption != gtk_button_get_label(GTK_BUTTON(control->widget))) {
            gtk_button_set_label(GTK_BUTTON(control->widget), caption.c_str());
        }
        TopLevel* topLevel = FindTopLevel(control->parent);
        assert(topLevel != nullptr);  // a control goes before its parent's window
        gtk_fixed_move(GTK_FIXED(topLevel->controlLayer), control->widget, description.rect.left,
                       description.rect.top);
        gtk_widget_set_size_request(control->widget, description.rect.right - description.rect.left,
                                    description.rect.bottom - description.rect.top);
    }
    gtk_widget_set_sensitive(control->widget, description.enabled);
    if (description.visible != gtk_widget_get_visible(control->widget)) {
        gtk_widget_set_visible(control->widget, description.visible);
    }
}

void GtkHost::WindowChanged(HWND window) {
    const std::optional<standin::WindowDescription> description = standin::DescribeWindow(window);
    if (!description) {
        return;
    }
    if (TopLevel* topLevel = FindTopLevel(window)) {
        ShowTopLevel(*description, topLevel);
    } else if (auto control = controls_.find(window); control != controls_.end()) {
        ShowControl(*description, &control->second);
    }
}

void GtkHost::WindowDestroyed(HWND window) {
    if (auto topLevel = topLevels_.find(window); topLevel != topLevels_.end()) {
        gtk_widget_destroy(topLevel->second->window);
        topLevels_.erase(topLevel);
    } else if (auto control = controls_.find(window); control != controls_.end()) {
        gtk_widget_destroy(control->second.widget);
        controls_.erase(control);
    }
}

void GtkHost::SurfaceChanged(HWND window) {
    if (TopLevel* topLevel = FindTopLevel(window)) {
        topLevel->redraw.SurfaceChanged();
    }
}

void GtkHost::MenuChanged(HWND window) {
    TopLevel* topLevel = FindTopLevel(window);
    if (topLevel == nullptr) {
        return;
    }
    for (const standin::MenuPopupDescription& popup : standin::DescribeMenu(window)) {
        for (const standin::MenuItemDescription& item : popup.items) {
            if (auto found = topLevel->menuItems.find(item.command);
                found != topLevel->menuItems.end()) {
                gtk_widget_set_sensitive(found->second, item.enabled);
            }
        }
    }
}

void GtkHost::MessageBoxOpened(HWND box) {
    const std::optional<standin::MessageBoxDescription> description = standin::OpenMessageBox();
    if (!description || description->box != box) {
        return;
    }
    TopLevel* owner = FindTopLevel(description->owner);
    GtkWindow* parent = owner != nullptr ? GTK_WINDOW(owner->window) : nullptr;
    // Modal to its owner: the main window takes no input until OK, while the core's own modal
    // loop goes on dispatching the owner's timer behind it.
    GtkWidget* dialog = gtk_message_dialog_new(
        parent, static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
        GTK_MESSAGE_OTHER, GTK_BUTTONS_OK, "%s",
        standin::DecodeCodePage932(description->text).c_str());
    gtk_window_set_title(GTK_WINDOW(dialog),
                         standin::DecodeCodePage932(description->caption).c_str());
    g_signal_connect(dialog, "response", G_CALLBACK(OnMessageDialogResponse), box);
    g_signal_connect(dialog, "delete-event", G_CALLBACK(OnMessageDialogDelete), nullptr);
    messageDialogs_[box] = dialog;
    gtk_widget_show(dialog);
}

void GtkHost::MessageBoxClosed(HWND box) {
    if (auto found = messageDialogs_.find(box); found != messageDialogs_.end()) {
        gtk_widget_destroy(found->second);
        messageDialogs_.erase(found);
    }
}

void InstallIcon() {
    std::unique_ptr<GList, ListFree> images;
    for (int index = 0; index < ICON_IMAGE_COUNT; ++index) {
        const owned::GObject<GInputStream> stream(g_memory_input_stream_new_from_data(
            ICON_IMAGES[index].bytes, ICON_IMAGES[index].length, nullptr));
        if (GdkPixbuf* image = gdk_pixbuf_new_from_stream(stream.get(), nullptr, nullptr)) {
            // The list takes the image's reference; appending returns its (new) head.
            images.reset(g_list_append(images.release(), image));
        }
    }
    gtk_window_set_default_icon_list(images.get());
}

// A Wayland compositor with no seat, such as a headless one, is a desktop where nothing can be
// typed, not a fault of the program; yet GDK asks the missing seat for its keyboard while it sets
// up its key bindings, and logs a critical each time. Only that message is dropped: every other
// goes on to GLib's own handler.
void DropMissingSeatCritical(const gchar* domain, GLogLevelFlags level, const gchar* message,
                             gpointer) {
    constexpr char MISSING_SEAT[] = "gdk_seat_get_keyboard: assertion 'GDK_IS_SEAT (seat)' failed";
    if (message != nullptr && std::strcmp(message, MISSING_SEAT) == 0) {
        return;
    }
    g_log_default_handler(domain, level, message, nullptr);
}

// When the X server or the Wayland compositor goes away, GDK ends the process with exit code 1,
// saying why only in a debug message (X) or in words of its own (Wayland). One line tells the
// user, under the name that they ran the program by.
void SayDisplayLost() {
    std::fprintf(stderr, "%s: lost the connection to the display\n", program_invocation_short_name);
}

#if defined(GDK_WINDOWING_X11)
// GDK's own handler, which ends the process. Written only by WatchDisplayConnection.
XIOErrorHandler gdkIoErrorHandler = nullptr;

int OnXConnectionLost(Display* display) {
    SayDisplayLost();
    return gdkIoErrorHandler(display);
}
#endif

#if defined(GDK_WINDOWING_WAYLAND)
// GDK logs a message through GLib's structured log and exits when the compositor's socket
// breaks; only then is the socket hung up.
GLogWriterOutput WriteLog(GLogLevelFlags level, const GLogField* fields, gsize fieldCount,
                          gpointer connection) {
    pollfd socket = {wl_display_get_fd(static_cast<wl_display*>(connection)), POLLIN, 0};
    if (poll(&socket, 1, 0) == 1 && (socket.revents & (POLLHUP | POLLERR)) != 0) {
        SayDisplayLost();
        return G_LOG_WRITER_HANDLED;
    }
    return g_log_writer_default(level, fields, fieldCount, nullptr);
}
#endif

void WatchDisplayConnection() {
    GdkDisplay* display = gdk_display_get_default();
#if defined(GDK_WINDOWING_X11)
    if (GDK_IS_X11_DISPLAY(display)) {
        gdkIoErrorHandler = XSetIOErrorHandler(OnXConnectionLost);
    }
#endif
#if defined(GDK_WINDOWING_WAYLAND)
    if (GDK_IS_WAYLAND_DISPLAY(display)) {
        g_log_set_writer_func(WriteLog, gdk_wayland_display_get_wl_display(display), nullptr);
    }
#endif
}

void InstallStyleSheet() {
    const owned::GObject<GtkCssProvider> provider(gtk_css_provider_new());
    gtk_css_provider_load_from_data(provider.get(), STYLE_SHEET, -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(),
                                              GTK_STYLE_PROVIDER(provider.get()),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

}  // namespace

}  // namespace gtkhost

namespace standin {

void StartProgramHost(int argumentCount, char** arguments) {
    // The desktop matches the window with its desktop file and icon through this name.
    g_set_prgname(gtkhost::APPLICATION_ID);
    gdk_set_program_class("Sorvelin");
    // The window shows a client surface that cairo copies; OpenGL would only load a driver
    // that more than doubles the program's memory. A user's own setting still wins.
    g_setenv("GDK_GL", "disable", FALSE);
    g_log_set_handler("Gdk", G_LOG_LEVEL_CRITICAL, gtkhost::DropMissingSeatCritical, nullptr);
    if (!gtk_init_check(&argumentCount, &arguments)) {
        std::fputs(
            "sorvelin: cannot open the display; on a machine without a desktop, run it "
            "under Xvfb (xvfb-run -a sorvelin)\n",
            stderr);
        std::exit(1);
    }
    g_set_application_name("Sorvelin");
    gtkhost::WatchDisplayConnection();
    gtkhost::InstallIcon();
    gtkhost::InstallStyleSheet();
    static gtkhost::GtkHost programHost;
    SetHost(&programHost);
}

}  // namespace standin
